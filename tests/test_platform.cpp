#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "platform/Ansi.h"
#include "platform/Files.h"

#include <sys/stat.h>

using namespace korva;

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    void ansiRoundTrip() {
        const QString s = QStringLiteral("Contraseña ó € “x” Ÿ");
        const QByteArray b = ansi::codifica(s);
        QCOMPARE(b.size(), s.size());
        QCOMPARE(static_cast<unsigned char>(b[8]), 0xF1u);  // ñ
        QCOMPARE(static_cast<unsigned char>(b[13]), 0x80u); // €
        QCOMPARE(ansi::decodifica(b), s);
        // Every byte decodes and encodes back to itself.
        QByteArray todos;
        for (int i = 0; i < 256; ++i)
            todos.append(char(i));
        QCOMPARE(ansi::codifica(ansi::decodifica(todos)), todos);
        QCOMPARE(ansi::codifica(QStringLiteral("漢")), QByteArray("?"));
    }

    void lineasCrLfAndBareLf() {
        QCOMPARE(ansi::lineas("a\r\nb\nc"), (QStringList{"a", "b", "c"}));
        QCOMPARE(ansi::lineas("a\r\n\r\n"), (QStringList{"a", ""}));
        QCOMPARE(ansi::lineas(""), QStringList());
        QCOMPARE(ansi::lineas("\xf1\r"), QStringList{QStringLiteral("ñ")});
    }

    void readOnlyHasNoWriteBit() {
        QTemporaryDir d;
        const QString f = d.filePath("usuarios.dat");
        QVERIFY(fs::escribeAtomico(f, "x\r\n"));
        QVERIFY(!fs::soloLectura(f));
        QVERIFY(fs::ponSoloLectura(f, true));
        QVERIFY(fs::soloLectura(f));
        QCOMPARE(QFileInfo(f).permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther),
                 QFile::Permissions());
        QVERIFY(fs::lista(d.path()).at(0).soloLectura);
        // Any one write bit, whoever it is for, makes the file writable.
        for (const auto bit : {QFile::WriteOwner, QFile::WriteGroup, QFile::WriteOther}) {
            QVERIFY(QFile::setPermissions(f, QFile::ReadOwner | bit));
            QVERIFY2(!fs::soloLectura(f), qPrintable(QString::number(int(bit), 16)));
            QVERIFY(!fs::lista(d.path()).at(0).soloLectura);
        }
        QVERIFY(fs::ponSoloLectura(f, true));
        QVERIFY(fs::ponSoloLectura(f, false));
        QVERIFY(!fs::soloLectura(f));
        QVERIFY(!fs::lista(d.path()).at(0).soloLectura);
        QVERIFY(!fs::soloLectura(d.filePath("missing")));
    }

    void copyOverwritesKeepsTimeAndRefusesReadOnly_data() {
        QTest::addColumn<fs::Sincroniza>("sincroniza");
        QTest::addRow("synced to disk") << fs::Sincroniza::Si;
        QTest::addRow("left to the system") << fs::Sincroniza::No;
    }
    void copyOverwritesKeepsTimeAndRefusesReadOnly() {
        QFETCH(fs::Sincroniza, sincroniza);
        QTemporaryDir d;
        const QString a = d.filePath("a"), b = d.filePath("b");
        QVERIFY(fs::escribeAtomico(a, "nuevo"));
        QVERIFY(fs::escribeAtomico(b, "viejo y largo"));
        const QDateTime t(QDate(2026, 1, 2), QTime(3, 4, 5));
        {
            QFile f(a);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(t, QFileDevice::FileModificationTime));
        }
        QVERIFY(fs::copia(a, b, sincroniza));
        QFile fb(b);
        QVERIFY(fb.open(QIODevice::ReadOnly));
        QCOMPARE(fb.readAll(), QByteArray("nuevo"));
        QCOMPARE(QFileInfo(b).lastModified(), t);
        QVERIFY(fs::ponSoloLectura(b, true));
        QVERIFY(!fs::copia(a, b, sincroniza));
        QVERIFY(!fs::copia(d.filePath("missing"), d.filePath("c"), sincroniza));
        QVERIFY(!QFileInfo::exists(d.filePath("c")));
        QVERIFY(!fs::copia(a, d.filePath("no-such-folder/c"), sincroniza));
        // A new copy is readable by the broker's other programs, like any file.
        QVERIFY(fs::copia(a, d.filePath("c"), sincroniza));
        QVERIFY(QFileInfo(d.filePath("c")).permissions() & QFile::ReadOther);
        QCOMPARE(QFileInfo(d.filePath("c")).lastModified(), t);
        // Nothing temporary is left behind.
        QCOMPARE(QDir(d.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);

        // Never through a link: one at the target is replaced, what it leads
        // to untouched; one as the source is refused, as is a FIFO (reading
        // it would hold the window). A private source gives a private copy.
        QTemporaryDir e;
        const QString v = e.filePath("victima"), l = e.filePath("enlace"), p = e.filePath("privado");
        QVERIFY(fs::escribeAtomico(v, "victima") && fs::ponSoloLectura(v, true) && QFile::link(v, l));
        bool enlace = false;
        QVERIFY(fs::copia(a, l, sincroniza, &enlace));
        QVERIFY(enlace && !QFileInfo(l).isSymLink() && fs::soloLectura(v));
        QCOMPARE(fs::leeLineas(v, fs::limite::kAviso), QStringList{"victima"});
        QVERIFY(QFile::link(v, l + "2") && !fs::copia(l + "2", e.filePath("x"), sincroniza));
        QCOMPARE(::mkfifo(QFile::encodeName(e.filePath("fifo")).constData(), 0644), 0);
        QVERIFY(!fs::copia(e.filePath("fifo"), e.filePath("x"), sincroniza));
        QVERIFY(QFile::setPermissions(a, QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(fs::copia(a, p, sincroniza));
        QCOMPARE(QFileInfo(p).permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
                 QFile::ReadOwner | QFile::WriteOwner);
    }

    void atomicWritePrivateMode() {
        QTemporaryDir d;
        const QString f = d.filePath("odbc0.reg");
        QVERIFY(fs::escribeAtomico(f, "x", true));
        const auto p = QFileInfo(f).permissions();
        QVERIFY(p & QFile::ReadOwner);
        QVERIFY(p & QFile::WriteOwner);
        QVERIFY(!(p & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther)));
    }

    void appendLineAndList() {
        QTemporaryDir d;
        const QString f = d.filePath("bitacora");
        QVERIFY(fs::agregaLinea(f, QStringLiteral("uno")));
        QVERIFY(fs::agregaLinea(f, QStringLiteral("dós")));
        QFile in(f);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QCOMPARE(in.readAll(), QByteArray("uno\r\nd\xf3s\r\n"));
        QCOMPARE(fs::leeLineas(f, fs::limite::kRegistro), (QStringList{"uno", QStringLiteral("dós")}));
        bool ok = true;
        fs::leeLineas(d.filePath("nada"), fs::limite::kRegistro, &ok);
        QVERIFY(!ok);

        QDir(d.path()).mkdir("Pend");
        QFile::link(f, d.filePath("enlace"));
        fs::escribeAtomico(d.filePath(".oculto"), "");
        const auto l = fs::lista(d.path());
        QCOMPARE(l.size(), 4);
        for (const auto& e : l) {
            if (e.nombre == "Pend")
                QVERIFY(e.carpeta && !e.regular);
            if (e.nombre == "enlace")
                QVERIFY(e.enlace && !e.regular);
            if (e.nombre == ".oculto")
                QVERIFY(e.oculto && e.regular);
            if (e.nombre == "bitacora")
                QCOMPARE(e.tamano, 10);
        }
    }

    void joinPaths() {
        QCOMPARE(fs::une("c:\\ENV", "Pend", Plataforma::Windows), QStringLiteral("c:\\ENV\\Pend"));
        QCOMPARE(fs::une("/env/", "Pend", Plataforma::Posix), QStringLiteral("/env/Pend"));
        QCOMPARE(fs::une("/env", "Pend", Plataforma::Posix), QStringLiteral("/env/Pend"));
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "test_platform.moc"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "Archivos.h"
#include "platform/Ansi.h"
#include "platform/CentrosTls.h"
#include "platform/fs.h"

#include <sys/stat.h>

using namespace korva;

class PruebaPlataforma : public QObject {
    Q_OBJECT
private slots:
    void ansiIdaYVuelta() {
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

    void lineasConCrLfYSoloLf() {
        QCOMPARE(ansi::lineas("a\r\nb\nc"), (QStringList{"a", "b", "c"}));
        QCOMPARE(ansi::lineas("a\r\n\r\n"), (QStringList{"a", ""}));
        QCOMPARE(ansi::lineas(""), QStringList());
        QCOMPARE(ansi::lineas("\xf1\r"), QStringList{QStringLiteral("ñ")});
    }

    void soloLecturaSinBitDeEscritura() {
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

    void copiaReemplazaConservaFechaYRespetaSoloLectura_data() {
        QTest::addColumn<fs::Sincroniza>("sincroniza");
        QTest::addRow("synced to disk") << fs::Sincroniza::Si;
        QTest::addRow("left to the system") << fs::Sincroniza::No;
    }
    void copiaReemplazaConservaFechaYRespetaSoloLectura() {
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

    void escrituraAtomicaPrivada() {
        QTemporaryDir d;
        const QString f = d.filePath("odbc0.reg");
        QVERIFY(fs::escribeAtomico(f, "x", true));
        const auto p = QFileInfo(f).permissions();
        QVERIFY(p & QFile::ReadOwner);
        QVERIFY(p & QFile::WriteOwner);
        QVERIFY(!(p & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther)));
    }

    void agregaLineaYLista() {
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

    // What the program reads of its own is a plain file within its bound;
    // anything else is refused at once with its reason, never waited on.
    void lecturasAcotadas_data() {
        QTest::addColumn<QString>("clase");
        QTest::addColumn<QString>("causa");
        QTest::addRow("plain file") << "archivo"
                                    << "";
        QTest::addRow("FIFO") << "fifo"
                              << "no es un archivo regular";
        QTest::addRow("link to a plain file") << "enlace"
                                              << "es un enlace";
        QTest::addRow("link to /dev/zero") << "cero"
                                           << "es un enlace";
        QTest::addRow("device") << "dispositivo"
                                << "no es un archivo regular";
        QTest::addRow("folder") << "carpeta"
                                << "no es un archivo regular";
        QTest::addRow("past its bound") << "grande"
                                        << "el archivo es más grande de lo permitido";
        QTest::addRow("missing") << "nada"
                                 << "no existe";
    }
    void lecturasAcotadas() {
        QFETCH(QString, clase);
        QFETCH(QString, causa);
        QTemporaryDir d;
        const QString real = d.filePath("real");
        QVERIFY(fs::escribeAtomico(real, "uno\r\ndos\r\n"));
        QString ruta = d.filePath(clase);
        if (clase == "archivo")
            ruta = real;
        else if (clase == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(ruta).constData(), 0600), 0);
        else if (clase == "enlace")
            QVERIFY(QFile::link(real, ruta));
        else if (clase == "cero")
            QVERIFY(QFile::link("/dev/zero", ruta));
        else if (clase == "dispositivo")
            ruta = "/dev/zero";
        else if (clase == "carpeta")
            QVERIFY(QDir().mkpath(ruta));
        else if (clase == "grande")
            QVERIFY(fs::escribeAtomico(ruta, QByteArray(4097, 'x')));
        bool ok = false;
        const QStringList l = fs::leeLineas(ruta, 4096, &ok);
        QCOMPARE(ok, causa.isEmpty());
        QCOMPARE(fs::ultimaCausa(), causa);
        QCOMPARE(l, causa.isEmpty() ? (QStringList{"uno", "dos"}) : QStringList());
    }

    // Every whole-file writer on a full disk: false with the reason, the old
    // file as it was, no temporary left.
    void discoLlenoDejaElArchivoAnterior_data() {
        QTest::addColumn<int>("escritor");
        QTest::addRow("atomic write") << 0;
        QTest::addRow("private atomic write") << 1;
        QTest::addRow("copy") << 2;
        QTest::addRow("TLS record") << 3;
    }
    void discoLlenoDejaElArchivoAnterior() {
        QFETCH(int, escritor);
        test::DiscoPequeno disco;
        if (!disco.montado())
            QSKIP("mounting a small file system needs root");
        const QString destino = disco.ruta("odbc0.reg");
        const QByteArray viejo = "127.0.0.1 21\r\n";
        QVERIFY(fs::escribeAtomico(destino, viejo));
        QTemporaryDir fuera;
        const QString origen = fuera.filePath("origen");
        QVERIFY(fs::escribeAtomico(origen, QByteArray(64 << 10, 'n')));
        disco.llena();
        bool ok = true;
        switch (escritor) {
        case 0:
            ok = fs::escribeAtomico(destino, QByteArray(64 << 10, 'n'));
            break;
        case 1:
            ok = fs::escribeAtomico(destino, QByteArray(64 << 10, 'n'), true);
            break;
        case 2:
            ok = fs::copia(origen, destino);
            break;
        case 3:
            ok = centrosTls::recuerda(destino, QStringLiteral("centro.example"), 21);
            break;
        }
        QVERIFY(!ok);
        if (escritor != 3)
            QCOMPARE(fs::ultimaCausa(), QStringLiteral("no hay espacio en el disco"));
        QCOMPARE(test::lee(destino), viejo);
        QCOMPARE(QDir(disco.ruta()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{".relleno", "odbc0.reg"}));
    }

    // A temporary is the program's by its name, and removed only once no
    // write can still own it.
    void temporalesViejos() {
        QTemporaryDir d;
        const auto pon = [&](const QString& n, qint64 edad) {
            QFile f(d.filePath(n));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.close();
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-edad),
                                  QFileDevice::FileModificationTime));
        };
        pon(".m4321123.err~1Ab2Cd", 3600); // a download killed half-way
        pon(".m4321124.err~1Ab2Cd", 10);   // one being written now
        pon(".oculto~abc", 3600);          // the broker's
        pon(".notas~backup", 3600);        // the broker's, of the same shape
        pon("m4321125.err", 3600);
        QCOMPARE(fs::quitaTemporales(d.path()), 1);
        QCOMPARE(QDir(d.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{".m4321124.err~1Ab2Cd", ".notas~backup", ".oculto~abc", "m4321125.err"}));
    }

    void uneRutas() {
        QCOMPARE(fs::une("c:\\ENV", "Pend", Plataforma::Windows), QStringLiteral("c:\\ENV\\Pend"));
        QCOMPARE(fs::une("/env/", "Pend", Plataforma::Posix), QStringLiteral("/env/Pend"));
        QCOMPARE(fs::une("/env", "Pend", Plataforma::Posix), QStringLiteral("/env/Pend"));
    }
};

QTEST_GUILESS_MAIN(PruebaPlataforma)
#include "test_plataforma.moc"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTest>

#include "Archivos.h"
#include "Fixture.h"
#include "app/Patentes.h"
#include "platform/Candado.h"
#include "platform/fs.h"

using namespace korva;
using korva::test::Fixture;

namespace {
QString contenido(const QString& ruta) { return QString::fromLatin1(test::lee(ruta)); }
} // namespace

class PruebaPatentes : public QObject {
    Q_OBJECT

    // Patents A, B, C with their configuration files holding their own key.
    void tres(Fixture& f, Patentes& p) {
        fs::escribeAtomico(f.ruta("usuarios.dat"), "A\r\nB\r\nC\r\n");
        fs::ponSoloLectura(f.ruta("usuarios.dat"), true);
        for (int i = 0; i < 3; ++i)
            fs::escribeAtomico(p.rutaConfiguracion(i), QByteArray(1, char('A' + i)));
        p.carga();
    }

private slots:
    void primeraPatente() {
        Fixture f;
        Patentes p(f.dlg, f.tmp.path());
        p.carga();
        QVERIFY(p.expandido());
        QCOMPARE(p.altura(), 2925);
        QVERIFY(!p.botonesHabilitados());
        QVERIFY(!p.aceptarHabilitado());
        QVERIFY(!p.aceptar()); // empty key box
        QCOMPARE(f.dlg.ultimo(),
                 QStringLiteral(
                     "No es posible crear un usuario si no se proporciona la clave para referenciarlo."));
        p.editaClave("4321");
        QVERIFY(p.aceptarHabilitado());
        QVERIFY(p.aceptar());
        QCOMPARE(contenido(f.ruta("usuarios.dat")), QStringLiteral("4321\r\n"));
        QVERIFY(fs::soloLectura(f.ruta("usuarios.dat")));
        QVERIFY(p.botonesHabilitados());
        QCOMPARE(p.altura(), 1620);
        QCOMPARE(p.seleccion(), 0);
        QCOMPARE(p.TxtPatente(), QStringLiteral("4321")); // the key box is not emptied
        QVERIFY(!QFile::exists(f.ruta("odbc0.reg")));
        // A second one is appended and selected.
        p.crear();
        QCOMPARE(p.altura(), 2910);
        p.editaClave("0123456789ABCDEFG");
        QVERIFY(p.aceptar());
        QCOMPARE(p.claves(), (QStringList{"4321", "0123456789ABCDE"}));
        QCOMPARE(p.seleccion(), 1);
    }

    void entrarPasaLaElegidaAlFinal() {
        Fixture f;
        Patentes p(f.dlg, f.tmp.path());
        tres(f, p);
        QCOMPARE(p.seleccion(), 2);
        QVERIFY(!p.PatenteCambiada);
        p.selecciona(0);
        QCOMPARE(p.entrar(), 2);
        QCOMPARE(p.claves(), (QStringList{"C", "B", "A"}));
        QCOMPARE(contenido(f.ruta("usuarios.dat")), QStringLiteral("C\r\nB\r\nA\r\n"));
        QVERIFY(fs::soloLectura(f.ruta("usuarios.dat")));
        QCOMPARE(contenido(f.ruta("odbc2.reg")), QStringLiteral("A"));
        QCOMPARE(contenido(f.ruta("odbc0.reg")), QStringLiteral("C"));
        QCOMPARE(contenido(f.ruta("odbc1.reg")), QStringLiteral("B"));
        QVERIFY(!QFile::exists(f.ruta("odbc3.reg")));
        QVERIFY(!QFile::exists(f.ruta("usuarios.mov")));
    }

    void entrarSinReordenar() {
        Fixture f;
        Patentes p(f.dlg, f.tmp.path());
        tres(f, p);
        QCOMPARE(p.entrar(), 2); // untouched selection
        p.selecciona(2);
        QCOMPARE(p.entrar(), 2); // the last one
        // So does a file in the exchange's spare place, which is left alone.
        fs::escribeAtomico(f.ruta("odbc3.reg"), "suelto");
        p.selecciona(0);
        QCOMPARE(p.entrar(), 0);
        QCOMPARE(contenido(f.ruta("odbc3.reg")), QStringLiteral("suelto"));
        QFile::remove(f.ruta("odbc3.reg"));
        // A missing file keeps the positions; entering goes on with the choice.
        QFile::remove(f.ruta("odbc2.reg"));
        p.selecciona(0);
        QCOMPARE(p.entrar(), 0);
        QCOMPARE(p.claves(), (QStringList{"A", "B", "C"}));
        QCOMPARE(contenido(f.ruta("odbc0.reg")), QStringLiteral("A"));
    }

    void eliminarRecorreLosArchivos() {
        Fixture f;
        Patentes p(f.dlg, f.tmp.path());
        tres(f, p);
        p.selecciona(1);
        f.dlg.responde(true);
        p.eliminar();
        QCOMPARE(f.dlg.registros.last().titulo, QStringLiteral("KORVA Centro de Prevalidación  - Confirmar"));
        QCOMPARE(
            f.dlg.registros.last().texto,
            QStringLiteral("Precaución al borrar la patente: B se eliminará el archivo de configuración que "
                           "corresponde a la patente. Desea continuar?"));
        QCOMPARE(contenido(f.ruta("usuarios.dat")), QStringLiteral("A\r\nC\r\n"));
        QCOMPARE(contenido(f.ruta("odbc0.reg")), QStringLiteral("A"));
        QCOMPARE(contenido(f.ruta("odbc1.reg")), QStringLiteral("C"));
        QVERIFY(!QFile::exists(f.ruta("odbc2.reg")));
        QCOMPARE(p.seleccion(), 1);
        // No keeps everything.
        f.dlg.responde(false);
        p.eliminar();
        QCOMPARE(p.claves().size(), 2);
    }

    void eliminarConHuecoYUnicaPatente() {
        Fixture f;
        Patentes p(f.dlg, f.tmp.path());
        tres(f, p);
        QFile::remove(f.ruta("odbc1.reg"));
        p.selecciona(0);
        f.dlg.responde(true);
        p.eliminar();
        // Only files that exist move: C's file closes the gap one place down.
        QVERIFY(!QFile::exists(f.ruta("odbc0.reg")));
        QCOMPARE(contenido(f.ruta("odbc1.reg")), QStringLiteral("C"));
        QVERIFY(!QFile::exists(f.ruta("odbc2.reg")));

        Fixture g;
        Patentes q(g.dlg, g.tmp.path());
        q.editaClave("X");
        q.carga();
        q.aceptar();
        g.dlg.responde(true);
        q.eliminar();
        QCOMPARE(contenido(g.ruta("usuarios.dat")), QString());
        QVERIFY(q.claves().isEmpty());
        QCOMPARE(q.entrar(), -1);
        QCOMPARE(g.dlg.ultimo(), QStringLiteral("Selecione Patente"));
    }

    void movimientoInterrumpidoSeTermina() {
        // A stop after the first rename of an exchange: A's file sits in the
        // temporary, the list was already rewritten.
        Fixture f;
        Patentes p(f.dlg, f.tmp.path());
        tres(f, p);
        QFile::rename(f.ruta("odbc0.reg"), f.ruta("odbc3.reg"));
        fs::ponSoloLectura(f.ruta("usuarios.dat"), false);
        fs::escribeAtomico(f.ruta("usuarios.dat"), "C\r\nB\r\nA\r\n");
        fs::escribeAtomico(f.ruta("usuarios.mov"), "3\r\nC\r\nB\r\nA\r\nM 0 3\r\nM 2 0\r\nM 3 2\r\n");
        Patentes q(f.dlg, f.tmp.path());
        q.carga();
        QCOMPARE(q.claves(), (QStringList{"C", "B", "A"}));
        QCOMPARE(contenido(f.ruta("odbc0.reg")), QStringLiteral("C"));
        QCOMPARE(contenido(f.ruta("odbc2.reg")), QStringLiteral("A"));
        QVERIFY(!QFile::exists(f.ruta("odbc3.reg")));
        QVERIFY(!QFile::exists(f.ruta("usuarios.mov")));
        QVERIFY(fs::soloLectura(f.ruta("usuarios.dat")));
    }

    // A journal the program could not have written is reported; no file is
    // renamed, deleted or written, and no change is made while it stands.
    void diarioDanadoNoTocaNada_data() {
        QTest::addColumn<QByteArray>("diario");
        const QByteArray lista = "3\r\nA\r\nB\r\nC\r\n";
        QTest::addRow("fewer keys than counted") << QByteArray("9\r\nx\r\n");
        QTest::addRow("negative position") << lista + "M 0 -7\r\n";
        QTest::addRow("past the spare place") << lista + "M 4 0\r\n";
        QTest::addRow("not a number") << lista + "M 0 x\r\n";
        QTest::addRow("delete with a target") << lista + "D 1 2\r\n";
        QTest::addRow("onto another patent's file") << lista + "M 0 1\r\n";
        QTest::addRow("twice onto the spare place") << lista + "M 0 3\r\nM 1 3\r\n";
    }
    void diarioDanadoNoTocaNada() {
        QFETCH(QByteArray, diario);
        Fixture f;
        Patentes p(f.dlg, f.tmp.path());
        tres(f, p);
        fs::escribeAtomico(f.ruta("usuarios.mov"), diario);
        Patentes q(f.dlg, f.tmp.path());
        q.carga();
        QVERIFY(f.dlg.ultimo().contains("usuarios.mov"));
        q.editaClave("D");
        QVERIFY(!q.aceptar());
        QVERIFY(f.dlg.ultimo().contains("usuarios.mov"));
        QCOMPARE(contenido(f.ruta("usuarios.dat")), QStringLiteral("A\r\nB\r\nC\r\n"));
        QCOMPARE(QDir(f.tmp.path()).entryList({"odbc*"}, QDir::Files),
                 QStringList({"odbc0.reg", "odbc1.reg", "odbc2.reg"}));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(contenido(p.rutaConfiguracion(i)), QString(QChar('A' + i)));
        QCOMPARE(contenido(f.ruta("usuarios.mov")), QString::fromLatin1(diario));
    }

    void unCandadoPorPatente() {
        Fixture f;
        CandadoPatente a, b, c;
        QVERIFY(a.toma(f.tmp.path(), 0));
        QVERIFY(!b.toma(f.tmp.path(), 0)); // the same patent twice
        QVERIFY(c.toma(f.tmp.path(), 1));  // another patent side by side
        QVERIFY(CandadoPatente::ocupada(f.tmp.path(), 0));
        QVERIFY(!CandadoPatente::ocupada(f.tmp.path(), 2));
        a.suelta();
        QVERIFY(b.toma(f.tmp.path(), 0));

        // A lock left by a process that is gone is taken over.
        Fixture g;
        QProcess p;
        p.start(QStringLiteral("/bin/true"));
        QVERIFY(p.waitForFinished());
        const QByteArray muerto = QByteArray::number(p.processId() ? p.processId() : 999999);
        fs::escribeAtomico(g.ruta("odbc3.lock"),
                           muerto + "\nkorvaval\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        CandadoPatente d;
        QVERIFY(d.toma(g.tmp.path(), 3));

        // Held elsewhere, or a program folder that takes no lock file: the
        // broker is told which.
        QVERIFY(!b.toma(f.tmp.path(), 1) && b.deOtraVentana());
        // A lock that names no holder (left empty, or its bytes lost, by a
        // machine that stopped) is taken over once a few seconds old, the
        // patents list's too.
        const QDateTime antes = QDateTime::currentDateTime().addSecs(-60);
        for (const QByteArray& dentro : {QByteArray(), QByteArray(87, '\0'), QByteArray("\n")}) {
            for (const char* n : {"odbc6.lock", "usuarios.lock"}) {
                QFile sinTitular(g.ruta(n));
                QVERIFY(sinTitular.open(QIODevice::WriteOnly) && sinTitular.write(dentro) == dentro.size() &&
                        sinTitular.flush() &&
                        sinTitular.setFileTime(antes, QFileDevice::FileModificationTime));
            }
            CandadoPatente vacia;
            QVERIFY(vacia.toma(g.tmp.path(), 6));
            QVERIFY(CandadoLista(g.tmp.path()).tomado());
        }
        if (test::soloLecturaReal(g.tmp.path(), true)) {
            CandadoPatente e;
            const bool tomada = e.toma(g.tmp.path(), 4);
            test::soloLecturaReal(g.tmp.path(), false);
            QVERIFY(!tomada && !e.deOtraVentana());
        }
    }

    void patentesAbiertasNoSeMueven() {
        Fixture f;
        Patentes p(f.dlg, f.tmp.path());
        tres(f, p);
        CandadoPatente otra;
        QVERIFY(otra.toma(f.tmp.path(), 2)); // C is open elsewhere
        p.selecciona(0);
        QCOMPARE(p.entrar(), 0); // no exchange with C
        QCOMPARE(contenido(f.ruta("odbc2.reg")), QStringLiteral("C"));
        p.selecciona(1);
        f.dlg.responde(true);
        p.eliminar(); // B's removal would move C's file
        QVERIFY(f.dlg.ultimo().contains("otra ventana de KORVAVal"));
        QCOMPARE(p.claves(), (QStringList{"A", "B", "C"}));
        QCOMPARE(contenido(f.ruta("odbc1.reg")), QStringLiteral("B"));
        otra.suelta();
        f.dlg.responde(true);
        p.eliminar();
        QCOMPARE(p.claves(), (QStringList{"A", "C"}));
    }

    // A configuration file at the new patent's place is another account's
    // (a restore of a shorter list left it): kept aside, never adopted.
    void patenteNuevaNoAdoptaSobrantes() {
        Fixture f;
        Patentes p(f.dlg, f.tmp.path());
        tres(f, p);
        fs::escribeAtomico(f.ruta("odbc3.reg"), "cuenta de otro");
        p.crear();
        p.editaClave("D");
        QVERIFY(p.aceptar());
        QCOMPARE(p.claves(), (QStringList{"A", "B", "C", "D"}));
        QVERIFY(!QFile::exists(f.ruta("odbc3.reg")));
        QCOMPARE(contenido(f.ruta("Respalda/sin-patente/odbc3.reg")), QStringLiteral("cuenta de otro"));
        QVERIFY(f.dlg.ultimo().contains(f.ruta("Respalda/sin-patente/odbc3.reg")));
    }

    // What a program killed while it wrote left in the program folder goes
    // at the next start; a write still running keeps its temporary.
    void temporalesViejosSeBorranAlArrancar() {
        Fixture f;
        const auto pon = [&](const QString& n, qint64 edad) {
            fs::escribeAtomico(f.ruta(n), "x");
            QFile a(f.ruta(n));
            QVERIFY(a.open(QIODevice::ReadWrite));
            QVERIFY(a.setFileTime(QDateTime::currentDateTime().addSecs(-edad),
                                  QFileDevice::FileModificationTime));
        };
        for (const char* n :
             {"usuarios.dat.Ab12Cd", "usuarios.mov.Xy98Zz", ".odbc0.reg~3Qw4Er", "odbc7.reg.Zx56Cv"})
            pon(n, 3600);
        pon("usuarios.dat.Fr3sh0", 5);
        pon("usuarios.dat.bak", 3600);
        Patentes p(f.dlg, f.tmp.path());
        p.carga();
        QCOMPARE(QDir(f.tmp.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"usuarios.dat.bak", "usuarios.dat.Fr3sh0"}));
    }

    void con256PatentesNoSeCreaOtra() {
        Fixture f;
        QByteArray b;
        for (int i = 0; i < 256; ++i)
            b += QByteArray::number(i) + "\r\n";
        fs::escribeAtomico(f.ruta("usuarios.dat"), b);
        Patentes p(f.dlg, f.tmp.path());
        p.carga();
        p.editaClave("otra");
        QVERIFY(!p.aceptar());
        QVERIFY(f.dlg.ultimo().contains("256"));
        QCOMPARE(p.claves().size(), 256);
    }
};

QTEST_GUILESS_MAIN(PruebaPatentes)
#include "test_patentes.moc"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include "Archivos.h"

#include "Oficina4321.h"
#include "comun/Transferencia.h"
#include "cycle/EnvioValidacion.h"
#include "exchange/Respuestas.h"
#include "platform/fs.h"
#include "records/ArchivosaEnviar.h"

using namespace korva;
using namespace korva::test;

namespace {
// The response pass as the cycle runs it: Pend read at its start.
void respuestas(Oficina4321& o) { BuscaRespuestas(o.ctx(), refrescaPendientes(o.ctx())); }
} // namespace

class PruebaPasadas : public QObject {
    Q_OBJECT
private slots:
    void caminoDeUnArchivo() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        const QDateTime t(QDate(2026, 2, 14), QTime(9, 30, 0));
        QVERIFY(pon(o.envio + "/m4321123.045", "500|1|4321|\r\n", t));
        EnviaArchivosValidacion(o.ctx());
        QCOMPARE(lee(c.ruta("REC/m4321123.045")), QByteArray("500|1|4321|\r\n"));
        QCOMPARE(en(o.envio + "/Pend"), QStringList{"m4321123.045"});
        QCOMPARE(en(o.envio + "/Enviados"), QStringList{"m4321123.045"});
        QVERIFY(QFile::exists(o.envio + "/m4321123.045")); // the file itself stays
        QCOMPARE(lee(o.recibo + "/432145.log"), QByteArray("E - m4321123.045 - 14:03:07\r\n"));
        QCOMPARE(o.st().pantalla().lista(Lista::Enviados), QStringList{"m4321123.045 - 14:03:07"});
        QCOMPARE(lee(o.envio + "/bitacora"), QByteArray("m4321123.045|14/02/2026 09:30:00\r\n"));
        QCOMPARE(o.st().pantalla().evento(), QStringLiteral("Archivo Enviado.. "));

        // The centre answered at once; the response pass closes the file.
        o.f.reloj.avanza(60);
        respuestas(o);
        QVERIFY(lee(o.recibo + "/m4321123.err").size() > 0);
        QVERIFY(en(o.envio + "/Pend").isEmpty());
        QCOMPARE(lee(o.recibo + "/432145.log"),
                 QByteArray("E - m4321123.045 - 14:03:07\r\nR - m4321123.err - 14:04:07\r\n"));
        QCOMPARE(o.st().pantalla().lista(Lista::Recibidos), QStringList{"m4321123.err - 14:04:07"});
        QCOMPARE(c.cuenta("PASS"), 1); // one connection for both passes
        // Sent once: the next pass sends nothing.
        EnviaArchivosValidacion(o.ctx());
        QCOMPARE(c.cuenta("STOR"), 1);
    }

    void candidatosYRevisiones() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        QVERIFY(pon(o.envio + "/M4321124.045", "upper"));
        QVERIFY(pon(o.envio + "/m1111123.045", "other patent"));
        QVERIFY(pon(o.envio + "/m4321125.err", "an err name"));
        QVERIFY(pon(o.envio + "/r4321126.045", "letter not in slot 10"));
        QVERIFY(pon(o.envio + "/m4321127.0450", "too long"));
        QVERIFY(pon(o.envio + "/m4321128.044", "wrong day"));
        QVERIFY(pon(o.envio + "/m4321600.045", "folio out of range"));
        QVERIFY(pon(o.envio + "/m4321000.045", "folio below"));
        QVERIFY(pon(o.envio + "/m4321129.044", "read-only wrong day"));
        fs::ponSoloLectura(o.envio + "/m4321129.044", true);
        QDir(o.envio).mkdir("m4321130.045");
        EnviaArchivosValidacion(o.ctx());
        QCOMPARE(QDir(c.ruta("REC")).entryList(QDir::Files), QStringList{"m4321124.045"});
        QCOMPARE(lee(o.envio + "/bitacora").left(13), QByteArray("m4321124.045|"));
        QCOMPARE(en(o.envio + "/Rechaza"),
                 (QStringList{"m4321000.045", "m4321128.044", "m4321129.044", "m4321600.045"}));
        QCOMPARE(o.st().pantalla().lista(Lista::Rechazados),
                 (QStringList{"m4321000.045 14:03   FOLIOS MAL", "m4321128.044 14:03  JULIANO MAL",
                              "m4321129.044 14:03  JULIANO MAL", "m4321600.045 14:03   FOLIOS MAL"}));
        QCOMPARE(en(o.envio), (QStringList{"M4321124.045", "bitacora", "m1111123.045", "m4321125.err",
                                           "m4321127.0450", "m4321129.044", "r4321126.045"}));
        // The read-only one is rejected again next time; nothing else moves.
        EnviaArchivosValidacion(o.ctx());
        QCOMPARE(o.st().pantalla().lista(Lista::Rechazados).size(), 5);
        QCOMPARE(c.cuenta("STOR"), 1);
    }

    void enlacesNoSeEnvianYCopiasConservanPermisos() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        const QString fuera = o.f.carpeta("fuera"), rm = o.f.carpeta("rutam");
        QVERIFY(pon(fuera + "/secreto", "secreto"));
        QVERIFY(QFile::link(fuera + "/secreto", o.envio + "/m4321104.045"));
        QVERIFY(QFile::link(fuera + "/secreto", rm + "/m4321106.045"));
        o.st().config().setChk(slot::RutasAdicionales, true);
        o.st().config().setRutas(Sentido::Envio, {{rm}, {"m"}});
        QVERIFY(pon(o.envio + "/m4321105.045", "privado"));
        QVERIFY(QFile::setPermissions(o.envio + "/m4321105.045", QFile::ReadOwner | QFile::WriteOwner));
        EnviaArchivosValidacion(o.ctx());
        QCOMPARE(QDir(c.ruta("REC")).entryList(QDir::Files), QStringList{"m4321105.045"});
        QVERIFY(QFileInfo(o.envio + "/m4321104.045").isSymLink());
        QVERIFY(!QFileInfo::exists(o.envio + "/m4321106.045"));
        const auto ajenos = QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther;
        for (const char* sub : {"/Pend/", "/Enviados/"})
            QCOMPARE(QFileInfo(o.envio + sub + "m4321105.045").permissions() & ajenos, QFile::Permissions());
    }

    // A workstation whose clock runs ahead of this one: its files, dated in
    // the future, go once seen unchanged across the pass's wait.
    void archivoDeRutaConFechaAdelantadaSeEnvia() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        o.ctx().msQuietud = 300;
        const QString rm = o.f.carpeta("rutam");
        o.st().config().setChk(slot::RutasAdicionales, true);
        o.st().config().setRutas(Sentido::Envio, {{rm}, {"m"}});
        QVERIFY(pon(rm + "/m4321110.045", "500|\r\n", QDateTime::currentDateTime().addSecs(3600)));
        EnviaArchivosValidacion(o.ctx());
        QCOMPARE(lee(c.ruta("REC/m4321110.045")), QByteArray("500|\r\n"));
    }

    void enlacesDondeEscribeLaPasadaNoSeAtraviesan() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        const QString fuera = o.f.carpeta("fuera"), rm = o.f.carpeta("rutam");
        const QDateTime antes(QDate(2026, 2, 13), QTime(8, 0, 0));
        const QStringList planta{o.envio + "/Pend/m4321123.045", o.envio + "/Enviados/m4321123.045",
                                 o.envio + "/Rechaza/m4321128.044", o.recibo + "/432145.log",
                                 rm + "/m4321123.045"};
        for (int i = 0; i < planta.size(); ++i) {
            QVERIFY(pon(fuera + QString::number(i), "victima", antes));
            QDir().mkpath(QFileInfo(planta[i]).path());
            QVERIFY(QFile::link(fuera + QString::number(i), planta[i]));
        }
        QVERIFY(fs::ponSoloLectura(fuera + "2", true)); // not made writable through the link either
        o.st().config().setChk(slot::RutasAdicionales, true);
        o.st().config().setRutas(Sentido::Envio, {{rm}, {"m"}});
        QVERIFY(pon(o.envio + "/m4321123.045", "enviado"));
        QVERIFY(pon(o.envio + "/m4321128.044", "rechazado"));
        EnviaArchivosValidacion(o.ctx());
        QCOMPARE(lee(c.ruta("REC/m4321123.045")), QByteArray("enviado"));
        for (int i = 0; i < planta.size(); ++i) {
            QCOMPARE(lee(fuera + QString::number(i)), QByteArray("victima"));
            QCOMPARE(QFileInfo(fuera + QString::number(i)).lastModified(), antes);
        }
        QVERIFY(fs::soloLectura(fuera + "2"));
        // Copies replace the link itself; the log is not appended through one.
        QCOMPARE(lee(planta[0]), QByteArray("enviado"));
        QCOMPARE(lee(planta[1]), QByteArray("enviado"));
        QCOMPARE(lee(planta[2]), QByteArray("rechazado"));
        QVERIFY(QFileInfo(planta[3]).isSymLink());
        QVERIFY(QFileInfo(planta[4]).isSymLink());
        const QStringList& fallas = o.ventana.fallas;
        QCOMPARE(fallas.size(), 4);
        for (int i = 0; i < 3; ++i)
            QVERIFY2(fallas.filter(planta[i]).size() == 1, qPrintable(fallas.join('\n')));
        QVERIFY(fallas.contains("ERROR: no fue posible escribir en la bitácora " + planta[3]));
    }

    void archivoReescritoSeEnviaDeNuevo() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        QVERIFY(pon(o.envio + "/m4321123.045", "uno", QDateTime(QDate(2026, 2, 14), QTime(9, 0, 0))));
        EnviaArchivosValidacion(o.ctx());
        EnviaArchivosValidacion(o.ctx());
        QCOMPARE(c.cuenta("STOR"), 1);
        QVERIFY(pon(o.envio + "/m4321123.045", "dos", QDateTime(QDate(2026, 2, 14), QTime(9, 5, 0))));
        EnviaArchivosValidacion(o.ctx());
        QCOMPARE(c.cuenta("STOR"), 2);
        QCOMPARE(lee(c.ruta("REC/m4321123.045")), QByteArray("dos"));
        QCOMPARE(lineas(o.envio + "/bitacora").size(), 2);
    }

    void nombresQueDifierenEnMayusculasVanUnaVez() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        QVERIFY(pon(o.envio + "/M4321101.045", "mayusculas", QDateTime(QDate(2026, 2, 14), QTime(9, 0, 0))));
        QVERIFY(pon(o.envio + "/m4321101.045", "minusculas", QDateTime(QDate(2026, 2, 14), QTime(9, 1, 0))));
        for (int i = 0; i < 4; ++i)
            EnviaArchivosValidacion(o.ctx());
        QCOMPARE(c.cuenta("STOR"), 1);
        QCOMPARE(lee(c.ruta("REC/m4321101.045")), QByteArray("minusculas"));
        QCOMPARE(lee(o.envio + "/bitacora"), QByteArray("m4321101.045|14/02/2026 09:01:00\r\n"));
        QCOMPARE(o.st().pantalla().evento(),
                 QStringLiteral("ERROR: hay más de un archivo con el nombre m4321101.045 "
                                "(M4321101.045, m4321101.045); se envía m4321101.045"));
        // The file sent changed: it goes again; the other one never does.
        QVERIFY(pon(o.envio + "/m4321101.045", "otra vez", QDateTime(QDate(2026, 2, 14), QTime(9, 2, 0))));
        EnviaArchivosValidacion(o.ctx());
        QCOMPARE(c.cuenta("STOR"), 2);
        QCOMPARE(lee(c.ruta("REC/m4321101.045")), QByteArray("otra vez"));
    }

    void seleccionManualSoloConCandidatos() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        o.st().config().setChk(slot::EnvioAutomatico, false);
        EnviaArchivosValidacion(o.ctx());
        QCOMPARE(o.f.dlg.seleccionesAbiertas, 0);
        QVERIFY(pon(o.envio + "/m4321123.045", "a"));
        QVERIFY(pon(o.envio + "/m4321124.045", "b"));
        o.f.dlg.guionEnvio = [](ArchivosaEnviar& v) {
            v.setSeleccionado(1, true); // only the second
            v.CmdEnviarArchivos_Click();
        };
        o.f.dlg.responde(false); // the other one is not struck off
        EnviaArchivosValidacion(o.ctx());
        QCOMPARE(o.f.dlg.seleccionesAbiertas, 1);
        QCOMPARE(QDir(c.ruta("REC")).entryList(QDir::Files), QStringList{"m4321124.045"});
    }

    void sinServidorNoSePierdeNada() {
        Oficina4321 o;
        auto c = std::make_unique<CentroSimulado>();
        QVERIFY2(c->listo(), qPrintable(c->diagnostico()));
        o.conecta(*c);
        QVERIFY(pon(o.envio + "/m4321123.045", "a"));
        EnviaArchivosValidacion(o.ctx()); // sent and answered
        QVERIFY(pon(o.envio + "/m4321124.045", "b"));
        c->detiene();
        // Upload and response both fail: nothing copied, listed or registered.
        EnviaArchivosValidacion(o.ctx());
        QCOMPARE(en(o.envio + "/Pend"), QStringList{"m4321123.045"});
        QCOMPARE(o.st().pantalla().lista(Lista::Enviados).size(), 1);
        QCOMPARE(lineas(o.envio + "/bitacora").size(), 1);
        respuestas(o);
        QCOMPARE(en(o.envio + "/Pend"), QStringList{"m4321123.045"});
        QVERIFY(o.st().pantalla().lista(Lista::Recibidos).isEmpty());
        QCOMPARE(o.ventana.codigos, QList<qint32>{25711}); // once for both passes
        DisconnectFromHost(o.ctx());                       // as the cycle ends
        // A centre back on line: the next passes recover unaided.
        CentroSimulado nuevo;
        QVERIFY2(nuevo.listo(), qPrintable(nuevo.diagnostico()));
        QVERIFY(nuevo.pon("ENV/m4321123.err", "respuesta"));
        o.conecta(nuevo);
        EnviaArchivosValidacion(o.ctx());
        respuestas(o);
        QCOMPARE(QDir(nuevo.ruta("REC")).entryList(QDir::Files), QStringList{"m4321124.045"});
        QVERIFY(en(o.envio + "/Pend").isEmpty());
        QCOMPARE(o.st().pantalla().lista(Lista::Recibidos).size(), 2);
    }

    void nombresDeRespuesta_data() {
        QTest::addColumn<QString>("pendiente");
        QTest::addColumn<QString>("remoto");
        QTest::addRow("m") << "m4321123.045"
                           << "ENV/m4321123.err";
        QTest::addRow("M upper") << "M4321123.045"
                                 << "ENV/m4321123.err";
        QTest::addRow("c") << "c4321123.045"
                           << "ENV/c4321123.err";
        QTest::addRow("t") << "t4321123.045"
                           << "ENV/t4321123.err";
        QTest::addRow("b") << "b4321123.045"
                           << "ENV/r4321123.045";
        QTest::addRow("e dot") << "e4321123.045"
                               << "ENV/a4321123.045";
        QTest::addRow("ea") << "ea4321123045"
                            << "ENV/ra4321123045";
        QTest::addRow("s") << "s4321abc123.045"
                           << "ENV/x4321abc123.045";
        QTest::addRow("f") << "f4321abc123.045"
                           << "ENV/a4321abc123.045";
        QTest::addRow("no letter") << "z4321123.045"
                                   << "";
    }
    void nombresDeRespuesta() {
        QFETCH(QString, pendiente);
        QFETCH(QString, remoto);
        Fixture f;
        QCOMPARE(nombreRespuesta(f.st, pendiente), remoto);
    }

    void casosDeLaPasadaDeRespuestas() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        QVERIFY(pon(o.envio + "/Pend/b4321123.045", "x"));
        QVERIFY(pon(o.envio + "/Pend/c4321124.045", "x"));
        QVERIFY(pon(o.envio + "/Pend/m1111123.045", "another patent"));
        QVERIFY(pon(o.envio + "/Pend/m4321125.045", "empty answer"));
        QVERIFY(pon(o.envio + "/Pend/z4321126.045", "no response name"));
        QVERIFY(c.pon("ENV/r4321123.045", "respuesta"));
        QVERIFY(c.pon("ENV/m4321125.err", ""));
        QVERIFY(c.pon("ENV/m1111123.err", "not ours"));
        // An empty answer never replaces an earlier one of the same name.
        QVERIFY(pon(o.envio + "/Pend/t4321127.045", "sent again"));
        QVERIFY(pon(o.recibo + "/t4321127.err", "earlier answer"));
        QVERIFY(c.pon("ENV/t4321127.err", ""));
        respuestas(o);
        QCOMPARE(en(o.envio + "/Pend"), (QStringList{"c4321124.045", "m1111123.045", "m4321125.045",
                                                     "t4321127.045", "z4321126.045"}));
        QCOMPARE(QDir(o.recibo).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{"432145.log", "r4321123.045", "t4321127.err"}));
        QCOMPARE(lee(o.recibo + "/t4321127.err"), QByteArray("earlier answer"));
        QCOMPARE(o.st().pantalla().lista(Lista::Recibidos), QStringList{"r4321123.045 - 14:03:07"});
        QCOMPARE(c.cuenta("RETR ENV/m1111123.err") + c.cuenta("SIZE ENV/m1111123.err"), 0);
        // The empty answer is fetched again each pass and never logged.
        respuestas(o);
        QCOMPARE(en(o.recibo), (QStringList{"432145.log", "r4321123.045", "t4321127.err"}));
        QCOMPARE(lineas(o.recibo + "/432145.log").size(), 1);
        QVERIFY(c.cuenta("RETR ENV/m4321125.err") >= 2);
    }

    void rutasDeLosArchivosRecibidos() {
        Oficina4321 o;
        const QString rb = o.f.carpeta("rutab"), re = o.f.carpeta("rutae");
        o.st().config().setChk(slot::RutasAdicionales, true);
        o.st().config().setRutas(Sentido::Recibo, {{rb, re, o.recibo}, {"r", "r", "r"}});
        o.st().config().setRutas(Sentido::Envio, {{}, {"b", "e", "m"}});
        QVERIFY(pon(o.recibo + "/r4321123.045", "r"));
        QVERIFY(pon(o.recibo + "/ra4321123045", "ra"));
        o.st().pantalla().setLista(Lista::Recibidos, {"r4321123.045 - 10:00:00", "ra4321123045 - 10:00:01"});
        BuscaRespuestas(o.ctx(), {}); // nothing pending: phase 2 alone
        QCOMPARE(en(rb), QStringList{"r4321123.045"});
        QCOMPARE(en(re), QStringList{"ra4321123045"});
        QCOMPARE(en(o.recibo), (QStringList{"r4321123.045", "ra4321123045"}));
        // Off: nothing copied.
        QFile::remove(rb + "/r4321123.045");
        o.st().config().setChk(slot::RutasAdicionales, false);
        BuscaRespuestas(o.ctx(), {});
        QVERIFY(en(rb).isEmpty());
    }

    void largoDeNombrePorRuta_data() {
        QTest::addColumn<QString>("entrada");
        QTest::addColumn<QString>("envia");
        QTest::addColumn<int>("largo");
        QTest::addRow("a dot to e") << "a4321123.045 - 1"
                                    << "e" << 12;
        QTest::addRow("a dot not to f") << "a4321123.045 - 1"
                                        << "f" << 0;
        QTest::addRow("a long to f") << "a4321abc123.045 - 1"
                                     << "f" << 15;
        QTest::addRow("x always") << "x4321abc123.045 - 1"
                                  << "b" << 15;
        QTest::addRow("m always") << "m4321123.err - 1"
                                  << "b" << 12;
        QTest::addRow("rb not to b") << "rb4321123045 - 1"
                                     << "B" << 0;
        QTest::addRow("rb to m") << "rb4321123045 - 1"
                                 << "m" << 12;
    }
    void largoDeNombrePorRuta() {
        QFETCH(QString, entrada);
        QFETCH(QString, envia);
        QFETCH(int, largo);
        Fixture f;
        QCOMPARE(largoParaRuta(entrada, envia.at(0)), largo);
    }

    void rutasAdicionalesDeEnvio() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        const QString rm = o.f.carpeta("rutam");
        o.st().config().setChk(slot::RutasAdicionales, true);
        o.st().config().setRutas(Sentido::Envio, {{rm}, {"m"}});
        QVERIFY(pon(rm + "/m4321123.045", "desde la ruta", QDateTime(QDate(2026, 2, 14), QTime(8, 0, 0))));
        QVERIFY(pon(rm + "/m4321124.044", "otro dia"));
        EnviaArchivosValidacion(o.ctx());
        QCOMPARE(QDir(c.ruta("REC")).entryList(QDir::Files), QStringList{"m4321123.045"});
        QCOMPARE(en(o.envio + "/Pend"), QStringList{"m4321123.045"});
        // Copies keep their time, so a file already sent is not picked up again.
        EnviaArchivosValidacion(o.ctx());
        QCOMPARE(c.cuenta("STOR"), 1);
    }
};

QTEST_GUILESS_MAIN(PruebaPasadas)
#include "test_pasadas.moc"

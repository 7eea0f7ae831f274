#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include "Archivos.h"

#include "Oficina4321.h"
#include "OficinaEnvio.h"
#include "app/Notificaciones.h"
#include "config/ArchivoConfiguracion.h"
#include "config/Edicion.h"
#include "cycle/Ciclo.h"
#include "exchange/Descargas.h"
#include "exchange/Listas.h"
#include "platform/fs.h"
#include "records/Avisos.h"

using namespace korva;
using namespace korva::test;

namespace {

// An office connected to a live centre, its cycle started.
struct Arrancada {
    CentroSimulado c;
    Oficina4321 o;
    Arrancada() {
        o.conecta(c);
        o.st().config().setPeriodo(30);
        o.st().config().setConfiguracionModificada(false);
    }
    void inicia() { Start_Button_Click(o.ctx()); }
    void tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            o.f.reloj.avanza(1);
            TmrControl_Timer(o.ctx());
        }
    }
};
} // namespace

class PruebaCiclo : public QObject {
    Q_OBJECT
private slots:
    void iniciarCorrePrimerCicloYCuentaRegresiva() {
        Arrancada a;
        QVERIFY2(a.c.listo(), qPrintable(a.c.diagnostico()));
        GrabaConfiguracion(a.o.ctx());
        QVERIFY(pon(a.o.envio + "/m4321123.045", "500|\r\n"));
        QVERIFY(a.c.pon("ENV/general/aviso.gen", "Aviso uno\r\n"));
        a.inicia();
        EstadoPrincipal& st = a.o.st();
        QVERIFY(st.iniciado());
        QVERIFY(st.cicloIniciado());
        QVERIFY(QFile::exists(a.c.ruta("REC/m4321123.045")));
        QVERIFY(QFile::exists(a.c.ruta("REC/a4321odbc0.reg"))); // the configuration, as user + odbc<n>.reg
        QVERIFY(QFile::exists(a.o.recibo + "/aviso.gen"));
        QCOMPARE(st.pantalla().lista(Lista::Mensajes), QStringList{"Aviso uno"});
        QCOMPARE(st.ciclo().SegundosTranscurridos(), qint16(1));
        QCOMPARE(st.pantalla().progreso(), 1.0f);
        QVERIFY(!a.o.ftp->conectado()); // every cycle hangs up

        // P = 30: texts 28 .. 0, the bar back to 1 on the 30th tick, a cycle on the 31st.
        QStringList textos;
        for (int i = 1; i <= 29; ++i) {
            a.tick();
            textos << st.pantalla().evento();
        }
        QCOMPARE(textos.first(), QStringLiteral("Siguiente ciclo en :28 Seg."));
        QCOMPARE(textos.last(), QStringLiteral("Siguiente ciclo en :0 Seg."));
        a.tick();
        QCOMPARE(st.pantalla().evento(), QStringLiteral("Siguiente ciclo en :0 Seg."));
        QCOMPARE(st.pantalla().progreso(), 1.0f);
        const int logins = a.c.cuenta("PASS");
        a.tick();
        QCOMPARE(a.c.cuenta("PASS"), logins + 1);
        QCOMPARE(st.ciclo().SegundosTranscurridos(), qint16(1));

        // An immediate cycle on request (it answers a file sent meanwhile).
        a.tick(3);
        QCOMPARE(st.ciclo().SegundosTranscurridos(), qint16(4));
        QVERIFY(pon(a.o.envio + "/m4321124.045", "500|\r\n"));
        st.setTxtActualizar(QStringLiteral("1"));
        a.tick();
        QCOMPARE(st.ciclo().SegundosTranscurridos(), qint16(1));
        QVERIFY(QFile::exists(a.c.ruta("REC/m4321124.045")));
        QCOMPARE(a.c.cuenta("PASS"), logins + 2);
        a.tick(); // the request is spent: no cycle on every tick after it
        QCOMPARE(st.TxtActualizar(), QStringLiteral("0"));
        QCOMPARE(a.c.cuenta("PASS"), logins + 2);

        // Stop: the countdown dies on the next tick, the bar keeps its value.
        a.tick(5);
        const float barra = st.pantalla().progreso();
        Start_Button_Click(a.o.ctx());
        QVERIFY(!st.iniciado());
        QCOMPARE(st.pantalla().evento(), QStringLiteral("Listo para hacer Conexión"));
        QVERIFY(!st.cicloIniciado());
        a.tick(3);
        QCOMPARE(st.ciclo().SegundosTranscurridos(), qint16(0));
        QCOMPARE(st.pantalla().progreso(), barra);
        QCOMPARE(a.c.cuenta("PASS"), logins + 2);
    }

    void iniciarSinServidor() {
        Oficina4321 o;
        {
            CentroSimulado c;
            QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
            o.conecta(c);
        }
        // The button offers the stop while the connection is tried.
        QStringList captions;
        QObject::connect(&o.st(), &EstadoPrincipal::captionInicioCambiado,
                         [&] { captions << o.st().captionInicio(); });
        Start_Button_Click(o.ctx());
        QCOMPARE(captions, (QStringList{"&Detener", "&Iniciar"}));
        QVERIFY(!o.st().iniciado());
        QCOMPARE(o.st().ciclo().SegundosTranscurridos(), qint16(0));
        QVERIFY(o.st().pantalla().evento().startsWith(QStringLiteral("ERROR al conectar- ")));
        QCOMPARE(o.st().captionInicio(), QStringLiteral("&Iniciar"));
    }

    void contadoresYTicker() {
        Fixture f;
        f.st.ciclo().setSegundosTranscurridos(1);
        f.st.setCaptionInicio("&Detener");
        f.st.config().setPeriodo(300);
        f.st.ciclo().setContadorAvisos(248);
        f.st.config().setChk(slot::BajarRegistro001, false);
        for (int i = 0; i < 5; ++i) {
            f.reloj.avanza(1);
            TmrControl_Timer(f.ctx);
        }
        QCOMPARE(f.st.ciclo().ContadorAvisos(), 250);
        QCOMPARE(int(f.st.ciclo().ContadorRegistro001()), 0);
        f.st.config().setChk(slot::BajarRegistro001, true);
        f.st.ciclo().setContadorRegistro001(249);
        for (int i = 0; i < 3; ++i)
            TmrControl_Timer(f.ctx);
        QCOMPARE(int(f.st.ciclo().ContadorRegistro001()), 250);
        // A tick during a cycle moves only the clock.
        f.st.ciclo().setCicloEnCurso(true);
        const qint16 antes = f.st.ciclo().SegundosTranscurridos();
        f.reloj.pon(QDateTime(QDate(2026, 2, 14), QTime(15, 0, 0)));
        TmrControl_Timer(f.ctx);
        QCOMPARE(f.st.ciclo().SegundosTranscurridos(), antes);
        QCOMPARE(f.st.pantalla().etiqueta(Etiqueta::Hora),
                 QStringLiteral("03:00:00 P.\u00A0M.")); // Spanish under a C locale
        // ... and the notice line; so does one that reaches the window in a
        // turn of its loop inside long work, even with a cycle due.
        f.st.ciclo().setCicloEnCurso(false);
        f.st.ciclo().setContadorTicker(0);
        f.st.ciclo().setSegundosTranscurridos(qint16(f.st.config().periodo() + 1));
        Latido latido(0);
        f.ctx.latido = &latido;
        QTimer::singleShot(0, [&] { TmrControl_Timer(f.ctx); });
        latido.late();
        QCOMPARE(f.st.ciclo().ContadorTicker(), 1);
        QCOMPARE(f.st.ciclo().SegundosTranscurridos(), qint16(f.st.config().periodo() + 1));
        QVERIFY(f.dlg.registros.isEmpty()); // no cycle began its folder check
    }

    // Script: blank-separated steps. A cycle is its events: f a failed and c a
    // successful connection, J and F a rejection (Julian day, folio) of a file
    // that left the send folder, L one of a read-only file that stays, U an
    // upload the centre refused, _ none.
    // Outside a cycle: x a failed attempt, stop, start, rebuild (the rejected
    // list read from Rechaza). Expected: each message as title|part of its text.
    void reglasDeLasNotificaciones_data() {
        QTest::addColumn<QString>("guion");
        QTest::addColumn<QStringList>("esperado");
        const QString sin = QStringLiteral("Sin conexión con KORVA|3 ciclos");
        QTest::addRow("third failed cycle told once") << "f ff f f" << QStringList{sin};
        QTest::addRow("two failed cycles are not") << "f f c f f" << QStringList{};
        QTest::addRow("back after the run")
            << "f f f f c c f" << QStringList{sin, "Conexión restablecida|4 ciclos"};
        QTest::addRow("a later attempt that connects") << "f fc f f" << QStringList{};
        QTest::addRow("idle cycles keep the run") << "f _ f _ f" << QStringList{sin};
        QTest::addRow("attempts outside a cycle") << "f x x f x" << QStringList{};
        QTest::addRow("a stop ends the run untold") << "f f f stop start c" << QStringList{sin};
        QTest::addRow("a restart starts the count") << "f f stop start f f" << QStringList{};
        QTest::addRow("one rejection") << "cJ" << QStringList{"Archivo rechazado|m4321101.044: JULIANO MAL"};
        QTest::addRow("one message per cycle")
            << "cJJF _" << QStringList{"3 archivos rechazados|m4321103.045: FOLIOS MAL"};
        QTest::addRow("read-only told once") << "cL cL L" << QStringList{"Archivo rechazado|solo lectura"};
        QTest::addRow("a rebuilt list is no news") << "rebuild c" << QStringList{};
        QTest::addRow("refused upload told once a run")
            << "cU cU" << QStringList{"Archivo rechazado|m4321555.045: el centro no lo aceptó (error 25753"};
        QTest::addRow("rejection and lost link")
            << "f f fJ" << QStringList{"Sin conexión con KORVA|m4321101.044: JULIANO MAL"};
    }
    void reglasDeLasNotificaciones() {
        QFETCH(QString, guion);
        QFETCH(QStringList, esperado);
        OficinaEnvio f;
        f.st.setCaptionInicio("&Detener");
        Notificaciones n(f.ctx);
        QSignalSpy spy(&n, &Notificaciones::notifica);
        int folio = 100;
        auto rechaza = [&](const QString& nombre, const char* motivo) {
            f.st.pantalla().agrega(Lista::Rechazados, nombre + " 14:03 " + motivo);
        };
        for (const QString& paso : guion.split(' ')) {
            if (paso == "x") {
                f.st.marcaConexion(25711);
            } else if (paso == "stop" || paso == "start") {
                f.st.setCaptionInicio(paso == "stop" ? "&Iniciar" : "&Detener");
            } else if (paso == "rebuild") {
                f.st.pantalla().setLista(Lista::Rechazados,
                                         {"m4321100.044 - RECHAZADO", "m4321099.044 - RECHAZADO"});
            } else {
                f.st.marcaCiclo(true);
                for (QChar e : paso) {
                    if (e == 'f' || e == 'c')
                        f.st.marcaConexion(e == 'f' ? 25711 : 0);
                    else if (e == 'J')
                        rechaza(QStringLiteral("m4321%1.044").arg(++folio), " JULIANO MAL");
                    else if (e == 'F')
                        rechaza(QStringLiteral("m4321%1.045").arg(++folio), "  FOLIOS MAL");
                    else if (e == 'U')
                        f.st.marcaEnvioRechazado(QStringLiteral("m4321555.045"), 25753);
                    else if (e == 'L') {
                        const QString ruta = f.envio + "/m4321900.044";
                        QVERIFY(QFile::exists(ruta) || (pon(ruta, "x") && fs::ponSoloLectura(ruta, true)));
                        rechaza("m4321900.044", " JULIANO MAL");
                    }
                }
                f.st.marcaCiclo(false);
            }
        }
        QCOMPARE(spy.size(), esperado.size());
        for (int i = 0; i < esperado.size(); ++i) {
            const QStringList partes = esperado[i].split('|');
            QCOMPARE(spy[i][0].toString(), partes[0]);
            if (partes.size() > 1)
                QVERIFY2(spy[i][1].toString().contains(partes[1]), qPrintable(spy[i][1].toString()));
        }
    }

    // The same rules fed by a real cycle: a rejected file, three cycles that
    // cannot reach the centre (each with several attempts), then the centre again.
    void notificacionesDeCiclosReales() {
        Arrancada a;
        QVERIFY2(a.c.listo(), qPrintable(a.c.diagnostico()));
        Notificaciones n(a.o.ctx());
        QSignalSpy spy(&n, &Notificaciones::notifica);
        QVERIFY(pon(a.o.envio + "/m4321123.045", "500|\r\n"));
        QVERIFY(pon(a.o.envio + "/m4321124.044", "500|\r\n"));
        a.inicia();
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy[0][0].toString(), QStringLiteral("Archivo rechazado"));
        QVERIFY(spy[0][1].toString().contains("m4321124.044: JULIANO MAL"));

        quint16 muerto;
        {
            QTcpServer s;
            QVERIFY(s.listen(QHostAddress::LocalHost));
            muerto = s.serverPort();
        }
        EstadoPrincipal& st = a.o.st();
        const QString vivo = st.config().TxtConfiguration(slot::Puerto);
        st.config().setSlot(slot::Puerto, QString::number(muerto));
        QVERIFY(pon(a.o.envio + "/m4321125.045", "500|\r\n"));
        for (int i = 0; i < 3; ++i)
            EjecutaCiclo(a.o.ctx());
        QVERIFY(a.c.cuenta("PASS") >= 1);
        QCOMPARE(spy.size(), 2);
        QCOMPARE(spy[1][0].toString(), QStringLiteral("Sin conexión con KORVA"));
        st.config().setSlot(slot::Puerto, vivo);
        EjecutaCiclo(a.o.ctx());
        QVERIFY(QFile::exists(a.c.ruta("REC/m4321125.045")));
        QCOMPARE(spy.size(), 3);
        QCOMPARE(spy[2][0].toString(), QStringLiteral("Conexión restablecida"));
    }

    void intervaloDelCambioDeDia_data() {
        QTest::addColumn<QTime>("hora");
        QTest::addColumn<bool>("cambia");
        QTest::addRow("00:00:00") << QTime(0, 0, 0) << false;
        QTest::addRow("00:00:01") << QTime(0, 0, 1) << true;
        QTest::addRow("00:00:20") << QTime(0, 0, 20) << true;
        QTest::addRow("00:00:21") << QTime(0, 0, 21) << false;
    }
    void intervaloDelCambioDeDia() {
        QFETCH(QTime, hora);
        QFETCH(bool, cambia);
        Fixture f;
        f.st.ciclo().setDiaJulianoActual(45);
        f.st.ciclo().setUltimoCambioDia(QDate(2026, 2, 15)); // already changed today by the window
        f.reloj.pon(QDateTime(QDate(2026, 2, 15), hora));
        TmrControl_Timer(f.ctx);
        QCOMPARE(f.st.ciclo().DiaJulianoActual(), qint16(cambia ? 46 : 45));
    }

    void cambioDeDiaPerdidoEnUnCicloSeRecupera() {
        Fixture f;
        f.st.ciclo().setDiaJulianoActual(45);
        f.st.ciclo().setUltimoCambioDia(QDate(2026, 2, 14));
        f.st.ciclo().setCicloEnCurso(true);
        for (int s = 1; s <= 20; ++s) {
            f.reloj.pon(QDateTime(QDate(2026, 2, 15), QTime(0, 0, s)));
            TmrControl_Timer(f.ctx);
        }
        QCOMPARE(f.st.ciclo().DiaJulianoActual(), qint16(45));
        f.st.ciclo().setCicloEnCurso(false);
        f.reloj.pon(QDateTime(QDate(2026, 2, 15), QTime(0, 0, 25)));
        TmrControl_Timer(f.ctx);
        QCOMPARE(f.st.ciclo().DiaJulianoActual(), qint16(46));
        QCOMPARE(f.st.ciclo().ultimoCambioDia(), QDate(2026, 2, 15));
    }

    // Midnight with the cycle stopped: what the purge took away leaves the
    // window too, yesterday's pending files and particular notice.
    void cambioDeDiaActualizaPendientesYAviso() {
        Arrancada a;
        QVERIFY2(a.c.listo(), qPrintable(a.c.diagnostico()));
        EstadoPrincipal& st = a.o.st();
        st.config().setSlot(slot::DepurarArchivos, QStringLiteral("1"));
        QVERIFY(pon(a.o.envio + "/Pend/m4321123.045", "500|\r\n"));
        QVERIFY(pon(a.o.recibo + "/aviso.txt", "Saldo de ayer\r\n"));
        CargaAvisos(a.o.ctx());
        ListaPendientes(a.o.ctx());
        QCOMPARE(st.pantalla().lista(Lista::Pendientes).size(), 1);
        QVERIFY(!st.pantalla().etiqueta(Etiqueta::AvisoParticular).isEmpty());
        st.ciclo().setUltimoCambioDia(QDate(2026, 2, 14));
        a.o.f.reloj.pon(QDateTime(QDate(2026, 2, 15), QTime(0, 0, 2)));
        TmrControl_Timer(a.o.ctx());
        QCOMPARE(st.ciclo().DiaJulianoActual(), qint16(46));
        QCOMPARE(st.pantalla().lista(Lista::Pendientes), QStringList{"No hay Archivos Pedientes"});
        QVERIFY(st.pantalla().etiqueta(Etiqueta::AvisoParticular).isEmpty());
    }

    void contadoresAlFinDelCiclo() {
        Arrancada a;
        QVERIFY2(a.c.listo(), qPrintable(a.c.diagnostico()));
        EstadoPrincipal& st = a.o.st();
        QVERIFY(a.c.pon("ENV/general/aviso.gen", "x\r\n"));
        QVERIFY(a.c.pon("ENV/m4321001.r001", "r"));
        st.ciclo().setContadorAvisos(240);
        st.ciclo().setContadorRegistro001(60);
        EjecutaCiclo(a.o.ctx());
        QVERIFY(!QFile::exists(a.o.recibo + "/aviso.gen"));
        QVERIFY(!QFile::exists(a.o.recibo + "/m4321001.r001"));
        QVERIFY(QDir(a.o.envio + "/Pend").exists()); // made before the passes
        QVERIFY(QDir(a.o.envio + "/Enviados").exists());
        st.ciclo().setContadorAvisos(241);
        st.ciclo().setContadorRegistro001(61);
        EjecutaCiclo(a.o.ctx());
        QVERIFY(QFile::exists(a.o.recibo + "/aviso.gen"));
        QVERIFY(QFile::exists(a.o.recibo + "/m4321001.r001"));
        QCOMPARE(st.ciclo().ContadorAvisos(), 0);
        QCOMPARE(int(st.ciclo().ContadorRegistro001()), 0);
    }

    void numeroDeRutasDistinto() {
        Arrancada a;
        QVERIFY2(a.c.listo(), qPrintable(a.c.diagnostico()));
        EstadoPrincipal& st = a.o.st();
        const QString e1 = a.o.f.carpeta("e1"), e2 = a.o.f.carpeta("e2");
        const QString r1 = a.o.f.carpeta("r1"), r2 = a.o.f.carpeta("r2"), r3 = a.o.f.carpeta("r3");
        st.config().setChk(slot::RutasAdicionales, true);
        st.config().setSlot(slot::LetrasValidacion, "m,b");
        st.config().setSlot(slot::LetrasPago, "m,r,c");
        st.config().setSlot(slot::RutasEnvioLocal, e1 + "," + e2);
        st.config().setSlot(slot::RutasReciboLocal, r1 + "," + r2 + "," + r3);
        QVERIFY(pon(a.o.envio + "/m4321123.045", "x"));
        st.setCaptionInicio("&Detener");
        st.pantalla().setLista(Lista::Enviados, {"a", "b"});
        EjecutaCiclo(a.o.ctx());
        QCOMPARE(
            a.o.f.dlg.ultimo(),
            QStringLiteral("ERROR: No existe el mismo numero de Rutas para Envio y de Recibo de Archivos"));
        QVERIFY(!st.iniciado());
        QCOMPARE(a.c.cuenta("STOR"), 0);
        QCOMPARE(st.ciclo().SegundosTranscurridos(), qint16(1));
        QVERIFY(!a.o.ftp->conectado());
    }

    void registro001() {
        Arrancada a;
        QVERIFY2(a.c.listo(), qPrintable(a.c.diagnostico()));
        for (const char* n : {"m4321001.r001", "m4321002.r001", "m4321003.r001", "m4321004.R001",
                              "m4321005.r001", "m4321006.r001"})
            QVERIFY(a.c.pon(QStringLiteral("ENV/") + n, "r"));
        QDir().mkpath(a.o.envio + "/Pend");
        // The broker protects one file; a folder stands in the way of another.
        QVERIFY(pon(a.o.recibo + "/m4321005.r001", "del corredor"));
        QVERIFY(fs::ponSoloLectura(a.o.recibo + "/m4321005.r001", true));
        QDir().mkpath(a.o.recibo + "/m4321006.r001");
        TraeRegistro001(a.o.ctx());
        QCOMPARE(en(a.o.recibo),
                 (QStringList{"m4321001.r001", "m4321002.r001", "m4321003.r001", "m4321005.r001"}));
        QCOMPARE(lee(a.o.recibo + "/m4321005.r001"), QByteArray("del corredor"));
        QVERIFY(fs::soloLectura(a.o.recibo + "/m4321005.r001"));
        // Both wait, staged and on the centre, for a later run; the broker is told.
        QCOMPARE(en(a.o.envio + "/Pend"), (QStringList{"m4321005.r001", "m4321006.r001"}));
        QVERIFY(QFile::exists(a.c.ruta("ENV/m4321005.r001")));
        QCOMPARE(a.c.cuenta("DELE"), 3);
        QCOMPARE(a.o.ventana.fallas,
                 (QStringList{"ERROR: " + a.o.recibo + "/m4321005.r001" +
                                  " es de solo lectura; no se reemplazó con el del centro",
                              "ERROR: no fue posible copiar m4321006.r001 a " + a.o.recibo +
                                  " (hay una carpeta con ese nombre)"}));
        QFile::remove(a.o.envio + "/Pend/m4321005.r001");
        QFile::remove(a.o.envio + "/Pend/m4321006.r001");
        QFile::remove(a.c.ruta("ENV/m4321005.r001"));
        QFile::remove(a.c.ruta("ENV/m4321006.r001"));
        QVERIFY(a.o.st().sesion().mostrarErrores());
        QCOMPARE(a.o.st().pantalla().etiqueta(Etiqueta::Despliega),
                 QStringLiteral("Archivos del registro 001 traidos."));
        // Nothing left: no error window, the component's code on the status line.
        const int ventanas = int(a.o.ventana.codigos.size());
        QFile::remove(a.c.ruta("ENV/m4321004.R001"));
        TraeRegistro001(a.o.ctx());
        QCOMPARE(int(a.o.ventana.codigos.size()), ventanas);
        QCOMPARE(a.o.st().pantalla().evento(), QStringLiteral("Esta pendiente el archivo - 25763"));
    }

    void avisosYCambioDeServidor() {
        Arrancada a;
        QVERIFY2(a.c.listo(), qPrintable(a.c.diagnostico()));
        EstadoPrincipal& st = a.o.st();
        st.config().setSlot(slot::ServidorPrimario, "uno");
        st.config().setSlot(slot::ServidorSecundario, "dos");
        ActualizaAvisos(a.o.ctx()); // an empty general area is no failure
        QVERIFY(a.o.ventana.codigos.isEmpty());
        QCOMPARE(st.pantalla().etiqueta(Etiqueta::Despliega), QStringLiteral("Listo para iniciar"));
        QVERIFY(a.c.pon("ENV/general/server.dat", "1\r\n"));
        ActualizaAvisos(a.o.ctx());
        QCOMPARE(st.config().TxtConfiguration(slot::ServidorActual), QStringLiteral("dos"));
        QCOMPARE(st.pantalla().evento(), QStringLiteral("Conexión a KORVA mediante el Servidor Secundario"));
        QVERIFY(!QFile::exists(a.o.recibo + "/server.dat"));
        QVERIFY(pon(a.o.recibo + "/server.dat", "2\r\n"));
        CambiaServidor(a.o.ctx());
        QCOMPARE(st.config().TxtConfiguration(slot::ServidorActual), QStringLiteral("uno"));
        QVERIFY(!QFile::exists(a.o.recibo + "/server.dat"));
        QVERIFY(st.config().ConfiguracionModificada());
    }
};

QTEST_GUILESS_MAIN(PruebaCiclo)
#include "test_ciclo.moc"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "EcoGuionado.h"
#include "Fixture.h"
#include "comun/EstadoPrincipal.h"
#include "diagnostics/Diagnostico.h"
#include "diagnostics/ui/PaginaDiagnostico.h"

using namespace korva;
using namespace korva::test;

namespace {

const QString kCentro = QStringLiteral("10.20.30.40");
const QString kExterno = QStringLiteral("93.184.216.34");

// A page whose local machine, external site and centre all answer.
struct Banco {
    Fixture fx;
    EcoGuionado eco;
    Diagnostico d{fx.ctx, eco};
    Banco() {
        fx.st.config().setSlot(slot::ServidorActual, QStringLiteral("  ") + kCentro + QStringLiteral(" "));
        eco.nombres.insert(QStringLiteral("sitio.example"), kExterno);
        d.HostName = QStringLiteral("sitio.example");
        d.ReiniciaPruebas();
    }
    QString encabezadoLocal() const {
        return QString(50, ' ') + QStringLiteral("PROBANDO COMUNICACIÓN LOCAL\r\n");
    }
};

int lineasDeEco(const QString& t) { return int(t.count(QStringLiteral("   Ping a ["))); }

} // namespace

class PruebaDiagnostico : public QObject {
    Q_OBJECT
private slots:
    void calificacionPorCociente_data() {
        QTest::addColumn<double>("recibidos");
        QTest::addColumn<double>("enviados");
        QTest::addColumn<QString>("resultado");
        QTest::addRow("9 of 10") << 9.0 << 10.0 << "Excelente";
        QTest::addRow("all") << 10.0 << 10.0 << "Excelente";
        QTest::addRow("just under 0.9") << 89.0 << 100.0 << "Buena";
        QTest::addRow("0.75") << 3.0 << 4.0 << "Buena";
        QTest::addRow("7 of 10") << 7.0 << 10.0 << "Regular";
        QTest::addRow("0.65") << 13.0 << 20.0 << "Regular";
        QTest::addRow("just under 0.65") << 64.0 << 100.0 << "Mala";
        QTest::addRow("half") << 5.0 << 10.0 << "Mala";
        QTest::addRow("4 of 10") << 4.0 << 10.0 << "Deficiente";
        QTest::addRow("one of 10") << 1.0 << 10.0 << "Deficiente";
        QTest::addRow("none: lost") << 0.0 << 10.0 << "Sin comunicación";
    }
    void calificacionPorCociente() {
        QFETCH(double, recibidos);
        QFETCH(double, enviados);
        QFETCH(QString, resultado);
        QCOMPARE(calificacion(recibidos, enviados), resultado);
    }

    // Ten requests with the sixth unanswered: 10 sent, 9 received, 10% loss.
    // The rating reads the sent count shown before each update.
    void continuaCuentaPerdidaYCalifica() {
        Banco b;
        b.d.HostName = QStringLiteral("  10.1.1.1 ");
        b.d.CmdPruebas();
        QVERIFY(b.eco.continuo());
        QCOMPARE(b.eco.intervalo(), 1000);
        QCOMPARE(b.eco.destino(), QStringLiteral("10.1.1.1"));
        QCOMPARE(b.d.captionCmdPruebas(), QStringLiteral("Termi&nar Prueba"));
        QVERIFY(b.d.LblComentario().startsWith(QStringLiteral(
            "Se esta ejecutando el modo de prueba constante a la dirección   10.1.1.1 , el sistema")));
        QVERIFY(!b.d.habilitadoPingTest());
        QVERIFY(!b.d.habilitadoComdProbar());
        QVERIFY(b.d.habilitadoCmdPruebas());
        QVERIFY(b.fx.st.diagnosticoActivo());

        for (int i = 1; i <= 10; ++i) {
            if (i == 6)
                b.eco.guion.enqueue({});
            b.eco.pulso(); // one tick of the component's interval
        }
        QCOMPARE(b.d.SendLabel(), QStringLiteral("10"));
        QCOMPARE(b.d.RecvLabel(), QStringLiteral("9"));
        QCOMPARE(b.d.LossLabel(), QStringLiteral("10%"));
        // Rated with 9 received over the 9 sent shown before the last update.
        QCOMPARE(b.d.LblResultado(), QStringLiteral("Excelente"));
        QCOMPARE(lineasDeEco(b.d.PingOutPut()), 9);

        b.d.CmdPruebas();
        QVERIFY(!b.eco.continuo());
        QCOMPARE(b.d.SendLabel(), QStringLiteral("0"));
        QCOMPARE(b.d.RecvLabel(), QStringLiteral("0"));
        QCOMPARE(b.d.LossLabel(), QStringLiteral("0%"));
        QCOMPARE(b.d.captionCmdPruebas(), QStringLiteral("I&niciar Prueba"));
        QCOMPARE(b.d.LblComentario(), QStringLiteral("La prueba ha terminado."));
        QVERIFY(b.d.habilitadoPingTest());
        QVERIFY(!b.fx.st.diagnosticoActivo());
        b.eco.pulso(); // a tick after the end sends nothing
        QCOMPARE(b.eco.enviados(), 10);
    }

    // A new continuous test counts from zero, and a request after labels went
    // back to "0" leaves the rating alone instead of dividing by zero.
    void contadoresDeUnaPruebaNoPasanALaSiguiente() {
        Banco b;
        b.d.HostName = QStringLiteral("10.1.1.1");
        b.d.CmdPruebas();
        b.eco.guion.enqueue({});
        b.eco.guion.enqueue({});
        b.eco.pulso();
        b.eco.pulso();
        b.eco.pulso();
        QCOMPARE(b.d.LblResultado(), QStringLiteral("Mala")); // 1 received over the 2 shown
        b.d.CmdPruebas();
        b.d.ComdProbar();
        QCOMPARE(b.d.SendLabel(), QStringLiteral("4"));
        QCOMPARE(b.d.LossLabel(), QStringLiteral("50%"));
        QCOMPARE(b.d.LblResultado(), QStringLiteral("Mala"));
        b.d.CmdPruebas();
        b.eco.pulso();
        QCOMPARE(b.d.SendLabel(), QStringLiteral("1"));
        QCOMPARE(b.d.RecvLabel(), QStringLiteral("1"));
    }

    void lineaDeRespuestaConPerdida() {
        Banco b;
        b.d.HostName = QStringLiteral("sitio.example");
        b.eco.guion.enqueue({true, 16, 27});
        b.d.ComdProbar();
        QCOMPARE(
            b.d.PingOutPut(),
            QStringLiteral("   Ping a [93.184.216.34]: 32 bytes enviados, 16 bytes recibidos, icmp_seq=1, "
                           "lapso=27 ms  50% Perdidas\r\n"));
        QVERIFY(b.fx.dlg.registros.isEmpty());
    }

    void unaPruebaFallidaLoDice() {
        Banco b;
        b.d.HostName = QStringLiteral(" 10.9.9.9 ");
        b.eco.caidos.insert(QStringLiteral("10.9.9.9"));
        b.d.ComdProbar();
        QCOMPARE(b.fx.dlg.registros.size(), 1);
        QCOMPARE(b.fx.dlg.registros[0].icono, Icono::Ninguno);
        QCOMPARE(b.fx.dlg.registros[0].titulo, kTitulo);
        QCOMPARE(b.fx.dlg.ultimo(), QStringLiteral("Fallo, direccion IP es 10.9.9.9 (10.9.9.9)"));

        b.fx.dlg.limpia();
        b.d.HostName = QStringLiteral("no.resuelve");
        b.d.ComdProbar();
        QCOMPARE(b.fx.dlg.ultimo(), QStringLiteral("Fallo, direccion IP es  (no.resuelve)"));
    }

    void tresEtapasCorrectas() {
        Banco b;
        QSignalSpy exclusion(&b.fx.st, &EstadoPrincipal::exclusionCambiada);
        b.d.PingTest();
        QCOMPARE(b.eco.destinos, QStringList({"192.168.10.5", "192.168.10.5", "192.168.10.5", kExterno,
                                              kExterno, kExterno, kCentro, kCentro, kCentro}));
        const QString t = b.d.PingOutPut();
        QVERIFY(t.startsWith(b.encabezadoLocal()));
        QVERIFY(t.contains(QStringLiteral("\r\n") + QString(41, ' ') +
                           QStringLiteral("PROBANDO COMUNICACIÓN EXTERNA sitio.example\r\n")));
        QVERIFY(t.contains(QStringLiteral("\r\n") + QString(47, ' ') +
                           QStringLiteral("PROBANDO COMUNICACIÓN CON KORVA   \r\n")));
        QVERIFY(t.endsWith(QString(8, ' ') + QString(47, '*') + QStringLiteral(" FIN DE PRUEBA  ") +
                           QString(47, '*') + QStringLiteral("\r\n")));
        QCOMPARE(lineasDeEco(t), 9);
        QCOMPARE(b.d.LblComentario(), QStringLiteral("La comunicación esta operando correctamente."));
        QCOMPARE(b.d.colorComentario(), ColorComentario::Azul);
        // Start_Button was disabled for the test and is enabled again.
        QCOMPARE(exclusion.count(), 2);
        QVERIFY(!b.fx.st.diagnosticoActivo());
        QVERIFY(b.d.habilitadoPingTest() && b.d.habilitadoComdProbar() && b.d.habilitadoCmdPruebas());
    }

    void sinAdaptadorFallaLaEtapaLocal() {
        Banco b;
        b.eco.local.clear(); // no adapter: no address of its own
        b.d.PingTest();
        QCOMPARE(b.d.PingOutPut(), b.encabezadoLocal());
        QCOMPARE(b.eco.enviados(), 1);
        QCOMPARE(b.d.colorComentario(), ColorComentario::Rojo);
        QVERIFY(b.d.LblComentario().contains(QStringLiteral("no tiene activado el protocolo TCP-IP")));
        QVERIFY(!b.fx.st.diagnosticoActivo());
        QVERIFY(b.d.habilitadoPingTest());
    }

    // The machine may send no echo at all: the verdict says so, not TCP-IP;
    // and a continuous test where nothing comes back is rated lost, whatever
    // an earlier test left on the labels.
    void sinPermisoYSinRespuesta() {
        Banco b;
        b.eco.impide = QStringLiteral("El sistema no permite enviar ecos ICMP a este programa.");
        b.eco.local.clear();
        b.d.PingTest();
        QCOMPARE(b.d.LblComentario(), b.eco.impide);
        QCOMPARE(b.d.colorComentario(), ColorComentario::Rojo);

        Banco c;
        c.d.PingTest(); // nine replies on the labels
        c.d.HostName = QStringLiteral("10.9.9.9");
        c.eco.caidos.insert(QStringLiteral("10.9.9.9"));
        c.d.CmdPruebas();
        for (int i = 0; i < 5; ++i)
            c.eco.pulso();
        QCOMPARE(c.d.RecvLabel(), QStringLiteral("0"));
        QCOMPARE(c.d.LossLabel(), QStringLiteral("100%"));
        QCOMPARE(c.d.LblResultado(), QStringLiteral("Sin comunicación"));
    }

    void sinSalidaAInternet() {
        Banco b;
        b.eco.caidos.insert(kExterno);
        b.d.PingTest();
        QCOMPARE(b.eco.destinos.size(), 4);
        QCOMPARE(b.d.colorComentario(), ColorComentario::Rojo);
        QVERIFY(b.d.LblComentario().contains(QStringLiteral("la salida a Internet no esta respondiendo")));
        QVERIFY(!b.d.PingOutPut().contains(QStringLiteral("CON KORVA")));
    }

    void centroCaido() {
        Banco b;
        b.eco.caidos.insert(kCentro);
        b.d.PingTest();
        QCOMPARE(b.eco.destinos.size(), 7);
        QCOMPARE(b.d.colorComentario(), ColorComentario::Rojo);
        QVERIFY(b.d.LblComentario().startsWith(
            QStringLiteral("La comunicación no se puede dar por que el servidor de KORVA no responde")));
        const QString t = b.d.PingOutPut();
        QVERIFY(t.contains(QStringLiteral("PROBANDO COMUNICACIÓN CON KORVA")));
        QVERIFY(!t.contains(QStringLiteral("FIN DE PRUEBA")));
        QCOMPARE(lineasDeEco(t), 6);
    }

    // The centre answered once, then stopped: no verdict, the progress text stays.
    void fallaTrasLaPrimeraRespuestaDelCentro() {
        Banco b;
        for (int i = 0; i < 7; ++i)
            b.eco.guion.enqueue({true, 32, 1});
        b.eco.guion.enqueue({});
        b.d.PingTest();
        QCOMPARE(b.eco.destinos.size(), 8);
        QVERIFY(b.d.LblComentario().startsWith(QStringLiteral("Se esta Ejecutando la Prueba a KORVA")));
        QVERIFY(!b.fx.st.diagnosticoActivo());
        QVERIFY(b.d.habilitadoPingTest());
    }

    void cicloIniciadoExcluyeLasPruebas() {
        Banco b;
        b.fx.st.setCicloIniciado(true);
        QVERIFY(!b.d.habilitadoPingTest() && !b.d.habilitadoComdProbar() && !b.d.habilitadoCmdPruebas());
        QCOMPARE(b.d.LblComentario(),
                 QStringLiteral("Para realizar pruebas se debe detener el proceso de validación."));
        b.d.PingTest();
        b.d.ComdProbar();
        b.d.CmdPruebas();
        QVERIFY(b.eco.destinos.isEmpty());
        QVERIFY(!b.eco.continuo());
        b.fx.st.setCicloIniciado(false);
        QVERIFY(b.d.habilitadoPingTest() && b.d.habilitadoComdProbar() && b.d.habilitadoCmdPruebas());
        QCOMPARE(b.d.LblComentario(), QStringLiteral("Listo para iniciar pruebas"));
    }

    void transcripcionNoPasaDelLimite() {
        Banco b;
        b.d.HostName = QStringLiteral("10.1.1.1");
        b.d.CmdPruebas();
        int maximo = 0;
        bool vaciada = false;
        for (int i = 0; i < 400; ++i) {
            const int antes = int(b.d.PingOutPut().size());
            b.eco.pulso();
            vaciada |= b.d.PingOutPut().size() < antes;
            maximo = qMax(maximo, int(b.d.PingOutPut().size()));
        }
        QVERIFY(vaciada);
        QVERIFY(maximo <= Diagnostico::kLimiteTranscripcion + 200);
        QVERIFY(b.d.PingOutPut().startsWith(QStringLiteral("   Ping a [")));
    }

    // Asynchronous mode: the call returns at once and the reply comes later.
    void modoAsincrono() {
        Banco b;
        b.d.Check1 = false;
        b.d.HostName = QStringLiteral("10.1.1.1");
        b.d.ComdProbar();
        QVERIFY(!b.eco.sincrono());
        QCOMPARE(b.eco.enviados(), 0);
        QTRY_COMPARE(b.eco.enviados(), 1);
        QCOMPARE(lineasDeEco(b.d.PingOutPut()), 1);

        // The three stages send their requests in turn, each to its own
        // stage's target; the verdict waits for the last reply.
        b.eco.destinos.clear();
        b.d.PingTest();
        QVERIFY(
            b.d.LblComentario().startsWith(QStringLiteral("Se esta Ejecutando la Prueba en forma local")));
        QVERIFY(b.fx.st.diagnosticoActivo());
        QTRY_COMPARE(b.d.LblComentario(), QStringLiteral("La comunicación esta operando correctamente."));
        QCOMPARE(b.eco.destinos, QStringList({"192.168.10.5", "192.168.10.5", "192.168.10.5", "10.1.1.1",
                                              "10.1.1.1", "10.1.1.1", kCentro, kCentro, kCentro}));
        QVERIFY(b.d.PingOutPut().indexOf("CON KORVA") < b.d.PingOutPut().lastIndexOf("   Ping a ["));
        QVERIFY(!b.fx.st.diagnosticoActivo());

        // A dead centre is a failure, after its first time-out.
        b.eco.destinos.clear();
        b.eco.caidos.insert(kCentro);
        b.d.PingTest();
        QTRY_COMPARE(b.d.colorComentario(), ColorComentario::Rojo);
        QVERIFY(b.d.LblComentario().contains(QStringLiteral("el servidor de KORVA no responde")));
        QCOMPARE(b.eco.destinos.size(), 7);
        QVERIFY(b.d.habilitadoPingTest());
    }

    void ecoRealALoopback() {
        auto eco = creaEcoSistema();
        const QString porque = eco->impedimento();
        if (!porque.isEmpty())
            QSKIP(qPrintable(porque));
        QSignalSpy respuestas(eco.get(), &Eco::respuesta);
        eco->setDestino(QStringLiteral("127.0.0.1"));
        QVERIFY(eco->envia());
        QCOMPARE(eco->direccionResuelta(), QStringLiteral("127.0.0.1"));
        QCOMPARE(respuestas.count(), 1);
        QCOMPARE(respuestas[0][0].value<quint16>(), quint16(1));
        QCOMPARE(respuestas[0][1].value<quint16>(), quint16(Eco::kBytes));
        QCOMPARE(eco->enviados(), 1);
        QCOMPARE(eco->recibidos(), 1);
        // A name resolves too; a name that cannot is a failed request.
        eco->setDestino(QStringLiteral("localhost"));
        QVERIFY(eco->envia());
        eco->setDestino(QStringLiteral("no-existe.invalid"));
        QVERIFY(!eco->envia());
        QVERIFY(eco->direccionResuelta().isEmpty());
        QCOMPARE(eco->enviados(), 3);
        QCOMPARE(eco->recibidos(), 2);
    }

    // The page only binds the state: labels, colours, buttons, local labels.
    void paginaMuestraElEstado() {
        Fixture fx;
        EcoGuionado eco;
        fx.st.config().setSlot(slot::ServidorActual, kCentro);
        fx.st.pantalla().setEtiqueta(Etiqueta::LocalName, QStringLiteral("equipo-7"));
        PaginaDiagnostico p(fx.ctx, eco);
        p.show();
        QCOMPARE(p.findChild<QLabel*>("LocalNameLabel")->text(), QStringLiteral("equipo-7"));
        fx.st.pantalla().setEtiqueta(Etiqueta::LocalAddress, QStringLiteral("192.168.10.5"));
        QCOMPARE(p.findChild<QLabel*>("LocalAddressLabel")->text(), QStringLiteral("192.168.10.5"));
        QVERIFY(p.Check1()->isChecked());
        QCOMPARE(p.findChild<QLabel*>("SendLabel")->text(), QStringLiteral("0"));
        QCOMPARE(p.findChild<QLabel*>("LossLabel")->text(), QStringLiteral("0%"));

        p.HostName()->setText(QStringLiteral("10.1.1.1"));
        eco.caidos.insert(kCentro);
        p.PingTest()->click();
        QVERIFY(p.LblComentario()->styleSheet().contains(QStringLiteral("255, 0, 0")));
        QVERIFY(
            p.PingOutPut()->toPlainText().contains(QStringLiteral("PROBANDO COMUNICACIÓN EXTERNA 10.1.1.1")));
        QVERIFY(!p.PingOutPut()->toPlainText().contains(QLatin1Char('\r')));

        p.CmdPruebas()->click();
        QCOMPARE(p.CmdPruebas()->text(), QStringLiteral("Termi&nar Prueba"));
        QVERIFY(!p.PingTest()->isEnabled());
        QVERIFY(!p.ComdProbar()->isEnabled());
        eco.pulso();
        QCOMPARE(p.findChild<QLabel*>("RecvLabel")->text(), QStringLiteral("1"));
        QVERIFY(p.LblComentario()->styleSheet().contains(QStringLiteral("0, 0, 192")));
        p.CmdPruebas()->click();
        QVERIFY(p.PingTest()->isEnabled());

        fx.st.setCicloIniciado(true);
        QVERIFY(!p.PingTest()->isEnabled() && !p.ComdProbar()->isEnabled() && !p.CmdPruebas()->isEnabled());

        // Without a component in the context the page brings this platform's.
        PaginaDiagnostico propia(fx.ctx);
        QVERIFY(!propia.PingTest()->isEnabled());
        QCOMPARE(propia.logica().eco().espera(), 2000);
    }
};

QTEST_MAIN(PruebaDiagnostico)
#include "test_diagnostico.moc"

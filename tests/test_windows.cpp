#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "Archivos.h"
#include "Fixture.h"
#include "OficinaEnvio.h"
#include "app/ui/Form1.h"
#include "app/ui/FrmEntrada.h"
#include "app/ui/QtDialogs.h"
#include "config/ConfigFile.h"
#include "config/ui/PaginaConfiguracion.h"
#include "cycle/Nombres.h"
#include "platform/Files.h"

using namespace korva;
using korva::test::Fixture;

namespace {
// The scripted message boxes with the real modal selection window, held open
// for a while before it is cancelled; the clock and notice line are read
// when it opens and before it closes.
struct SeleccionRetenida final : Dialogs {
    test::ScriptedDialogs& guion;
    MainState& st;
    QStringList horas, avisos;
    SeleccionRetenida(test::ScriptedDialogs& g, MainState& s) : guion(g), st(s) {}
    void mensaje(Icono i, const QString& t, const QString& ti) override { guion.mensaje(i, t, ti); }
    bool pregunta(const QString& t, const QString& ti) override { return guion.pregunta(t, ti); }
    void beep() override {}
    void puntero(Puntero) override {}
    void archivosaEnviar(Contexto& ctx, QStringList& LstSendFiles) override {
        horas << st.etiqueta(Etiqueta::Hora);
        avisos << st.etiqueta(Etiqueta::Despliega);
        QTimer::singleShot(2600, [this] {
            horas << st.etiqueta(Etiqueta::Hora);
            avisos << st.etiqueta(Etiqueta::Despliega);
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                d->reject();
        });
        QtDialogs().archivosaEnviar(ctx, LstSendFiles);
    }
};
} // namespace

class TestWindows : public QObject {
    Q_OBJECT
private slots:
    void entradaCreateEnterDelete() {
        Fixture f;
        FrmEntrada w(f.dlg, f.tmp.path());
        w.show();
        auto* entrar = w.findChild<QPushButton*>("CmdEntrar");
        auto* aceptar = w.findChild<QPushButton*>("CmdAceptar");
        auto* clave = w.findChild<QLineEdit*>("TxtPatente");
        auto* combo = w.findChild<QComboBox*>("CboPatentes");
        QVERIFY(!entrar->isEnabled());
        QVERIFY(!aceptar->isEnabled());
        QVERIFY(clave->isVisible());
        QTest::keyClicks(clave, "4321");
        QVERIFY(aceptar->isEnabled());
        aceptar->click();
        QVERIFY(entrar->isEnabled());
        QVERIFY(!clave->isVisible());
        QCOMPARE(combo->count(), 1);
        QCOMPARE(combo->currentText(), QStringLiteral("4321"));
        // A 16th character cannot be typed.
        w.findChild<QPushButton*>("CmdCrearPatente")->click();
        clave->clear();
        QTest::keyClicks(clave, "ABCDEFGHIJKLMNOP");
        QCOMPARE(clave->text(), QStringLiteral("ABCDEFGHIJKLMNO"));
        aceptar->click();
        QCOMPARE(combo->count(), 2);

        QSignalSpy spy(&w, &FrmEntrada::entrar);
        combo->setCurrentIndex(0);
        entrar->click();
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 0); // no configuration files: nothing reordered

        f.dlg.responde(true);
        w.findChild<QPushButton*>("CmdEliminarPatente")->click();
        QCOMPARE(combo->count(), 1);
        QCOMPARE(combo->currentText(), QStringLiteral("ABCDEFGHIJKLMNO"));
    }

    void mainWindowBindsRecord() {
        Fixture f;
        f.st.setSlot(slot::Usuario, "ftp4321");
        f.st.setSlot(slot::ServidorActual, f.st.TxtConfiguration(slot::ServidorPrimario));
        QVERIFY(GrabaConfiguracion(f.ctx));
        Fixture g;
        QFile::copy(f.ruta("odbc0.reg"), g.ruta("odbc0.reg"));
        Form1 w(g.ctx, 0);
        QCOMPARE(w.windowTitle(), QStringLiteral("KORVA Centro de Prevalidación         Patente  >>> 4321"));
        QCOMPARE(w.findChild<QLabel*>("LblPatente")->text(), QStringLiteral("4321"));
        QVERIFY(!g.st.ConfiguracionModificada);
        auto* pagina = w.paginaConfiguracion();
        QVERIFY(pagina->caja(slot::Usuario)->isReadOnly());
        QCOMPARE(pagina->caja(slot::Usuario)->text(), QStringLiteral("ftp4321"));
        QCOMPARE(pagina->caja(slot::ContrasenaFtp)->echoMode(), QLineEdit::Password);
        QCOMPARE(pagina->caja(slot::ClavePrevalidador)->maxLength(), 3);
        QCOMPARE(w.findChild<QLineEdit*>("TxtSegSldControl")->text(), QStringLiteral("30"));

        g.dlg.responde(true);
        w.accion("Menu_Configure")->trigger();
        QCOMPARE(w.accion("Menu_Configure")->text(), QStringLiteral("&Cerrar Edición"));
        QVERIFY(!pagina->caja(slot::Usuario)->isReadOnly());
        QVERIFY(pagina->caja(slot::FolioInferior)->isReadOnly());
        pagina->caja(slot::Usuario)->clear();
        QTest::keyClicks(pagina->caja(slot::Usuario), "ftp9876");
        QCOMPARE(g.st.TxtConfiguration(slot::Usuario), QStringLiteral("ftp9876"));
        pagina->casilla(slot::DepurarArchivos)->click();
        QCOMPARE(g.st.TxtConfiguration(slot::DepurarArchivos), QStringLiteral("0"));
        // Closing asks to save; Yes writes the file.
        g.dlg.responde(true);
        w.close();
        QCOMPARE(fs::leeLineas(g.ruta("odbc0.reg")).at(1), QStringLiteral("ftp9876"));
    }

    // A cycle the timer started, held by the modal selection window: the
    // window's clock and notice line go on meanwhile.
    void modalSelectionKeepsClockAndNotices() {
        test::OficinaEnvio f;
        SystemClock reloj;
        SeleccionRetenida dlg(f.dlg, f.st);
        Contexto ctx{f.st, dlg, reloj, f.tmp.path()};
        f.st.setSlot(slot::DirRecibo, f.carpeta("rec"));
        f.st.setSlot(slot::EnvioAutomatico, QStringLiteral("0"));
        f.st.setSlot(slot::DepurarArchivos, QStringLiteral("0"));
        QVERIFY(GrabaConfiguracion(ctx));
        Form1 w(ctx, 0);
        w.show();
        const QString dia = QStringLiteral("%1").arg(Get_Juliano(reloj), 3, 10, QLatin1Char('0'));
        QVERIFY(test::pon(f.envio + "/m4321123." + dia, "500|\r\n"));
        f.st.setLista(Lista::Mensajes, {"aviso uno", "aviso dos"});
        f.st.ContadorTicker = 5; // the notice line steps on the next tick
        f.st.setCaptionInicio(QStringLiteral("&Detener"));
        f.st.SegundosTranscurridos = qint16(f.st.periodo + 1); // the next tick runs a cycle
        QTRY_COMPARE_WITH_TIMEOUT(dlg.horas.size(), 2, 10000);
        QVERIFY2(dlg.horas[0] != dlg.horas[1], qPrintable(dlg.horas.join(" / ")));
        QVERIFY2(dlg.avisos[0] != dlg.avisos[1], qPrintable(dlg.avisos.join(" / ")));
        QTRY_VERIFY(!f.st.cicloEnCurso && f.st.SegundosTranscurridos > 0); // the cycle ended
    }
};

QTEST_MAIN(TestWindows)
#include "test_windows.moc"

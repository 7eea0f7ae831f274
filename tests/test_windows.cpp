#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "Fixture.h"
#include "app/ui/Form1.h"
#include "app/ui/FrmEntrada.h"
#include "config/ConfigFile.h"
#include "config/ui/PaginaConfiguracion.h"
#include "platform/Files.h"

using namespace korva;
using korva::test::Fixture;

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
};

QTEST_MAIN(TestWindows)
#include "test_windows.moc"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "Archivos.h"
#include "Fixture.h"
#include "app/ui/Form1.h"
#include "app/ui/FrmEntrada.h"
#include "config/ConfigFile.h"
#include "config/ui/PaginaConfiguracion.h"
#include "platform/Files.h"

using namespace korva;
using korva::test::Fixture;

namespace {
void creaPatente(FrmEntrada& w, const QString& clave) {
    w.findChild<QPushButton*>("CmdCrearPatente")->click();
    auto* caja = w.findChild<QLineEdit*>("TxtPatente");
    caja->clear();
    QTest::keyClicks(caja, clave);
    w.findChild<QPushButton*>("CmdAceptar")->click();
}
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

    // Two selection windows open together, then one over a list that cannot
    // be read: no patent is lost, no list is written over.
    void entradaListChangedElsewhere() {
        Fixture f;
        const QString usuarios = f.ruta("usuarios.dat");
        test::pon(usuarios, "A\r\nB\r\n");
        test::pon(f.ruta("odbc1.reg"), "B");
        FrmEntrada uno(f.dlg, f.tmp.path()), dos(f.dlg, f.tmp.path());
        creaPatente(uno, "C");
        creaPatente(dos, "D");
        QCOMPARE(test::lee(usuarios), QByteArray("A\r\nB\r\nC\r\nD\r\n"));
        QCOMPARE(dos.findChild<QComboBox*>("CboPatentes")->count(), 4);
        QCOMPARE(dos.findChild<QComboBox*>("CboPatentes")->currentText(), QStringLiteral("D"));
        // The first window still shows A, B, C: its delete of B is refused
        // and the window shows the list as it is now.
        auto* combo = uno.findChild<QComboBox*>("CboPatentes");
        combo->setCurrentIndex(1);
        f.dlg.responde(true);
        uno.findChild<QPushButton*>("CmdEliminarPatente")->click();
        QVERIFY(f.dlg.ultimo().contains("otra ventana"));
        QCOMPARE(test::lee(usuarios), QByteArray("A\r\nB\r\nC\r\nD\r\n"));
        QCOMPARE(test::lee(f.ruta("odbc1.reg")), QByteArray("B"));
        QCOMPARE(combo->count(), 4);

        f.dlg.limpia();
        {
            test::Ilegible ilegible(usuarios);
            FrmEntrada tres(f.dlg, f.tmp.path());
            QCOMPARE(f.dlg.registros.size(), 1);
            QVERIFY(f.dlg.ultimo().contains(usuarios));
            creaPatente(tres, "E");
            QCOMPARE(f.dlg.registros.size(), 2);
            QVERIFY(f.dlg.ultimo().contains(usuarios));
        }
        QCOMPARE(test::lee(usuarios), QByteArray("A\r\nB\r\nC\r\nD\r\n"));
    }

    // The position names the configuration file and the lock alike: one
    // that does not fit is refused, never wrapped onto another patent's.
    void entradaPositionAbove255() {
        Fixture f;
        QByteArray lista;
        for (int i = 0; i < 300; ++i)
            lista += "P" + QByteArray::number(i) + "\r\n";
        test::pon(f.ruta("usuarios.dat"), lista);
        for (int i : {10, 43, 299})
            test::pon(f.ruta(QStringLiteral("odbc%1.reg").arg(i)), "P" + QByteArray::number(i));
        FrmEntrada w(f.dlg, f.tmp.path());
        QSignalSpy spy(&w, &FrmEntrada::entrar);
        auto* combo = w.findChild<QComboBox*>("CboPatentes");
        combo->setCurrentIndex(299);
        w.findChild<QPushButton*>("CmdEntrar")->click();
        QCOMPARE(spy.size(), 0);
        QVERIFY(f.dlg.ultimo().contains("P299"));
        // Entering 10 cannot move it to the last place, out of reach.
        combo->setCurrentIndex(10);
        w.findChild<QPushButton*>("CmdEntrar")->click();
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 10);
        QCOMPARE(test::lee(f.ruta("odbc10.reg")), QByteArray("P10"));
        QCOMPARE(test::lee(f.ruta("odbc299.reg")), QByteArray("P299"));
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

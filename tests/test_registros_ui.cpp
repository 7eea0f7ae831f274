#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "Fixture.h"
#include "comun/EstadoPrincipal.h"
#include "records/ui/FrmArchivosaEnviar.h"

using namespace korva;
using namespace korva::test;

// The window only binds the selection logic: these check the binding.
class PruebaRegistrosUi : public QObject {
    Q_OBJECT
private slots:
    void botonesManejanLaSeleccion() {
        Fixture fx;
        QStringList envio{"m4321001.045", "m4321002.045", "m4321003.045"};
        FrmArchivosaEnviar frm(fx.ctx, envio);
        frm.show();
        QCOMPARE(frm.LstEnviar()->count(), 3);
        QCOMPARE(frm.LstEnviar()->selectionMode(), QAbstractItemView::MultiSelection);
        frm.LstEnviar()->item(1)->setSelected(true);
        frm.CmdSelectAll()->click();
        QCOMPARE(frm.LstEnviar()->selectedItems().size(), 3);
        QCOMPARE(frm.CmdSelectAll()->text(), QStringLiteral("&Ninguno"));
        frm.CmdEnviarArchivos()->click();
        QVERIFY(!frm.isVisible());
        QCOMPARE(frm.result(), int(QDialog::Accepted));
        QCOMPARE(envio.size(), 3);
        QVERIFY(fx.dlg.registros.isEmpty());
    }

    void cerrarOActualizarNoEnviaNada() {
        Fixture fx;
        QStringList envio{"m4321001.045"};
        FrmArchivosaEnviar frm(fx.ctx, envio);
        frm.show();
        frm.LstEnviar()->item(0)->setSelected(true);
        frm.close();
        QVERIFY(envio.isEmpty());
        QCOMPARE(fx.st.TxtActualizar(), QStringLiteral("0"));

        QStringList otra{"m4321001.045"};
        FrmArchivosaEnviar frm2(fx.ctx, otra);
        frm2.show();
        frm2.CmdActualizar()->click();
        QVERIFY(otra.isEmpty());
        QCOMPARE(fx.st.TxtActualizar(), QStringLiteral("1"));
    }
};

QTEST_MAIN(PruebaRegistrosUi)
#include "test_registros_ui.moc"

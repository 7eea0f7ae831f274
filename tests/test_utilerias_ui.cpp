#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "OficinaEnvio.h"

#include "Fixture.h"
#include "exchange/ui/FrmEliminarBusqueda.h"
#include "exchange/ui/FrmPedirArchivo.h"
#include "platform/fs.h"

using namespace korva;
using namespace korva::test;

namespace {
using Oficina = OficinaEnvio;
// Lets a closed window that releases itself go.
void liberaCerradas() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
} // namespace

class PruebaUtileriasUi : public QObject {
    Q_OBJECT
private slots:
    void pedirArchivoNoModalYNuevaCadaVez() {
        Oficina o;
        QPointer<FrmPedirArchivo> w = FrmPedirArchivo::abre(o.ctx);
        QVERIFY(w->isVisible());
        QVERIFY(!w->isModal());
        QCOMPARE(w->windowTitle(), QStringLiteral("KORVA Centro de Prevalidación  - Pedir Archivo"));
        QCOMPARE(w->CboLetra()->count(), 10);
        QCOMPARE(w->CboLetra()->itemText(6), QStringLiteral("eb"));
        QCOMPARE(FrmPedirArchivo::abre(o.ctx), w.data()); // already loaded: shown again
        QTest::keyClicks(w->TxtFolio(), "12");
        w->CmdCancelar()->click();
        liberaCerradas();
        QVERIFY(w.isNull());
        QPointer<FrmPedirArchivo> otra = FrmPedirArchivo::abre(o.ctx);
        QVERIFY(otra->TxtFolio()->text().isEmpty());
        otra->close();
        liberaCerradas();
        QVERIFY(otra.isNull());
        QVERIFY(o.dlg.registros.isEmpty());
    }

    void pedirArchivoSagarpa() {
        Oficina o;
        QPointer<FrmPedirArchivo> w = FrmPedirArchivo::abre(o.ctx);
        w->CboLetra()->setCurrentIndex(3);
        QCOMPARE(w->CboLetra()->currentText(), QStringLiteral("s"));
        // Leaving the letter list widens the folio box for the OISA number.
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        w->CboLetra()->setFocus();
        w->TxtFolio()->setFocus();
        QCOMPARE(w->TxtFolio()->maxLength(), 6);
        w->TxtFolio()->setText("1234567");
        QCOMPARE(w->TxtFolio()->text(), QStringLiteral("123456"));
        o.st.config().setSlot(slot::FolioSuperior, QStringLiteral("999999"));
        w->CmdAceptar()->click();
        liberaCerradas();
        QVERIFY(w.isNull());
        QVERIFY(QFile::exists(o.pend() + "/s4321123456.045"));
        QCOMPARE(o.dlg.ultimo(), QStringLiteral("Se buscará respuesta del archivo s4321123456.45. Espere el "
                                                "siguiente ciclo para ver los resultados."));
    }

    void pedirArchivoRechazadoQuedaAbierta() {
        Oficina o;
        QPointer<FrmPedirArchivo> w = FrmPedirArchivo::abre(o.ctx);
        // A click straight from the list: the box is cut to three at once.
        w->CboLetra()->setCurrentIndex(3);
        w->CmdAceptar()->click();
        w->CboLetra()->setCurrentIndex(0);
        w->TxtFolio()->setText("12a");
        w->CmdAceptar()->click();
        liberaCerradas();
        QVERIFY(!w.isNull());
        QVERIFY(w->isVisible());
        QCOMPARE(o.dlg.registros.size(), 2);
        QVERIFY(!QFileInfo::exists(o.pend()));
        w->close();
        liberaCerradas();
    }

    void eliminarBusqueda() {
        Oficina o;
        QPointer<FrmEliminarBusqueda> w = FrmEliminarBusqueda::abre(o.ctx);
        QVERIFY(!w->isModal());
        QCOMPARE(w->windowTitle(), QStringLiteral("KORVA Centro de Prevalidación    - Eliminar Busqueda"));
        QVERIFY(!w->CmdEliminar()->isEnabled());
        w->close();
        liberaCerradas();
        QVERIFY(w.isNull());

        QDir().mkpath(o.pend());
        QVERIFY(fs::escribeAtomico(o.pend() + "/m4321123.045", {}));
        QVERIFY(fs::escribeAtomico(o.pend() + "/m1111123.045", {}));
        w = FrmEliminarBusqueda::abre(o.ctx); // a fresh load lists the folder again
        QCOMPARE(w->LstFiles()->count(), 1);
        QVERIFY(w->CmdEliminar()->isEnabled());
        w->CmdEliminar()->click(); // nothing selected
        QVERIFY(o.dlg.registros.isEmpty());
        w->LstFiles()->setCurrentRow(0);
        w->CmdEliminar()->click();
        QCOMPARE(o.dlg.ultimo(), QStringLiteral("La busqueda del archivo m4321123.045 ha sido cancelada"));
        QCOMPARE(w->LstFiles()->count(), 0);
        QVERIFY(w->CmdEliminar()->isEnabled());
        QVERIFY(!QFile::exists(o.pend() + "/m4321123.045"));
        QVERIFY(w->isVisible());
        w->CmdCancelar()->click();
        liberaCerradas();
        QVERIFY(w.isNull());
    }
};

QTEST_MAIN(PruebaUtileriasUi)
#include "test_utilerias_ui.moc"

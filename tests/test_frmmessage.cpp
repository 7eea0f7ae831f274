#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "Fixture.h"
#include "app/ui/Form1.h"
#include "comun/ModError.h"
#include "records/FrmMessageLogica.h"
#include "records/ui/FrmMessage.h"

using namespace korva;

namespace {
const QString kReposo = QStringLiteral("KORVA Centro de Prevalidación");
QString cuenta(int n) {
    return QStringLiteral("KORVA Centro de Prevalidación Este mensaje desaparecerá en %1 Seg.").arg(n);
}
void borraPendientes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
} // namespace

class PruebaFrmMessage : public QObject {
    Q_OBJECT
private slots:
    void cuentaRegresivaLlenaEtiquetasYCierraAlTick21() {
        FrmMessageLogica m;
        m.Temp = 25709;
        QCOMPARE(m.titulo(), kReposo);
        QVERIFY(m.LblErrorCve.isEmpty());
        for (int i = 0; i < FrmMessageLogica::kTicks; ++i) {
            QVERIFY(m.tick());
            QCOMPARE(m.titulo(), cuenta(19 - i));
            QCOMPARE(m.LblErrorCve, QStringLiteral("25709"));
            QCOMPARE(m.LblError, MensajeError(25709));
        }
        QVERIFY(!m.tick());
    }

    void codigoPosteriorNoReemplazaNiAlarga() {
        FrmMessageLogica m;
        m.Temp = 25709;
        for (int i = 0; i < 5; ++i)
            QVERIFY(m.tick());
        m.Temp = 25743;
        int vivos = 5;
        while (m.tick())
            ++vivos;
        QCOMPARE(vivos, 20);
        QCOMPARE(m.LblErrorCve, QStringLiteral("25709"));
        QCOMPARE(m.LblError, MensajeError(25709));
    }

    void unaSolaVentanaQueCierraATiempo() {
        VentanaErrorQt puerto;
        puerto.muestra(25709);
        QPointer<FrmMessage> w = puerto.ventana();
        QVERIFY(w && w->isVisible());
        QVERIFY(!w->isModal());
        QCOMPARE(w->windowTitle(), kReposo);
        w->tick();
        QCOMPARE(w->findChildren<QLabel*>().at(1)->text(), QStringLiteral("25709"));
        QCOMPARE(w->windowTitle(), cuenta(19));
        for (int i = 0; i < 4; ++i)
            w->tick();
        puerto.muestra(25711); // a second error five seconds later
        QCOMPARE(puerto.ventana(), w.data());
        QCOMPARE(w->findChildren<QLabel*>().at(1)->text(), QStringLiteral("25709"));
        for (int i = 0; i < 15; ++i)
            w->tick();
        QCOMPARE(w->windowTitle(), cuenta(0));
        QVERIFY(w->isVisible());
        w->tick();
        borraPendientes();
        QVERIFY(!w);
        // The next error opens a fresh window.
        puerto.muestra(25743);
        QVERIFY(puerto.ventana());
        puerto.ventana()->tick();
        QCOMPARE(puerto.ventana()->logica().LblErrorCve, QStringLiteral("25743"));
        puerto.ventana()->close();
        borraPendientes();
    }

    void fallasSinCodigoUnaVezYCompletas() {
        VentanaErrorQt puerto;
        const QString primera = QStringLiteral("ERROR: no fue posible copiar <b>m4321001.r001</b> a /rec");
        puerto.muestraFalla(primera);
        QPointer<FrmMessage> w = puerto.ventana();
        QVERIFY(w && w->isVisible());
        w->tick();
        QVERIFY(w->logica().LblErrorCve.isEmpty());
        QCOMPARE(w->logica().LblError, primera);
        bool plano = false;
        for (const QLabel* l : w->findChildren<QLabel*>())
            plano = plano || (l->text() == primera && l->textFormat() == Qt::PlainText);
        QVERIFY(plano);
        for (int i = 0; i < 15; ++i)
            w->tick();
        // A transfer error takes the empty code; a later failure is shown at
        // once, once, and gets its own time to be read.
        puerto.muestra(25711);
        puerto.muestraFalla(QStringLiteral("segunda"));
        puerto.muestraFalla(QStringLiteral("segunda"));
        QCOMPARE(puerto.ventana(), w.data());
        QCOMPARE(w->logica().LblErrorCve, QStringLiteral("25711"));
        QCOMPARE(w->logica().LblError, MensajeError(25711) + "\n" + primera + "\nsegunda");
        for (int i = 0; i < 19; ++i)
            w->tick();
        QCOMPARE(w->windowTitle(), cuenta(0));
        w->tick();
        borraPendientes();
        QVERIFY(!w);
    }

    void muchasFallasSeCuentan() {
        FrmMessageLogica m;
        for (int i = 0; i < FrmMessageLogica::kFallasVisibles + 3; ++i)
            m.agregaFalla(QString::number(i));
        QVERIFY(m.tick());
        QCOMPARE(m.LblError.split('\n').size(), FrmMessageLogica::kFallasVisibles + 1);
        QVERIFY(m.LblError.endsWith(QStringLiteral("... y otras 3 fallas")));
    }

    void aceptarAntesDelPrimerTickCierraSinCodigo() {
        VentanaErrorQt puerto;
        puerto.muestra(25709);
        QPointer<FrmMessage> w = puerto.ventana();
        auto* ok = w->findChild<QPushButton*>(QStringLiteral("CmdOk"));
        QVERIFY(ok);
        QCOMPARE(ok->text(), QStringLiteral("&Aceptar"));
        QVERIFY(w->logica().LblErrorCve.isEmpty());
        ok->click();
        borraPendientes();
        QVERIFY(!w);
        QVERIFY(!puerto.ventana());
    }

    // The longest texts of the table are readable whole, wrapped.
    void textoLargoSeMuestraCompleto_data() {
        QTest::addColumn<int>("codigo");
        QTest::addRow("local folder") << 25764;
        QTest::addRow("secure context") << 25792;
    }
    void textoLargoSeMuestraCompleto() {
        QFETCH(int, codigo);
        VentanaErrorQt puerto;
        puerto.muestra(codigo);
        QPointer<FrmMessage> w = puerto.ventana();
        w->tick();
        QCoreApplication::processEvents();
        auto* texto = w->findChildren<QLabel*>().at(3);
        QCOMPARE(texto->text(), MensajeError(codigo));
        QVERIFY(texto->height() >= texto->heightForWidth(texto->width()));
        QVERIFY(w->rect().contains(texto->geometry()));
        QCOMPARE(texto->textFormat(), Qt::PlainText);
        w->close();
        borraPendientes();
    }

    // Closing the main window ends the program at once, the error window with it.
    void cierreConLaVentanaDeErrorAbierta() {
        korva::test::Fixture f;
        f.dlg.responde(false); // a patent without its file asks to edit
        VentanaErrorQt puerto;
        Form1 principal(f.ctx, 0);
        principal.show();
        puerto.muestra(25709);
        QPointer<FrmMessage> w = puerto.ventana();
        bool colgado = false;
        QTimer::singleShot(0, &principal, &QWidget::close);
        QTimer::singleShot(5000, [&] {
            colgado = true;
            if (w)
                w->close();
        });
        QApplication::exec();
        QVERIFY(!colgado);
    }
};

QTEST_MAIN(PruebaFrmMessage)
#include "test_frmmessage.moc"

#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>

#include "Fixture.h"
#include "app/InfoSistema.h"
#include "app/ui/AcercaDe.h"
#include "app/ui/Bandeja.h"
#include "app/ui/Form1.h"
#include "app/ui/Manual.h"
#include "comun/ModError.h"
#include "config/ArchivoConfiguracion.h"
#include <QTextBrowser>

using namespace korva;
using namespace korva::test;

class PruebaAcercaDe : public QObject {
    Q_OBJECT
private slots:
    void muestraTituloVersionYDescripcion() {
        Fixture fx;
        AcercaDe a(fx.dlg, nullptr, fx.carpeta(QStringLiteral("vacia")));
        QCOMPARE(a.windowTitle(), QStringLiteral("Acerca de KORVAVal"));
        QCOMPARE(a.findChild<QLabel*>("lblVersion")->text(), QStringLiteral("Versión 8.0.0"));
        QVERIFY(a.findChild<QLabel*>("lblTitle")->text().contains(QStringLiteral("KORVAVal")));
        QVERIFY(!a.findChild<QLabel*>("lblDescription")->text().isEmpty());
    }

    void abreLaHerramientaEncontrada() {
        Fixture fx;
        const QString bin = fx.carpeta(QStringLiteral("bin"));
        const QString marca = fx.ruta(QStringLiteral("abierta"));
        // The second choice is found when the first is missing.
        const QString herramienta = bin + QStringLiteral("/") + herramientasInfoSistema().at(1);
        QFile f(herramienta);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\ntouch '" + marca.toUtf8() + "'\n");
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(buscaInfoSistema(bin), herramienta);

        AcercaDe a(fx.dlg, nullptr, bin);
        QVERIFY(a.CmdSysInfo()->toolTip().contains(herramientasInfoSistema().at(1)));
        a.CmdSysInfo()->click();
        QTRY_VERIFY(QFile::exists(marca));
        QVERIFY(fx.dlg.registros.isEmpty());
    }

    void diceCuandoNoHayHerramienta() {
        Fixture fx;
        const QString vacia = fx.carpeta(QStringLiteral("vacia"));
        QVERIFY(buscaInfoSistema(vacia).isEmpty());
        AcercaDe a(fx.dlg, nullptr, vacia);
        a.CmdSysInfo()->click();
        QCOMPARE(fx.dlg.registros.size(), 1);
        QCOMPARE(fx.dlg.registros[0].icono, Icono::Informacion);
        QVERIFY(fx.dlg.ultimo().contains(QStringLiteral("no se encontró ninguna herramienta")));
        a.CmdOK()->click();
        QCOMPARE(a.result(), int(QDialog::Accepted));
    }

    // F1 and Ayuda › Manual open the manual, built in and readable offline,
    // with every error text; the about box shows the licence and the
    // software the program runs on.
    void manualConErroresYLicencia() {
        Fixture f;
        f.st.config().setSlot(slot::Usuario, "ftp4321");
        QVERIFY(GrabaConfiguracion(f.ctx));
        Form1 w(f.ctx, 0);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::keyClick(&w, Qt::Key_F1);
        Manual* manual = nullptr;
        for (QWidget* v : QApplication::topLevelWidgets())
            if (v->isVisible() && qobject_cast<Manual*>(v))
                manual = qobject_cast<Manual*>(v);
        QVERIFY(manual);
        const QString texto = manual->texto()->toPlainText();
        for (const char* parte : {"Las ventanas", "El ciclo del día", "Los errores y qué hacer",
                                  "Dónde está cada archivo", "usuarios.dat"})
            QVERIFY2(texto.contains(QString::fromUtf8(parte)), parte);
        for (qint32 c : CodigosDeError())
            QVERIFY(texto.contains(MensajeError(c).trimmed()));
        manual->close();
        QVERIFY(w.accion("Menu_Manual"));
        AcercaDe a(f.dlg);
        const QString avisos = a.TxtLicencia()->toPlainText();
        for (const char* t : {"Licencia", "Qt", "libcurl", "OpenSSL"})
            QVERIFY2(avisos.contains(QLatin1String(t)), t);
    }

    // The program as the desktop sees it. Offscreen has no tray: no icon and
    // no messages, the window as before. The tray class itself still binds
    // its tooltip and raises the window.
    void identidadDeEscritorioYBandeja() {
        ponIdentidadEscritorio();
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("korvaval"));
        Fixture f;
        f.st.config().setSlot(slot::Usuario, "ftp4321");
        QVERIFY(GrabaConfiguracion(f.ctx));
        Form1 w(f.ctx, 0);
        QVERIFY(!w.windowIcon().pixmap(32).isNull()); // the built-in icon, readable
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        QVERIFY(!Bandeja::siHay(f.ctx, w));

        Bandeja b(f.ctx, w);
        f.st.pantalla().setEvento("Enviando m4321123.045");
        QCOMPARE(b.icono().toolTip(), QStringLiteral("KORVAVal - Patente 4321\nEnviando m4321123.045"));
        w.showMinimized();
        emit b.icono().activated(QSystemTrayIcon::Trigger);
        QVERIFY(!w.isMinimized());
        QVERIFY(w.isVisible());
        // Its menu: the window, the cycle's start or stop, quit.
        QCOMPARE(b.icono().contextMenu(), b.menu());
        auto* inicio = b.menu()->findChild<QAction*>(QStringLiteral("BandejaInicio"));
        QVERIFY(inicio && b.menu()->findChild<QAction*>(QStringLiteral("BandejaMostrar")));
        QCOMPARE(inicio->text(), QStringLiteral("&Iniciar"));
        f.st.setCaptionInicio(QStringLiteral("&Detener"));
        QCOMPARE(inicio->text(), QStringLiteral("&Detener"));
        f.st.setCaptionInicio(QStringLiteral("&Iniciar"));
        b.menu()->findChild<QAction*>(QStringLiteral("BandejaSalir"))->trigger();
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(PruebaAcercaDe)
#include "test_acercade.moc"

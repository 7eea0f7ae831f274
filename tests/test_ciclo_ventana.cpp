// The cycle through the real main window on a real display (its own Xvfb),
// where the user's clicks come from the display server as a broker's do.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include "Archivos.h"
#include "Oficina4321.h"
#include "app/ui/Form1.h"
#include "comun/Nombres.h"
#include "config/ArchivoConfiguracion.h"
#include "records/ui/FrmMessage.h"

using namespace korva;
using namespace korva::test;

namespace {

bool hayPantalla = false;

// The texts a label showed each time it was painted, without repeats.
struct Pintados : QObject {
    QLabel* l;
    QStringList textos;
    explicit Pintados(QLabel* label) : l(label) { l->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint && (textos.isEmpty() || textos.last() != l->text()))
            textos << l->text();
        return false;
    }
};

// A patent 4321 against a centre that answers every command 60 ms late, its
// window on the real display, ten files waiting; the cycle takes seconds.
struct Lenta {
    CentroSimulado c;
    Oficina4321 o;
    RelojSistema reloj;
    Latido latido;
    Contexto ctx{o.st(), o.f.dlg, reloj, o.f.tmp.path()};
    explicit Lenta(VentanaError* ventana = nullptr) : c(opciones()) {
        o.conecta(c);
        ctx.ftp = o.ftp.get();
        ctx.ventanaError = ventana ? ventana : &o.ventana;
        ctx.latido = &latido;
        ctx.seleccion = &o.f.dlg;
        ctx.msQuietud = 0; // written whole before the window opens
        o.ftp->setLatido(&latido);
        o.st().config().setSlot(slot::ServidorPrimario, QStringLiteral("127.0.0.1"));
        for (int s : {slot::EnvioAutomatico, slot::Pasivo})
            o.st().config().setSlot(s, QStringLiteral("1"));
        for (int s : {slot::Firmar, slot::DepurarArchivos})
            o.st().config().setSlot(s, QStringLiteral("0"));
        QVERIFY(GrabaConfiguracion(ctx));
        const QString dia = QStringLiteral("%1").arg(Get_Juliano(reloj), 3, 10, QLatin1Char('0'));
        for (int i = 1; i <= 10; ++i)
            QVERIFY(
                pon(o.envio + QStringLiteral("/m4321%1.").arg(i, 3, 10, QLatin1Char('0')) + dia, "500|\r\n"));
    }
    static OpcionesCentro opciones() {
        OpcionesCentro oc;
        oc.retraso = 600; // no response during the test: every search misses
        oc.argumentos = {QStringLiteral("--lento"), QStringLiteral("0.06")};
        return oc;
    }
};

// A click through the display server, as a broker's.
bool clic(QWidget* w) {
    const QPoint p = w->mapToGlobal(w->rect().center());
    return QProcess::execute(QStringLiteral("xdotool"),
                             {QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y()),
                              QStringLiteral("click"), QStringLiteral("1")}) == 0;
}

} // namespace

class PruebaCicloVentana : public QObject {
    Q_OBJECT
private slots:
    // The window paints the clock and the status line during a long cycle,
    // and a click on another control made meanwhile waits until it is over.
    void cicloLargoNoCongelaLaVentana() {
        if (!hayPantalla)
            QSKIP("no Xvfb or xdotool");
        Lenta l;
        QVERIFY2(l.c.listo(), qPrintable(l.c.diagnostico()));
        Form1 w(l.ctx, 0);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* boton = w.findChild<QPushButton*>(QStringLiteral("Start_Button"));
        auto* paginas = w.findChild<QTabWidget*>();
        Pintados hora(w.findChild<QLabel*>(QStringLiteral("Hora")));
        Pintados evento(w.findChild<QLabel*>(QStringLiteral("Evento")));
        bool clicEnCiclo = false;
        QTimer::singleShot(1000, [&] {
            const int conexion = 2;
            const QRect r = paginas->tabBar()->tabRect(conexion);
            const QPoint p = paginas->tabBar()->mapToGlobal(r.center());
            clicEnCiclo = l.o.st().ciclo().cicloEnCurso() &&
                          QProcess::execute(QStringLiteral("xdotool"),
                                            {QStringLiteral("mousemove"), QString::number(p.x()),
                                             QString::number(p.y()), QStringLiteral("click"),
                                             QStringLiteral("1")}) == 0;
        });
        QElapsedTimer t;
        t.start();
        boton->click(); // connects, notices, configuration, the first cycle
        const qint64 ms = t.elapsed();
        const QStringList horas = hora.textos, eventos = evento.textos;
        QVERIFY2(ms > 2000,
                 qPrintable(QString::number(ms) + QStringLiteral(" ms: ") + l.o.st().pantalla().evento()));
        qInfo("cycle %lld ms; clock painted %lld times, status line %lld", ms, qint64(horas.size()),
              qint64(eventos.size()));
        QVERIFY(clicEnCiclo);
        QCOMPARE(paginas->currentIndex(), 1);     // the click has not acted yet
        QCOMPARE(en(l.c.ruta("REC")).size(), 11); // ten files and the configuration
        QVERIFY2(horas.size() >= 2, qPrintable(horas.join(" | ")));
        QVERIFY2(eventos.filter(QStringLiteral("Enviando m4321")).size() >= 2,
                 qPrintable(eventos.join(" | ")));
        // Held back, the click is delivered once the cycle has returned.
        QTRY_COMPARE(paginas->currentIndex(), 2);
        QCOMPARE(boton->text(), QStringLiteral("&Detener"));
    }

    // "&Detener" clicked in the middle of the cycle stops it within about a
    // second: the transfer in progress is abandoned, nothing is registered
    // that did not go whole, and what did not go waits for the next start.
    void detenerEnMenosDeUnSegundo() {
        if (!hayPantalla)
            QSKIP("no Xvfb or xdotool");
        Lenta l;
        QVERIFY2(l.c.listo(), qPrintable(l.c.diagnostico()));
        Form1 w(l.ctx, 0);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* boton = w.findChild<QPushButton*>(QStringLiteral("Start_Button"));
        QElapsedTimer t;
        qint64 alClic = -1;
        QTimer::singleShot(1200, [&] {
            if (l.o.st().ciclo().cicloEnCurso() && clic(boton))
                alClic = t.elapsed();
        });
        t.start();
        boton->click();
        const qint64 ms = t.elapsed();
        QVERIFY(alClic > 0);
        QVERIFY2(ms - alClic < 1500,
                 qPrintable(QStringLiteral("stopped %1 ms after the click").arg(ms - alClic)));
        QTRY_COMPARE(boton->text(), QStringLiteral("&Iniciar"));
        QVERIFY(!l.o.ftp->conectado());
        // What is registered went whole; the upload cut short is not
        // registered, is withdrawn from the centre (which would answer the
        // part that went), and waits in the send folder to go whole next time.
        const QStringList subidos = en(l.c.ruta("REC")).filter(QStringLiteral("m4321"));
        QVERIFY2(subidos.size() < 10, qPrintable(subidos.join(' ')));
        const QByteArray registro = lee(l.o.envio + "/bitacora");
        QStringList registrados;
        for (const QString& n : subidos)
            if (registro.contains(n.toLatin1())) {
                QCOMPARE(lee(l.c.ruta("REC/" + n)), QByteArray("500|\r\n"));
                registrados << n;
            }
        QCOMPARE(registrados, subidos);
        QCOMPARE(en(l.o.envio + "/Pend"), registrados);
        QCOMPARE(en(l.o.envio).filter(QStringLiteral("m4321")).size(), 10);
        QVERIFY(!l.o.ventana.codigos.contains(25731)); // the broker's own stop is no error
        QVERIFY(l.o.ventana.fallas.isEmpty());
    }

    // An error window that opens while the broker works takes no key: Alt+S
    // pressed then reaches "&Salir", which ends the program within a second.
    void salirConLaVentanaDeErrorAbierta() {
        if (!hayPantalla)
            QSKIP("no Xvfb or xdotool");
        VentanaErrorQt ventana;
        Lenta l(&ventana);
        QVERIFY2(l.c.listo(), qPrintable(l.c.diagnostico()));
        QVERIFY(l.c.orden(QStringLiteral("rechaza-stor"))); // every upload refused: the window opens
        Form1 w(l.ctx, 0);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QElapsedTimer t;
        qint64 alSalir = -1;
        bool ventanaArriba = false;
        QTimer::singleShot(1500, [&] {
            ventanaArriba = ventana.ventana() && ventana.ventana()->isVisible();
            if (QProcess::execute(QStringLiteral("xdotool"),
                                  {QStringLiteral("key"), QStringLiteral("alt+s")}) == 0)
                alSalir = t.elapsed();
        });
        t.start();
        w.findChild<QPushButton*>(QStringLiteral("Start_Button"))->click();
        QVERIFY(ventanaArriba);
        QVERIFY(alSalir > 0);
        QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 2500);
        QVERIFY2(t.elapsed() - alSalir < 2500, qPrintable(QString::number(t.elapsed() - alSalir)));
    }

    // The desktop's close (the title bar's button, the session ending)
    // reaching the window mid-cycle ends the work and the program at once.
    void cierreDelEscritorioDuranteElCiclo() {
        if (!hayPantalla)
            QSKIP("no Xvfb or xdotool");
        Lenta l;
        QVERIFY2(l.c.listo(), qPrintable(l.c.diagnostico()));
        Form1 w(l.ctx, 0);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QElapsedTimer t;
        qint64 alCerrar = -1;
        QTimer::singleShot(1200, [&] {
            if (l.o.st().ciclo().cicloEnCurso()) {
                alCerrar = t.elapsed();
                w.windowHandle()->close();
            }
        });
        t.start();
        w.findChild<QPushButton*>(QStringLiteral("Start_Button"))->click();
        QVERIFY(alCerrar > 0);
        QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 3000);
        QVERIFY2(t.elapsed() - alCerrar < 1000, qPrintable(QString::number(t.elapsed() - alCerrar)));
    }

    // Near and above the main window, its title whole.
    void ventanaDeErrorUbicadaYConTitulo() {
        if (!hayPantalla)
            QSKIP("no Xvfb or xdotool");
        VentanaErrorQt ventana;
        korva::test::Fixture f;
        f.dlg.responde(false); // a patent without its file asks to edit
        f.ctx.ventanaError = &ventana;
        Form1 w(f.ctx, 0);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        ventana.muestra(25711);
        FrmMessage* m = ventana.ventana();
        QVERIFY(QTest::qWaitForWindowExposed(m));
        m->tick();
        QCOMPARE(m->parentWidget(), &w);
        QVERIFY(w.frameGeometry().intersects(m->frameGeometry()));
        QVERIFY(m->width() > m->fontMetrics().horizontalAdvance(m->windowTitle()));
        QVERIFY(QApplication::activeWindow() != m);
        // What a window manager reads: not to be focused when it appears,
        // and kept above the main window.
        const auto xprop = [](WId id, const char* propiedad) {
            QProcess p;
            p.start(QStringLiteral("xprop"),
                    {QStringLiteral("-id"), QString::number(id), QLatin1String(propiedad)});
            p.waitForFinished(5000);
            return QString::fromLatin1(p.readAllStandardOutput()).trimmed();
        };
        QVERIFY2(xprop(m->winId(), "_NET_WM_USER_TIME").endsWith(QLatin1String("= 0")),
                 qPrintable(xprop(m->winId(), "_NET_WM_USER_TIME")));
        QVERIFY2(xprop(m->winId(), "WM_TRANSIENT_FOR").contains(QStringLiteral("0x%1").arg(w.winId(), 0, 16)),
                 qPrintable(xprop(m->winId(), "WM_TRANSIENT_FOR")));
        m->close();
    }

    // Opened during the start-up, before the main window was up, it follows
    // the main window to where the desktop places it.
    void ventanaDeErrorSigueALaPrincipal() {
        if (!hayPantalla)
            QSKIP("no Xvfb or xdotool");
        VentanaErrorQt ventana;
        korva::test::Fixture f;
        f.dlg.responde(false);
        f.ctx.ventanaError = &ventana;
        Form1 w(f.ctx, 0);
        ventana.muestra(25711);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.move(w.pos() + QPoint(w.width(), w.height()));
        QTRY_VERIFY(w.frameGeometry().intersects(ventana.ventana()->frameGeometry()));
        ventana.ventana()->close();
    }
};

// A display of our own for the whole run, on a free number.
int main(int argc, char** argv) {
    QProcess xvfb;
    QTemporaryDir dir;
    const QString fd = dir.filePath(QStringLiteral("pantalla"));
    if (!QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() &&
        !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
        xvfb.start(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"),
             QStringLiteral("exec Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x900x24 3>'%1'").arg(fd)});
        QElapsedTimer t;
        t.start();
        QByteArray numero;
        while (xvfb.waitForStarted(5000) && xvfb.state() == QProcess::Running && t.elapsed() < 20000 &&
               numero.isEmpty()) {
            QFile f(fd);
            if (f.open(QIODevice::ReadOnly))
                numero = f.readAll().trimmed();
            if (numero.isEmpty())
                QThread::msleep(50);
        }
        if (!numero.isEmpty()) {
            qputenv("DISPLAY", ":" + numero);
            qputenv("QT_QPA_PLATFORM", "xcb");
            hayPantalla = true;
        }
    }
    int rc = 0;
    {
        QApplication app(argc, argv);
        PruebaCicloVentana t;
        rc = QTest::qExec(&t, argc, argv);
    }
    xvfb.terminate();
    xvfb.waitForFinished(3000);
    return rc;
}

#include "test_ciclo_ventana.moc"

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
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include "Archivos.h"
#include "SesionCentro.h"
#include "app/ui/Form1.h"
#include "config/ConfigFile.h"
#include "cycle/Nombres.h"

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

} // namespace

class TestCicloVentana : public QObject {
    Q_OBJECT
private slots:
    // Ten files against a centre that answers every command 60 ms late: the
    // window paints the clock and the status line during the cycle, and a
    // click on "&Detener" or a close made meanwhile waits until it is over.
    void longCycleKeepsTheWindowAlive() {
        if (!hayPantalla)
            QSKIP("no Xvfb or xdotool");
        OpcionesCentro oc;
        oc.retraso = 600; // no response during the test: every search misses
        oc.argumentos = {QStringLiteral("--lento"), QStringLiteral("0.06")};
        CentroSimulado c(oc);
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        SystemClock reloj;
        Latido latido;
        Contexto ctx{o.st(), o.f.dlg, reloj, o.f.tmp.path()};
        ctx.ftp = o.ftp.get();
        ctx.ventanaError = &o.ventana;
        ctx.latido = &latido;
        o.ftp->setLatido(&latido);
        o.st().setSlot(slot::ServidorPrimario, QStringLiteral("127.0.0.1"));
        for (int s : {slot::EnvioAutomatico, slot::Pasivo})
            o.st().setSlot(s, QStringLiteral("1"));
        for (int s : {slot::Firmar, slot::DepurarArchivos})
            o.st().setSlot(s, QStringLiteral("0"));
        QVERIFY(GrabaConfiguracion(ctx));
        const QString dia = QStringLiteral("%1").arg(Get_Juliano(reloj), 3, 10, QLatin1Char('0'));
        for (int i = 1; i <= 10; ++i)
            QVERIFY(
                pon(o.envio + QStringLiteral("/m4321%1.").arg(i, 3, 10, QLatin1Char('0')) + dia, "500|\r\n"));

        Form1 w(ctx, 0);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* boton = w.findChild<QPushButton*>(QStringLiteral("Start_Button"));
        Pintados hora(w.findChild<QLabel*>(QStringLiteral("Hora")));
        Pintados evento(w.findChild<QLabel*>(QStringLiteral("Evento")));

        // A second into the cycle the pointer clicks the button, now "&Detener".
        bool clicEnCiclo = false;
        QTimer::singleShot(1000, [&] {
            const QPoint p = boton->mapToGlobal(boton->rect().center());
            clicEnCiclo = o.st().cicloEnCurso && boton->text() == QLatin1String("&Detener") &&
                          QProcess::execute(QStringLiteral("xdotool"),
                                            {QStringLiteral("mousemove"), QString::number(p.x()),
                                             QString::number(p.y()), QStringLiteral("click"),
                                             QStringLiteral("1")}) == 0;
        });
        // A close that reaches the window anyway (the session ending) waits too.
        QTimer::singleShot(1500, &w, &QWidget::close);
        QElapsedTimer t;
        t.start();
        boton->click(); // connects, notices, configuration, the first cycle
        const qint64 ms = t.elapsed();
        const QStringList horas = hora.textos, eventos = evento.textos;
        // Work whose last step is a turn (an upload's last read is one) leaves
        // nothing posted: the held click must still act before the close.
        latido.turno();

        QVERIFY2(ms > 2000, qPrintable(QString::number(ms) + QStringLiteral(" ms: ") + o.st().evento()));
        qInfo("cycle %lld ms; clock painted %lld times, status line %lld", ms, qint64(horas.size()),
              qint64(eventos.size()));
        QVERIFY(clicEnCiclo);
        QCOMPARE(boton->text(), QStringLiteral("&Detener")); // the click has not acted yet
        QVERIFY(w.isVisible());
        QCOMPARE(en(c.ruta("REC")).size(), 11); // ten files and the configuration
        QVERIFY2(horas.size() >= 2, qPrintable(horas.join(" | ")));
        QVERIFY2(eventos.size() >= 2, qPrintable(eventos.join(" | ")));
        QVERIFY2(eventos.filter(QStringLiteral("Enviando m4321")).size() >= 2,
                 qPrintable(eventos.join(" | ")));
        // Held back, the click is delivered once the cycle has returned.
        QTRY_COMPARE(boton->text(), QStringLiteral("&Iniciar"));
        QTRY_VERIFY(!w.isVisible()); // closed on the second free tick after the cycle
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
        TestCicloVentana t;
        rc = QTest::qExec(&t, argc, argv);
    }
    xvfb.terminate();
    xvfb.waitForFinished(3000);
    return rc;
}

#include "test_ciclo_ventana.moc"

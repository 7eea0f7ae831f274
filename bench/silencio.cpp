// One cycle against a centre that goes silent in the middle of a session,
// with responses awaited for N pending files, at the product's stall time-out
// (60 s) unless told otherwise. Prints the cycle's time, the logins it made
// and the error windows it raised; a cycle that waits out more than one
// time-out and a half fails.
//
//     build/korvabench-silencio [--pendientes N] [--estancado S] [--control]
//
// Without --control the data connections go silent (pausa-tras 0); with it
// the control connection does (silencio).
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

#include "CentroSimulado.h"
#include "DatosOficina.h"
#include "RelojGuionado.h"
#include "SinDialogos.h"
#include "VentanaErrorGrabadora.h"
#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "comun/Transferencia.h"
#include "cycle/Ciclo.h"
#include "platform/ClienteFtpCurl.h"
#include "platform/fs.h"

using namespace korva;

namespace {

int valor(const QStringList& args, const QString& opcion, int porDefecto) {
    const qsizetype i = args.indexOf(opcion);
    return i >= 0 && i + 1 < args.size() ? args[i + 1].toInt() : porDefecto;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int pendientes = valor(args, QStringLiteral("--pendientes"), 10);
    OpcionesCurl oftp; // the product's time-outs
    oftp.estancadoS = valor(args, QStringLiteral("--estancado"), oftp.estancadoS);
    const bool control = args.contains(QStringLiteral("--control"));
    if (qEnvironmentVariableIsEmpty("KORVA_SOURCE_DIR"))
        qputenv("KORVA_SOURCE_DIR", KORVA_SOURCE_DIR);

    test::CentroSimulado centro;
    if (!centro.listo()) {
        std::fprintf(stderr, "korvabench-silencio: the simulated centre did not start: %s\n",
                     qPrintable(centro.diagnostico()));
        return 2;
    }
    QTemporaryDir dir;
    EstadoPrincipal st;
    bench::SinDialogos dlg;
    test::RelojGuionado reloj(QDateTime(QDate(2026, 2, 14), QTime(8, 0, 0)));
    test::VentanaErrorGrabadora ventana;
    Contexto ctx{st, dlg, reloj, dir.path()};
    ctx.ventanaError = &ventana;
    const QString envio = oficina::describe(st, dir.path()).envio;
    QDir().mkpath(envio + QStringLiteral("/Pend"));
    st.config().setChk(slot::EnvioAutomatico, true);
    st.config().setChk(slot::Firmar, false);
    st.config().setSlot(slot::ServidorActual, QStringLiteral("127.0.0.1"));
    st.config().setSlot(slot::Puerto, QString::number(centro.puerto()));
    st.config().setSlot(slot::ContrasenaFtp, centro.contrasena());
    st.config().setChk(slot::Pasivo, true);
    ClienteFtpCurl ftp(oftp);
    ctx.ftp = &ftp;
    for (int i = 1; i <= pendientes; ++i) {
        const QString n = QStringLiteral("m4321%1.045").arg(i, 3, 10, QLatin1Char('0'));
        fs::escribeAtomico(envio + QStringLiteral("/Pend/") + n, "500|1|4321|\r\n");
        centro.pon(QStringLiteral("ENV/") + n.left(8) + QStringLiteral(".err"), "respuesta");
    }

    if (ConnectToHost(ctx) != 0 ||
        !centro.orden(control ? QStringLiteral("silencio") : QStringLiteral("pausa-tras 0")))
        return 2;
    QElapsedTimer t;
    t.start();
    EjecutaCiclo(ctx);
    const qint64 ms = t.elapsed();
    QStringList codigos;
    for (qint32 c : ventana.codigos)
        codigos << QString::number(c);
    std::printf("silent %s connection, %d pending, stall time-out %d s: cycle %lld ms, %d login(s), "
                "error windows [%s]\n",
                control ? "control" : "data", pendientes, oftp.estancadoS, ms,
                centro.cuenta(QStringLiteral("PASS")), qPrintable(codigos.join(QStringLiteral(", "))));
    return ms <= oftp.estancadoS * 1500 ? 0 : 1;
}

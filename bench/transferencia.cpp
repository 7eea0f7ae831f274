// Times the transfer operations against vsftpd on 127.0.0.1 beside lftp doing
// the same work over one connection: 500 uploads, 500 downloads and 500
// attempts at missing files. Runs as root (vsftpd drops to its ftp user).
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "ServidorBanco.h"
#include "SinDialogos.h"

#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "comun/Transferencia.h"
#include "platform/ClienteFtpCurl.h"
#include "platform/Reloj.h"

using namespace korva;
using namespace korva::banco;
using korva::bench::SinDialogos;

namespace {

constexpr int kArchivos = 500;
constexpr int kTamano = 20 * 1024;
constexpr int kRondas = 5;

struct Fase {
    const char* nombre;
    double ms = 0;      // whole phase
    double maxOpMs = 0; // slowest single operation
    double p99Ms = 0;   // and the 99th percentile, less swayed by a busy machine
    int fallos = 0;     // operations whose result was not the expected one
    double lftpMs = 0;
};

double corre(const std::function<bool(int)>& op, int n, std::vector<double>* tiempos, int* fallos) {
    QElapsedTimer total;
    total.start();
    for (int i = 0; i < n; ++i) {
        QElapsedTimer t;
        t.start();
        if (!op(i))
            ++*fallos;
        tiempos->push_back(t.nsecsElapsed() / 1e6);
    }
    return total.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (!requisitos("korvabench-transferencia"))
        return 2;
    QTemporaryDir tmp;
    Vsftpd servidor;
    if (!servidor.arranca(tmp.path(), {QStringLiteral("korva"), QStringLiteral("lftp")})) {
        std::fprintf(stderr, "korvabench-transferencia: %s\n", qPrintable(servidor.error()));
        return 2;
    }
    const quint16 puerto = servidor.puerto();

    const QString local = tmp.filePath(QStringLiteral("local"));
    const QString bajadas = tmp.filePath(QStringLiteral("bajadas"));
    const QString bajadasLftp = tmp.filePath(QStringLiteral("bajadas-lftp"));
    for (const QString& d : {local, bajadas, bajadasLftp})
        QDir().mkpath(d);
    QByteArray datos(kTamano, 'x');
    for (int i = 0; i < kArchivos; ++i) {
        datos[0] = char('a' + i % 26);
        escribe(local + QStringLiteral("/f%1").arg(i, 3, 10, QLatin1Char('0')), datos);
    }
    auto nombre = [](int i) { return QStringLiteral("f%1").arg(i, 3, 10, QLatin1Char('0')); };

    EstadoPrincipal st;
    SinDialogos dlg;
    RelojSistema reloj;
    Contexto ctx{st, dlg, reloj, tmp.path()};
    ClienteFtpCurl cliente;
    ctx.ftp = &cliente;
    st.config().setSlot(slot::ServidorActual, QStringLiteral("127.0.0.1"));
    st.config().setSlot(slot::Puerto, QString::number(puerto));
    st.config().setSlot(slot::Usuario, kUsuario);
    st.config().setSlot(slot::ContrasenaFtp, kContrasena);
    st.config().setChk(slot::Pasivo, true);
    st.sesion().setMostrarErrores(false);

    // lftp over one connection per phase, the same files.
    const QString abre = abreLftp(puerto);
    QString sube = abre, baja = abre, falta = abre;
    for (int i = 0; i < kArchivos; ++i) {
        sube += QStringLiteral("put %1/%2 -o lftp/%2\n").arg(local, nombre(i));
        baja += QStringLiteral("get lftp/%2 -o %1/%2\n").arg(bajadasLftp, nombre(i));
        falta += QStringLiteral("get lftp/no%2 -o %1/no\n").arg(bajadasLftp, nombre(i));
    }
    const QString guiones[3] = {tmp.filePath("sube.lftp"), tmp.filePath("baja.lftp"),
                                tmp.filePath("falta.lftp")};
    escribe(guiones[0], sube.toUtf8());
    escribe(guiones[1], baja.toUtf8());
    escribe(guiones[2], falta.toUtf8());

    const std::function<bool(int)> ops[3] = {
        [&](int i) { return SendFile(ctx, local + '/' + nombre(i), "korva/" + nombre(i)) == 0; },
        [&](int i) { return ReceiveFile(ctx, bajadas + '/' + nombre(i), "korva/" + nombre(i)) == 0; },
        [&](int i) { return ReceiveFile(ctx, bajadas + "/no", "korva/no" + nombre(i)) != 0; },
    };
    // The machine is shared: both clients run each phase in turn, three
    // rounds, and the best round of each counts.
    Fase fases[3] = {{"upload"}, {"download"}, {"missing file"}};
    for (int f = 0; f < 3; ++f) {
        fases[f].ms = fases[f].lftpMs = 1e12;
        for (int ronda = 0; ronda < kRondas; ++ronda) {
            std::vector<double> tiempos;
            // Each round opens its connection, as lftp's does.
            const double ms = corre(ops[f], kArchivos, &tiempos, &fases[f].fallos);
            DisconnectFromHost(ctx);
            if (ms < fases[f].ms) {
                fases[f].ms = ms;
                std::sort(tiempos.begin(), tiempos.end());
                fases[f].maxOpMs = tiempos.back();
                fases[f].p99Ms = tiempos[tiempos.size() * 99 / 100];
            }
            fases[f].lftpMs = std::min(fases[f].lftpMs, lftp(guiones[f]));
        }
    }
    const int bajadosLftp = int(QDir(bajadasLftp).entryList(QDir::Files).size());

    std::printf("%d files of %d bytes, vsftpd on 127.0.0.1, plain FTP, passive, best of %d rounds\n",
                kArchivos, kTamano, kRondas);
    std::printf("%-13s %10s %9s %8s %9s %10s %9s %6s %7s\n", "phase", "korva ms", "ms/op", "p99 op", "max op",
                "lftp ms", "ms/op", "ratio", "failed");
    bool ok = bajadosLftp == kArchivos;
    for (const Fase& f : fases) {
        const double ratio = f.ms / f.lftpMs;
        std::printf("%-13s %10.1f %9.3f %8.2f %9.2f %10.1f %9.3f %6.2f %7d\n", f.nombre, f.ms,
                    f.ms / kArchivos, f.p99Ms, f.maxOpMs, f.lftpMs, f.lftpMs / kArchivos, ratio, f.fallos);
        ok = ok && ratio <= 1.0 && f.maxOpMs <= 20.0 && f.fallos == 0;
    }
    std::printf("targets (ratio <= 1.0, no operation over 20 ms, no failure): %s\n", ok ? "met" : "NOT met");
    return ok ? 0 : 1;
}

// Times the transfer operations against vsftpd on 127.0.0.1 beside lftp doing
// the same work over one connection: 500 uploads, 500 downloads and 500
// attempts at missing files. Runs as root (vsftpd drops to its ftp user).
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <pwd.h>
#include <unistd.h>
#include <vector>

#include "app/Contexto.h"
#include "app/MainState.h"
#include "exchange/Transferencia.h"
#include "platform/Clock.h"
#include "platform/CurlFtpClient.h"
#include "platform/Dialogs.h"

using namespace korva;

namespace {

constexpr int kArchivos = 500;
constexpr int kTamano = 20 * 1024;
constexpr int kRondas = 5;

class SinDialogos final : public Dialogs {
public:
    void mensaje(Icono, const QString&, const QString&) override {}
    bool pregunta(const QString&, const QString&) override { return false; }
    void beep() override {}
    void puntero(Puntero) override {}
    void archivosaEnviar(Contexto&, QStringList&) override {}
};

quint16 puertoLibre() {
    QTcpServer s;
    s.listen(QHostAddress::LocalHost);
    return s.serverPort();
}

bool escribe(const QString& ruta, const QByteArray& datos) {
    QFile f(ruta);
    return f.open(QIODevice::WriteOnly) && f.write(datos) == datos.size();
}

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

double lftp(const QString& guion) {
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("lftp"), {QStringLiteral("-f"), guion});
    p.waitForFinished(600000);
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (geteuid() != 0) {
        std::fprintf(stderr, "korvabench: run as root (vsftpd needs it)\n");
        return 2;
    }
    const QString vsftpd =
        QStandardPaths::findExecutable(QStringLiteral("vsftpd"), {"/usr/sbin", "/usr/bin"});
    if (vsftpd.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("lftp")).isEmpty()) {
        std::fprintf(stderr, "korvabench: needs vsftpd and lftp (apt-get install vsftpd lftp)\n");
        return 2;
    }
    const passwd* ftp = getpwnam("ftp");
    if (!ftp) {
        std::fprintf(stderr, "korvabench: no ftp user (installed with vsftpd)\n");
        return 2;
    }
    QTemporaryDir tmp;
    // vsftpd refuses a world-readable temporary root owned by someone else: a
    // root-owned account folder with one writable area for the ftp user.
    const QString raiz = tmp.filePath(QStringLiteral("raiz"));
    const QString pub = raiz + QStringLiteral("/pub");
    QDir().mkpath(pub + QStringLiteral("/korva"));
    QDir().mkpath(pub + QStringLiteral("/lftp"));
    for (const QString& d : {pub, pub + QStringLiteral("/korva"), pub + QStringLiteral("/lftp")})
        if (chown(QFile::encodeName(d).constData(), ftp->pw_uid, ftp->pw_gid) != 0)
            return 2;
    QDir().mkpath(QStringLiteral("/var/run/vsftpd/empty"));

    const quint16 puerto = puertoLibre();
    const QString conf = tmp.filePath(QStringLiteral("vsftpd.conf"));
    escribe(conf, QStringLiteral(
                      "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\nlisten_port=%1\n"
                      "background=NO\nanonymous_enable=YES\nlocal_enable=NO\nwrite_enable=YES\n"
                      "anon_upload_enable=YES\nanon_mkdir_write_enable=YES\nanon_other_write_enable=YES\n"
                      "anon_umask=022\nanon_root=%2\nno_anon_password=YES\nallow_writeable_chroot=YES\n"
                      "pasv_enable=YES\npasv_address=127.0.0.1\nseccomp_sandbox=NO\nisolate=NO\n"
                      "isolate_network=NO\nxferlog_enable=NO\ndirmessage_enable=NO\n"
                      "secure_chroot_dir=/var/run/vsftpd/empty\nmax_per_ip=0\nmax_clients=0\n")
                      .arg(puerto)
                      .arg(raiz)
                      .toUtf8());
    QProcess servidor;
    servidor.start(vsftpd, {conf});
    bool listo = false;
    for (int i = 0; i < 100 && !listo; ++i) {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, puerto);
        listo = s.waitForConnected(100);
        if (!listo)
            QThread::msleep(50);
    }
    if (!listo) {
        std::fprintf(stderr, "korvabench: vsftpd did not start: %s\n", servidor.readAll().constData());
        return 2;
    }

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

    MainState st;
    SinDialogos dlg;
    SystemClock reloj;
    Contexto ctx{st, dlg, reloj, tmp.path()};
    CurlFtpClient cliente;
    ctx.ftp = &cliente;
    st.setSlot(slot::ServidorActual, QStringLiteral("127.0.0.1"));
    st.setSlot(slot::Puerto, QString::number(puerto));
    st.setSlot(slot::Usuario, QStringLiteral("anonymous"));
    st.setSlot(slot::ContrasenaFtp, QStringLiteral("korva@"));
    st.setChk(slot::Pasivo, true);
    st.MostrarErrores = false;

    // lftp over one connection per phase, the same files.
    const QString abre = QStringLiteral("set cmd:fail-exit no\nset net:max-retries 1\nset ftp:ssl-allow no\n"
                                        "set xfer:clobber on\nset cmd:interactive no\n"
                                        "open -u anonymous,korva@ -p %1 127.0.0.1\n")
                             .arg(puerto);
    QString sube = abre, baja = abre, falta = abre;
    for (int i = 0; i < kArchivos; ++i) {
        sube += QStringLiteral("put %1/%2 -o pub/lftp/%2\n").arg(local, nombre(i));
        baja += QStringLiteral("get pub/lftp/%2 -o %1/%2\n").arg(bajadasLftp, nombre(i));
        falta += QStringLiteral("get pub/lftp/no%2 -o %1/no\n").arg(bajadasLftp, nombre(i));
    }
    const QString guiones[3] = {tmp.filePath("sube.lftp"), tmp.filePath("baja.lftp"),
                                tmp.filePath("falta.lftp")};
    escribe(guiones[0], sube.toUtf8());
    escribe(guiones[1], baja.toUtf8());
    escribe(guiones[2], falta.toUtf8());

    const std::function<bool(int)> ops[3] = {
        [&](int i) { return SendFile(ctx, local + '/' + nombre(i), "pub/korva/" + nombre(i)) == 0; },
        [&](int i) { return ReceiveFile(ctx, bajadas + '/' + nombre(i), "pub/korva/" + nombre(i)) == 0; },
        [&](int i) { return ReceiveFile(ctx, bajadas + "/no", "pub/korva/no" + nombre(i)) != 0; },
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

    servidor.terminate();
    servidor.waitForFinished(3000);

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

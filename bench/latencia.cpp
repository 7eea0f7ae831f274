// The outgoing and response passes on a line with real latency: the benchmark
// moves into a network namespace of its own whose loopback holds every packet
// 25 ms (a 50 ms round trip, EnlaceLento.h), starts vsftpd there, plain and
// with explicit TLS, and times the outgoing pass of 100 validation files and
// the response pass of 100 pending files (half answered) beside lftp doing
// the same transfers on the same line. On such a line the cost of a pass is
// its round trips: each upload, found response and missing response is timed
// on its own and divided by the measured round trip.
//
//     sudo build/korvabench-latencia [rounds, default 3] [folder, default the program's] [files, default 100]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "EnlaceLento.h"
#include "Oficina.h"
#include "ServidorBanco.h"
#include "comun/Transferencia.h"
#include "platform/ClienteFtpCurl.h"
#include "platform/FtpErrores.h"

using namespace korva;
using namespace korva::banco;

namespace {

constexpr int kRetardoMs = 25; // each way
constexpr int kCandidatosPorOmision = 100;
constexpr int kTamano = 20 * 1024;
constexpr int kRondasPorOmision = 3;

double mediana(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Our client with every operation timed by its outcome.
class Cronometrado final : public ClienteFtp {
public:
    explicit Cronometrado(OpcionesCurl o) : real_(std::move(o)) {}
    std::vector<double> conexiones, subidas, encontradas, faltantes;

    bool conectado() const override { return real_.conectado(); }
    qint32 conecta() override {
        real_.ajustes = ajustes;
        return mide([&] { return real_.conecta(); }, conexiones, conexiones);
    }
    qint32 desconecta() override { return real_.desconecta(); }
    qint32 recibe(const QString& local, const QString& remoto) override {
        return mide([&] { return real_.recibe(local, remoto); }, encontradas, faltantes);
    }
    qint32 envia(const QString& local, const QString& remoto) override {
        return mide([&] { return real_.envia(local, remoto); }, subidas, fallidas_);
    }
    qint32 recibeVarios(const QString& l, const QString& r, const QString& m) override {
        return real_.recibeVarios(l, r, m);
    }
    qint32 borra(const QString& remoto) override { return real_.borra(remoto); }

private:
    template <typename F> qint32 mide(F&& f, std::vector<double>& bien, std::vector<double>& mal) {
        QElapsedTimer t;
        t.start();
        const qint32 c = f();
        (c == codigos::Ninguno ? bien : mal).push_back(t.nsecsElapsed() / 1e6);
        if (c != codigos::Ninguno && c != codigos::ArchivoRemotoNoDisponible && !avisado_) {
            avisado_ = true;
            std::fprintf(stderr, "korvabench-latencia: an operation failed with %d\n", int(c));
        }
        return c;
    }
    ClienteFtpCurl real_;
    std::vector<double> fallidas_;
    bool avisado_ = false;
};

struct Modo {
    const char* nombre = "";
    bool tls = false;
    Vsftpd servidor;
    std::unique_ptr<Cronometrado> cliente;
    std::unique_ptr<Oficina> oficina;
    Tiempos envio, mput, respuesta, gets;
};

} // namespace

int main(int argc, char** argv) {
    // First, while this is the only thread: the namespace is entered by it.
    const Enlace enlace = entraEnEnlaceLento(kRetardoMs);
    if (!enlace.listo) {
        std::fprintf(stderr, "korvabench-latencia: %s\n", enlace.error);
        return 2;
    }
    QCoreApplication app(argc, argv);
    const int rondas = argc > 1 ? std::max(1, atoi(argv[1])) : kRondasPorOmision;
    const QString base = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QCoreApplication::applicationDirPath();
    const int candidatos = argc > 3 ? std::max(2, atoi(argv[3])) : kCandidatosPorOmision;
    if (!requisitos("korvabench-latencia"))
        return 2;
    const double rtt = idaYVueltaMs();
    if (rtt < 1.6 * kRetardoMs) {
        std::fprintf(stderr, "korvabench-latencia: the link does not hold packets (round trip %.2f ms)\n",
                     rtt);
        return 2;
    }
    QTemporaryDir tmp(base + QStringLiteral("/korvabench-latencia-XXXXXX"));
    if (!tmp.isValid()) {
        std::fprintf(stderr, "korvabench-latencia: cannot create a folder in %s\n", qPrintable(base));
        return 2;
    }

    // The ftp user passes through it to each server's account.
    QFile(tmp.path()).setPermissions(QFile(tmp.path()).permissions() | QFile::ExeGroup | QFile::ExeOther);
    Modo modos[2];
    modos[0].nombre = "plain FTP";
    modos[1].nombre = "FTPS";
    modos[1].tls = true;
    for (Modo& m : modos) {
        const QString trabajo = tmp.filePath(QLatin1String(m.tls ? "tls" : "plano"));
        if (!m.servidor.arranca(
                trabajo, {QStringLiteral("REC"), QStringLiteral("ENV"), QStringLiteral("LFTP")}, m.tls)) {
            std::fprintf(stderr, "korvabench-latencia: %s\n", qPrintable(m.servidor.error()));
            return 2;
        }
        OpcionesCurl o;
        o.archivoCA = m.servidor.archivoCA();
        m.cliente = std::make_unique<Cronometrado>(o);
        m.oficina = std::make_unique<Oficina>(trabajo, m.servidor, *m.cliente, candidatos, kTamano);
        if (!m.oficina->prepara()) {
            std::fprintf(stderr, "korvabench-latencia: cannot write the files in %s\n", qPrintable(trabajo));
            return 2;
        }
    }

    for (int r = 0; r < rondas; ++r) {
        for (Modo& m : modos) {
            m.oficina->envio(m.envio);
            m.oficina->lftpSube(m.mput);
            m.oficina->respuesta(m.respuesta);
            m.oficina->lftpBaja(m.gets);
        }
    }

    std::printf("%s; TCP connect %.1f ms (the round trip)\n", enlace.medio, rtt);
    std::printf("vsftpd on 127.0.0.1, passive, %d files of %d bytes, %d of %d pending answered;\n"
                "best (median) of %d rounds, ms; round trips = time / %.1f ms\n",
                candidatos, kTamano, modos[0].oficina->contestadas(), candidatos, rondas, rtt);
    bool cumple = true, sinFallos = true;
    for (Modo& m : modos) {
        const Cronometrado& c = *m.cliente;
        std::printf("%s\n", m.nombre);
        auto fila = [&](const char* que, const Tiempos& t) {
            std::printf("  %-40s %8.0f (%8.0f)  %5.1f round trips a file  failed rounds %d\n", que, t.mejor(),
                        t.mediana(), t.mejor() / candidatos / rtt, t.fallos);
            sinFallos = sinFallos && t.fallos == 0;
        };
        fila("outgoing pass", m.envio);
        fila("lftp mput", m.mput);
        fila("response pass", m.respuesta);
        fila("lftp, one get per pending file", m.gets);
        std::printf(
            "  our client, median of every operation: login %.0f ms (%.1f round trips), upload %.1f ms "
            "(%.1f),\n    found response %.1f ms (%.1f), missing response %.1f ms (%.1f)\n",
            mediana(c.conexiones), mediana(c.conexiones) / rtt, mediana(c.subidas), mediana(c.subidas) / rtt,
            mediana(c.encontradas), mediana(c.encontradas) / rtt, mediana(c.faltantes),
            mediana(c.faltantes) / rtt);
        const double rEnvio = m.envio.mejor() / m.mput.mejor();
        const double rRespuesta = m.respuesta.mejor() / m.gets.mejor();
        std::printf("  outgoing pass / lftp mput   %5.2f  (target <= 1.00) %s\n", rEnvio,
                    rEnvio <= 1.0 ? "met" : "NOT met");
        std::printf("  response pass / lftp gets   %5.2f  (target <= 1.00) %s\n", rRespuesta,
                    rRespuesta <= 1.0 ? "met" : "NOT met");
        cumple = cumple && rEnvio <= 1.0 && rRespuesta <= 1.0;
    }
    // What each operation cannot do with less, for a client that waits for
    // each reply (neither ours nor lftp pipelines commands).
    std::printf(
        "round trips an operation needs, against this server:\n"
        "  upload            5: EPSV, the data connection's TCP handshake, STOR until 150, and 2 from the\n"
        "                       last byte to 226 (the server closes the data connection and waits for that\n"
        "                       close to be acknowledged before it replies); over TLS the data connection's\n"
        "                       resumed handshake runs beside STOR: 5 as well. lftp: the same 5 (PASV).\n"
        "  missing response  3: EPSV, the TCP handshake, RETR until 550. One command (SIZE, MDTM) could\n"
        "                       tell in 1, but a 550 to it does not prove the file missing on every server\n"
        "                       (a server may refuse the command and still serve the file): a response\n"
        "                       taken for missing would never be fetched. lftp: 5 (SIZE, MDTM, PASV, TCP, "
        "RETR).\n"
        "  found response    4: EPSV, the TCP handshake, RETR with the data, and 1 to 226 (the same close);\n"
        "                       over TLS about 2.5 more: the data waits for the handshake's end, and the "
        "server\n"
        "                       waits for our close_notify before it closes. lftp: 6 (SIZE and MDTM first).\n"
        "  login             plain: TCP, banner, AUTH TLS and AUTH SSL refused, USER, PASS, PWD, TYPE I;\n"
        "                    TLS: AUTH TLS, the full handshake (2), USER, PASS, PBSZ, PROT, PWD, TYPE I.\n");
    for (Modo& m : modos)
        DisconnectFromHost(m.oficina->contexto());
    if (!sinFallos)
        std::printf("some rounds did not leave the expected files (see failed rounds)\n");
    return cumple && sinFallos ? 0 : 1;
}

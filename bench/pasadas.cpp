// Times the two halves of a cycle as the cycle runs them, against vsftpd on
// 127.0.0.1: the outgoing pass with 500 validation files of 20 KB (with 500
// and with 5,000 entries in the send folder) and the response pass with 500
// pending files of which half are answered; beside them lftp does the same
// uploads (mput) and downloads (one get per pending file) over one connection.
// Runs as root (vsftpd).
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "Oficina.h"
#include "ServidorBanco.h"
#include "comun/Transferencia.h"
#include "platform/ClienteFtpCurl.h"

using namespace korva;
using namespace korva::banco;

namespace {

constexpr int kCandidatos = 500;
constexpr int kEntradasGrande = 5000;
constexpr int kTamano = 20 * 1024;
constexpr int kRondasPorOmision = 5;

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rondas = argc > 1 ? std::max(1, atoi(argv[1])) : kRondasPorOmision;
    // Beside the program unless told: a /tmp where test suites create and
    // delete thousands of files makes every file creation slow (see aparta).
    const QString base = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QCoreApplication::applicationDirPath();
    if (!requisitos("korvabench-pasadas"))
        return 2;
    QTemporaryDir tmp(base + QStringLiteral("/korvabench-pasadas-XXXXXX"));
    if (!tmp.isValid()) {
        std::fprintf(stderr, "korvabench-pasadas: cannot create a folder in %s\n", qPrintable(base));
        return 2;
    }
    Vsftpd servidor;
    if (!servidor.arranca(tmp.path(),
                          {QStringLiteral("REC"), QStringLiteral("ENV"), QStringLiteral("LFTP")})) {
        std::fprintf(stderr, "korvabench-pasadas: %s\n", qPrintable(servidor.error()));
        return 2;
    }
    ClienteFtpCurl cliente;
    Oficina oficina(tmp.path(), servidor, cliente, kCandidatos, kTamano);
    if (!oficina.prepara()) {
        std::fprintf(stderr, "korvabench-pasadas: cannot write the files in %s\n", qPrintable(tmp.path()));
        return 2;
    }
    // A send folder that is never cleaned up: the same 500 candidates and
    // 4,500 files of the nine days before, all in its register.
    const QString envioGrande = oficina.carpetaConDiasViejos(kEntradasGrande);
    const int entradasGrande = int(QDir(envioGrande).entryList(QDir::Files).size());
    const int contestadas = oficina.contestadas();

    // The machine is shared: each round runs every measurement in turn, and
    // the best round of each counts.
    Tiempos chico, grande, mput, pasadaRespuesta, gets;
    for (int r = 0; r < rondas; ++r) {
        oficina.envio(chico);
        oficina.envio(envioGrande, grande);
        oficina.lftpSube(mput);
        oficina.respuesta(pasadaRespuesta);
        oficina.lftpBaja(gets);
    }
    DisconnectFromHost(oficina.contexto());

    const double rEnvio = chico.mejor() / mput.mejor();
    const double rGrande = grande.mejor() / chico.mejor();
    const double rRespuesta = pasadaRespuesta.mejor() / gets.mejor();
    std::printf("vsftpd on 127.0.0.1, plain FTP, passive, files of %d bytes, folders in %s;\n"
                "best (median) of %d rounds, ms\n",
                kTamano, qPrintable(base), rondas);
    auto fila = [](const char* que, const Tiempos& t) {
        std::printf("  %-46s %9.1f (%9.1f) %8.3f ms/file  failed rounds %d\n", que, t.mejor(), t.mediana(),
                    t.mejor() / kCandidatos, t.fallos);
    };
    fila("outgoing pass, 500 entries in the send folder", chico);
    fila(qPrintable(QStringLiteral("outgoing pass, %1 entries in the send folder").arg(entradasGrande)),
         grande);
    fila("lftp mput of the same 500 files", mput);
    fila(qPrintable(QStringLiteral("response pass, 500 pending, %1 answered").arg(contestadas)),
         pasadaRespuesta);
    fila("lftp, one get per pending file", gets);
    const bool okEnvio = rEnvio <= 1.3, okGrande = rGrande <= 1.1, okRespuesta = rRespuesta <= 1.0;
    std::printf("outgoing pass / lftp mput          %5.2f  (target <= 1.30) %s\n", rEnvio,
                okEnvio ? "met" : "NOT met");
    std::printf("outgoing pass, 5000 / 500 entries  %5.2f  (target <= 1.10) %s\n", rGrande,
                okGrande ? "met" : "NOT met");
    std::printf("response pass / lftp gets          %5.2f  (target <= 1.00) %s\n", rRespuesta,
                okRespuesta ? "met" : "NOT met");
    const bool sinFallos =
        !chico.fallos && !grande.fallos && !mput.fallos && !pasadaRespuesta.fallos && !gets.fallos;
    if (!sinFallos)
        std::printf("some rounds did not leave the expected files (see failed rounds)\n");
    return okEnvio && okGrande && okRespuesta && sinFallos ? 0 : 1;
}

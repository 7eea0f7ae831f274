// Times the two halves of a cycle as the cycle runs them, against vsftpd on
// 127.0.0.1: the outgoing pass with 500 validation files of 20 KB (with 500
// and with 5,000 entries in the send folder) and the response pass with 500
// pending files of which half are answered; beside them lftp does the same
// uploads (mput) and downloads (one get per pending file) over one connection.
// Runs as root (vsftpd).
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "ServidorBanco.h"
#include "SinDialogos.h"
#include "app/Contexto.h"
#include "app/MainState.h"
#include "cycle/EnvioValidacion.h"
#include "cycle/Nombres.h"
#include "exchange/Respuestas.h"
#include "exchange/Transferencia.h"
#include "platform/Clock.h"
#include "platform/CurlFtpClient.h"
#include "platform/Files.h"
#include "records/Bitacora.h"

using namespace korva;
using namespace korva::banco;
using korva::bench::SinDialogos;

namespace {

constexpr int kCandidatos = 500;
constexpr int kEntradasGrande = 5000;
constexpr int kTamano = 20 * 1024;
constexpr int kRondasPorOmision = 5;

QString nombreValidacion(int folio, int dia) {
    return QStringLiteral("m%1%2.%3")
        .arg(kUsuario.right(4))
        .arg(folio, 3, 10, QLatin1Char('0'))
        .arg(dia, 3, 10, QLatin1Char('0'));
}

// Best and median of the rounds: the best is what the code costs, the median
// how much the shared machine swayed it.
struct Tiempos {
    std::vector<double> ms;
    int fallos = 0;
    double mejor() const { return ms.empty() ? 0 : *std::min_element(ms.begin(), ms.end()); }
    double mediana() const {
        std::vector<double> v = ms;
        std::sort(v.begin(), v.end());
        return v.empty() ? 0 : v[v.size() / 2];
    }
};

double cronometra(const std::function<void()>& f) {
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

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

    MainState st;
    SinDialogos dlg;
    SystemClock reloj;
    Contexto ctx{st, dlg, reloj, tmp.path()};
    CurlFtpClient cliente;
    ctx.ftp = &cliente;
    st.MostrarErrores = false;
    st.setSlot(slot::ServidorActual, QStringLiteral("127.0.0.1"));
    st.setSlot(slot::Puerto, QString::number(servidor.puerto()));
    st.setSlot(slot::Usuario, kUsuario);
    st.setSlot(slot::ContrasenaFtp, kContrasena);
    st.setChk(slot::Pasivo, true);
    st.setChk(slot::EnvioAutomatico, true);
    st.setChk(slot::Firmar, false);
    st.setChk(slot::RutasAdicionales, false);
    st.setSlot(slot::FolioInferior, QStringLiteral("001"));
    st.setSlot(slot::FolioSuperior, QStringLiteral("999"));
    st.DiaJulianoActual = Get_Juliano(reloj);
    const int hoy = st.DiaJulianoActual;

    // Two send folders with the same 500 candidates; the large one also holds
    // 4,500 files of the nine days before, all in its register, as a send
    // folder that is never cleaned up does.
    const QString envioChico = tmp.filePath(QStringLiteral("envio500"));
    const QString envioGrande = tmp.filePath(QStringLiteral("envio5000"));
    const QString recibo = tmp.filePath(QStringLiteral("recibo"));
    const QString fuenteLftp = tmp.filePath(QStringLiteral("fuente-lftp"));
    const QString bajadasLftp = tmp.filePath(QStringLiteral("bajadas-lftp"));
    const QString basura = tmp.filePath(QStringLiteral("basura"));
    for (const QString& d : {envioChico, envioGrande, recibo, fuenteLftp, bajadasLftp})
        QDir().mkpath(d);
    st.setSlot(slot::DirRecibo, recibo);

    QByteArray datos(kTamano, 'x');
    QStringList candidatos;
    for (int folio = 1; folio <= kCandidatos; ++folio) {
        const QString n = nombreValidacion(folio, hoy);
        candidatos << n;
        datos[0] = char('a' + folio % 26);
        for (const QString& d : {envioChico, envioGrande, fuenteLftp})
            escribe(d + QLatin1Char('/') + n, datos);
    }
    for (int k = 1; k * kCandidatos < kEntradasGrande; ++k)
        for (int folio = 1; folio <= kCandidatos; ++folio)
            escribe(envioGrande + QLatin1Char('/') + nombreValidacion(folio, (hoy - k + 364) % 365 + 1),
                    datos);
    QStringList viejas;
    for (const fs::Entrada& e : fs::lista(envioGrande))
        if (!candidatos.contains(e.nombre))
            viejas << lineaBitacora(e.nombre, e.modificado());
    const QByteArray registroGrande = fs::comoTexto(viejas);
    const int entradasGrande = int(QDir(envioGrande).entryList(QDir::Files).size());

    // Responses to the even folios wait in ENV/.
    QStringList respuestas; // remote names, one per pending file
    for (const QString& n : candidatos)
        respuestas << nombreRespuesta(st, n);
    int contestadas = 0;
    for (int i = 1; i < respuestas.size(); i += 2, ++contestadas)
        escribe(servidor.ruta(respuestas[i]), datos);

    const QString abre = abreLftp(servidor.puerto());
    const QString guionSube = tmp.filePath(QStringLiteral("sube.lftp"));
    const QString guionBaja = tmp.filePath(QStringLiteral("baja.lftp"));
    escribe(guionSube, (abre + QStringLiteral("lcd %1\nmput -O LFTP m*\n").arg(fuenteLftp)).toUtf8());
    QString baja = abre;
    for (const QString& r : respuestas)
        baja += QStringLiteral("get %1 -o %2/%3\n").arg(r, bajadasLftp, r.section(QLatin1Char('/'), 1));
    escribe(guionBaja, baja.toUtf8());

    // One outgoing pass from a clean start: nothing registered (but the old
    // days), no Pend or Enviados copies, no log, a fresh connection.
    auto envio = [&](const QString& carpeta, const QByteArray& registro, Tiempos& t) {
        st.setSlot(slot::DirEnvio, carpeta);
        aparta(carpeta + QStringLiteral("/Pend"), basura);
        aparta(carpeta + QStringLiteral("/Enviados"), basura);
        fs::escribeAtomico(rutaRegistro(st), registro);
        aparta(recibo, basura);
        QDir().mkpath(recibo);
        servidor.renueva(QStringLiteral("REC"), basura);
        st.vacia(Lista::Enviados);
        DisconnectFromHost(ctx);
        t.ms.push_back(cronometra([&] { EnviaArchivosValidacion(ctx); }));
        const bool bien =
            cuentaArchivos(servidor.ruta(QStringLiteral("REC"))) == kCandidatos &&
            cuentaArchivos(carpeta + QStringLiteral("/Pend")) == kCandidatos &&
            cuentaArchivos(carpeta + QStringLiteral("/Enviados")) == kCandidatos &&
            fs::leeLineas(rutaLog(st)).size() == kCandidatos &&
            fs::leeLineas(rutaRegistro(st)).size() == (registro.isEmpty() ? 0 : viejas.size()) + kCandidatos;
        t.fallos += !bien;
    };
    // One response pass: every candidate pending, nothing received yet.
    auto respuesta = [&](Tiempos& t) {
        st.setSlot(slot::DirEnvio, envioChico);
        const QString pend = envioChico + QStringLiteral("/Pend");
        aparta(pend, basura);
        QDir().mkpath(pend);
        for (const QString& n : candidatos)
            QFile::copy(fuenteLftp + QLatin1Char('/') + n, pend + QLatin1Char('/') + n);
        aparta(recibo, basura);
        QDir().mkpath(recibo);
        st.vacia(Lista::Recibidos);
        DisconnectFromHost(ctx);
        t.ms.push_back(cronometra([&] {
            refrescaPendientes(ctx);
            BuscaRespuestas(ctx);
        }));
        const bool bien = cuentaArchivos(recibo) == contestadas + 1 /* the log */ &&
                          cuentaArchivos(pend) == kCandidatos - contestadas &&
                          fs::leeLineas(rutaLog(st)).size() == contestadas;
        t.fallos += !bien;
    };
    auto lftpSube = [&](Tiempos& t) {
        servidor.renueva(QStringLiteral("LFTP"), basura);
        t.ms.push_back(lftp(guionSube));
        t.fallos += cuentaArchivos(servidor.ruta(QStringLiteral("LFTP"))) != kCandidatos;
    };
    auto lftpBaja = [&](Tiempos& t) {
        aparta(bajadasLftp, basura);
        QDir().mkpath(bajadasLftp);
        t.ms.push_back(lftp(guionBaja));
        t.fallos += cuentaArchivos(bajadasLftp) != contestadas;
    };

    // The machine is shared: each round runs every measurement in turn, and
    // the best round of each counts.
    Tiempos chico, grande, mput, pasadaRespuesta, gets;
    for (int r = 0; r < rondas; ++r) {
        envio(envioChico, {}, chico);
        envio(envioGrande, registroGrande, grande);
        lftpSube(mput);
        respuesta(pasadaRespuesta);
        lftpBaja(gets);
    }
    DisconnectFromHost(ctx);

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

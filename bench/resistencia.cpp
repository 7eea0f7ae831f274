// A long working day in a few minutes: the started cycle driven by the
// one-second tick of a scripted clock, with a one-second period, against the
// simulated centre over FTPS. Ten files dropped before every cycle; every
// response must arrive once and only once. Resident memory is read after a
// warm-up and at the end; the growth must stay under 5 MB.
//
//     build/korvabench-resistencia [--ciclos N] [--archivos N] [--plano]
//     build/korvabench-resistencia --comparar R [--ciclos N] [--archivos N]
//
// --comparar runs the soak R times over FTPS and R times over plain FTP, in
// turn, and compares their best cycles: TLS must not cost a broker more than
// half again.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

#include "CentroSimulado.h"
#include "DatosOficina.h"
#include "RelojGuionado.h"
#include "SinDialogos.h"
#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "config/ArchivoConfiguracion.h"
#include "cycle/Ciclo.h"
#include "platform/ClienteFtpCurl.h"
#include "platform/fs.h"

using namespace korva;

namespace {

constexpr int kCalentamiento = 20; // cycles before the first memory reading
constexpr qint64 kLimiteCrecimientoKB = 5 * 1024;

// This process's processor time, user and system: the client's own cost,
// apart from the centre's.
double cpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

qint64 residenteKB() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& l : f.readAll().split('\n'))
        if (l.startsWith("VmRSS:"))
            return l.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

int valor(const QStringList& args, const QString& opcion, int porDefecto) {
    const qsizetype i = args.indexOf(opcion);
    return i >= 0 && i + 1 < args.size() ? args[i + 1].toInt() : porDefecto;
}

// The name of the k-th file of the day: folios 1..999 in turn, so a name comes
// back every hundred cycles, rewritten, as the broker's software would.
QString nombreDe(int k) { return QStringLiteral("m4321%1.045").arg(k % 999 + 1, 3, 10, QLatin1Char('0')); }
QString respuestaDe(const QString& enviado) { return enviado.left(8) + QStringLiteral(".err"); }

struct Resultado {
    int estado = 2; // 0 PASS, 1 FAIL, 2 could not run
    double msPorCiclo = 0;
    double cpuPorCiclo = 0;
};

Resultado soak(int ciclos, int porCiclo, bool plano) {
    // Fewer cycles than the warm-up: time the second half.
    const int calentamiento = std::min(kCalentamiento, ciclos / 2);
    test::OpcionesCentro oc;
    oc.tls = !plano;
    oc.argumentos = {QStringLiteral("--aviso-gen"), QStringLiteral("Aviso de prueba")};
    test::CentroSimulado centro(oc);
    if (!centro.listo()) {
        std::fprintf(stderr, "korvabench-resistencia: the simulated centre did not start: %s\n",
                     qPrintable(centro.diagnostico()));
        return {};
    }

    QTemporaryDir dir;
    EstadoPrincipal st;
    bench::SinDialogos dlg;
    test::RelojGuionado reloj(QDateTime(QDate(2026, 2, 14), QTime(8, 0, 0)));
    Contexto ctx{st, dlg, reloj, dir.path()};
    const oficina::Carpetas carpetas = oficina::describe(st, dir.path());
    const QString &envio = carpetas.envio, &recibo = carpetas.recibo;
    st.config().setSlot(slot::FolioSuperior, QStringLiteral("999"));
    st.config().setChk(slot::EnvioAutomatico, true);
    st.config().setChk(slot::Firmar, false);
    st.config().setChk(slot::BajarRegistro001, true);
    st.config().setSlot(slot::ServidorActual, QStringLiteral("127.0.0.1"));
    st.config().setSlot(slot::Puerto, QString::number(centro.puerto()));
    st.config().setSlot(slot::ContrasenaFtp, centro.contrasena());
    st.config().setChk(slot::Pasivo, true);
    st.config().setPeriodo(1);
    OpcionesCurl oftp;
    oftp.archivoCA = centro.archivoCA();
    oftp.conexionMs = 5000;
    oftp.estancadoS = 10;
    ClienteFtpCurl ftp(oftp);
    ctx.ftp = &ftp;
    GrabaConfiguracion(ctx);
    st.config().setConfiguracionModificada(false);

    // Each file's content and time are its own, so a name that comes back is a
    // new file to the register.
    int siguiente = 0;
    QStringList enVuelo; // sent in the last cycle: their responses come in the next one
    const QDateTime base(QDate(2026, 2, 14), QTime(7, 0, 0));
    auto deja = [&] {
        QStringList nombres;
        for (int j = 0; j < porCiclo; ++j, ++siguiente) {
            const QString n = nombreDe(siguiente);
            const QString ruta = envio + QLatin1Char('/') + n;
            fs::escribeAtomico(ruta, QStringLiteral("500|%1|4321|\r\n").arg(siguiente).toLatin1());
            QFile f(ruta);
            f.open(QIODevice::ReadWrite);
            f.setFileTime(base.addSecs(siguiente), QFileDevice::FileModificationTime);
            nombres << n;
        }
        return nombres;
    };

    int faltantes = 0, repetidas = 0, ajenas = 0, sinEnviar = 0, recibidasTotal = 0, r001 = 0;
    auto revisa = [&](const QStringList& esperadas, qsizetype desde) {
        // The received list's entries added by the cycle: "name - HH:mm:ss".
        QHash<QString, int> vistas;
        const QStringList& rec = st.pantalla().lista(Lista::Recibidos);
        for (qsizetype i = desde; i < rec.size(); ++i)
            ++vistas[rec[i].left(12)];
        for (const QString& e : esperadas) {
            const int n = vistas.take(respuestaDe(e));
            faltantes += n == 0 ? 1 : 0;
            repetidas += n > 1 ? n - 1 : 0;
            recibidasTotal += n;
        }
        for (auto it = vistas.cbegin(); it != vistas.cend(); ++it)
            ajenas += it.value();
    };

    QStringList lote = deja();
    Start_Button_Click(ctx); // connects, notices, configuration, first cycle
    if (!st.iniciado()) {
        std::fprintf(stderr, "korvabench-resistencia: the cycle did not start: %s\n",
                     qPrintable(st.pantalla().evento()));
        return {};
    }
    int hechos = 1;
    qint64 rssInicio = -1;
    QElapsedTimer t;
    t.start();
    qint64 msCalentamiento = 0;
    double cpuCalentamiento = 0;
    auto trasCiclo = [&](qsizetype recibidosAntes, qsizetype enviadosAntes) {
        sinEnviar += int(lote.size() - (st.pantalla().lista(Lista::Enviados).size() - enviadosAntes));
        revisa(enVuelo, recibidosAntes);
        enVuelo = lote;
        if (hechos % 50 == 0)
            centro.orden(QStringLiteral("r001 m4321%1.r001").arg(hechos / 50, 3, 10, QLatin1Char('0')));
        if (hechos == calentamiento) {
            rssInicio = residenteKB();
            msCalentamiento = t.elapsed();
            cpuCalentamiento = cpuMs();
        }
    };
    trasCiclo(0, 0);
    lote = deja();
    while (hechos < ciclos + 1) {
        const bool toca = st.ciclo().SegundosTranscurridos() > st.config().periodo();
        const qsizetype recibidos = st.pantalla().lista(Lista::Recibidos).size();
        const qsizetype enviados = st.pantalla().lista(Lista::Enviados).size();
        reloj.avanza(1);
        TmrControl_Timer(ctx);
        if (!toca)
            continue;
        ++hechos;
        trasCiclo(recibidos, enviados);
        // The extra last cycle only fetches the responses of the one before.
        lote = hechos < ciclos ? deja() : QStringList();
    }
    const qint64 ms = t.elapsed();
    const qint64 rssFin = residenteKB();
    const double cpuPorCiclo = (cpuMs() - cpuCalentamiento) / std::max(1, hechos - calentamiento);
    Start_Button_Click(ctx); // stop

    for (const QString& n : QDir(recibo).entryList({QStringLiteral("*.r001")}, QDir::Files))
        r001 += n.isEmpty() ? 0 : 1;
    const qsizetype pendientes = QDir(envio + QStringLiteral("/Pend")).entryList(QDir::Files).size();
    const int enviados = int(st.pantalla().lista(Lista::Enviados).size());
    const qint64 crecimiento = rssFin - rssInicio;
    const double msPorCiclo = double(ms - msCalentamiento) / std::max(1, hechos - calentamiento);

    std::printf("korvabench-resistencia: %d cycles (+1 to fetch the last responses), %d files a cycle, %s\n",
                ciclos, porCiclo, plano ? "plain FTP" : "FTPS");
    std::printf("  files sent         %d (expected %d; %d left unsent)\n", enviados, ciclos * porCiclo,
                sinEnviar);
    std::printf("  responses received %d (missing %d, twice %d, unexpected %d); Pend left %lld\n",
                recibidasTotal, faltantes, repetidas, ajenas, static_cast<long long>(pendientes));
    std::printf("  registro 001 files %d (published %d); logins at the centre %d\n", r001, ciclos / 50,
                centro.cuenta(QStringLiteral("LOGIN")));
    std::printf("  time               %.1f s, %.1f ms a cycle after warm-up, %.1f ms of it on this "
                "process's processor time\n",
                ms / 1000.0, msPorCiclo, cpuPorCiclo);
    std::printf(
        "  resident memory    %lld KB after %d cycles, %lld KB at the end: growth %lld KB (limit %lld KB)\n",
        static_cast<long long>(rssInicio), calentamiento, static_cast<long long>(rssFin),
        static_cast<long long>(crecimiento), static_cast<long long>(kLimiteCrecimientoKB));

    const bool bien = enviados == ciclos * porCiclo && sinEnviar == 0 && faltantes == 0 && repetidas == 0 &&
                      ajenas == 0 && recibidasTotal == ciclos * porCiclo && pendientes == 0 &&
                      rssInicio > 0 && crecimiento < kLimiteCrecimientoKB;
    std::printf("%s\n", bien ? "PASS" : "FAIL");
    return {bien ? 0 : 1, msPorCiclo, cpuPorCiclo};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int ciclos = valor(args, QStringLiteral("--ciclos"), 500);
    const int porCiclo = valor(args, QStringLiteral("--archivos"), 10);
    const int comparar = valor(args, QStringLiteral("--comparar"), 0);
    if (qEnvironmentVariableIsEmpty("KORVA_SOURCE_DIR"))
        qputenv("KORVA_SOURCE_DIR", KORVA_SOURCE_DIR);
    if (comparar <= 0)
        return soak(ciclos, porCiclo, args.contains(QStringLiteral("--plano"))).estado;

    // The shared machine sways every run: the best of each kind counts.
    double tls = 0, plano = 0, cpuTls = 0, cpuPlano = 0;
    int estado = 0;
    for (int r = 0; r < comparar; ++r) {
        for (const bool p : {false, true}) {
            const Resultado x = soak(ciclos, porCiclo, p);
            estado = std::max(estado, x.estado);
            double& mejor = p ? plano : tls;
            if (x.estado == 0 && (mejor == 0 || x.msPorCiclo < mejor)) {
                mejor = x.msPorCiclo;
                (p ? cpuPlano : cpuTls) = x.cpuPorCiclo;
            }
        }
    }
    const double razon = plano > 0 ? tls / plano : 0;
    std::printf("best cycle over %d runs each: FTPS %.1f ms (%.1f ms processor time here), plain FTP %.1f ms "
                "(%.1f ms); FTPS / plain %.2f (target <= 1.50) %s\n",
                comparar, tls, cpuTls, plano, cpuPlano, razon,
                estado == 0 && razon <= 1.5 ? "met" : "NOT met");
    return estado != 0 ? estado : razon <= 1.5 ? 0 : 1;
}

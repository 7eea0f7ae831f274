// Start-up to the main window shown, a heavy day against an empty one:
// 5,000 log lines, 2,000 pending files and 20,000 sent files.
//   build/korvabench-arranque [rounds]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "DatosOficina.h"
#include "SinDialogos.h"
#include "app/ui/Form1.h"
#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "comun/Nombres.h"
#include "config/ArchivoConfiguracion.h"
#include "platform/Reloj.h"
#include "platform/fs.h"

using namespace korva;

namespace {

using bench::SinDialogos;

struct Oficina {
    QTemporaryDir dir;
    QString envio, recibo;

    explicit Oficina(bool cargada) {
        SinDialogos dlg;
        RelojSistema reloj;
        EstadoPrincipal st;
        Contexto ctx{st, dlg, reloj, dir.path()};
        const oficina::Carpetas c = oficina::describe(st, dir.path());
        envio = c.envio;
        recibo = c.recibo;
        for (const char* sub : {"Pend", "Enviados", "Rechaza"})
            QDir().mkpath(envio + "/" + sub);
        st.config().setSlot(slot::ServidorActual, st.config().TxtConfiguration(slot::ServidorPrimario));
        GrabaConfiguracion(ctx);
        const int hoy = Get_Juliano(reloj);
        // Today's log exists in both, so the purge has nothing to do at start.
        QStringList log;
        for (int i = 0; i < (cargada ? 5000 : 1); ++i)
            log << QStringLiteral("%1 - m4321%2.%3 - 10:00:00")
                       .arg(i % 2 ? "R" : "E")
                       .arg(i % 1000, 3, 10, QChar('0'))
                       .arg(hoy, 3, 10, QChar('0'));
        fs::escribeAtomico(recibo + QStringLiteral("/4321%1.log").arg(hoy), fs::comoTexto(log));
        if (!cargada)
            return;
        for (int i = 0; i < 2000; ++i)
            fs::escribeAtomico(envio + QStringLiteral("/Pend/m4321%1.%2")
                                           .arg(i % 1000, 3, 10, QChar('0'))
                                           .arg(i / 1000 + 1, 3, 10, QChar('0')),
                               "x");
        for (int i = 0; i < 20000; ++i)
            fs::escribeAtomico(envio + QStringLiteral("/Enviados/m4321%1.%2")
                                           .arg(i % 1000, 3, 10, QChar('0'))
                                           .arg(i / 1000 + 1, 3, 10, QChar('0')),
                               "x");
    }

    // Milliseconds from loading the main window to it being shown.
    double arranca() {
        SinDialogos dlg;
        RelojSistema reloj;
        EstadoPrincipal st;
        Contexto ctx{st, dlg, reloj, dir.path()};
        QElapsedTimer t;
        t.start();
        Form1 w(ctx, 0);
        w.show();
        QApplication::processEvents();
        return t.nsecsElapsed() / 1e6;
    }
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsSet("KORVA_BENCH_CONSERVA")) {
        Oficina o(true);
        o.dir.setAutoRemove(false);
        std::printf("%s\n", qPrintable(o.dir.path()));
        return 0;
    }
    QApplication app(argc, argv);
    const int rondas = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    Oficina vacia(false), cargada(true);
    double mejorVacia = 1e9, mejorCargada = 1e9;
    for (int i = 0; i < rondas; ++i) {
        mejorVacia = std::min(mejorVacia, vacia.arranca());
        mejorCargada = std::min(mejorCargada, cargada.arranca());
    }
    std::printf("start-up, empty day: %.1f ms\n", mejorVacia);
    std::printf("start-up, heavy day (5,000 log lines, 2,000 pending, 20,000 sent): %.1f ms\n", mejorCargada);
    std::printf("ratio %.2f (target <= 1.5), best of %d rounds\n", mejorCargada / mejorVacia, rondas);
    return 0;
}

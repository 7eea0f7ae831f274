// The viewer's cutting of a file into entries, and the split table that
// turns record numbers into list positions and back.
#include <QFile>
#include <algorithm>
#include <vector>

#include "Soporte.h"
#include "app/Contexto.h"
#include "app/MainState.h"
#include "platform/Clock.h"
#include "records/Visor.h"

using namespace korva;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::iniciaQt(argc, argv);
    return 0;
}

namespace {

struct Registro {
    qint32 inicio, fin;
};

// Records as the viewer promises to read them: CR LF or a lone CR end one.
std::vector<Registro> registros(const char* t, qint32 total) {
    std::vector<Registro> r;
    qint32 ini = 0;
    while (ini < total) {
        qint32 fin = ini;
        while (fin < total && t[fin] != '\r')
            ++fin;
        r.push_back({ini, fin});
        ini = fin + 1;
        if (fin < total && ini < total && t[ini] == '\n')
            ++ini;
    }
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* t = reinterpret_cast<const char*>(data);
    const qint32 total = qint32(size);
    std::vector<Visor::Pieza> piezas;
    Visor::Arreglo arreglo;
    arreglo.fill(-7);
    Visor::cortaEntradas(t, total, piezas, arreglo);

    // Entries lie inside the file, in order, hold no line end and are never
    // longer than one cut.
    QByteArray mostrado;
    int marcadores = 0;
    qint32 siguiente = 0;
    for (const Visor::Pieza& p : piezas) {
        if (p.inicio < 0) {
            ++marcadores;
            continue;
        }
        FUZZ_CHECK(p.largo >= 0 && p.largo <= Visor::kLargoEntrada + 2);
        FUZZ_CHECK(p.inicio >= siguiente && p.inicio + p.largo <= total);
        siguiente = p.inicio + p.largo;
        for (qint32 i = p.inicio; i < p.inicio + p.largo; ++i)
            FUZZ_CHECK(t[i] != '\r' && t[i] != '\n');
        mostrado.append(t + p.inicio, p.largo);
    }

    // Every record shown whole but its line feeds, or as one placeholder when
    // too long; nothing else.
    const std::vector<Registro> regs = registros(t, total);
    QByteArray esperado;
    int largos = 0;
    bool conSaltos = false;
    for (const Registro& r : regs) {
        if (r.fin - r.inicio >= Visor::kRegistroMaximo) {
            ++largos;
            continue;
        }
        for (qint32 i = r.inicio; i < r.fin; ++i) {
            if (t[i] == '\n')
                conSaltos = true;
            else
                esperado.append(t[i]);
        }
    }
    FUZZ_CHECK(marcadores == largos);
    FUZZ_CHECK(mostrado == esperado);
    FUZZ_CHECK(piezas.size() >= regs.size());

    // The split table: record numbers in order, slot 0 and the ones after
    // the last cut left at 0.
    FUZZ_CHECK(arreglo[0] == 0);
    int cortes = 0;
    while (cortes < Visor::kCortes && arreglo[cortes + 1] != 0) {
        FUZZ_CHECK(arreglo[cortes + 1] > 0 && arreglo[cortes + 1] <= qint32(regs.size()));
        FUZZ_CHECK(cortes == 0 || arreglo[cortes + 1] >= arreglo[cortes]);
        ++cortes;
    }
    for (int k = cortes + 1; k < int(arreglo.size()); ++k)
        FUZZ_CHECK(arreglo[k] == 0);

    // Without line feeds or placeholders each extra entry is a cut; while
    // the table holds them all, "go to record" and a click agree with it.
    if (conSaltos || largos > 0)
        return 0;
    const qsizetype extra = qsizetype(piezas.size() - regs.size());
    FUZZ_CHECK(cortes == std::min<qsizetype>(extra, Visor::kCortes));
    if (extra > Visor::kCortes || size > 20000)
        return 0;

    static SystemClock reloj;
    static MainState st;
    fuzz::DialogosMudos dlg;
    Contexto ctx{st, dlg, reloj, fuzz::carpeta()};
    {
        QFile f(fuzz::carpeta() + QStringLiteral("/visto.txt"));
        FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(f.write(t, total) == total);
    }
    Visor visor;
    MuestraArchivo(ctx, visor, QStringLiteral("visto.txt"), fuzz::carpeta());
    FUZZ_CHECK(dlg.mensajes == 0);
    FUZZ_CHECK(visor.entradas() == int(piezas.size()));
    int registro = 1, primera = 0;
    for (int L = 0; L < visor.entradas() && registro < 300; ++L) {
        // Entry L belongs to the record whose entries it falls within.
        const int delRegistro =
            1 + int(std::count(arreglo.begin() + 1, arreglo.begin() + 1 + cortes, registro));
        if (L - primera >= delRegistro) {
            ++registro;
            primera = L;
        }
        visor.LstArchivos_Click(L);
        FUZZ_CHECK(visor.TxtRegistro() == QString::number(registro));
        if (L == primera) {
            FUZZ_CHECK(visor.CmdRegistro(dlg) == L);
        }
    }
    FUZZ_CHECK(dlg.mensajes == 0);
    return 0;
}

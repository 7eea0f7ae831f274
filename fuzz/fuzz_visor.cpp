// The viewer's cutting of a file into entries, and the split table that
// turns record numbers into list positions and back.
#include <QFile>
#include <algorithm>
#include <vector>

#include "Soporte.h"
#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "platform/Reloj.h"
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

// Records as the viewer promises to read them: CR LF or a lone CR end one;
// in a file with no CR at all, a line feed does.
std::vector<Registro> registros(const char* t, qint32 total) {
    std::vector<Registro> r;
    const char cierre = std::find(t, t + total, '\r') == t + total ? '\n' : '\r';
    qint32 ini = 0;
    while (ini < total) {
        qint32 fin = ini;
        while (fin < total && t[fin] != cierre)
            ++fin;
        r.push_back({ini, fin});
        ini = fin + 1;
        if (cierre == '\r' && fin < total && ini < total && t[ini] == '\n')
            ++ini;
    }
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* t = reinterpret_cast<const char*>(data);
    const qint32 total = qint32(size);
    std::vector<Visor::Pieza> piezas;
    Visor::Arreglo arreglo{-7};
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

    // Every record shown whole but its line feeds; a record too long is one
    // placeholder, and so, in a record of several lines, is each line too
    // long; nothing else.
    const std::vector<Registro> regs = registros(t, total);
    QByteArray esperado;
    std::vector<int> marcadoDe; // the record of each placeholder, in turn
    for (int q = 0; q < int(regs.size()); ++q) {
        const Registro& r = regs[q];
        const bool lineas = std::find(t + r.inicio, t + r.fin, '\n') != t + r.fin;
        if (!lineas && r.fin - r.inicio >= Visor::kRegistroMaximo) {
            marcadoDe.push_back(q);
            continue;
        }
        qint32 linea = r.inicio;
        for (qint32 i = r.inicio; i <= r.fin; ++i) {
            if (i < r.fin && t[i] != '\n')
                continue;
            if (i - linea >= Visor::kRegistroMaximo)
                marcadoDe.push_back(q);
            else
                esperado.append(t + linea, i - linea);
            linea = i + 1;
        }
    }
    FUZZ_CHECK(marcadores == int(marcadoDe.size()));
    FUZZ_CHECK(mostrado == esperado);

    // The record of each entry, found in the file: the one whose bytes hold
    // it, or for a placeholder the record of the too-long text next in turn.
    // Records come in order and each gives one entry at least.
    std::vector<int> delRegistro(piezas.size());
    int actual = -1;
    size_t marcador = 0;
    for (size_t e = 0; e < piezas.size(); ++e) {
        const Visor::Pieza& p = piezas[e];
        int q = std::max(actual, 0);
        if (p.inicio < 0) {
            FUZZ_CHECK(marcador < marcadoDe.size());
            q = marcadoDe[marcador++];
        } else {
            while (q < int(regs.size()) && !(regs[q].inicio <= p.inicio && p.inicio + p.largo <= regs[q].fin))
                ++q;
        }
        FUZZ_CHECK(q < int(regs.size()) && (q == actual || q == actual + 1));
        delRegistro[e] = actual = q;
    }
    FUZZ_CHECK(actual == int(regs.size()) - 1);

    // The split table names the record of every entry but its record's first.
    FUZZ_CHECK(arreglo.size() == piezas.size() - regs.size());
    for (size_t e = 1, k = 0; e < piezas.size(); ++e)
        if (delRegistro[e] == delRegistro[e - 1])
            FUZZ_CHECK(k < arreglo.size() && arreglo[k++] == delRegistro[e] + 1);

    // Through the viewer over the file on disk: a click on any entry names
    // its record, and going to a record selects its first entry.
    static RelojSistema reloj;
    static EstadoPrincipal st;
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
    for (int L = 0; L < visor.entradas(); ++L) {
        visor.LstArchivos_Click(L);
        FUZZ_CHECK(visor.TxtRegistro() == QString::number(delRegistro[L] + 1));
        if ((L == 0 || delRegistro[L] != delRegistro[L - 1]) && delRegistro[L] + 1 < Visor::kRegistroMaximo) {
            visor.setTxtRegistro(QString::number(delRegistro[L] + 1));
            FUZZ_CHECK(visor.CmdRegistro(dlg) == L);
        }
    }
    FUZZ_CHECK(dlg.mensajes == 0);
    // One record past the last is refused.
    visor.setTxtRegistro(QString::number(regs.size() + 1));
    FUZZ_CHECK(visor.CmdRegistro(dlg) == -1 && dlg.mensajes == 1);
    return 0;
}

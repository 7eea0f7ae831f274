// Opens a large file in the viewer window and compares the time with
// `wc -l` on the same file; reports the peak memory the opening added.
//
//   build/korvabench-visor [--registros N] [--archivo RUTA]
//
// Run with QT_QPA_PLATFORM=offscreen where there is no display.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "platform/Dialogos.h"
#include "platform/Reloj.h"
#include "records/ui/FrmArchivos.h"

using namespace korva;

namespace {

class SinDialogos final : public Dialogos {
public:
    void mensaje(Icono, const QString& texto, const QString&) override {
        std::fprintf(stderr, "mensaje: %s\n", qPrintable(texto));
    }
    bool pregunta(const QString&, const QString&) override { return false; }
    using Dialogos::pregunta;
    void beep() override {}
    void puntero(Puntero) override {}
};

double cpuMs(int quien) {
    rusage r{};
    getrusage(quien, &r);
    return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1e3 + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e3;
}

long picoKb() {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return r.ru_maxrss;
}

// A validation file: pedimento records of the usual widths, one in twenty
// longer than an entry so the viewer has cuts to make.
void generaArchivo(const QString& ruta, int registros) {
    QFile f(ruta);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("no se pudo escribir %s", qPrintable(ruta));
    QRandomGenerator g(45);
    QByteArray linea;
    for (int i = 1; i <= registros; ++i) {
        const int largo = (i % 20 == 0) ? 120 + int(g.bounded(200)) : 20 + int(g.bounded(80));
        linea = QByteArray::number(500 + i % 12) + "|";
        while (linea.size() < largo)
            linea += QByteArray::number(g.bounded(1000000)) + "|";
        linea.truncate(largo);
        f.write(linea);
        f.write("\r\n");
    }
}

// Best of five runs: wall time, and the processor time wc itself used.
struct Medida {
    double ms = 1e9;
    double cpu = 1e9;
};
Medida msDeWc(const QString& ruta) {
    Medida m;
    for (int i = 0; i < 5; ++i) {
        const double antes = cpuMs(RUSAGE_CHILDREN);
        QElapsedTimer t;
        t.start();
        QProcess p;
        p.start(QStringLiteral("wc"), {QStringLiteral("-l"), ruta});
        p.waitForFinished(-1);
        m.ms = qMin(m.ms, t.nsecsElapsed() / 1e6);
        m.cpu = qMin(m.cpu, cpuMs(RUSAGE_CHILDREN) - antes);
    }
    return m;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int registros = 200000;
    QString archivo;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--registros"))
            registros = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--archivo"))
            archivo = args[i + 1];
    }
    QTemporaryDir tmp;
    if (archivo.isEmpty()) {
        archivo = tmp.filePath(QStringLiteral("m4321123.045"));
        generaArchivo(archivo, registros);
    }
    const QFileInfo fi(archivo);
    const double mb = fi.size() / 1048576.0;

    EstadoPrincipal st;
    SinDialogos dlg;
    RelojSistema reloj;
    Contexto ctx{st, dlg, reloj, tmp.path()};
    FrmArchivos frm(ctx);
    frm.resize(800, 600);
    // Warm the file cache and the view for both sides alike.
    msDeWc(archivo);
    QCoreApplication::processEvents();

    // The window's own first showing (fonts, first paint) costs the same
    // for any file: measured apart on a one-record file.
    {
        const QString chico = tmp.filePath(QStringLiteral("m4321001.045"));
        QFile f(chico);
        if (f.open(QIODevice::WriteOnly))
            f.write("500|1|4321|\r\n");
        f.close();
        QElapsedTimer t;
        t.start();
        MuestraArchivo(ctx, frm.visor(), QFileInfo(chico).fileName(), tmp.path());
        while (!frm.LstArchivos()->indexAt(QPoint(2, 2)).isValid())
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        std::printf("primera vez (archivo de un registro): %.1f ms\n", t.nsecsElapsed() / 1e6);
        frm.hide();
        QCoreApplication::processEvents();
    }

    // The first opening gives the memory figure; five openings give the
    // times (best and median), as wc -l gets its best of five.
    const long antesKb = picoKb();
    QList<double> reales, cpus;
    long despuesKb = 0;
    for (int vuelta = 0; vuelta < 5; ++vuelta) {
        const double cpuAntes = cpuMs(RUSAGE_SELF);
        QElapsedTimer t;
        t.start();
        MuestraArchivo(ctx, frm.visor(), fi.fileName(), fi.absolutePath());
        // The window shown with its first page laid out and painted.
        while (!frm.LstArchivos()->indexAt(QPoint(2, 2)).isValid())
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        reales << t.nsecsElapsed() / 1e6;
        cpus << cpuMs(RUSAGE_SELF) - cpuAntes;
        if (vuelta == 0)
            despuesKb = picoKb();
        frm.hide();
        QCoreApplication::processEvents();
    }
    const Medida wc = msDeWc(archivo);
    const QList<double> r0 = reales;
    std::sort(reales.begin(), reales.end());
    std::sort(cpus.begin(), cpus.end());
    const double extraMb = (despuesKb - antesKb) / 1024.0;
    std::printf("archivo: %s, %.1f MB, %d entradas\n", qPrintable(archivo), mb, frm.visor().entradas());
    std::printf("visor (5 veces): %.1f %.1f %.1f %.1f %.1f ms\n", r0[0], r0[1], r0[2], r0[3], r0[4]);
    std::printf("tiempo real  visor: mejor %.1f ms, mediana %.1f ms   wc -l: mejor %.1f ms   razon: %.2f "
                "(mediana %.2f; limite 5)\n",
                reales[0], reales[2], wc.ms, reales[0] / wc.ms, reales[2] / wc.ms);
    std::printf("procesador   visor: mejor %.1f ms   wc -l: %.1f ms\n", cpus[0], wc.cpu);
    std::printf("memoria pico añadida: %.1f MB = %.2f x el archivo (limite 4)\n", extraMb, extraMb / mb);
    return 0;
}

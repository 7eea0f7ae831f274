#include "records/Depuracion.h"
#include "platform/Texto.h"

#include <QFileInfo>

#include "comun/Carpetas.h"
#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "comun/Fallas.h"
#include "comun/Nombres.h"
#include "config/Revisiones.h"
#include "platform/Dialogos.h"
#include "platform/fs.h"
#include "records/Bitacora.h"

namespace korva {

namespace {

bool esDia(const QString& nombre, int* dia) {
    bool ok = false;
    *dia = diaDe(nombre).toInt(&ok);
    return ok;
}

// "Not today": a name whose last three characters are no number never is.
bool deOtroDia(const QString& nombre, int hoy) {
    int d = 0;
    return !esDia(nombre, &d) || d != hoy;
}

struct Purga {
    Contexto& ctx;
    QString patente;
    int hoy;
    QStringList fallas;

    // Regular files directly inside the folder, never a link among them. The
    // folders the broker configured may themselves be links (his choice, as
    // everywhere else); the program's own folders inside them never are.
    enum class Carpeta { DelBroker, Propia };
    QList<fs::Entrada> archivos(const QString& carpeta, Carpeta tipo = Carpeta::Propia) {
        QList<fs::Entrada> out;
        if (tipo == Carpeta::Propia && !fs::esCarpetaReal(carpeta))
            return out;
        for (const fs::Entrada& e : fs::lista(carpeta))
            if (e.regular && !e.oculto)
                out << e;
        return out;
    }

    // A delete may wait for the disk: the window lives between them.
    void borra(const QString& ruta) {
        ctx.late();
        if (!fs::borra(ruta))
            fallas << ruta + QStringLiteral(" (") + fs::ultimaCausa() + QLatin1Char(')');
    }

    void depuraCarpeta(const QString& carpeta, QString (*patenteDe)(const QString&), Carpeta tipo) {
        for (const fs::Entrada& e : archivos(carpeta, tipo))
            if (deOtroDia(e.nombre, hoy) && patenteDe(e.nombre) == patente && !e.soloLectura)
                borra(fs::une(carpeta, e.nombre, ctx.plataforma));
    }
};

// Each file with its reason; a long list ends with how many more there are.
QString enumera(const QStringList& fallas) {
    constexpr int kMostradas = 5;
    QString texto = fallas.mid(0, kMostradas).join(QStringLiteral(", "));
    const qsizetype resto = fallas.size() - kMostradas;
    if (resto == 1)
        texto += Texto::tr(" y otro archivo");
    else if (resto > 1)
        texto += Texto::tr(" y otros %1 archivos").arg(resto);
    return texto;
}

bool respaldable(const QString& nombre, const QString& patente) {
    const QChar c = nombre.at(0);
    return c == QLatin1Char('r') || c == QLatin1Char('x') || c == QLatin1Char('a') ||
           nombre.endsWith(QLatin1String("err")) || nombre.startsWith(patente);
}

} // namespace

QString patenteBase(const QString& n) {
    static const QString primera = QStringLiteral("rReE"), segunda = QStringLiteral("aAbB");
    if (n.size() >= 2 && primera.contains(n.at(0)) && segunda.contains(n.at(1)))
        return n.mid(2, 4);
    return n.mid(1, 4);
}

QString patenteRutaEnvio(const QString& n) {
    if (!n.isEmpty() && (n.at(0) == QLatin1Char('e') || n.at(0) == QLatin1Char('E')) &&
        !(n.size() >= 9 && n.at(8) == QLatin1Char('.')))
        return n.mid(2, 4);
    return n.mid(1, 4);
}

bool enviadoCaduco(int d, int N) { return N <= 20 ? (d >= N && d <= N + 346) : d <= N - 20; }

namespace {

// The receive folder's files of other days: a response is copied into
// Respalda first and deleted only once its copy is there.
void depuraRecibo(Purga& p, const QString& recibo, const QString& respalda) {
    if (!fs::existeCarpeta(respalda))
        fs::creaCarpeta(respalda);
    for (const fs::Entrada& e : p.archivos(recibo, Purga::Carpeta::DelBroker)) {
        if (!deOtroDia(e.nombre, p.hoy))
            continue;
        if (patenteBase(e.nombre) != p.patente && !e.nombre.startsWith(p.patente))
            continue;
        const QString ruta = fs::une(recibo, e.nombre, p.ctx.plataforma);
        p.ctx.late();
        if (respaldable(e.nombre, p.patente)) {
            const QString copia = fs::une(respalda, e.nombre, p.ctx.plataforma);
            // A read-only copy is one the broker protects: it stays, and so
            // does the file it would have been replaced with.
            if (fs::soloLectura(copia)) {
                p.fallas << ruta + Texto::tr(" (su copia en Respalda es de solo lectura)");
                continue;
            }
            // Deleted only once its copy is there.
            if (!copiaReportada(p.ctx, ruta, copia) || !fs::esRegular(copia)) {
                p.fallas << ruta + QStringLiteral(" (") + fs::ultimaCausa() + QLatin1Char(')');
                continue;
            }
        }
        if (!e.soloLectura)
            p.borra(ruta);
    }
}

// Sent copies past their time in Enviados.
void depuraEnviados(Purga& p, const QString& enviados) {
    if (fs::existeCarpeta(enviados)) {
        for (const fs::Entrada& e : p.archivos(enviados)) {
            int d = 0;
            if (!e.soloLectura && esDia(e.nombre, &d) && enviadoCaduco(d, p.hoy))
                p.borra(fs::une(enviados, e.nombre, p.ctx.plataforma));
        }
    }
}
} // namespace

void DepuraArchivos(Contexto& ctx) {
    EstadoPrincipal& st = ctx.st;
    if (RevisaDir(ctx) != 0) {
        ctx.dlg.puntero(Puntero::Normal);
        return;
    }
    const QString envio = st.config().TxtConfiguration(slot::DirEnvio);
    const QString recibo = st.config().TxtConfiguration(slot::DirRecibo);
    Purga p{ctx, st.config().patente(), st.ciclo().DiaJulianoActual(), {}};
    const QString bitacoraHoy =
        fs::une(recibo, p.patente + QString::number(st.ciclo().DiaJulianoActual()) + QStringLiteral(".log"),
                ctx.plataforma);
    if (fs::existeArchivo(bitacoraHoy)) {
        ctx.dlg.puntero(Puntero::Normal);
        return;
    }
    ctx.dlg.puntero(Puntero::Ocupado);
    st.pantalla().vacia(Lista::Enviados);
    st.pantalla().vacia(Lista::Recibidos);
    st.pantalla().vacia(Lista::Rechazados);
    // The register keeps the lines of the files the purge keeps, today's:
    // with the day's log gone before its time (deleted, or the receive
    // folder changed), the day's files already sent do not go again.
    const QString registro = fs::une(envio, QStringLiteral("bitacora"), ctx.plataforma);
    const auto deHoy = [&p](const QString& linea) {
        return !deOtroDia(linea.section(QLatin1Char('|'), 0, 0), p.hoy);
    };
    if (fs::existeArchivo(registro) && !fs::soloLectura(registro)) {
        bool leido = false;
        QStringList quedan;
        for (const QString& linea : fs::leeLineas(registro, fs::limite::kRegistro, &leido))
            if (deHoy(linea))
                quedan << linea;
        if (!leido || quedan.isEmpty())
            p.borra(registro);
        else if (!fs::escribeAtomico(registro, fs::comoTexto(quedan)))
            p.fallas << registro + QStringLiteral(" (") + fs::ultimaCausa() + QLatin1Char(')');
    }
    descartaAtrasadas(ctx, deHoy);
    st.pantalla().setEvento(Texto::tr("Depurando archivos del día anterior"));

    // With one folder for both (however its path is spelt, or through a
    // link), its files wait for the receive-folder step, which keeps copies
    // of the responses first.
    using C = Purga::Carpeta;
    if (!fs::mismaCarpeta(recibo, envio))
        p.depuraCarpeta(envio, patenteBase, C::DelBroker);
    p.depuraCarpeta(carpetas::pend(st, ctx.plataforma), patenteBase, C::Propia);
    p.depuraCarpeta(carpetas::rechaza(st, ctx.plataforma), patenteBase, C::Propia);
    if (st.config().chk(slot::RutasAdicionales)) {
        // A route that is the send or receive folder itself (however spelt)
        // is purged by that folder's own step, which keeps the responses'
        // copies first.
        const auto propia = [&](const QString& r) {
            return fs::mismaCarpeta(r, envio) || fs::mismaCarpeta(r, recibo);
        };
        for (const QString& r : st.config().rutas(Sentido::Envio).carpetas)
            if (!propia(r))
                p.depuraCarpeta(r, patenteRutaEnvio, C::DelBroker);
        for (const QString& r : st.config().rutas(Sentido::Recibo).carpetas)
            if (!propia(r))
                p.depuraCarpeta(r, patenteBase, C::DelBroker);
    }

    depuraRecibo(p, recibo, carpetas::respalda(st, ctx.plataforma));
    const QString aviso = fs::une(recibo, QStringLiteral("aviso.txt"), ctx.plataforma);
    if (fs::existeArchivo(aviso) && !fs::soloLectura(aviso))
        p.borra(aviso);

    depuraEnviados(p, carpetas::enviados(st, ctx.plataforma));

    if (p.fallas.isEmpty())
        st.pantalla().setEvento(Texto::tr("Listo para iniciar"));
    else
        reportaFalla(ctx, Texto::tr("No fue posible depurar ") + enumera(p.fallas));
    ctx.dlg.puntero(Puntero::Normal);
}

} // namespace korva

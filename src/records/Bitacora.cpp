#include "records/Bitacora.h"

#include "platform/Texto.h"
#include <QCryptographicHash>

#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "comun/Fallas.h"
#include "config/Revisiones.h"
#include "platform/Reloj.h"

#include <QFileInfo>

namespace korva {

QString nombreLog(const QString& patente, int dia) {
    return patente + QString::number(dia) + QStringLiteral(".log");
}

QString rutaLog(const EstadoPrincipal& st) {
    return fs::une(st.config().TxtConfiguration(slot::DirRecibo),
                   nombreLog(st.config().patente(), st.ciclo().DiaJulianoActual()));
}

bool registraEnLog(Contexto& ctx, EventoLog evento, const QString& nombre) {
    const QString entrada =
        nombre + QStringLiteral(" - ") + ctx.reloj.ahora().toString(QStringLiteral("HH:mm:ss"));
    const bool enviado = evento == EventoLog::Enviado;
    const bool ok = fs::agregaLinea(rutaLog(ctx.st),
                                    (enviado ? QStringLiteral("E - ") : QStringLiteral("R - ")) + entrada);
    ctx.st.pantalla().agrega(enviado ? Lista::Enviados : Lista::Recibidos, entrada);
    return ok;
}

int longitudNombreLog(const QString& linea) {
    static const QString kLargos = QStringLiteral("sSxXfFaA");
    const QChar c1 = linea.size() > 4 ? linea.at(4) : QChar();
    const QChar c9 = linea.size() > 12 ? linea.at(12) : QChar();
    return (!c1.isNull() && kLargos.contains(c1) && c9 != QLatin1Char('.')) ? 15 : 12;
}

void CargaBitacora(Contexto& ctx) {
    ctx.st.pantalla().setEvento(Texto::tr("Cargando Bitácora..."));
    if (ValidaDir(ctx.st.config().TxtConfiguration(slot::DirRecibo), ctx.plataforma) != 1)
        return;
    const QString ruta = rutaLog(ctx.st);
    if (QFileInfo::exists(ruta) || fs::esEnlace(ruta)) {
        bool leido = false;
        const QStringList lineas = fs::leeLineas(ruta, fs::limite::kRegistro, &leido);
        if (!leido) {
            reportaFalla(ctx, Texto::tr("ERROR: no fue posible leer la bitácora ") + ruta +
                                  QStringLiteral(" (") + fs::ultimaCausa() + QLatin1Char(')'));
            return;
        }
        QStringList enviados = ctx.st.pantalla().lista(Lista::Enviados);
        QStringList recibidos = ctx.st.pantalla().lista(Lista::Recibidos);
        for (QString linea : lineas) {
            // A stray CR (an editor that doubled the line ends) would end the
            // list entry mid-way; it is no part of the line.
            linea.remove(QLatin1Char('\r'));
            // A line shorter than the entry is shown whole.
            const QString entrada = linea.right(longitudNombreLog(linea) + 11);
            (linea.startsWith(QLatin1Char('E')) ? enviados : recibidos).append(entrada);
        }
        ctx.st.pantalla().setLista(Lista::Enviados, enviados);
        ctx.st.pantalla().setLista(Lista::Recibidos, recibidos);
    }
    ctx.st.pantalla().setEvento(Texto::tr("Listo para Iniciar..."));
}

QString textoFechaBitacora(const QDateTime& t) { return t.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")); }

QString rutaRegistro(const EstadoPrincipal& st) {
    return fs::une(st.config().TxtConfiguration(slot::DirEnvio), QStringLiteral("bitacora"));
}

QString lineaBitacora(const QString& nombre, const QDateTime& modificado) {
    return nombre + QLatin1Char('|') + textoFechaBitacora(modificado);
}

bool agregaBitacora(const EstadoPrincipal& st, const QString& nombre, const QDateTime& modificado) {
    return fs::agregaLinea(rutaRegistro(st), lineaBitacora(nombre, modificado));
}

QString rutaAtrasadas(const Contexto& ctx) {
    // One file per register and patent: patents that share a send folder
    // each keep their own, and never write over the other's.
    const QByteArray clave =
        QCryptographicHash::hash(
            (rutaRegistro(ctx.st) + QLatin1Char('|') + ctx.st.config().patente()).toUtf8(),
            QCryptographicHash::Sha1)
            .toHex()
            .left(12);
    return fs::une(ctx.carpetaPrograma,
                   QStringLiteral("atrasadas-") + QLatin1String(clave) + QStringLiteral(".dat"));
}

namespace {

// The kept lines, written whole; none left, no file. False when they could
// not be written.
bool guardaAtrasadas(Contexto& ctx) {
    const QString ruta = rutaAtrasadas(ctx);
    if (ctx.st.atrasados().vacio())
        return !fs::existeArchivo(ruta) || fs::borra(ruta);
    return fs::escribeAtomico(ruta, fs::comoTexto(ctx.st.atrasados().lineas()), true);
}

} // namespace

bool registraLinea(Contexto& ctx, fs::Anexo& registro, const QString& linea) {
    if (registro.agrega(linea))
        return true;
    ctx.st.atrasados().agrega(linea);
    if (!guardaAtrasadas(ctx))
        reportaFalla(ctx, Texto::tr("ERROR: tampoco fue posible guardar la línea de ") +
                              linea.section(QLatin1Char('|'), 0, 0) + Texto::tr(" en ") + rutaAtrasadas(ctx) +
                              QStringLiteral(" (") + fs::ultimaCausa() +
                              Texto::tr("); si el programa se cierra antes de que haya espacio, se enviaría "
                                        "de nuevo"));
    return false;
}

void registraAtrasadas(Contexto& ctx, fs::Anexo& registro) {
    const qsizetype antes = ctx.st.atrasados().lineas().size();
    ctx.st.atrasados().entrega([&](const QString& linea) { return registro.agrega(linea); });
    // A disk still full took none: the kept file already says so.
    if (ctx.st.atrasados().lineas().size() != antes)
        guardaAtrasadas(ctx);
}

void recuperaAtrasadas(Contexto& ctx) {
    for (const QString& linea : fs::leeLineas(rutaAtrasadas(ctx), fs::limite::kArchivo))
        if (!linea.isEmpty() && !ctx.st.atrasados().lineas().contains(linea))
            ctx.st.atrasados().agrega(linea);
}

void descartaAtrasadas(Contexto& ctx, const std::function<bool(const QString&)>& queda) {
    const QStringList lineas = ctx.st.atrasados().lineas();
    ctx.st.atrasados().descarta();
    for (const QString& linea : lineas)
        if (queda(linea))
            ctx.st.atrasados().agrega(linea);
    guardaAtrasadas(ctx);
}

bool LstBitacora::carga(const EstadoPrincipal& st) {
    const QString ruta = rutaRegistro(st);
    bool leido = true;
    items_ = QFileInfo::exists(ruta) || fs::esEnlace(ruta)
                 ? fs::leeLineas(ruta, fs::limite::kRegistro, &leido)
                 : QStringList();
    items_ += st.atrasados().lineas();
    indice_ = QSet<QString>(items_.cbegin(), items_.cend());
    return leido;
}

bool LstBitacora::contiene(const QString& nombre, const QDateTime& modificado) const {
    return indice_.contains(lineaBitacora(nombre, modificado));
}

void LstBitacora::agrega(const QString& nombre, const QDateTime& modificado) {
    const QString l = lineaBitacora(nombre, modificado);
    items_.append(l);
    indice_.insert(l);
}

} // namespace korva

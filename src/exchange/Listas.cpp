#include "exchange/Listas.h"

#include "comun/Carpetas.h"
#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "comun/Nombres.h"
#include "config/Revisiones.h"
#include "platform/Reloj.h"
#include "platform/fs.h"

namespace korva {

namespace {

// This patent's files of a folder, in listing order.
QStringList archivosDeLaPatente(const EstadoPrincipal& st, const QString& carpeta) {
    QStringList nombres;
    for (const fs::Entrada& e : fs::lista(carpeta, fs::Detalle::Tipo)) {
        if (!e.carpeta && pruebaPatente(st, e.nombre))
            nombres << e.nombre;
    }
    return nombres;
}

} // namespace

bool esEnvioPendiente(const QString& nombre) {
    return !nombre.startsWith(QLatin1Char('.')) &&
           !nombre.endsWith(QLatin1String(".r001"), Qt::CaseInsensitive);
}

void ListaPendientes(Contexto& ctx) {
    EstadoPrincipal& st = ctx.st;
    const QString carpeta = carpetas::pend(st, ctx.plataforma);
    if (ValidaDir(carpeta, ctx.plataforma) != 1 || !carpetas::propia(carpeta))
        return;
    // The time of the rebuild, its format ending in a blank: "HH:mm  En Espera".
    const QString hora = ctx.reloj.ahora().toString(QStringLiteral("HH:mm "));
    QStringList items;
    for (const QString& n : archivosDeLaPatente(ctx.st, carpeta))
        if (esEnvioPendiente(n))
            items << n + QStringLiteral(" - ") + hora + QStringLiteral(" En Espera");
    st.pantalla().setPendientesConArchivos(!items.isEmpty());
    if (items.isEmpty())
        items << QStringLiteral("No hay Archivos Pedientes");
    st.pantalla().setLista(Lista::Pendientes, items);
}

void ListaRechazados(Contexto& ctx) {
    EstadoPrincipal& st = ctx.st;
    const QString carpeta = carpetas::rechaza(st, ctx.plataforma);
    if (ValidaDir(carpeta, ctx.plataforma) != 1 || !carpetas::propia(carpeta))
        return;
    QStringList items;
    for (const QString& n : archivosDeLaPatente(ctx.st, carpeta))
        items << n + QStringLiteral(" - RECHAZADO");
    st.pantalla().setLista(Lista::Rechazados, items);
}

} // namespace korva

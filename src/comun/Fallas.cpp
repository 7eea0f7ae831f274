#include "comun/Fallas.h"
#include "platform/Texto.h"

#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "platform/Soporte.h"
#include "platform/VentanaError.h"

namespace korva {

void reportaFalla(Contexto& ctx, const QString& texto) {
    qCWarning(lcFallas).noquote() << texto;
    ctx.st.pantalla().setEvento(texto);
    if (ctx.ventanaError)
        ctx.ventanaError->muestraFalla(texto);
}

void reportaFallaUnaVez(Contexto& ctx, const QString& clave, const QString& texto) {
    if (!ctx.st.sesion().primeraVez(clave)) {
        ctx.st.pantalla().setEvento(texto);
        return;
    }
    reportaFalla(ctx, texto);
}

bool copiaReportada(Contexto& ctx, const QString& origen, const QString& destino, fs::Sincroniza s) {
    bool enlace = false;
    const bool ok = fs::copia(origen, destino, s, &enlace);
    if (enlace)
        reportaFalla(ctx, Texto::tr("AVISO: se reemplazó el enlace ") + destino +
                              Texto::tr(" por una copia; el archivo al que apuntaba no se tocó"));
    return ok;
}

} // namespace korva

#include "exchange/Descargas.h"
#include "platform/Texto.h"

#include "comun/Carpetas.h"
#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "comun/Fallas.h"
#include "comun/Transferencia.h"
#include "config/Revisiones.h"
#include "platform/Dialogos.h"
#include "platform/fs.h"

namespace korva {

void TraeAvisos(Contexto& ctx) {
    EstadoPrincipal& st = ctx.st;
    ctx.dlg.puntero(Puntero::Ocupado);
    st.pantalla().setEtiqueta(Etiqueta::Despliega, Texto::tr("Conectandose para traer Avisos, espere."));
    ReceiveMultipleFiles(ctx, st.config().TxtConfiguration(slot::DirRecibo), QStringLiteral("ENV/general"),
                         QStringLiteral("*.*"));
    ctx.dlg.puntero(Puntero::Normal);
    st.pantalla().setEtiqueta(Etiqueta::Despliega, Texto::tr("Listo para iniciar"));
}

void TraeRegistro001(Contexto& ctx) {
    EstadoPrincipal& st = ctx.st;
    ctx.dlg.puntero(Puntero::Ocupado);
    const SinVentanaDeErrores sinErrores(ctx);
    st.pantalla().setEtiqueta(
        Etiqueta::Despliega,
        Texto::tr("Conectandose para traer Archivos del registros 001, favor de esperar.."));
    const QString staging = carpetas::pend(st, ctx.plataforma);
    const QString recibo = st.config().TxtConfiguration(slot::DirRecibo);
    if (ValidaDir(staging, ctx.plataforma) == 1 && ValidaDir(recibo, ctx.plataforma) == 1 &&
        fs::esCarpetaReal(staging) &&
        ReceiveMultipleFiles(ctx, staging, QStringLiteral("ENV"), QStringLiteral("*.r001")) == 0) {
        for (const fs::Entrada& e : fs::lista(staging)) {
            if (!e.nombre.endsWith(QLatin1String("r001")) || e.carpeta)
                continue;
            const QString origen = fs::une(staging, e.nombre, ctx.plataforma);
            const QString destino = fs::une(recibo, e.nombre, ctx.plataforma);
            // Read-only is how the broker protects a file: it stays, and the
            // staged copy and the centre's wait for a later run.
            // Said once a run: the download comes back every minute.
            if (fs::soloLectura(destino)) {
                reportaFallaUnaVez(ctx, QStringLiteral("r001-solo-lectura ") + destino,
                                   Texto::tr("ERROR: ") + destino +
                                       Texto::tr(" es de solo lectura; no se reemplazó con el del centro"));
                continue;
            }
            if (!copiaReportada(ctx, origen, destino)) {
                reportaFallaUnaVez(ctx, QStringLiteral("r001-copia ") + destino,
                                   Texto::tr("ERROR: no fue posible copiar ") + e.nombre + Texto::tr(" a ") +
                                       recibo + QStringLiteral(" (") + fs::ultimaCausa() + QLatin1Char(')'));
                continue;
            }
            if (!fs::borra(origen))
                reportaFalla(ctx, Texto::tr("ERROR: no fue posible borrar ") + origen);
            DeleteFiles(ctx, QStringLiteral("ENV/") + e.nombre);
        }
    }
    ctx.dlg.puntero(Puntero::Normal);
    st.pantalla().setEtiqueta(Etiqueta::Despliega, Texto::tr("Archivos del registro 001 traidos."));
}

} // namespace korva

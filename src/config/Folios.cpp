#include "config/Folios.h"

#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "comun/Transferencia.h"
#include "config/Edicion.h"
#include "platform/ClienteFtp.h"
#include "platform/Dialogos.h"
#include "platform/fs.h"

namespace korva {

namespace {

void pideAutorizacion(Contexto& ctx) {
    EstadoPrincipal& st = ctx.st;
    if (!ctx.dlg.pregunta(kPreguntaFolios))
        return;
    // Only the file's existence matters: the copy goes as soon as it lands.
    const QString local =
        fs::une(st.config().TxtConfiguration(slot::DirRecibo), kCopiaAutorizacion, ctx.plataforma);
    reiniciaSesion(ctx); // the broker's own request tries the centre afresh
    const qint16 rc = ReceiveFile(ctx, local, kArchivoAutorizacion);
    if (rc != 0) {
        // Whatever the cause (no file, no connection, failed download) the
        // broker sees the one denial; the session is not left hanging.
        if (ctx.ftp && ctx.ftp->conectado())
            DisconnectFromHost(ctx);
        ctx.dlg.error(kAutorizacionNegada);
        return;
    }
    fs::borra(local);
    st.config().setBloqueado(slot::FolioInferior, false);
    st.config().setBloqueado(slot::FolioSuperior, false);
    DisconnectFromHost(ctx);
    st.config().setFoliosAutorizados(true);
}

void guardaFolios(Contexto& ctx) {
    Menu_GuardaConf(ctx);
    ctx.st.config().setFoliosAutorizados(false);
    ctx.st.config().setBloqueado(slot::FolioInferior, true);
    ctx.st.config().setBloqueado(slot::FolioSuperior, true);
}

} // namespace

void Menu_Folios(Contexto& ctx) {
    if (ctx.st.config().foliosAutorizados())
        guardaFolios(ctx);
    else
        pideAutorizacion(ctx);
}

} // namespace korva

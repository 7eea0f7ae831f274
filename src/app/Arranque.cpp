#include "app/Arranque.h"
#include "platform/Texto.h"

#include "platform/Idioma.h"

#include "comun/Carpetas.h"
#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "comun/Nombres.h"
#include "config/ArchivoConfiguracion.h"
#include "config/Edicion.h"
#include "config/Revisiones.h"
#include "cycle/Ciclo.h"
#include "exchange/Listas.h"
#include "platform/Dialogos.h"
#include "platform/Reloj.h"
#include "records/Avisos.h"
#include "records/Bitacora.h"
#include "records/Depuracion.h"

namespace korva {

void LblDespliega_DblClick(Contexto& ctx) {
    QString texto;
    for (const QString& aviso : ctx.st.pantalla().lista(Lista::Mensajes))
        texto += aviso + QLatin1Char('\r');
    ctx.dlg.mensaje(Icono::Ninguno, texto, kTitulo);
}

namespace {

// What a write killed half-way left in the office's folders.
void quitaTemporalesDeOficina(Contexto& ctx) {
    const EstadoPrincipal& st = ctx.st;
    const QString envio = st.config().TxtConfiguration(slot::DirEnvio);
    const QString recibo = st.config().TxtConfiguration(slot::DirRecibo);
    for (const QString& c : {envio, recibo})
        if (ValidaDir(c, ctx.plataforma) == 1)
            fs::quitaTemporales(c);
    for (const QString& c : {carpetas::pend(st, ctx.plataforma), carpetas::enviados(st, ctx.plataforma),
                             carpetas::rechaza(st, ctx.plataforma), carpetas::respalda(st, ctx.plataforma)})
        if (ValidaDir(c, ctx.plataforma) == 1 && fs::esCarpetaReal(c))
            fs::quitaTemporales(c);
}

} // namespace

void CargaForm1(Contexto& ctx, int posicion) {
    EstadoPrincipal& st = ctx.st;
    st.pantalla().setEvento(Texto::tr("Listo para Iniciar"));
    SldControl_Change(ctx.st, 30);
    abrePatente(ctx, posicion);
    if (!st.config().configuracionNoLeida())
        quitaTemporalesDeOficina(ctx);
    comienzaDia(ctx);
    CargaBitacora(ctx);
    // Register lines an earlier run could not write (its disk was full).
    if (!st.config().configuracionNoLeida())
        recuperaAtrasadas(ctx);
    ListaRechazados(ctx);
    ListaPendientes(ctx);
    // A configuration that could not be read holds defaults: nothing is
    // checked or purged on their behalf.
    if (!st.config().configuracionNoLeida())
        RevisaArchivosTipo(ctx);
    if (!st.config().configuracionNoLeida() && st.config().chk(slot::RutasAdicionales)) {
        if (!RevisaRutasAdicionales(ctx))
            abrePanel(ctx, Panel::Rutas);
    }
    if (!st.config().configuracionNoLeida() &&
        st.config().TxtConfiguration(slot::DepurarArchivos) == QLatin1String("1"))
        DepuraArchivos(ctx);
    CargaAvisos(ctx);
    st.pantalla().setIndiceAviso(0);
    st.pantalla().setEtiqueta(Etiqueta::Fecha, fechaCorta(ctx.reloj.ahora().date()));
    // A configuration not read holds no patent: the list names the one entered.
    const QString patente = st.config().configuracionNoLeida()
                                ? fs::leeLineas(fs::une(ctx.carpetaPrograma, QStringLiteral("usuarios.dat")),
                                                fs::limite::kConfiguracion)
                                      .value(posicion, QStringLiteral("?"))
                                : st.config().patente();
    patenteAbierta(st, patente);
    // The start-up's progress texts end: nothing is under way any more.
    st.pantalla().setEvento(
        st.config().configuracionNoLeida()
            ? Texto::tr("La configuración de la patente no se pudo leer; no es posible iniciar")
            : Texto::tr("Listo para Iniciar"));
}

} // namespace korva

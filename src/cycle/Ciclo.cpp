#include "cycle/Ciclo.h"
#include "platform/Texto.h"

#include "platform/Idioma.h"
#include <QFileInfo>

#include "comun/Carpetas.h"
#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "comun/Fallas.h"
#include "comun/Nombres.h"
#include "comun/Transferencia.h"
#include "config/ArchivoConfiguracion.h"
#include "config/Edicion.h"
#include "config/Revisiones.h"
#include "cycle/EnvioValidacion.h"
#include "exchange/Descargas.h"
#include "exchange/Listas.h"
#include "exchange/Respuestas.h"
#include "platform/Dialogos.h"
#include "platform/FtpErrores.h"
#include "platform/Reloj.h"
#include "platform/fs.h"
#include "records/Avisos.h"
#include "records/Depuracion.h"

namespace korva {

namespace {

constexpr int kPaginaConfiguracion = 0;
constexpr int kPaginaStatus = 1;

// The checks that decide whether the passes may run.
bool revisaConfiguracion(Contexto& ctx) {
    EstadoPrincipal& st = ctx.st;
    if (!st.config().chk(slot::RutasAdicionales))
        return RevisaArchivosTipo(ctx) == 1;
    const auto rutas = RevisaRutasAdicionales(ctx);
    if (!rutas)
        return false;
    if (rutas->envio.letras.size() != rutas->recibo.letras.size()) {
        ctx.dlg.error(
            Texto::tr("ERROR: No existe el mismo numero de Rutas para Envio y de Recibo de Archivos"));
        return false;
    }
    return true;
}

// The notice line steps on every sixth tick.
void pasoAvisos(EstadoPrincipal& st) {
    if (st.ciclo().ContadorTicker() > 4) {
        RotaAvisos(st);
        st.ciclo().setContadorTicker(0);
    } else {
        st.ciclo().setContadorTicker(st.ciclo().ContadorTicker() + 1);
    }
}

// Cycle work under way, to every way out of it: the running mark, given
// back as found (a cycle may run inside another's message box).
class EnCurso {
public:
    explicit EnCurso(EstadoPrincipal& st) : st_(st), anidado_(st.ciclo().cicloEnCurso()) {
        st_.ciclo().setCicloEnCurso(true);
    }
    ~EnCurso() { st_.ciclo().setCicloEnCurso(anidado_); }
    EnCurso(const EnCurso&) = delete;
    EnCurso& operator=(const EnCurso&) = delete;
    bool anidado() const { return anidado_; }

private:
    EstadoPrincipal& st_;
    bool anidado_;
};

// A cycle under way: the running mark and the marks the broker is told by.
class CicloEnCurso : public EnCurso {
public:
    explicit CicloEnCurso(EstadoPrincipal& st) : EnCurso(st), st_(st) { st_.marcaCiclo(true); }
    ~CicloEnCurso() { st_.marcaCiclo(false); }

private:
    EstadoPrincipal& st_;
};

void detenSiCorre(Contexto& ctx) {
    if (ctx.st.iniciado())
        Start_Button_Click(ctx);
    ctx.st.pantalla().muestraPagina(kPaginaConfiguracion);
}

} // namespace

void ActualizaAvisos(Contexto& ctx) {
    TraeAvisos(ctx);
    CargaAvisos(ctx);
    CambiaServidor(ctx);
}

void EnviaConfiguracion(Contexto& ctx) {
    const QString remoto = QStringLiteral("REC/") + ctx.st.config().TxtConfiguration(slot::Usuario) +
                           QStringLiteral("odbc%1.reg").arg(ctx.st.config().IndicePatente());
    SendFile(ctx, rutaConfiguracion(ctx), remoto);
}

void EjecutaCiclo(Contexto& ctx) {
    EstadoPrincipal& st = ctx.st;
    const CicloEnCurso enCurso(st);
    if (!enCurso.anidado())
        reiniciaSesion(ctx);
    if (RevisaDir(ctx) != 0) {
        detenSiCorre(ctx);
        return;
    }
    st.ciclo().setSegundosTranscurridos(0);
    ctx.dlg.puntero(Puntero::Ocupado);
    const QString enviados = carpetas::enviados(st, ctx.plataforma);
    const QString pend = carpetas::pend(st, ctx.plataforma);
    if (!fs::existeCarpeta(enviados))
        fs::creaCarpeta(enviados);
    if (!QFileInfo::exists(pend))
        fs::creaCarpeta(pend);
    const QStringList pendientes = refrescaPendientes(ctx);

    if (revisaConfiguracion(ctx)) {
        EnviaArchivosValidacion(ctx);
        BuscaRespuestas(ctx, pendientes);
    } else {
        detenSiCorre(ctx);
    }

    if (st.ciclo().ContadorAvisos() > 240 && !ctx.cancelado()) {
        ActualizaAvisos(ctx);
        st.ciclo().setContadorAvisos(0);
    }
    if (st.ciclo().ContadorRegistro001() > 60 && !ctx.cancelado()) {
        TraeRegistro001(ctx);
        st.ciclo().setContadorRegistro001(0);
    }
    ListaPendientes(ctx);
    const bool rechazado = st.sesion().perdida() == codigos::AccesoDenegado;
    DisconnectFromHost(ctx);
    ctx.dlg.puntero(Puntero::Normal);
    // The centre refused the user or the password: trying again every cycle
    // would change nothing and may lock the account. It stops, on the page
    // where the broker mends it.
    if (rechazado && st.iniciado()) {
        reportaFalla(ctx, Texto::tr("Se detuvo la conexión: el servidor rechazó el usuario o la contraseña. "
                                    "Corríjalos en la configuración e inicie de nuevo."));
        detenSiCorre(ctx);
        return;
    }
    st.ciclo().setSegundosTranscurridos(1);
    st.pantalla().setProgreso(1);
    st.pantalla().seleccionaUltimos();
}

void Start_Button_Click(Contexto& ctx) {
    EstadoPrincipal& st = ctx.st;
    if (st.captionInicio() == Texto::tr("&Iniciar")) {
        if (st.config().configuracionNoLeida()) {
            ctx.dlg.error(Texto::tr("No es posible iniciar: el archivo de configuración ") +
                          rutaConfiguracion(ctx) +
                          Texto::tr(" no se pudo leer al abrir la patente. Corríjalo o recupere la "
                                    "configuración del respaldo y abra de nuevo la patente."));
            return;
        }
        ctx.dlg.puntero(Puntero::Ocupado);
        // The button offers the stop from the first moment: the connection
        // can take a while, and the broker's Alt+D must work during it.
        st.setCaptionInicio(Texto::tr("&Detener"));
        reiniciaSesion(ctx);
        st.pantalla().setEvento(Texto::tr("Iniciando Conexión Espere...."));
        st.pantalla().muestraPagina(kPaginaStatus);
        bloqueaFolios(st);
        if (ConnectToHost(ctx) != 0) {
            st.ciclo().setSegundosTranscurridos(0);
            st.pantalla().setProgreso(0);
            st.setCaptionInicio(Texto::tr("&Iniciar"));
            st.pantalla().muestraPagina(kPaginaConfiguracion);
        } else {
            st.setCicloIniciado(true); // the diagnostics wait until it stops
            const EnCurso enCurso(st);
            ActualizaAvisos(ctx);
            EnviaConfiguracion(ctx);
            EjecutaCiclo(ctx);
        }
        ctx.dlg.puntero(Puntero::Normal);
        return;
    }
    ctx.dlg.puntero(Puntero::Ocupado);
    st.setCaptionInicio(Texto::tr("&Iniciar"));
    st.pantalla().setEvento(Texto::tr("Listo para hacer Conexión"));
    if (DisconnectFromHost(ctx) != 0)
        ctx.dlg.error(Texto::tr(
            "Hubo un error al intentar desconectarse del Host. Cerrar el programa e iniciar nuevamente."));
    ctx.dlg.puntero(Puntero::Normal);
    st.ciclo().setSegundosTranscurridos(0);
    st.setCicloIniciado(false);
}

void MuestraCuentaRegresiva(EstadoPrincipal& st) {
    const int P = st.config().periodo();
    const double paso = P > 0 ? 100.0 / P : 100.0;
    const float suma = static_cast<float>(st.pantalla().progreso() + paso);
    if (100.0f > suma) {
        st.pantalla().setEvento(Texto::tr("Siguiente ciclo en :") +
                                QString::number(P - st.ciclo().SegundosTranscurridos()) + Texto::tr(" Seg."));
        st.pantalla().setProgreso(suma);
    } else {
        st.pantalla().setProgreso(1);
    }
}

void CambioDeDia(Contexto& ctx) {
    EstadoPrincipal& st = ctx.st;
    st.ciclo().setUltimoCambioDia(ctx.reloj.ahora().date());
    reiniciaSesion(ctx);
    // The retrieval asks for what is in Pend now, and hangs up again unless a
    // cycle will do so.
    BuscaRespuestas(ctx, refrescaPendientes(ctx));
    if (!st.iniciado())
        DisconnectFromHost(ctx);
    st.ciclo().setDiaJulianoActual(Get_Juliano(ctx.reloj));
    st.pantalla().setEtiqueta(Etiqueta::DiaJuliano, QString::number(st.ciclo().DiaJulianoActual()));
    st.pantalla().setEtiqueta(Etiqueta::Fecha, fechaCorta(ctx.reloj.ahora().date()));
    if (!st.config().configuracionNoLeida() &&
        st.config().TxtConfiguration(slot::DepurarArchivos) == QLatin1String("1"))
        DepuraArchivos(ctx);
    // What the purge took away leaves the window too: yesterday's pending
    // copies and particular notice.
    ListaPendientes(ctx);
    CargaAvisoParticular(ctx, SinAviso::Borra);
}

void comienzaDia(Contexto& ctx) {
    EstadoPrincipal& st = ctx.st;
    st.ciclo().setDiaJulianoActual(Get_Juliano(ctx.reloj));
    st.ciclo().setUltimoCambioDia(ctx.reloj.ahora().date());
    st.pantalla().setEtiqueta(Etiqueta::DiaJuliano, QString::number(st.ciclo().DiaJulianoActual()));
}

void TmrControl_Timer(Contexto& ctx) {
    EstadoPrincipal& st = ctx.st;
    const QDateTime ahora = ctx.reloj.ahora();
    st.pantalla().setEtiqueta(Etiqueta::Hora, idioma().toString(ahora.time(), QStringLiteral("hh:mm:ss AP")));
    // A tick that arrives while a cycle, another tick or other long work is
    // under way (a message box, the selection window, or the window's turn
    // inside a transfer) moves only the clock and the notice line.
    if (st.ciclo().cicloEnCurso() || st.ciclo().enTick() || ctx.bajoTrabajo()) {
        pasoAvisos(st);
        return;
    }
    st.ciclo().setEnTick(true);
    if (st.ciclo().SegundosTranscurridos() > 0) {
        // The request is spent by the cycle it starts on this tick; a new one
        // made during that cycle asks again.
        if (st.TxtActualizar() == QLatin1String("1")) {
            st.ciclo().setSegundosTranscurridos(static_cast<qint16>(st.config().periodo() + 1));
            st.setTxtActualizar(QStringLiteral("0"));
        }
        if (st.ciclo().SegundosTranscurridos() > st.config().periodo()) {
            EjecutaCiclo(ctx);
        } else if (!st.iniciado()) {
            st.ciclo().setSegundosTranscurridos(0);
            st.pantalla().setProgreso(0);
        } else {
            st.ciclo().avanzaSegundo();
            MuestraCuentaRegresiva(ctx.st);
        }
        st.ciclo().cuentaTick(st.config().chk(slot::BajarRegistro001));
    }
    pasoAvisos(st);
    const QString hora = ahora.toString(QStringLiteral("HH:mm:ss"));
    const bool ventana = hora >= QLatin1String("00:00:01") && hora <= QLatin1String("00:00:20");
    // A day change missed while a cycle held the window is made on the first
    // free tick of the new day.
    const bool atrasado = st.ciclo().ultimoCambioDia().isValid() &&
                          st.ciclo().ultimoCambioDia() < ahora.date() && hora >= QLatin1String("00:00:01");
    if (ventana || atrasado)
        CambioDeDia(ctx);
    st.ciclo().setEnTick(false);
}

} // namespace korva

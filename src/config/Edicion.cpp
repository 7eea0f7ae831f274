#include "config/Edicion.h"
#include "platform/Texto.h"

#include <cmath>

#include "comun/Contexto.h"
#include <QRegularExpression>

#include "config/ArchivoConfiguracion.h"
#include "config/Revisiones.h"
#include "platform/Dialogos.h"
#include "platform/fs.h"

namespace korva {

namespace {
void bloqueaTodo(EstadoPrincipal& st, bool b) {
    for (int n = 0; n < EstadoConfiguracion::kSlots; ++n)
        st.config().setBloqueado(n, b);
}
} // namespace

void Menu_Configure(Contexto& ctx) {
    EstadoPrincipal& st = ctx.st;
    if (st.edicion().editando()) {
        bloqueaTodo(st, true);
        st.edicion().setOpcionesServidorHabilitadas(false);
        st.edicion().setEditando(false);
        st.config().setEdicionCerradaAlgunaVez(true);
        return;
    }
    if (!ctx.dlg.pregunta(Texto::tr(
            "Esta opción le permitira que la configuración del sistema este en forma de edición, si modifica "
            "parametros equivocadamente (como directorios locales) ocacionará que el sistema NO FUNCIONE "
            "correctamente. Desea continuar?")))
        return;
    bloqueaTodo(st, false);
    st.edicion().setOpcionesServidorHabilitadas(true);
    bloqueaFolios(st);
    st.edicion().setEditando(true);
}

bool ValidaConfiguracion(Contexto&) { return true; }

void bloqueaFolios(EstadoPrincipal& st) {
    st.config().setBloqueado(slot::FolioInferior, true);
    st.config().setBloqueado(slot::FolioSuperior, true);
}

void Menu_GuardaConf(Contexto& ctx) {
    if (!ValidaConfiguracion(ctx))
        return;
    // A failed write keeps the change mark, so the exit question still asks.
    GrabaConfiguracion(ctx);
    bloqueaFolios(ctx.st);
}

void seleccionaServidor(EstadoPrincipal& st, OpcionServidor o, bool porUsuario) {
    if (st.edicion().opcionServidor() == o && !porUsuario)
        return;
    st.edicion().setOpcionServidor(o);
    if (o == OpcionServidor::Primario)
        st.config().setSlot(slot::ServidorActual, st.config().TxtConfiguration(slot::ServidorPrimario));
    else if (o == OpcionServidor::Secundario)
        st.config().setSlot(slot::ServidorActual, st.config().TxtConfiguration(slot::ServidorSecundario));
}

void CambiaServidor(Contexto& ctx) {
    EstadoPrincipal& st = ctx.st;
    const QString recibo = st.config().TxtConfiguration(slot::DirRecibo);
    const QString ruta = fs::une(recibo, QStringLiteral("server.dat"), ctx.plataforma);
    if (ValidaDir(recibo, ctx.plataforma) != 1 || !fs::existeArchivo(ruta))
        return;
    const QStringList lineas = fs::leeLineas(ruta, fs::limite::kAviso);
    const QString primera = lineas.isEmpty() ? QString() : lineas.first();
    if (valorNumerico(primera) == 1.0) {
        seleccionaServidor(ctx.st, OpcionServidor::Secundario);
        st.pantalla().setEvento(Texto::tr("Conexión a KORVA mediante el Servidor Secundario"));
    } else {
        seleccionaServidor(ctx.st, OpcionServidor::Primario);
        st.pantalla().setEvento(Texto::tr("Conexión a KORVA mediante el Servidor Primario"));
    }
    fs::borra(ruta);
}

double valorNumerico(const QString& texto) {
    // The leading number of a text, as a file line is read: "1", " 1", "1x"
    // give 1; a text without one gives 0.
    static const QRegularExpression re(QStringLiteral("^\\s*([-+]?(\\d+\\.?\\d*|\\.\\d+))"));
    const auto m = re.match(texto);
    return m.hasMatch() ? m.captured(1).toDouble() : 0.0;
}

void clicChk(Contexto& ctx, int s, bool marcado) {
    EstadoPrincipal& st = ctx.st;
    const bool editable = !st.config().bloqueado(s);
    if (!editable) {
        bool ok = false;
        const double v = st.config().TxtConfiguration(s).trimmed().toDouble(&ok);
        st.config().setChk(s, ok ? v == 1.0 : marcado);
    } else {
        st.config().setChk(s, marcado);
        st.config().setConfiguracionModificada(true);
        st.config().setSlot(s, marcado ? QStringLiteral("1") : QStringLiteral("0"));
    }
    // Signing needs its key files whichever way a click switches it on; a
    // locked slot keeps its text.
    if (s != slot::Firmar || !marcado || !st.config().chk(slot::Firmar))
        return;
    auto rechaza = [&] {
        st.config().setChk(slot::Firmar, false);
        if (editable)
            st.config().setSlot(slot::Firmar, QStringLiteral("0"));
    };
    if (st.config().TxtConfiguration(slot::RutaKey).isEmpty() ||
        st.config().TxtConfiguration(slot::RutaCer).isEmpty() ||
        st.config().TxtConfiguration(slot::ContrasenaKey).isEmpty()) {
        rechaza();
        ctx.dlg.advertencia(
            Texto::tr("Para poder activar esta función es necesario que primero\r"
                      "proporcione la ruta del Archivo KEY, la ruta del archivo CER y la contraseña.\r"
                      "Para hacerlo es necesario poner el sistema en forma de edición\r"
                      "Sistema / Configuración"));
    } else if (!fs::existeArchivo(st.config().TxtConfiguration(slot::RutaKey))) {
        rechaza();
        ctx.dlg.error(
            Texto::tr("ERROR, no se encontro el archivo KEY, es imposible generar la firma dígital."));
    } else if (!fs::existeArchivo(st.config().TxtConfiguration(slot::RutaCer))) {
        rechaza();
        ctx.dlg.error(
            Texto::tr("ERROR, no se encontro el archivo CER, es imposible generar la firma dígital."));
    }
}

void SldControl_Change(EstadoPrincipal& st, int v) {
    st.config().setPeriodo(v);
    if (v <= 59) {
        st.pantalla().setEtiqueta(Etiqueta::Minutos, QStringLiteral("0"));
        st.pantalla().setEtiqueta(Etiqueta::Segundos, QString::number(v));
    } else {
        st.pantalla().setEtiqueta(Etiqueta::Minutos, QString::number(v / 60));
        st.pantalla().setEtiqueta(Etiqueta::Segundos, QString::number(v % 60));
    }
    st.pantalla().setProgreso(1);
}

void AplicaLapso(Contexto& ctx) {
    EstadoPrincipal& st = ctx.st;
    bool okM = false, okS = false;
    const double m = st.pantalla().etiqueta(Etiqueta::Minutos).trimmed().toDouble(&okM);
    const double s = st.pantalla().etiqueta(Etiqueta::Segundos).trimmed().toDouble(&okS);
    if (okM && okS && m >= 0 && m <= 5 && s >= 0 && s <= 60)
        SldControl_Change(ctx.st, int(std::nearbyint(m * 60 + s)));
    else
        SldControl_Change(ctx.st, st.config().periodo());
}

void abrePanel(Contexto& ctx, Panel p) { ctx.st.edicion().setPanel(p); }

void ocultaPanel(Contexto& ctx) { ctx.st.edicion().setPanel(Panel::Ninguno); }

void alternaServicio(Contexto& ctx) {
    ctx.st.edicion().setServicioVisible(!ctx.st.edicion().servicioVisible());
}

} // namespace korva

#pragma once

#include <QObject>
#include <QString>

#include "comun/EstadoCiclo.h"
#include "comun/EstadoConfiguracion.h"
#include "comun/Pantalla.h"
#include "comun/RegistroAtrasado.h"
#include "comun/RespuestasApartadas.h"
#include "comun/SesionCentro.h"
#include "comun/VistaEdicion.h"
#include "platform/Texto.h"

namespace korva {

// Everything the main window owns during a run: the aggregate of its parts
// (the configuration record, the editing view, the day's display, the
// cycle's clock, the session with the centre, the responses left aside, the
// register backlog), each with private data and written by its own folder
// (the display by every procedure that reports), and the few states of the
// run itself: started or stopped, the cycle and the diagnostics excluding
// each other, the requests one folder makes of another (a close, a cycle at
// once). Procedures act on it; windows show it and
// forward clicks.
class EstadoPrincipal : public QObject {
    Q_OBJECT
public:
    EstadoConfiguracion& config() { return config_; }
    const EstadoConfiguracion& config() const { return config_; }
    VistaEdicion& edicion() { return edicion_; }
    const VistaEdicion& edicion() const { return edicion_; }
    Pantalla& pantalla() { return pantalla_; }
    const Pantalla& pantalla() const { return pantalla_; }
    EstadoCiclo& ciclo() { return ciclo_; }
    const EstadoCiclo& ciclo() const { return ciclo_; }
    SesionCentro& sesion() { return sesion_; }
    const SesionCentro& sesion() const { return sesion_; }
    RespuestasApartadas& respuestas() { return respuestas_; }
    const RespuestasApartadas& respuestas() const { return respuestas_; }
    RegistroAtrasado& atrasados() { return atrasados_; }
    const RegistroAtrasado& atrasados() const { return atrasados_; }

    // Start_Button's caption is the started/stopped state.
    const QString& captionInicio() const { return captionInicio_; }
    void setCaptionInicio(const QString& c);
    bool iniciado() const { return captionInicio_ == Texto::tr("&Detener"); }

    // The restore ends the run: the main window closes itself when asked
    // (nothing to save: the record is the one replaced). The flag stays set
    // for a window that opens later.
    bool cierrePendiente() const { return cierrePendiente_; }
    void solicitaCierre();

    // "1": the manual send window asks the cycle timer to start the next
    // cycle at once; the cycle spends the request.
    const QString& TxtActualizar() const { return TxtActualizar_; }
    void setTxtActualizar(const QString& t) { TxtActualizar_ = t; }

    // While the cycle is started the diagnostics start buttons are disabled;
    // while a diagnostic runs Start_Button is.
    bool cicloIniciado() const { return cicloIniciado_; }
    void setCicloIniciado(bool i) {
        if (i != cicloIniciado_) {
            cicloIniciado_ = i;
            emit exclusionCambiada();
        }
    }
    bool diagnosticoActivo() const { return diagnosticoActivo_; }
    void setDiagnosticoActivo(bool a) {
        if (a != diagnosticoActivo_) {
            diagnosticoActivo_ = a;
            emit exclusionCambiada();
        }
    }

    // Marks for what the broker is told outside the window.
    void marcaCiclo(bool comienza) {
        if (comienza)
            emit cicloComenzado();
        else
            emit cicloTerminado();
    }
    // A connection really attempted (not one found open) and its result.
    void marcaConexion(qint32 codigo) { emit conexionIntentada(codigo); }
    // An upload the centre refused; the file stays to go again.
    void marcaEnvioRechazado(const QString& nombre, qint32 codigo) { emit envioRechazado(nombre, codigo); }

signals:
    void captionInicioCambiado();
    void cierreSolicitado();
    void exclusionCambiada();
    void cicloComenzado();
    void cicloTerminado();
    void conexionIntentada(qint32 codigo);
    void envioRechazado(const QString& nombre, qint32 codigo);

private:
    EstadoConfiguracion config_;
    VistaEdicion edicion_;
    Pantalla pantalla_;
    EstadoCiclo ciclo_;
    SesionCentro sesion_;
    RespuestasApartadas respuestas_;
    RegistroAtrasado atrasados_;
    QString captionInicio_ = Texto::tr("&Iniciar");
    bool cierrePendiente_ = false;
    QString TxtActualizar_ = QStringLiteral("0");
    bool cicloIniciado_ = false;
    bool diagnosticoActivo_ = false;
};

} // namespace korva

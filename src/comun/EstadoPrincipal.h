#pragma once

#include <QDate>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include "platform/Texto.h"
#include <array>
#include <utility>

namespace korva {

inline const QString kTituloVentana = QStringLiteral("KORVA Centro de Prevalidación");

// Lists of the main window: the four day lists the broker watches and the
// notices.
enum class Lista { Enviados, Recibidos, Pendientes, Rechazados, Mensajes, Cuenta_ };

// The additional folders of one direction as the route check accepted them
// and the file-type letters given for them, position by position (a folder
// takes the files of the letter at its position).
enum class Sentido { Envio, Recibo };
struct RutasLocales {
    QStringList carpetas;
    QStringList letras;
    bool operator==(const RutasLocales&) const = default;
};

// Labels and one-line texts of the main window.
enum class Etiqueta {
    Evento,
    Titulo,
    Fecha,
    DiaJuliano,
    Hora,
    Patente,
    Despliega,
    AvisoParticular,
    LocalName,
    LocalAddress,
    Minutos, // the period editor's boxes
    Segundos,
    Cuenta_
};

enum class Panel { Ninguno, Servidor, Firma, Rutas };
enum class OpcionServidor { Ninguna, Primario, Secundario };
// Colours of the notice line: notices beginning with "**" stand out in red
// on the window background, the others are dark blue on the button face.
enum class ColorAviso { Azul, Rojo };

// Slot numbers of the configuration record.
namespace slot {
enum : int {
    ServidorActual = 0,
    Usuario = 1,
    ContrasenaFtp = 2,
    DirEnvio = 3,
    DirRecibo = 4,
    FolioInferior = 5,
    FolioSuperior = 6,
    Puerto = 7,
    ServidorPrimario = 8,
    ServidorSecundario = 9,
    LetrasValidacion = 10,
    LetrasPago = 11,
    Pasivo = 12,
    RutaKey = 13,
    RutaCer = 14,
    ContrasenaKey = 15,
    Firmar = 16,
    CaracteresRegistro500 = 17,
    EnvioAutomatico = 18,
    RutasAdicionales = 19,
    RutasEnvioLocal = 20,
    RutasReciboLocal = 21,
    DepurarArchivos = 22,
    BajarRegistro001 = 23,
    ClavePrevalidador = 24,
};
}

// The configuration page's editing view: edit mode, the open panel, the
// server option and whether it may be chosen, the service toggle. Written by
// the configuration editing; the page and the main window follow it.
class VistaEdicion : public QObject {
    Q_OBJECT
public:
    // Edit mode: the menu entry reads "&Cerrar Edición" while it is on.
    bool editando() const { return editando_; }
    void setEditando(bool e);
    QString captionConfigurar() const;

    OpcionServidor opcionServidor() const { return servidor_; }
    void setOpcionServidor(OpcionServidor o);
    bool opcionesServidorHabilitadas() const { return opcionesHabilitadas_; }
    void setOpcionesServidorHabilitadas(bool h);

    Panel panel() const { return panel_; }
    void setPanel(Panel p);
    // Slots 0, 2 and 17 and their captions (the service toggle).
    bool servicioVisible() const { return servicioVisible_; }
    void setServicioVisible(bool v);

signals:
    void vistaCambiada();

private:
    bool editando_ = false;
    bool opcionesHabilitadas_ = false;
    bool servicioVisible_ = false;
    OpcionServidor servidor_ = OpcionServidor::Ninguna;
    Panel panel_ = Panel::Ninguno;
};

// The session with the centre within a run: whether this cycle lost it,
// whether transfer failures raise the error window, which faults it
// already showed. Written by the transfer operations and the failure report
// (the ground folder) only.
class SesionCentro {
public:
    // Code of the time-out or lost connection that ended this cycle's
    // session (0: none); the cycle's later transfers are dropped.
    qint32 perdida() const { return perdida_; }
    void pierde(qint32 codigo) { perdida_ = codigo; }
    void reinicia() { perdida_ = 0; }

    // The error window is raised for transfer failures (off while the
    // notices are fetched: their absence is no fault).
    bool mostrarErrores() const { return mostrarErrores_; }
    void setMostrarErrores(bool m) { mostrarErrores_ = m; }

    // True the first time a fault met every cycle is told this run.
    bool primeraVez(const QString& clave) {
        if (fallasAvisadas_.contains(clave))
            return false;
        fallasAvisadas_.insert(clave);
        return true;
    }

private:
    qint32 perdida_ = 0;
    bool mostrarErrores_ = true;
    QSet<QString> fallasAvisadas_;
};

// Responses the retrieval leaves aside within a run. Written by the
// exchange folder only.
class RespuestasApartadas {
public:
    // Responses refused for their size: not downloaded again this run.
    void excede(const QString& remoto) { excedidas_.insert(remoto); }
    bool excedida(const QString& remoto) const { return excedidas_.contains(remoto); }

    // The pending file whose response stalled the last cycle's session; the
    // next search begins after it. Taken once.
    void estanca(const QString& nombre) { estancada_ = nombre; }
    QString tomaEstancada() { return std::exchange(estancada_, QString()); }

private:
    QSet<QString> excedidas_;
    QString estancada_;
};

// Register lines of files sent in this run that the register could not
// take (a full disk): read with it, so they are not sent again, and written
// to it as soon as it takes lines again. Written by the records folder
// (the register's own) only.
class RegistroAtrasado {
public:
    bool vacio() const { return lineas_.isEmpty(); }
    const QStringList& lineas() const { return lineas_; }
    void agrega(const QString& linea) { lineas_ << linea; }
    // Hands the lines to `escribe` in order while it takes them.
    template <class F> void entrega(F escribe) {
        while (!lineas_.isEmpty() && escribe(lineas_.first()))
            lineas_.removeFirst();
    }
    void descarta() { lineas_.clear(); }

private:
    QStringList lineas_;
};

// The cycle's clock within a run: countdown, counters, running marks, the
// day and its change. Written by the cycle folder only.
class EstadoCiclo {
public:
    // 0: no countdown (stopped, or a cycle is running); n > 0: n - 1
    // seconds since the last cycle ended.
    qint16 SegundosTranscurridos() const { return SegundosTranscurridos_; }
    void setSegundosTranscurridos(qint16 s) { SegundosTranscurridos_ = s; }
    void avanzaSegundo() { ++SegundosTranscurridos_; }

    // Ticks since the notices and registro 001 were last fetched, each
    // counted up to 250 (registro 001 only while it is fetched at all).
    int ContadorAvisos() const { return ContadorAvisos_; }
    void setContadorAvisos(int n) { ContadorAvisos_ = n; }
    quint8 ContadorRegistro001() const { return ContadorRegistro001_; }
    void setContadorRegistro001(quint8 n) { ContadorRegistro001_ = n; }
    void cuentaTick(bool registro001) {
        if (ContadorAvisos_ < 250)
            ++ContadorAvisos_;
        if (registro001 && ContadorRegistro001_ < 250)
            ++ContadorRegistro001_;
    }
    // Ticks since the notice line last stepped.
    int ContadorTicker() const { return ContadorTicker_; }
    void setContadorTicker(int n) { ContadorTicker_ = n; }

    // A cycle or a tick's work is in progress: a tick that reaches the
    // window meanwhile (a message box runs its own event loop) only moves
    // the clock.
    bool cicloEnCurso() const { return cicloEnCurso_; }
    void setCicloEnCurso(bool c) { cicloEnCurso_ = c; }
    bool enTick() const { return enTick_; }
    void setEnTick(bool t) { enTick_ = t; }

    // Today's Julian day, and the date of the last day change, so one
    // missed while a cycle ran is caught up.
    qint16 DiaJulianoActual() const { return DiaJulianoActual_; }
    void setDiaJulianoActual(qint16 d) { DiaJulianoActual_ = d; }
    QDate ultimoCambioDia() const { return ultimoCambioDia_; }
    void setUltimoCambioDia(QDate d) { ultimoCambioDia_ = d; }

private:
    qint16 SegundosTranscurridos_ = 0;
    int ContadorAvisos_ = 0;
    quint8 ContadorRegistro001_ = 0;
    int ContadorTicker_ = 0;
    bool cicloEnCurso_ = false;
    bool enTick_ = false;
    qint16 DiaJulianoActual_ = 1;
    QDate ultimoCambioDia_;
};

// The patent's configuration record: the 25 slots, their locks and check
// boxes, the folios the centre unlocked, and where the record stands (the
// patent's position, modified since read or saved, states in which it must
// never be saved), the routes last accepted and the cycle's period. Written
// by the configuration folder only; the windows follow it.
class EstadoConfiguracion : public QObject {
    Q_OBJECT
public:
    static constexpr int kSlots = 25;
    // Slots that have a check box mirroring them.
    static constexpr std::array<int, 6> kSlotsBandera = {slot::Pasivo,          slot::Firmar,
                                                         slot::EnvioAutomatico, slot::RutasAdicionales,
                                                         slot::DepurarArchivos, slot::BajarRegistro001};

    EstadoConfiguracion();

    const QString& TxtConfiguration(int n) const { return slots_.at(n); }
    // Any change of a slot's text marks the configuration as modified.
    void setSlot(int n, const QString& texto);
    void restableceSlots(); // every slot back to its default text

    bool bloqueado(int n) const { return bloqueado_.at(n); }
    void setBloqueado(int n, bool b);

    // The check box of a flag slot (value 1 ticked, 0 clear).
    bool chk(int slotBandera) const;
    void setChk(int slotBandera, bool marcado);

    // Last four characters of slot 1 (the whole slot when shorter).
    QString patente() const;

    // Slots 5 and 6 unlocked by the centre's authorization, waiting to be
    // saved; the folio menu entry's caption follows it.
    bool foliosAutorizados() const { return foliosAutorizados_; }
    void setFoliosAutorizados(bool a);
    QString captionFolios() const;

    // The patent's position in the list: its file is odbc<n>.reg.
    quint8 IndicePatente() const { return IndicePatente_; }
    void setIndicePatente(quint8 n) { IndicePatente_ = n; }
    bool ConfiguracionModificada() const { return ConfiguracionModificada_; }
    void setConfiguracionModificada(bool m) { ConfiguracionModificada_ = m; }
    // The patent's configuration file is there but could not be read: the
    // record holds defaults, which must never be saved over the real one.
    bool configuracionNoLeida() const { return configuracionNoLeida_; }
    void setConfiguracionNoLeida(bool n) { configuracionNoLeida_ = n; }
    // A restore replaced the configuration files: the record in memory is
    // the one they replaced, and is never saved.
    bool configuracionRecuperada() const { return configuracionRecuperada_; }
    void setConfiguracionRecuperada(bool r) { configuracionRecuperada_ = r; }
    // Edit mode was closed at least once this run.
    bool edicionCerradaAlgunaVez() const { return edicionCerradaAlgunaVez_; }
    void setEdicionCerradaAlgunaVez(bool c) { edicionCerradaAlgunaVez_ = c; }
    // What the last route check of each direction accepted: the passes and
    // the midnight purge work on these until the next check.
    const RutasLocales& rutas(Sentido s) const { return rutas_.at(static_cast<int>(s)); }
    void setRutas(Sentido s, RutasLocales r) { rutas_.at(static_cast<int>(s)) = std::move(r); }
    // Seconds between cycles, as the period editor set them (not part of
    // the file: every run begins at 30).
    int periodo() const { return periodo_; }
    void setPeriodo(int segundos) { periodo_ = segundos; }

signals:
    void slotCambiado(int n);
    void bloqueoCambiado();
    void chkCambiado(int slotBandera);
    void foliosCambiado();

private:
    std::array<QString, kSlots> slots_;
    std::array<bool, kSlots> bloqueado_{};
    std::array<bool, kSlots> chk_{};
    bool foliosAutorizados_ = false;
    quint8 IndicePatente_ = 0;
    bool ConfiguracionModificada_ = false;
    bool configuracionNoLeida_ = false;
    bool configuracionRecuperada_ = false;
    bool edicionCerradaAlgunaVez_ = false;
    std::array<RutasLocales, 2> rutas_;
    int periodo_ = 30;
};

// The day's display: the lists, the labels and the status line, the
// progress bar, the notice line's turn and colour. Written by the
// procedures that report; the windows show it.
class Pantalla : public QObject {
    Q_OBJECT
public:
    Pantalla();

    const QStringList& lista(Lista l) const { return listas_.at(static_cast<int>(l)); }
    void setLista(Lista l, const QStringList& items);
    void agrega(Lista l, const QString& item);
    void vacia(Lista l) { setLista(l, {}); }

    const QString& etiqueta(Etiqueta e) const { return etiquetas_.at(static_cast<int>(e)); }
    void setEtiqueta(Etiqueta e, const QString& texto);
    // The status line: replaced whole, no history.
    const QString& evento() const { return etiqueta(Etiqueta::Evento); }
    void setEvento(const QString& texto) { setEtiqueta(Etiqueta::Evento, texto); }

    // The progress bar (0 to 100); fractional as the countdown steps it.
    float progreso() const { return progreso_; }
    void setProgreso(float v);

    // Notice now on the notice line; 0 when the window loads.
    int IndiceAviso() const { return IndiceAviso_; }
    void setIndiceAviso(int i) { IndiceAviso_ = i; }
    ColorAviso colorAviso() const { return colorAviso_; }
    void setColorAviso(ColorAviso c);

    // LstPendientes holds files (tool-tip background) or the placeholder
    // (window background).
    bool pendientesConArchivos() const { return pendientesConArchivos_; }
    void setPendientesConArchivos(bool a) { pendientesConArchivos_ = a; }

    // The page of the tab control the window must show.
    void muestraPagina(int indice) { emit paginaSolicitada(indice); }
    // The newest line of each day list in view.
    void seleccionaUltimos() { emit ultimosSolicitados(); }

signals:
    void listaCambiada(korva::Lista l);
    void etiquetaCambiada(korva::Etiqueta e);
    void progresoCambiado(float v);
    void colorAvisoCambiado();
    void paginaSolicitada(int indice);
    void ultimosSolicitados();

private:
    std::array<QStringList, static_cast<int>(Lista::Cuenta_)> listas_;
    std::array<QString, static_cast<int>(Etiqueta::Cuenta_)> etiquetas_;
    float progreso_ = 0;
    int IndiceAviso_ = 0;
    ColorAviso colorAviso_ = ColorAviso::Azul;
    bool pendientesConArchivos_ = false;
};

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

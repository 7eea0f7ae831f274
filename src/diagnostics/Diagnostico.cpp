#include "diagnostics/Diagnostico.h"
#include "platform/Texto.h"

#include <cmath>

#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "platform/Dialogos.h"
#include "platform/Eco.h"

namespace korva {
namespace {

const QString kFinLinea = QStringLiteral("\r\n");

const QString kFallaLocal = QStringLiteral("La comunicación no se puede dar por que conputadora no tiene "
                                           "activado el protocolo TCP-IP, comuniquese con "
                                           "su personal de Informática para que active el protocolo.");
const QString kFallaExterna = QStringLiteral("La comunicación no se puede dar por que la salida a Internet "
                                             "no esta respondiendo, reinicie su equipo, si "
                                             "la falla persiste comuniquese con su proveedore de Internet.");
const QString kFallaCentro = QStringLiteral(
    "La comunicación no se puede dar por que el servidor de KORVA no responde, espere unos minutos e intente "
    "nuevamente, si la falla persiste comuniquese a KORVA Centro de Prevalidación.");

QString blancos(int n) { return QString(n, QLatin1Char(' ')); }

} // namespace

QString calificacion(double recibidos, double enviados) {
    // Nothing came back: no quality to speak of, the link is lost.
    if (recibidos <= 0)
        return QStringLiteral("Sin comunicación");
    const double q = recibidos / enviados;
    if (q >= 0.9)
        return QStringLiteral("Excelente");
    if (q >= 0.75)
        return QStringLiteral("Buena");
    if (q >= 0.65)
        return QStringLiteral("Regular");
    if (q >= 0.5)
        return QStringLiteral("Mala");
    return QStringLiteral("Deficiente");
}

Diagnostico::Diagnostico(Contexto& ctx, Eco& eco, QObject* parent) : QObject(parent), ctx_(ctx), eco_(eco) {
    connect(&eco_, &Eco::respuesta, this, &Diagnostico::alResponder);
    connect(&eco_, &Eco::estadisticas, this, &Diagnostico::alEstadisticas);
    connect(&ctx_.st, &EstadoPrincipal::exclusionCambiada, this, &Diagnostico::alCambiarCiclo);
}

// Starting the cycle disables the tests and says why; stopping it says the
// tests are ready again.
void Diagnostico::alCambiarCiclo() {
    const bool iniciado = ctx_.st.cicloIniciado();
    if (iniciado == cicloVisto_) {
        emit cambiado();
        return;
    }
    cicloVisto_ = iniciado;
    comenta(iniciado ? Texto::tr("Para realizar pruebas se debe detener el proceso de validación.")
                     : Texto::tr("Listo para iniciar pruebas"),
            ColorComentario::Azul);
}

QString Diagnostico::captionCmdPruebas() const {
    return eco_.continuo() ? QStringLiteral("Termi&nar Prueba") : QStringLiteral("I&niciar Prueba");
}

bool Diagnostico::habilitadoPingTest() const {
    return !ctx_.st.cicloIniciado() && !tresEtapas_ && !eco_.continuo();
}
bool Diagnostico::habilitadoComdProbar() const { return habilitadoPingTest(); }
bool Diagnostico::habilitadoCmdPruebas() const { return !ctx_.st.cicloIniciado() && !tresEtapas_; }

void Diagnostico::ReiniciaPruebas() {
    Check1 = true;
    eco_.setSincrono(true);
    eco_.setContinuo(false);
    eco_.setEspera(2000);
    send_ = QStringLiteral("0");
    recv_ = QStringLiteral("0");
    loss_ = QStringLiteral("0%");
    emit cambiado();
}

void Diagnostico::agrega(const QString& texto) {
    if (salida_.size() > kLimiteTranscripcion)
        salida_.clear();
    salida_ += texto;
    emit transcripcionCambiada();
}

void Diagnostico::vaciaSalida() {
    salida_.clear();
    emit transcripcionCambiada();
}

void Diagnostico::comenta(const QString& texto, ColorComentario c) {
    comentario_ = texto;
    color_ = c;
    emit cambiado();
}

// Opens stage e of the three-stage test (local, external, centre): heading,
// target and progress text; its three requests follow.
void Diagnostico::abreEtapa(int e) {
    etapa_ = e;
    enviadasEtapa_ = 0;
    if (e == 0) {
        agrega(blancos(50) + QStringLiteral("PROBANDO COMUNICACIÓN LOCAL") + kFinLinea);
        eco_.setDestino(eco_.direccionLocal());
        comenta(
            Texto::tr("Se esta Ejecutando la Prueba en forma local, mientras tanto no es posible iniciar el "
                      "proceso de validación, espere."),
            ColorComentario::Azul);
    } else if (e == 1) {
        agrega(kFinLinea + blancos(41) + QStringLiteral("PROBANDO COMUNICACIÓN EXTERNA ") + HostName +
               kFinLinea);
        eco_.setDestino(HostName.trimmed());
        comenta(Texto::tr("Se esta Ejecutando la Prueba a un sitio externo, mientras tanto no es posible "
                          "iniciar el proceso de validación, espere."),
                ColorComentario::Azul);
    } else {
        agrega(kFinLinea + blancos(47) + QStringLiteral("PROBANDO COMUNICACIÓN CON KORVA") + blancos(3) +
               kFinLinea);
        eco_.setDestino(ctx_.st.config().TxtConfiguration(slot::ServidorActual).trimmed());
        comenta(Texto::tr("Se esta Ejecutando la Prueba a KORVA, mientras tanto no es posible iniciar el "
                          "proceso de validación, espere."),
                ColorComentario::Azul);
    }
    eco_.reinicia();
}

// The outcome of one request of the three-stage test: the stage's flag goes
// up on a reply; the first failure, or the centre's third reply, ends it.
void Diagnostico::anota(bool respondio) {
    if (respondio)
        banderas_[etapa_] = true;
    else
        ++fallas_;
    if (fallas_ == 0 && ++enviadasEtapa_ < 3)
        return;
    if (fallas_ == 0 && etapa_ < 2)
        abreEtapa(etapa_ + 1);
    else
        terminaPrueba();
}

// Asynchronous requests cannot fail when sent: each goes out once the
// previous one has its reply or time-out, and that outcome is what counts.
void Diagnostico::enviaEnEspera() {
    esperaEco_ = true;
    respondio_ = false;
    eco_.envia();
}

void Diagnostico::PingTest() {
    if (!habilitadoPingTest())
        return;
    vaciaSalida();
    tresEtapas_ = true;
    ctx_.st.setDiagnosticoActivo(true);
    emit cambiado();
    banderas_ = {};
    fallas_ = 0;
    eco_.setSincrono(Check1);
    abreEtapa(0);
    if (!eco_.sincrono()) {
        enviaEnEspera();
        return;
    }
    while (tresEtapas_)
        anota(eco_.envia());
}

void Diagnostico::terminaPrueba() {
    const bool local = banderas_[0], externa = banderas_[1], centro = banderas_[2];
    tresEtapas_ = false;
    ctx_.st.setDiagnosticoActivo(eco_.continuo());
    if (fallas_ == 0) {
        agrega(blancos(8) + QString(47, QLatin1Char('*')) + QStringLiteral(" FIN DE PRUEBA  ") +
               QString(47, QLatin1Char('*')) + kFinLinea);
        comenta(Texto::tr("La comunicación esta operando correctamente."), ColorComentario::Azul);
    } else if (!local) {
        // A machine that may not send echoes at all: that is the cause, not
        // its TCP-IP.
        const QString porque = eco_.impedimento();
        comenta(porque.isEmpty() ? kFallaLocal : porque, ColorComentario::Rojo);
    } else if (!externa) {
        comenta(kFallaExterna, ColorComentario::Rojo);
    } else if (!centro) {
        comenta(kFallaCentro, ColorComentario::Rojo);
    } else {
        emit cambiado(); // a failure after the centre answered: no verdict text
    }
    // A machine that may not send echoes at all says so, not only "TCP-IP".
    if (fallas_ != 0 && !local) {
        const QString porque = eco_.impedimento();
        if (!porque.isEmpty())
            agrega(porque + kFinLinea);
    }
}

void Diagnostico::ComdProbar() {
    if (!habilitadoComdProbar())
        return;
    const QString host = HostName.trimmed();
    eco_.setDestino(host);
    vaciaSalida();
    eco_.setSincrono(Check1);
    if (!eco_.envia()) {
        ctx_.dlg.mensaje(Icono::Ninguno,
                         Texto::tr("Fallo, direccion IP es ") + eco_.direccionResuelta() +
                             QStringLiteral(" (") + host + QStringLiteral(")"),
                         kTitulo);
        const QString porque = eco_.impedimento();
        if (!porque.isEmpty())
            agrega(porque + kFinLinea);
    }
}

void Diagnostico::CmdPruebas() {
    if (!habilitadoCmdPruebas())
        return;
    if (!eco_.continuo()) {
        vaciaSalida();
        // A machine that may not send echoes at all would only count losses.
        if (const QString porque = eco_.impedimento(); !porque.isEmpty()) {
            comenta(porque, ColorComentario::Rojo);
            return;
        }
        const QString host = HostName.trimmed();
        eco_.setDestino(host);
        // Counters start from zero so the loss and the rating speak of this
        // test only, not of the requests of earlier ones.
        eco_.reinicia();
        send_ = QStringLiteral("0");
        recv_ = QStringLiteral("0");
        loss_ = QStringLiteral("0%");
        eco_.setIntervalo(1000);
        eco_.setSincrono(Check1);
        eco_.setContinuo(true);
        ctx_.st.setDiagnosticoActivo(true);
        comenta(
            Texto::tr("Se esta ejecutando el modo de prueba constante a la dirección ") + HostName +
                Texto::tr(", el sistema estará ejecutando la prueba hasta que sea detenido en el Boton de "
                          "Terminar Prueba, mientras tanto no se permite Iniciar la Validación."),
            ColorComentario::Azul);
    } else {
        eco_.setContinuo(false);
        send_ = QStringLiteral("0");
        recv_ = QStringLiteral("0");
        loss_ = QStringLiteral("0%");
        ctx_.st.setDiagnosticoActivo(false);
        comenta(Texto::tr("La prueba ha terminado."), ColorComentario::Azul);
    }
}

void Diagnostico::alResponder(quint16 secuencia, quint16 bytes, qint32 ms) {
    const double perdida = (Eco::kBytes - double(bytes)) / Eco::kBytes * 100.0;
    agrega(QStringLiteral("   Ping a [") + eco_.direccionResuelta() +
           QStringLiteral("]: 32 bytes enviados, ") + QString::number(bytes) +
           QStringLiteral(" bytes recibidos, icmp_seq=") + QString::number(secuencia) +
           QStringLiteral(", lapso=") + QString::number(ms) + QStringLiteral(" ms  ") +
           QString::number(perdida) + QStringLiteral("% Perdidas") + kFinLinea);
    recv_ = QString::number(eco_.recibidos());
    respondio_ = true;
    emit cambiado();
}

void Diagnostico::alEstadisticas() {
    const int s = eco_.enviados();
    const int r = eco_.recibidos();
    recv_ = QString::number(r);
    if (s > 0) {
        const double perdida = 100.0 - r * 100.0 / s;
        loss_ = QString::number(std::lround(perdida)) + QLatin1Char('%');
        CalificaEnlace();
    }
    send_ = QString::number(s);
    emit cambiado();
    if (esperaEco_) {
        esperaEco_ = false;
        anota(respondio_);
        if (tresEtapas_)
            enviaEnEspera();
    }
}

void Diagnostico::CalificaEnlace() {
    const double enviados = send_.toDouble();
    // Labels put back to 0 by the end of a continuous test have nothing to
    // rate yet; dividing by them would rate a broken link "Excelente".
    if (enviados <= 0)
        return;
    resultado_ = calificacion(recv_.toDouble(), enviados);
    emit cambiado();
}

} // namespace korva

#include "app/Notificaciones.h"
#include "platform/Texto.h"

#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "comun/ModError.h"
#include "platform/fs.h"

namespace korva {

namespace {

// An entry of the outgoing pass reads name, blank, "HH:mm ", reason.
const QString kJuliano = QStringLiteral(" JULIANO MAL");
const QString kFolios = QStringLiteral("  FOLIOS MAL");
constexpr int kHora = 7;           // the blank and "HH:mm "
constexpr int kRechazosVistos = 5; // a desktop message has room for a few lines

} // namespace

Notificaciones::Notificaciones(Contexto& ctx, QObject* parent) : QObject(parent), ctx_(ctx) {
    EstadoPrincipal& st = ctx.st;
    cuentaRechazados_ = st.pantalla().lista(Lista::Rechazados).size();
    ultimoRechazado_ = st.pantalla().lista(Lista::Rechazados).value(cuentaRechazados_ - 1);
    connect(&st, &EstadoPrincipal::cicloComenzado, this, &Notificaciones::comienzaCiclo);
    connect(&st, &EstadoPrincipal::cicloTerminado, this, &Notificaciones::terminaCiclo);
    connect(&st, &EstadoPrincipal::conexionIntentada, this, &Notificaciones::conexion);
    connect(&st, &EstadoPrincipal::captionInicioCambiado, this, &Notificaciones::reinicia);
    connect(&st, &EstadoPrincipal::envioRechazado, this, &Notificaciones::envioRechazado);
    connect(&st.pantalla(), &Pantalla::listaCambiada, this, [this](Lista l) {
        if (l == Lista::Rechazados)
            rechazados();
    });
}

void Notificaciones::comienzaCiclo() {
    enCiclo_ = cuentaCiclo_ = true;
    intento_ = conecto_ = false;
}

void Notificaciones::conexion(qint32 codigo) {
    if (!enCiclo_ || !cuentaCiclo_)
        return;
    intento_ = true;
    if (codigo == 0)
        conecto_ = true;
    else
        ultimoError_ = codigo;
}

void Notificaciones::rechazados() {
    const QStringList& lista = ctx_.st.pantalla().lista(Lista::Rechazados);
    // Only an entry appended to what was there is a rejection; anything else
    // is the list read again from Rechaza.
    const bool nueva = lista.size() == cuentaRechazados_ + 1 &&
                       (cuentaRechazados_ == 0 || lista.at(cuentaRechazados_ - 1) == ultimoRechazado_);
    cuentaRechazados_ = lista.size();
    ultimoRechazado_ = lista.value(cuentaRechazados_ - 1);
    if (!nueva)
        return;
    const QString& entrada = ultimoRechazado_;
    const bool juliano = entrada.endsWith(kJuliano);
    if (!juliano && !entrada.endsWith(kFolios))
        return;
    const QString nombre = entrada.left(entrada.size() - kJuliano.size() - kHora);
    QString texto = nombre + QStringLiteral(": ") + (juliano ? kJuliano : kFolios).trimmed();
    // A file the pass could not take out of the send folder comes back every cycle.
    const QString envio = ctx_.st.config().TxtConfiguration(slot::DirEnvio);
    const QString ruta = fs::rutaSinMayusculas(envio, nombre, ctx_.plataforma);
    if (fs::existeArchivo(ruta)) {
        if (seQuedan_.contains(nombre))
            return;
        seQuedan_.insert(nombre);
        texto += fs::soloLectura(ruta)
                     ? Texto::tr(" (es de solo lectura: se queda en la carpeta de envío y se rechaza en "
                                 "cada ciclo)")
                     : Texto::tr(" (no se pudo mover a Rechaza: se queda en la carpeta de envío)");
    } else {
        seQuedan_.remove(nombre);
    }
    rechazosDelCiclo_ << texto;
    if (!enCiclo_)
        terminaCiclo();
}

void Notificaciones::envioRechazado(const QString& nombre, qint32 codigo) {
    // Tried again every cycle: told once a run.
    if (subidasRechazadas_.contains(nombre))
        return;
    subidasRechazadas_.insert(nombre);
    rechazosDelCiclo_ << nombre + Texto::tr(": el centro no lo aceptó (error %1: %2)")
                                      .arg(codigo)
                                      .arg(MensajeError(codigo).trimmed());
    if (!enCiclo_)
        terminaCiclo();
}

void Notificaciones::terminaCiclo() {
    QString titulo;
    QStringList partes;
    bool alerta = false;
    if (enCiclo_ && cuentaCiclo_ && intento_) {
        if (conecto_) {
            if (ciclosSinConexion_ >= kCiclosSinConexion) {
                titulo = Texto::tr("Conexión restablecida");
                partes << Texto::tr("El ciclo volvió a conectarse con el centro de prevalidación después "
                                    "de %1 ciclos sin conexión.")
                              .arg(ciclosSinConexion_);
            }
            ciclosSinConexion_ = 0;
        } else if (++ciclosSinConexion_ == kCiclosSinConexion) {
            titulo = Texto::tr("Sin conexión con KORVA");
            alerta = true;
            partes << Texto::tr("Los últimos %1 ciclos no pudieron conectarse con el centro de "
                                "prevalidación (error %2: %3). Los archivos esperan al siguiente ciclo.")
                          .arg(ciclosSinConexion_)
                          .arg(ultimoError_)
                          .arg(MensajeError(ultimoError_).trimmed());
        }
    }
    enCiclo_ = false;
    if (!rechazosDelCiclo_.isEmpty()) {
        const qsizetype n = rechazosDelCiclo_.size();
        if (titulo.isEmpty())
            titulo = n == 1 ? Texto::tr("Archivo rechazado") : Texto::tr("%1 archivos rechazados").arg(n);
        alerta = true;
        partes << rechazosDelCiclo_.mid(0, kRechazosVistos);
        if (n > kRechazosVistos)
            partes << Texto::tr("… y %1 más en la lista de Rechazados.").arg(n - kRechazosVistos);
        rechazosDelCiclo_.clear();
    }
    if (!titulo.isEmpty())
        emit notifica(titulo, partes.join(QLatin1Char('\n')), alerta);
}

void Notificaciones::reinicia() {
    // Start and stop are the broker's own acts at the window: the run ends
    // there, and what is left of a cycle that stopped itself is not counted.
    ciclosSinConexion_ = 0;
    cuentaCiclo_ = false;
}

} // namespace korva

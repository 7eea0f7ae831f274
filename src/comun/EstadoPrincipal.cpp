#include "comun/EstadoPrincipal.h"

#include "comun/RegistroConfiguracion.h"

namespace korva {

EstadoConfiguracion::EstadoConfiguracion() {
    restableceSlots();
    // The boxes start as their slots' default texts say.
    for (int s : kSlotsBandera)
        chk_[s] = slots_[s] == QLatin1String("1");
    ConfiguracionModificada_ = false;
    bloqueado_.fill(true);
    // Until edit mode is first closed the routes flag stays open.
    bloqueado_[slot::RutasAdicionales] = false;
}

void EstadoConfiguracion::setSlot(int n, const QString& texto) {
    if (slots_.at(n) == texto)
        return;
    slots_[n] = texto;
    ConfiguracionModificada_ = true;
    emit slotCambiado(n);
}

void EstadoConfiguracion::restableceSlots() {
    for (int n = 0; n < kSlots; ++n)
        setSlot(n, registro::porOmision(n));
}

void EstadoConfiguracion::setBloqueado(int n, bool b) {
    if (bloqueado_.at(n) == b)
        return;
    bloqueado_[n] = b;
    emit bloqueoCambiado();
}

bool EstadoConfiguracion::chk(int s) const { return chk_.at(s); }

void EstadoConfiguracion::setChk(int s, bool marcado) {
    if (chk_.at(s) == marcado)
        return;
    chk_[s] = marcado;
    emit chkCambiado(s);
}

QString EstadoConfiguracion::patente() const {
    const QString& u = slots_[slot::Usuario];
    return u.size() <= 4 ? u : u.right(4);
}

void EstadoConfiguracion::setFoliosAutorizados(bool a) {
    if (foliosAutorizados_ == a)
        return;
    foliosAutorizados_ = a;
    emit foliosCambiado();
}

QString EstadoConfiguracion::captionFolios() const {
    return foliosAutorizados_ ? QStringLiteral("Guardar Cambios de Folios")
                              : QStringLiteral("C&ambiar Folios");
}

void VistaEdicion::setEditando(bool e) {
    if (editando_ == e)
        return;
    editando_ = e;
    emit vistaCambiada();
}

QString VistaEdicion::captionConfigurar() const {
    return editando_ ? QStringLiteral("&Cerrar Edición") : QStringLiteral("&Configuración");
}

void VistaEdicion::setOpcionServidor(OpcionServidor o) {
    if (servidor_ == o)
        return;
    servidor_ = o;
    emit vistaCambiada();
}

void VistaEdicion::setOpcionesServidorHabilitadas(bool h) {
    if (opcionesHabilitadas_ == h)
        return;
    opcionesHabilitadas_ = h;
    emit vistaCambiada();
}

void VistaEdicion::setPanel(Panel p) {
    if (panel_ == p)
        return;
    panel_ = p;
    emit vistaCambiada();
}

void VistaEdicion::setServicioVisible(bool v) {
    if (servicioVisible_ == v)
        return;
    servicioVisible_ = v;
    emit vistaCambiada();
}

Pantalla::Pantalla() {
    setEtiqueta(Etiqueta::Titulo, kTituloVentana);
    setEtiqueta(Etiqueta::Despliega, QStringLiteral("avisos... "));
}

void Pantalla::setLista(Lista l, const QStringList& items) {
    listas_[static_cast<int>(l)] = items;
    emit listaCambiada(l);
}

void Pantalla::agrega(Lista l, const QString& item) {
    listas_[static_cast<int>(l)].append(item);
    emit listaCambiada(l);
}

void Pantalla::setEtiqueta(Etiqueta e, const QString& texto) {
    QString& actual = etiquetas_[static_cast<int>(e)];
    if (actual == texto)
        return;
    actual = texto;
    emit etiquetaCambiada(e);
}

void Pantalla::setProgreso(float v) {
    if (progreso_ == v)
        return;
    progreso_ = v;
    emit progresoCambiado(v);
}

void Pantalla::setColorAviso(ColorAviso c) {
    if (colorAviso_ == c)
        return;
    colorAviso_ = c;
    emit colorAvisoCambiado();
}

void EstadoPrincipal::setCaptionInicio(const QString& c) {
    if (captionInicio_ == c)
        return;
    captionInicio_ = c;
    emit captionInicioCambiado();
}

void EstadoPrincipal::solicitaCierre() {
    cierrePendiente_ = true;
    emit cierreSolicitado();
}

} // namespace korva

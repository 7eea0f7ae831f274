#include "comun/EstadoPrincipal.h"

#include "comun/RegistroConfiguracion.h"

namespace korva {

EstadoPrincipal::EstadoPrincipal() {
    restableceSlots();
    // The boxes start as their slots' default texts say.
    for (int s : kSlotsBandera)
        chk_[s] = slots_[s] == QLatin1String("1");
    config_.setConfiguracionModificada(false);
    bloqueado_.fill(true);
    // Until edit mode is first closed the routes flag stays open.
    bloqueado_[slot::RutasAdicionales] = false;
    setEtiqueta(Etiqueta::Titulo, kTituloVentana);
    setEtiqueta(Etiqueta::Despliega, QStringLiteral("avisos... "));
}

void EstadoPrincipal::setSlot(int n, const QString& texto) {
    if (slots_.at(n) == texto)
        return;
    slots_[n] = texto;
    config_.setConfiguracionModificada(true);
    emit slotCambiado(n);
}

void EstadoPrincipal::restableceSlots() {
    for (int n = 0; n < kSlots; ++n)
        setSlot(n, registro::porOmision(n));
}

void EstadoPrincipal::setBloqueado(int n, bool b) {
    if (bloqueado_.at(n) == b)
        return;
    bloqueado_[n] = b;
    emit bloqueoCambiado();
}

bool EstadoPrincipal::chk(int s) const { return chk_.at(s); }

void EstadoPrincipal::setChk(int s, bool marcado) {
    if (chk_.at(s) == marcado)
        return;
    chk_[s] = marcado;
    emit chkCambiado(s);
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

void EstadoPrincipal::setLista(Lista l, const QStringList& items) {
    listas_[static_cast<int>(l)] = items;
    emit listaCambiada(l);
}

void EstadoPrincipal::agrega(Lista l, const QString& item) {
    listas_[static_cast<int>(l)].append(item);
    emit listaCambiada(l);
}

void EstadoPrincipal::setEtiqueta(Etiqueta e, const QString& texto) {
    QString& actual = etiquetas_[static_cast<int>(e)];
    if (actual == texto)
        return;
    actual = texto;
    emit etiquetaCambiada(e);
}

void EstadoPrincipal::setProgreso(float v) {
    if (progreso_ == v)
        return;
    progreso_ = v;
    emit progresoCambiado(v);
}

void EstadoPrincipal::setCaptionInicio(const QString& c) {
    if (captionInicio_ == c)
        return;
    captionInicio_ = c;
    emit captionInicioCambiado();
}

QString EstadoPrincipal::patente() const {
    const QString& u = slots_[slot::Usuario];
    return u.size() <= 4 ? u : u.right(4);
}

void EstadoPrincipal::setColorAviso(ColorAviso c) {
    if (colorAviso_ == c)
        return;
    colorAviso_ = c;
    emit colorAvisoCambiado();
}

void EstadoPrincipal::setFoliosAutorizados(bool a) {
    if (foliosAutorizados_ == a)
        return;
    foliosAutorizados_ = a;
    emit foliosCambiado();
}

QString EstadoPrincipal::captionFolios() const {
    return foliosAutorizados_ ? QStringLiteral("Guardar Cambios de Folios")
                              : QStringLiteral("C&ambiar Folios");
}

void EstadoPrincipal::solicitaCierre() {
    cierrePendiente_ = true;
    emit cierreSolicitado();
}

} // namespace korva

#include "comun/MainState.h"

#include "comun/ConfigRecord.h"

namespace korva {

MainState::MainState() {
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

void MainState::setSlot(int n, const QString& texto) {
    if (slots_.at(n) == texto)
        return;
    slots_[n] = texto;
    config_.setConfiguracionModificada(true);
    emit slotCambiado(n);
}

void MainState::restableceSlots() {
    for (int n = 0; n < kSlots; ++n)
        setSlot(n, registro::porOmision(n));
}

void MainState::setBloqueado(int n, bool b) {
    if (bloqueado_.at(n) == b)
        return;
    bloqueado_[n] = b;
    emit bloqueoCambiado();
}

bool MainState::chk(int s) const { return chk_.at(s); }

void MainState::setChk(int s, bool marcado) {
    if (chk_.at(s) == marcado)
        return;
    chk_[s] = marcado;
    emit chkCambiado(s);
}

void MainState::setEditando(bool e) {
    if (editando_ == e)
        return;
    editando_ = e;
    emit vistaCambiada();
}

QString MainState::captionConfigurar() const {
    return editando_ ? QStringLiteral("&Cerrar Edición") : QStringLiteral("&Configuración");
}

void MainState::setOpcionServidor(OpcionServidor o) {
    if (servidor_ == o)
        return;
    servidor_ = o;
    emit vistaCambiada();
}

void MainState::setOpcionesServidorHabilitadas(bool h) {
    if (opcionesHabilitadas_ == h)
        return;
    opcionesHabilitadas_ = h;
    emit vistaCambiada();
}

void MainState::setPanel(Panel p) {
    if (panel_ == p)
        return;
    panel_ = p;
    emit vistaCambiada();
}

void MainState::setServicioVisible(bool v) {
    if (servicioVisible_ == v)
        return;
    servicioVisible_ = v;
    emit vistaCambiada();
}

void MainState::setLista(Lista l, const QStringList& items) {
    listas_[static_cast<int>(l)] = items;
    emit listaCambiada(l);
}

void MainState::agrega(Lista l, const QString& item) {
    listas_[static_cast<int>(l)].append(item);
    emit listaCambiada(l);
}

void MainState::setEtiqueta(Etiqueta e, const QString& texto) {
    QString& actual = etiquetas_[static_cast<int>(e)];
    if (actual == texto)
        return;
    actual = texto;
    emit etiquetaCambiada(e);
}

void MainState::setProgreso(float v) {
    if (progreso_ == v)
        return;
    progreso_ = v;
    emit progresoCambiado(v);
}

void MainState::setCaptionInicio(const QString& c) {
    if (captionInicio_ == c)
        return;
    captionInicio_ = c;
    emit captionInicioCambiado();
}

QString MainState::patente() const {
    const QString& u = slots_[slot::Usuario];
    return u.size() <= 4 ? u : u.right(4);
}

void MainState::setColorAviso(ColorAviso c) {
    if (colorAviso_ == c)
        return;
    colorAviso_ = c;
    emit colorAvisoCambiado();
}

void MainState::setFoliosAutorizados(bool a) {
    if (foliosAutorizados_ == a)
        return;
    foliosAutorizados_ = a;
    emit foliosCambiado();
}

QString MainState::captionFolios() const {
    return foliosAutorizados_ ? QStringLiteral("Guardar Cambios de Folios")
                              : QStringLiteral("C&ambiar Folios");
}

void MainState::solicitaCierre() {
    cierrePendiente_ = true;
    emit cierreSolicitado();
}

} // namespace korva

#include "comun/VistaEdicion.h"

namespace korva {

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

} // namespace korva

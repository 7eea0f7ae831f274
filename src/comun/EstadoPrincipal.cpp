#include "comun/EstadoPrincipal.h"

namespace korva {

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

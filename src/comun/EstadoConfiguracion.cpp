#include "comun/EstadoConfiguracion.h"

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

} // namespace korva

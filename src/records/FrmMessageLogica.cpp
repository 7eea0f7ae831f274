#include "records/FrmMessageLogica.h"

#include "exchange/ModError.h"

namespace korva {

bool FrmMessageLogica::tick() {
    if (contador_ > kTicks - 1)
        return false;
    if (contador_ == 0) {
        LblErrorCve = QString::number(Temp);
        LblError = MensajeError(Temp);
    }
    const int n = contador_++;
    titulo_ = QStringLiteral("KORVA Centro de Prevalidación Este mensaje desaparecerá en ") +
              QString::number(kTicks - 1 - n) + QStringLiteral(" Seg.");
    return true;
}

} // namespace korva

#include "records/FrmMessageLogica.h"

#include "comun/ModError.h"

namespace korva {

void FrmMessageLogica::llena() {
    // A window opened by a failure report alone has no code to show; a code
    // that comes later still takes the empty place.
    if (LblErrorCve.isEmpty() && (Temp != 0 || fallas_.isEmpty()))
        LblErrorCve = QString::number(Temp);
    QStringList lineas;
    if (!LblErrorCve.isEmpty())
        lineas << MensajeError(LblErrorCve.toInt());
    lineas += fallas_.mid(0, kFallasVisibles);
    if (fallas_.size() > kFallasVisibles)
        lineas << QStringLiteral("... y otras %1 fallas").arg(fallas_.size() - kFallasVisibles);
    LblError = lineas.join(QLatin1Char('\n'));
}

bool FrmMessageLogica::tick() {
    if (contador_ > kTicks - 1)
        return false;
    if (contador_ == 0 || (LblErrorCve.isEmpty() && Temp != 0))
        llena();
    const int n = contador_++;
    titulo_ = QStringLiteral("KORVA Centro de Prevalidación Este mensaje desaparecerá en ") +
              QString::number(kTicks - 1 - n) + QStringLiteral(" Seg.");
    return true;
}

void FrmMessageLogica::agregaFalla(const QString& texto) {
    if (fallas_.contains(texto))
        return;
    fallas_ << texto;
    if (contador_ == 0)
        return; // the first tick fills the labels
    llena();
    contador_ = 1;
}

} // namespace korva

#pragma once

#include <QString>

namespace korva {

// The Spanish text the broker reads for a code of the error table;
// "Error sin descripción" for any code without one.
QString MensajeError(qint32 codigo);

} // namespace korva

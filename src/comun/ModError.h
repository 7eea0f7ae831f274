#pragma once

#include <QList>
#include <QString>

namespace korva {

// The Spanish text the broker reads for a code of the error table;
// "Error sin descripción" for any code without one.
QString MensajeError(qint32 codigo);
// Every code of the table, in order (for the manual).
QList<qint32> CodigosDeError();

} // namespace korva

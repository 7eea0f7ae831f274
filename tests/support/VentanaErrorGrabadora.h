#pragma once

#include <QList>
#include <QStringList>

#include "platform/VentanaError.h"

namespace korva::test {

// Records every code the transfer layer hands to the error window, and every
// failure report.
class VentanaErrorGrabadora final : public VentanaError {
public:
    void muestra(qint32 CveError) override { codigos << CveError; }
    void muestraFalla(const QString& texto) override { fallas << texto; }
    QList<qint32> codigos;
    QStringList fallas;
};

} // namespace korva::test

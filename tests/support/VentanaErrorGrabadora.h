#pragma once

#include <QList>

#include "records/VentanaError.h"

namespace korva::test {

// Records every code the transfer layer hands to the error window.
class VentanaErrorGrabadora final : public VentanaError {
public:
    void muestra(qint32 CveError) override { codigos << CveError; }
    QList<qint32> codigos;
};

} // namespace korva::test

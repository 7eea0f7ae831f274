#pragma once

#include <QString>

namespace korva {

// How the transfer layer raises the self-closing error window: the real one
// loads the window when none is open and shows it without blocking.
class VentanaError {
public:
    virtual ~VentanaError() = default;
    // Shows the window and sets its code (Temp).
    virtual void muestra(qint32 CveError) = 0;
    // Shows the window with a failure of the program's own file work (no
    // code), added below whatever it already shows.
    virtual void muestraFalla(const QString& texto) = 0;
};

} // namespace korva

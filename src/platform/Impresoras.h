#pragma once

#include <QString>
#include <QStringList>

namespace korva {

// The machine's printers, for the file viewer's printout.
class Impresoras {
public:
    virtual ~Impresoras() = default;
    // Names of the installed printers, in the system's order.
    virtual QStringList nombres() const = 0;
    // Prints the lines, one per line, on the printer at that position of
    // nombres() and ends the job; false when any step failed.
    virtual bool imprime(int posicion, const QStringList& lineas) = 0;
};

} // namespace korva

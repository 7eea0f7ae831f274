#pragma once

#include <QString>
#include <QStringList>

namespace korva {

// What the print system did with a job: taken (perhaps to wait, as on a
// stopped printer) or refused, in the broker's words.
struct Impresion {
    bool aceptada = false;
    QString informe; // empty when there is nothing more to say than "printed"
};

// The machine's printers, for the file viewer's printout.
class Impresoras {
public:
    virtual ~Impresoras() = default;
    // Names of the installed printers, read afresh, in the system's order.
    virtual QStringList nombres() const = 0;
    // Prints the lines, one per line, on the printer of that name and ends
    // the job.
    virtual Impresion imprime(const QString& impresora, const QStringList& lineas) = 0;
};

} // namespace korva

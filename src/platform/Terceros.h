#pragma once

#include <QList>
#include <QString>

namespace korva {

// The third parties' software the program runs on, as this build has it.
struct Tercero {
    QString nombre;
    QString version;
    QString licencia;
};
QList<Tercero> terceros();

} // namespace korva

#pragma once

#include <QLocale>

namespace korva {

// The program speaks Spanish whatever the machine's locale: dates, times
// and numbers beside its Spanish texts read in Spanish too.
inline QLocale idioma() { return QLocale(QLocale::Spanish, QLocale::Mexico); }

} // namespace korva

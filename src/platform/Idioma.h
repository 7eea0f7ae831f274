#pragma once

#include <QDate>
#include <QLocale>

namespace korva {

// The program speaks Spanish whatever the machine's locale: dates, times
// and numbers beside its Spanish texts read in Spanish too.
inline QLocale idioma() { return QLocale(QLocale::Spanish, QLocale::Mexico); }

// "d MMM yyyy" (day without a leading zero), as the date label shows it.
inline QString fechaCorta(const QDate& d) { return idioma().toString(d, QStringLiteral("d MMM yyyy")); }

} // namespace korva

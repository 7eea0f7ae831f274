#pragma once

#include <QString>

#include "platform/Version.h"

namespace korva {

struct Contexto;
class EstadoPrincipal;

// The patent's configuration file: odbc<IndicePatente>.reg in the program
// folder, 25 slots, then host name, address and version; passwords scrambled.
QString rutaConfiguracion(const Contexto& ctx);
QString rutaConfiguracion(const QString& carpetaPrograma, int posicion);

void CargaConfiguracion(Contexto& ctx);
// Returns false (after telling the user) when the file could not be written;
// the previous file is then left as it was.
bool GrabaConfiguracion(Contexto& ctx);

// The patent label and the window title name this patent.
void muestraPatente(EstadoPrincipal& st, const QString& patente);

inline const QString kVersion = QStringLiteral("Versión ") + QLatin1String(kVersionPrograma);

namespace clave {
// "abc" -> "|1986|1966|1946": last character first, code page code x 20 + 6.
QString revuelve(const QString& texto);
// The reverse walk. A group that does not give a code of the code page
// (empty, not all digits, out of range) decodes to "?"; text before the
// first "|" is dropped. Never reads past the line.
QString desenreda(const QString& linea);
} // namespace clave

} // namespace korva

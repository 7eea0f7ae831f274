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
// The start-up's load: the record of the patent at `posicion` of the list.
void abrePatente(Contexto& ctx, int posicion);
// The start-up is done with the record: the patent is named, and its own
// trims of the folders' texts are no change of the broker's.
void patenteAbierta(EstadoPrincipal& st, const QString& patente);
// Returns false (after telling the user) when the file could not be written;
// the previous file is then left as it was and the record keeps its change
// mark. A record written is no change any more.
bool GrabaConfiguracion(Contexto& ctx);
// The files now hold a restored configuration: the record in memory is the
// one they replaced, never saved over them.
void marcaRecuperada(EstadoPrincipal& st);

// The patent label and the window title name this patent.
void muestraPatente(EstadoPrincipal& st, const QString& patente);

// The width of a record 500 line (slot 22); a slot that holds no number is
// set back to 24.
double caracteresRegistro500(EstadoPrincipal& st);

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

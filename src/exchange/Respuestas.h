#pragma once

#include <QString>

namespace korva {

struct Contexto;
class MainState;

// The response half of a cycle. Phase 1 asks the server, by name, for the
// response to each of this patent's pending files (the list the cycle took
// from Pend at its start); a non-empty response lands in the receive folder,
// closes the pending copy and is logged and listed. Phase 2 hands the day's
// received files to the additional receive folders.
void BuscaRespuestas(Contexto& ctx);

// The pending folder's files, as the cycle refreshes them at its start.
void refrescaPendientes(Contexto& ctx);

// "ENV/..." name of the response to a pending file, from slots 10 and 11;
// empty when the file's letter is in no position of slot 10. Sets
// LongitudNombre and AjustePrefijo for the name.
QString nombreRespuesta(MainState& st, const QString& pendiente);

// Whether a received file goes to a route with this send letter, and under
// how many characters of the list entry (0: not copied).
int largoParaRuta(MainState& st, const QString& entrada, QChar letraEnvio);

} // namespace korva

#pragma once

#include <QString>
#include <QStringList>

namespace korva {

struct Contexto;
class EstadoPrincipal;
struct FormaNombre;

// The response half of a cycle. Phase 1 asks the server, by name, for the
// response to each of this patent's pending files (`RemoteFileListBox`, the
// list the cycle took from Pend at its start); a non-empty response lands in the receive folder,
// closes the pending copy and is logged and listed. Phase 2 hands the day's
// received files to the additional receive folders.
void BuscaRespuestas(Contexto& ctx, const QStringList& RemoteFileListBox);

// The pending folder's files, as the cycle takes them at its start.
QStringList refrescaPendientes(const Contexto& ctx);

// "ENV/..." name of the response to a pending file, from slots 10 and 11;
// empty when the file's letter is in no position of slot 10.
QString nombreRespuesta(const EstadoPrincipal& st, const QString& pendiente);
// The same, for a name whose layout the caller already prepared.
QString nombreRespuesta(const EstadoPrincipal& st, const QString& pendiente, const FormaNombre& forma);

// Whether a received file goes to a route with this send letter, and under
// how many characters of the list entry (0: not copied).
int largoParaRuta(const QString& entrada, QChar letraEnvio);

} // namespace korva

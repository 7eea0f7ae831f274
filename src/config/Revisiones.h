#pragma once

#include <optional>

#include <QString>

#include "comun/EstadoPrincipal.h"
#include "platform/fs.h"

namespace korva {

struct Contexto;

// The checks report to the user themselves; callers act on the result only.
// Polarities differ and callers rely on them.

// 1 when the text looks like a local path: a drive letter first on Windows,
// an absolute path ("/" first) on POSIX; 0 otherwise (also for "").
qint16 ValidaDir(const QString& Directorio, Plataforma p = kPlataforma);

// 0 when the send and receive folders (slots 3 and 4) pass ValidaDir and
// exist; 1 after the folders message. Drops one trailing separator first.
qint16 RevisaDir(Contexto& ctx);

// Rebuilds the type-letter lists from slots 10 and 11: 1 when they agree,
// 0 after its message.
qint16 RevisaArchivosTipo(Contexto& ctx);

// Fills the routes list and its letters list: 0 when at least one route was
// accepted and none empty or invalid, 1 after its message(s); no value when
// there was nothing to check (callers take that as good).
std::optional<qint16> RevisaRutas(Contexto& ctx, const QString& CadRuta, const QString& CadArchivos,
                                  Lista LstRutas, Lista LstArchivos);

// Help text of a routes list, named in the route messages.
QString ayudaLista(Lista l);

} // namespace korva

#pragma once

#include <QString>

#include "platform/fs.h"

namespace korva {

struct Contexto;

// A failure of the program's own file work during start-up or a pass (a copy
// not made, a log or register not written, a file kept back): on the status
// line now and in the self-closing error window, where the routine progress
// texts that follow on the status line cannot hide it. Shown whatever the
// transfer layer's error switch says: that switch hides expected transfer
// codes, never a failure.
void reportaFalla(Contexto& ctx, const QString& texto);
// The same for a fault met again every cycle until the broker mends it (a
// read-only file): on the status line each time, in the window once a run
// for each `clave`.
void reportaFallaUnaVez(Contexto& ctx, const QString& clave, const QString& texto);

// fs::copia for the office's folders: a link found at the target was
// replaced, never written through, and the broker is told where.
bool copiaReportada(Contexto& ctx, const QString& origen, const QString& destino,
                    fs::Sincroniza s = fs::Sincroniza::Si);

} // namespace korva

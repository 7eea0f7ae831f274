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

// The type letters of a letters slot ("m,b" gives m and b); `comas`, when
// given, receives the number of commas.
QStringList letrasDeTipo(const QString& letras, int* comas = nullptr);

// 1 when the type letters of slots 10 and 11 agree in number, 0 after its
// message.
qint16 RevisaArchivosTipo(Contexto& ctx);

// `resultado`: 0 when at least one route was accepted and none empty or
// invalid, 1 after its message(s); no value when there was nothing to check
// (callers take that as good). `rutas`: the routes accepted and their letters;
// both empty after a failure.
struct RevisionRutas {
    std::optional<qint16> resultado;
    RutasLocales rutas;
};
RevisionRutas RevisaRutas(Contexto& ctx, const QString& CadRuta, const QString& CadArchivos, Sentido s);

// Checks the send routes, then the receive routes, and keeps what each check
// accepted in the record for the passes and the purge: both directions'
// routes, or no value after the first failing check's message(s).
struct RutasAdicionales {
    RutasLocales envio, recibo;
};
std::optional<RutasAdicionales> RevisaRutasAdicionales(Contexto& ctx);

} // namespace korva

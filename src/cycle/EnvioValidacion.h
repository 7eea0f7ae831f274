#pragma once

namespace korva {

struct Contexto;
class LstBitacora;

// The outgoing half of a cycle: picks up this patent's validation files from
// the send folder, lets the user choose when automatic sending is off, signs
// them when signing is on, uploads the good ones to "REC/" and keeps copies
// in Pend and Enviados, moves the ones with a wrong day or folio to Rechaza.
// A file is sent once unless it changes (the register bitacora).
void EnviaArchivosValidacion(Contexto& ctx);

// Copies into the send folder the files of the additional send folders that
// are due today, quiet and not yet sent. Loads the register into `bitacora`:
// false when it is there and cannot be read, and then nothing is copied.
bool RecogeRutasAdicionales(Contexto& ctx, LstBitacora& bitacora);

} // namespace korva

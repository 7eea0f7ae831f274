#pragma once

namespace korva {

struct Contexto;

// Copies every file of the centre's general area into the receive folder
// (the cycle then reloads the notices and applies a server switch order).
void TraeAvisos(Contexto& ctx);

// Fetches the ".r001" files of the centre's ENV area through the staging
// folder (Pend) into the receive folder and deletes them on the server. A
// staged file is removed, and the server's copy deleted, only once it is
// safe in the receive folder.
void TraeRegistro001(Contexto& ctx);

} // namespace korva

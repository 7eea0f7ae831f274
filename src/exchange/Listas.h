#pragma once

namespace korva {

struct Contexto;

// Pictures of a folder: rebuilt whole, never kept entry by entry.
// LstPendientes from Pend (with its placeholder), LstRechazados from Rechaza.
void ListaPendientes(Contexto& ctx);
void ListaRechazados(Contexto& ctx);

} // namespace korva

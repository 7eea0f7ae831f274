#pragma once

#include <QString>

namespace korva {

struct Contexto;

// Pictures of a folder: rebuilt whole, never kept entry by entry.
// LstPendientes from Pend (with its placeholder), LstRechazados from Rechaza.
void ListaPendientes(Contexto& ctx);
// A name of Pend that stands for a file the broker sent (or asked a response
// for): not a "registro 001" file staged there, not a hidden temporary.
bool esEnvioPendiente(const QString& nombre);
void ListaRechazados(Contexto& ctx);

} // namespace korva

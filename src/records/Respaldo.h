#pragma once

#include <QString>

namespace korva {

struct Contexto;

// "&Hacer Respaldo": copies usuarios.dat and every patent's configuration
// file (odbc<n>.reg as "<n>") into the program folder's Respalda and the
// receive folder's Respalda. Asks first.
void Menu_HaceRespaldo(Contexto& ctx);

// "Recuperar Configuración": after its question, copies a backup back over
// the configuration files of the patents whose backup belongs to them and
// over usuarios.dat, then asks the main window to close
// (EstadoPrincipal::solicitaCierre), whatever the copies did. Returns whether the
// close was asked (false only when the user answered No).
bool Menu_RecuperaConf(Contexto& ctx);

} // namespace korva

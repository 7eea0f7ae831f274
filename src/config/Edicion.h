#pragma once

#include "app/MainState.h"

namespace korva {

struct Contexto;

// Enter or leave edit mode ("&Configuración" / "&Cerrar Edición").
void Menu_Configure(Contexto& ctx);
// "&Guardar Configuración": save, clear the change mark, relock the folios.
void Menu_GuardaConf(Contexto& ctx);
// Always true: the hook run before a save and when a slot box loses focus.
bool ValidaConfiguracion(Contexto& ctx);

// Selecting a server option copies its slot (8 or 9) into slot 0; the
// program's own selections do so only when the option changes.
void seleccionaServidor(Contexto& ctx, OpcionServidor o);

// A click on the check box of a flag slot that left it at `marcado`.
void clicChk(Contexto& ctx, int slotBandera, bool marcado);

// Panels of the configuration page.
void abrePanel(Contexto& ctx, Panel p);
void ocultaPanel(Contexto& ctx);
// The service toggle (double click on a logo).
void alternaServicio(Contexto& ctx);

} // namespace korva

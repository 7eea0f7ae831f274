#pragma once

#include "comun/EstadoPrincipal.h"

namespace korva {

struct Contexto;

// Enter or leave edit mode ("&Configuración" / "&Cerrar Edición").
void Menu_Configure(Contexto& ctx);
// "&Guardar Configuración": save, clear the change mark, relock the folios.
void Menu_GuardaConf(Contexto& ctx);
// Always true: the hook run before a save and when a slot box loses focus.
bool ValidaConfiguracion(Contexto& ctx);
// The folio limits stay locked but for the centre's authorization: at the
// start of the cycle, after a save, while editing.
void bloqueaFolios(EstadoPrincipal& st);

// Selecting a server option copies its slot (8 or 9) into slot 0; the
// program's own selections do so only when the option changes, the user's
// every time (an edited address is taken by choosing its option again).
void seleccionaServidor(EstadoPrincipal& st, OpcionServidor o, bool porUsuario = false);

// The centre's order to change servers: server.dat in the receive folder,
// first line 1 for the secondary, anything else for the primary; deleted.
void CambiaServidor(Contexto& ctx);
double valorNumerico(const QString& texto);

// A click on the check box of a flag slot that left it at `marcado`.
void clicChk(Contexto& ctx, int slotBandera, bool marcado);

// The cycle period editor. The slider's value is the period in seconds;
// every change of it rewrites the minutes and seconds boxes.
inline constexpr int kPeriodoMaximo = 360;
void SldControl_Change(EstadoPrincipal& st, int valor);
// The boxes lost the focus: minutes 0-5 and seconds 0-60 set the slider
// (rounded, halves to even); anything else rewrites the boxes from it.
void AplicaLapso(Contexto& ctx);

// Panels of the configuration page.
void abrePanel(Contexto& ctx, Panel p);
void ocultaPanel(Contexto& ctx);
// The service toggle (double click on a logo).
void alternaServicio(Contexto& ctx);

} // namespace korva

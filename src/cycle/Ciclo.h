#pragma once

namespace korva {

struct Contexto;
class EstadoPrincipal;

// One validation cycle, start to end: checks, outgoing pass, responses, the
// periodic downloads, the pending list, hang up, countdown restarts.
void EjecutaCiclo(Contexto& ctx);

// Uploads the patent's configuration file as REC/<user>odbc<n>.reg.
void EnviaConfiguracion(Contexto& ctx);

// Start_Button (and Menu_Start): starts or stops by its caption.
void Start_Button_Click(Contexto& ctx);

// One tick of the one-second timer: clock, countdown, counters, ticker,
// day change.
void TmrControl_Timer(Contexto& ctx);

// One countdown step of the status line and the progress bar.
void MuestraCuentaRegresiva(EstadoPrincipal& st);

// Just after midnight: responses, new Julian day and date, the purge.
void CambioDeDia(Contexto& ctx);
// The run's first day: today's Julian day, shown, and today as the last
// day change.
void comienzaDia(Contexto& ctx);

// The centre's general area: fetched into the receive folder, the notices
// reloaded from it and its server switch order applied.
void ActualizaAvisos(Contexto& ctx);

} // namespace korva

#pragma once

#include <QDate>
#include <QString>

namespace korva {

struct Contexto;

// The main window's start-up for the patent at `posicion`, in its order.
void CargaForm1(Contexto& ctx, int posicion);

// Double click on the notice line: every general notice in one box.
void LblDespliega_DblClick(Contexto& ctx);

} // namespace korva

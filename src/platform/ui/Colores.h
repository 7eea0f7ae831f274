#pragma once

#include <QColor>
#include <QPalette>

namespace korva::colores {

// Contrast ratio of two colours as readability guides measure it (1 to 21).
double contraste(const QColor& a, const QColor& b);

// The colour meant (the notice line's blue, its red), made lighter or darker
// as little as needed to read at `minimo` on the background in use: the same
// blue on a light window, a lighter one on a dark palette.
QColor legible(const QColor& deseado, const QColor& fondo, double minimo = 4.5);

// Read-only fields look apart from the ones edit mode opens: the window's
// colour behind them instead of the field colour, their text still readable.
void marcaSoloLectura(QWidget* campo, bool soloLectura);

} // namespace korva::colores

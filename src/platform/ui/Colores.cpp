#include "platform/ui/Colores.h"

#include <QApplication>
#include <QWidget>
#include <cmath>

namespace korva::colores {

namespace {
double luminancia(const QColor& c) {
    const auto canal = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * canal(c.redF()) + 0.7152 * canal(c.greenF()) + 0.0722 * canal(c.blueF());
}
} // namespace

double contraste(const QColor& a, const QColor& b) {
    const double la = luminancia(a), lb = luminancia(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor legible(const QColor& deseado, const QColor& fondo, double minimo) {
    if (contraste(deseado, fondo) >= minimo)
        return deseado;
    // Towards white on a dark background, towards black on a light one,
    // keeping the hue that carries the meaning.
    const bool oscuro = luminancia(fondo) < 0.18;
    float h = 0, s = 0, l = 0, a = 0;
    deseado.toHsl().getHslF(&h, &s, &l, &a);
    QColor c = deseado;
    for (int paso = 0; paso < 100 && contraste(c, fondo) < minimo; ++paso) {
        l = std::clamp(l + (oscuro ? 0.01f : -0.01f), 0.0f, 1.0f);
        c = QColor::fromHslF(h, s, l, a);
    }
    if (contraste(c, fondo) < minimo)
        c = oscuro ? QColor(Qt::white) : QColor(Qt::black);
    return c;
}

void marcaSoloLectura(QWidget* campo, bool soloLectura) {
    QPalette p = QApplication::palette(campo);
    if (soloLectura) {
        p.setColor(QPalette::Base, p.color(QPalette::Window));
        p.setColor(QPalette::Text, legible(p.color(QPalette::Text), p.color(QPalette::Window)));
    }
    campo->setPalette(p);
}

} // namespace korva::colores

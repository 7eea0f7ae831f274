#include "comun/Pantalla.h"

namespace korva {

Pantalla::Pantalla() {
    setEtiqueta(Etiqueta::Titulo, kTituloVentana);
    setEtiqueta(Etiqueta::Despliega, QStringLiteral("avisos... "));
}

void Pantalla::setLista(Lista l, const QStringList& items) {
    listas_[static_cast<int>(l)] = items;
    emit listaCambiada(l);
}

void Pantalla::agrega(Lista l, const QString& item) {
    listas_[static_cast<int>(l)].append(item);
    emit listaCambiada(l);
}

void Pantalla::setEtiqueta(Etiqueta e, const QString& texto) {
    QString& actual = etiquetas_[static_cast<int>(e)];
    if (actual == texto)
        return;
    actual = texto;
    emit etiquetaCambiada(e);
}

void Pantalla::setProgreso(float v) {
    if (progreso_ == v)
        return;
    progreso_ = v;
    emit progresoCambiado(v);
}

void Pantalla::setColorAviso(ColorAviso c) {
    if (colorAviso_ == c)
        return;
    colorAviso_ = c;
    emit colorAvisoCambiado();
}

} // namespace korva

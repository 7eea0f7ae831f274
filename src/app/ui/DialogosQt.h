#pragma once

#include "platform/Dialogos.h"

class QWidget;

namespace korva {

// Qt's own texts (the standard buttons among them) in Spanish, from Qt's
// translations; false when they are not installed.
bool cargaTraduccionesQt();

// The real message boxes.
class DialogosQt final : public Dialogos {
public:
    void mensaje(Icono icono, const QString& texto, const QString& titulo) override;
    bool pregunta(const QString& texto, const QString& titulo) override;
    bool preguntaBorrar(const QString& texto, const QString& titulo) override;
    using Dialogos::pregunta;
    void beep() override;
    void puntero(Puntero p) override;
};

} // namespace korva

#pragma once

#include "platform/Dialogos.h"

namespace korva::bench {

// Benchmarks run unattended: every message is dismissed, every question No.
class SinDialogos final : public Dialogos {
public:
    void mensaje(Icono, const QString&, const QString&) override {}
    bool pregunta(const QString&, const QString&) override { return false; }
    void beep() override {}
    void puntero(Puntero) override {}
};

} // namespace korva::bench

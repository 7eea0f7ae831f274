#pragma once

#include "platform/Reloj.h"

namespace korva::test {

class RelojGuionado final : public Reloj {
public:
    explicit RelojGuionado(QDateTime t = QDateTime(QDate(2026, 2, 14), QTime(10, 0, 0))) : t_(t) {}
    QDateTime ahora() const override { return t_; }
    void pon(const QDateTime& t) { t_ = t; }
    void avanza(int segundos) { t_ = t_.addSecs(segundos); }

private:
    QDateTime t_;
};

} // namespace korva::test

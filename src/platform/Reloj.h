#pragma once

#include <QDateTime>

namespace korva {

// Time comes from here only, so tests can set the day, midnight and the tick.
class Reloj {
public:
    virtual ~Reloj() = default;
    virtual QDateTime ahora() const = 0;
};

class RelojSistema final : public Reloj {
public:
    QDateTime ahora() const override { return QDateTime::currentDateTime(); }
};

} // namespace korva

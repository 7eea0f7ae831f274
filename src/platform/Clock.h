#pragma once

#include <QDateTime>

namespace korva {

// Time comes from here only, so tests can set the day, midnight and the tick.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime ahora() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime ahora() const override { return QDateTime::currentDateTime(); }
};

} // namespace korva

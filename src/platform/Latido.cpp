#include "platform/Latido.h"

#include <QCoreApplication>

namespace korva {

void Latido::gira() {
    if (QCoreApplication::instance()) {
        QElapsedTimer t;
        t.start();
        enTurno_ = true;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        enTurno_ = false;
        ++turnos_;
        nsEnTurnos_ += t.nsecsElapsed();
    }
    desde_.restart();
}

} // namespace korva

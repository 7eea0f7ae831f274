#include "platform/Latido.h"

#include <QCoreApplication>

namespace korva {

void Latido::gira() {
    if (QCoreApplication::instance()) {
        enTurno_ = true;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        enTurno_ = false;
    }
    desde_.restart();
}

} // namespace korva

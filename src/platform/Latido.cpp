#include "platform/Latido.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

namespace korva {

void Latido::gira() {
    if (QCoreApplication::instance()) {
        QElapsedTimer t;
        t.start();
        enTurno_ = true;
        QCoreApplication::processEvents(admiteEntrada_ ? QEventLoop::AllEvents
                                                       : QEventLoop::ExcludeUserInputEvents);
        enTurno_ = false;
        // The input held back is looked at again only when the loop is woken:
        // woken now, it is handled as soon as the work returns, not when
        // something next wakes the loop (up to a tick later).
        if (auto* d = QAbstractEventDispatcher::instance())
            d->wakeUp();
        ++turnos_;
        nsEnTurnos_ += t.nsecsElapsed();
    }
    desde_.restart();
}

} // namespace korva

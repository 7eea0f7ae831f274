#include "app/ui/Parada.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QThread>

#include "platform/Latido.h"

namespace korva {

namespace {

bool esEntrada(QEvent::Type t) {
    switch (t) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

// Held until the work is over and then acted on; a move only matters at
// the moment it is made.
bool seConserva(QEvent::Type t) { return t != QEvent::MouseMove; }

} // namespace

Parada::Parada(Latido& latido, QWidget* detener, QWidget* salir, QObject* parent)
    : QObject(parent), latido_(latido), detener_(detener), salir_(salir) {
    latido_.admiteEntrada(true);
    qApp->installEventFilter(this);
    revision_.setInterval(20);
    connect(&revision_, &QTimer::timeout, this, &Parada::revisa);
}

Parada::~Parada() {
    qApp->removeEventFilter(this);
    latido_.admiteEntrada(false);
}

Parada::Pedido Parada::pedidoDe(QObject* o, QEvent* e) const {
    QWidget* w = qobject_cast<QWidget*>(o);
    if (!w || !(w == detener_ || w == salir_) || !w->isEnabled())
        return Pedido::Ninguno;
    const Pedido p = w == salir_ ? Pedido::Salir : Pedido::Detener;
    switch (e->type()) {
    case QEvent::Shortcut: // its mnemonic
        return p;
    case QEvent::MouseButtonRelease:
        return static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton &&
                       w->rect().contains(static_cast<QMouseEvent*>(e)->position().toPoint())
                   ? p
                   : Pedido::Ninguno;
    case QEvent::KeyRelease: // a focused button answers the space bar only, as when idle
        return static_cast<QKeyEvent*>(e)->key() == Qt::Key_Space ? p : Pedido::Ninguno;
    default:
        return Pedido::Ninguno;
    }
}

bool Parada::eventFilter(QObject* o, QEvent* e) {
    if (!latido_.enTurno() || !esEntrada(e->type()))
        return false;
    // Input reaches a window first, which finds the widget it is for: it is
    // held there, at the widget.
    if (!o->isWidgetType())
        return false;
    const Pedido p = pedidoDe(o, e);
    if (p != Pedido::Ninguno) {
        // Salir outranks Detener: both end the work, only one ends the program.
        if (pedido_ != Pedido::Salir)
            pedido_ = p;
        latido_.cancela();
    } else if ((o == detener_ || o == salir_) &&
               (e->type() == QEvent::MouseButtonPress ||
                (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Space))) {
        // The press of a stop: its release decides.
    } else if (seConserva(e->type())) {
        auto r = std::make_shared<Retenido>();
        r->destino = o;
        r->evento.reset(e->clone());
        retenidos_.append(r);
    }
    if (!revision_.isActive())
        revision_.start();
    return true;
}

// At every tick of its own: once the work has returned to the window's own
// loop (no turn, no message box, no nested loop), the stop is done, then the
// input held back acts, in order. A stop to leave drops it.
void Parada::revisa() {
    if (latido_.enTurno() || QThread::currentThread()->loopLevel() > 1 || QApplication::activeModalWidget())
        return;
    revision_.stop();
    const Pedido p = pedido_;
    pedido_ = Pedido::Ninguno;
    latido_.reanuda();
    QList<std::shared_ptr<Retenido>> retenidos;
    retenidos.swap(retenidos_);
    if (p == Pedido::Salir) {
        if (alSalir)
            alSalir();
        return;
    }
    if (p == Pedido::Detener && alDetener)
        alDetener();
    for (const auto& r : std::as_const(retenidos))
        if (r->destino)
            QCoreApplication::sendEvent(r->destino, r->evento.get());
}

} // namespace korva

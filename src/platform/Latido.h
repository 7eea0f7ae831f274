#pragma once

#include <QElapsedTimer>

namespace korva {

// Long work (a transfer waiting on the network, a folder of files) calls
// late() often; every kIntervaloMs at most, the event loop then handles what
// is waiting except the user's input, which stays queued until the work is
// done. So the window paints and its timers fire during a cycle, and nothing
// the user does can act in the middle of one. Turns never nest.
class Latido {
public:
    static constexpr int kIntervaloMs = 40;

    explicit Latido(int intervaloMs = kIntervaloMs) : intervalo_(intervaloMs) { desde_.start(); }

    // Cheap when no turn is due.
    void late() {
        if (enTurno_ || desde_.elapsed() < intervalo_)
            return;
        gira();
    }

    // A turn now, before a wait that cannot call late().
    void turno() {
        if (!enTurno_)
            gira();
    }

    // True while a turn runs: whatever runs then has long work under it.
    bool enTurno() const { return enTurno_; }

    // The broker's input reaches the turns, for a window that holds back all
    // of it but its stop buttons; without one it waits in the queue.
    void admiteEntrada(bool si) { admiteEntrada_ = si; }

    // The broker asked to stop (Salir, Detener): the work under way gives up
    // at its next step and what it leaves is tried again later.
    void cancela() { cancelado_ = true; }
    bool cancelado() const { return cancelado_; }
    void reanuda() { cancelado_ = false; }

    // What the turns have cost so far, for the benchmark.
    int turnos() const { return turnos_; }
    qint64 nsEnTurnos() const { return nsEnTurnos_; }

private:
    void gira();

    int intervalo_;
    QElapsedTimer desde_;
    bool enTurno_ = false;
    bool admiteEntrada_ = false;
    bool cancelado_ = false;
    int turnos_ = 0;
    qint64 nsEnTurnos_ = 0;
};

} // namespace korva

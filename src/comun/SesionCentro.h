#pragma once

#include <QSet>
#include <QString>
#include <QtGlobal>

namespace korva {

// The session with the centre within a run: whether this cycle lost it,
// whether transfer failures raise the error window, which faults it
// already showed. Written by the transfer operations and the failure report
// (the ground folder) only.
class SesionCentro {
public:
    // Code of the time-out or lost connection that ended this cycle's
    // session (0: none); the cycle's later transfers are dropped.
    qint32 perdida() const { return perdida_; }
    void pierde(qint32 codigo) { perdida_ = codigo; }
    void reinicia() { perdida_ = 0; }

    // The error window is raised for transfer failures (off while the
    // notices are fetched: their absence is no fault).
    bool mostrarErrores() const { return mostrarErrores_; }
    void setMostrarErrores(bool m) { mostrarErrores_ = m; }

    // True the first time a fault met every cycle is told this run.
    bool primeraVez(const QString& clave) {
        if (fallasAvisadas_.contains(clave))
            return false;
        fallasAvisadas_.insert(clave);
        return true;
    }

private:
    qint32 perdida_ = 0;
    bool mostrarErrores_ = true;
    QSet<QString> fallasAvisadas_;
};

} // namespace korva

#pragma once

#include <QDate>
#include <QtGlobal>

namespace korva {

// The cycle's clock within a run: countdown, counters, running marks, the
// day and its change. Written by the cycle folder only.
class EstadoCiclo {
public:
    // 0: no countdown (stopped, or a cycle is running); n > 0: n - 1
    // seconds since the last cycle ended.
    qint16 SegundosTranscurridos() const { return SegundosTranscurridos_; }
    void setSegundosTranscurridos(qint16 s) { SegundosTranscurridos_ = s; }
    void avanzaSegundo() { ++SegundosTranscurridos_; }

    // Ticks since the notices and registro 001 were last fetched, each
    // counted up to 250 (registro 001 only while it is fetched at all).
    int ContadorAvisos() const { return ContadorAvisos_; }
    void setContadorAvisos(int n) { ContadorAvisos_ = n; }
    quint8 ContadorRegistro001() const { return ContadorRegistro001_; }
    void setContadorRegistro001(quint8 n) { ContadorRegistro001_ = n; }
    void cuentaTick(bool registro001) {
        if (ContadorAvisos_ < 250)
            ++ContadorAvisos_;
        if (registro001 && ContadorRegistro001_ < 250)
            ++ContadorRegistro001_;
    }
    // Ticks since the notice line last stepped.
    int ContadorTicker() const { return ContadorTicker_; }
    void setContadorTicker(int n) { ContadorTicker_ = n; }

    // A cycle or a tick's work is in progress: a tick that reaches the
    // window meanwhile (a message box runs its own event loop) only moves
    // the clock.
    bool cicloEnCurso() const { return cicloEnCurso_; }
    void setCicloEnCurso(bool c) { cicloEnCurso_ = c; }
    bool enTick() const { return enTick_; }
    void setEnTick(bool t) { enTick_ = t; }

    // Today's Julian day, and the date of the last day change, so one
    // missed while a cycle ran is caught up.
    qint16 DiaJulianoActual() const { return DiaJulianoActual_; }
    void setDiaJulianoActual(qint16 d) { DiaJulianoActual_ = d; }
    QDate ultimoCambioDia() const { return ultimoCambioDia_; }
    void setUltimoCambioDia(QDate d) { ultimoCambioDia_ = d; }

private:
    qint16 SegundosTranscurridos_ = 0;
    int ContadorAvisos_ = 0;
    quint8 ContadorRegistro001_ = 0;
    int ContadorTicker_ = 0;
    bool cicloEnCurso_ = false;
    bool enTick_ = false;
    qint16 DiaJulianoActual_ = 1;
    QDate ultimoCambioDia_;
};

} // namespace korva

#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

namespace korva {

struct Contexto;

// What the broker is told outside the window (the tray's messages), decided
// from what the run already shows: the cycle's marks, each connection attempt
// and each new entry of the rejected list.
//
// - Rejections of one cycle make one message at its end. A file that stays in
//   the send folder (read-only, or its Rechaza copy failed) is rejected again
//   every cycle; it is told once per run while it stays.
// - "Could not connect" counts cycles, not attempts: a cycle that tried and
//   never connected adds one; a cycle that connected ends the run; a cycle
//   that needed no connection leaves the count as it is. The third cycle of a
//   run is told, and so is the first cycle that connects after it.
// - Attempts outside a cycle (the start, the day change, the utilities) do not
//   count: the start and the menus answer the broker on the window, and the
//   day change leaves the count alone, so an outage across midnight is one run.
// - Starting or stopping the cycle ends the run untold: the broker is at the
//   window. Nothing is kept from one program run to the next.
class Notificaciones : public QObject {
    Q_OBJECT
public:
    static constexpr int kCiclosSinConexion = 3;

    explicit Notificaciones(Contexto& ctx, QObject* parent = nullptr);

signals:
    // alerta: something the broker must act on (rejections, no connection).
    void notifica(const QString& titulo, const QString& texto, bool alerta);

private:
    void comienzaCiclo();
    void conexion(qint32 codigo);
    void rechazados();
    void envioRechazado(const QString& nombre, qint32 codigo);
    void terminaCiclo();
    void reinicia();

    Contexto& ctx_;
    bool enCiclo_ = false;
    bool cuentaCiclo_ = false; // not once the cycle was started or stopped meanwhile
    bool intento_ = false;     // this cycle tried to connect
    bool conecto_ = false;     // and made it at least once
    qint32 ultimoError_ = 0;
    int ciclosSinConexion_ = 0;
    // Where the rejected list stood when last seen, to tell a new entry from a rebuild.
    qsizetype cuentaRechazados_ = 0;
    QString ultimoRechazado_;
    QStringList rechazosDelCiclo_;
    QSet<QString> seQuedan_;          // told already while they stay in the send folder
    QSet<QString> subidasRechazadas_; // told already this run
};

} // namespace korva

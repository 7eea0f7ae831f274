#pragma once

#include <QSet>
#include <QString>
#include <utility>

namespace korva {

// Responses the retrieval leaves aside within a run. Written by the
// exchange folder only.
class RespuestasApartadas {
public:
    // Responses refused for their size: not downloaded again this run.
    void excede(const QString& remoto) { excedidas_.insert(remoto); }
    bool excedida(const QString& remoto) const { return excedidas_.contains(remoto); }

    // The pending file whose response stalled the last cycle's session; the
    // next search begins after it. Taken once.
    void estanca(const QString& nombre) { estancada_ = nombre; }
    QString tomaEstancada() { return std::exchange(estancada_, QString()); }

private:
    QSet<QString> excedidas_;
    QString estancada_;
};

} // namespace korva

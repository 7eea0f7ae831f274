#pragma once

#include <QHash>
#include <QHostAddress>
#include <QQueue>
#include <QSet>
#include <QStringList>

#include "platform/Eco.h"

namespace korva::test {

// An echo component whose network is a script: names resolve through a
// table, addresses in `caidos` never answer, others answer at once with a
// full reply unless `guion` holds the next answer.
class EcoGuionado final : public Eco {
public:
    QString local = QStringLiteral("192.168.10.5");
    QHash<QString, QString> nombres;
    QSet<QString> caidos;
    QQueue<Resultado> guion;
    QStringList destinos; // address of every echo sent, in order

    QString impide; // why this machine may send no echo at all
    QString impedimento() const override { return impide; }
    QString direccionLocal() const override { return local; }
    QString nombreLocal() const override { return QStringLiteral("equipo-prueba"); }

protected:
    QString resuelve(const QString& host) override {
        if (nombres.contains(host))
            return nombres.value(host);
        return QHostAddress(host).isNull() ? QString() : host;
    }
    Resultado eco(const QString& direccion, quint16, int) override {
        destinos << direccion;
        if (caidos.contains(direccion))
            return {};
        if (!guion.isEmpty())
            return guion.dequeue();
        return {true, quint16(kBytes), 3};
    }
};

} // namespace korva::test

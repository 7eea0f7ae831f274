#include "platform/Eco.h"

#include <QHostAddress>
#include <QHostInfo>

#include "platform/Host.h"

namespace korva {

Eco::Eco() {
    timer_.setInterval(intervalo_);
    connect(&timer_, &QTimer::timeout, this, &Eco::pulso);
}

Eco::~Eco() = default;

QString Eco::resuelve(const QString& host) {
    if (host.isEmpty())
        return {};
    QHostAddress a;
    if (a.setAddress(host))
        return a.protocol() == QAbstractSocket::IPv4Protocol ? a.toString() : QString();
    const QHostInfo info = QHostInfo::fromName(host);
    for (const QHostAddress& d : info.addresses())
        if (d.protocol() == QAbstractSocket::IPv4Protocol)
            return d.toString();
    return {};
}

void Eco::setDestino(const QString& host) { destino_ = host; }

QString Eco::direccionLocal() const { return host::direccion(); }
QString Eco::nombreLocal() const { return host::nombre(); }

void Eco::setIntervalo(int ms) {
    intervalo_ = ms;
    timer_.setInterval(ms);
}

void Eco::setContinuo(bool c) {
    continuo_ = c;
    if (c)
        timer_.start();
    else
        timer_.stop();
}

void Eco::reinicia() {
    enviados_ = 0;
    recibidos_ = 0;
    secuencia_ = 0;
    resuelta_.clear();
}

bool Eco::envia() {
    if (sincrono_)
        return enviaAhora(destino_);
    // The target is taken now: a test stage may change it before this runs.
    QTimer::singleShot(0, this, [this, host = destino_] { enviaAhora(host); });
    return true;
}

void Eco::pulso() {
    if (continuo_)
        enviaAhora(destino_);
}

bool Eco::enviaAhora(const QString& host) {
    resuelta_ = resuelve(host.trimmed());
    ++enviados_;
    const quint16 seq = ++secuencia_;
    Resultado r;
    if (!resuelta_.isEmpty())
        r = eco(resuelta_, seq, espera_);
    if (r.ok) {
        ++recibidos_;
        emit respuesta(seq, r.bytes, r.ms);
    }
    emit estadisticas();
    return r.ok;
}

} // namespace korva

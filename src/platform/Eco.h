#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

namespace korva {

// The ICMP echo component of the diagnostics page: one target, counters of
// requests sent and replies received, single or continuous requests, and the
// reply and statistics notifications. The bookkeeping lives here; a platform
// only says how one echo travels (eco()) and how a name resolves.
class Eco : public QObject {
    Q_OBJECT
public:
    static constexpr int kBytes = 32; // payload of every request

    struct Resultado {
        bool ok = false;
        quint16 bytes = 0; // payload bytes of the reply
        qint32 ms = 0;     // round trip
    };

    ~Eco() override;

    void setDestino(const QString& host);
    const QString& destino() const { return destino_; }
    // Address the target resolved to at the last request; empty when it
    // did not resolve.
    const QString& direccionResuelta() const { return resuelta_; }
    // The machine's own address and name (empty address: no adapter).
    virtual QString direccionLocal() const;
    virtual QString nombreLocal() const;

    void setSincrono(bool s) { sincrono_ = s; }
    bool sincrono() const { return sincrono_; }
    void setEspera(int ms) { espera_ = ms; }
    int espera() const { return espera_; }
    void setIntervalo(int ms);
    int intervalo() const { return intervalo_; }
    // Continuous mode sends one request every interval until switched off.
    void setContinuo(bool c);
    bool continuo() const { return continuo_; }

    // Counters and sequence back to zero, before a test stage.
    void reinicia();
    int enviados() const { return enviados_; }
    int recibidos() const { return recibidos_; }

    // One request of kBytes. Synchronous: returns after the reply or the
    // time-out, false when no reply came. Otherwise it is sent from the
    // event loop and the call itself never fails.
    bool envia();

    // Why requests cannot be sent at all on this machine (permissions);
    // empty when they can.
    virtual QString impedimento() const { return {}; }

public slots:
    // One request of the continuous mode; the interval timer calls it.
    void pulso();

signals:
    void respuesta(quint16 secuencia, quint16 bytes, qint32 ms);
    void estadisticas();

protected:
    Eco();
    // The IPv4 address of a host name or address text; empty when unknown.
    virtual QString resuelve(const QString& host);
    // One echo to an address already resolved, waiting at most esperaMs.
    virtual Resultado eco(const QString& direccion, quint16 secuencia, int esperaMs) = 0;

private:
    bool enviaAhora(const QString& host);

    QString destino_;
    QString resuelta_;
    bool sincrono_ = true;
    bool continuo_ = false;
    int espera_ = 2000;
    int intervalo_ = 1000;
    int enviados_ = 0;
    int recibidos_ = 0;
    quint16 secuencia_ = 0;
    QTimer timer_;
};

// The echo component of this platform: ICMP datagram socket, raw socket as
// fallback, on POSIX; IcmpSendEcho on Windows.
std::unique_ptr<Eco> creaEcoSistema();

} // namespace korva

#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace korva::test {

struct OpcionesCentro {
    bool tls = false;
    double retraso = 0;     // seconds before a response appears
    QStringList argumentos; // further options of the script
};

// The simulated centre (tools/centro_simulado.py) on 127.0.0.1 and a free
// port, over its own temporary account folder; stopped by the destructor.
class CentroSimulado {
public:
    explicit CentroSimulado(const OpcionesCentro& o = {});
    ~CentroSimulado();
    CentroSimulado(const CentroSimulado&) = delete;
    CentroSimulado& operator=(const CentroSimulado&) = delete;

    bool listo() const { return puerto_ != 0; }
    QString diagnostico() const { return diagnostico_; }
    quint16 puerto() const { return puerto_; }
    QString usuario() const { return QStringLiteral("a4321"); }
    QString contrasena() const { return QStringLiteral("secreto"); }
    QString archivoCA() const { return ca_; }
    // The account's folder on disk (REC/, ENV/, ENV/general/).
    QString raiz() const;
    QString ruta(const QString& remoto) const;
    bool pon(const QString& remoto, const QByteArray& contenido) const;

    // Every command received so far, one per line ("PASS ****" masked).
    QStringList bitacora() const;
    int cuenta(const QString& comienzo) const;

    // Sends orders through the control file and waits until they are read.
    bool orden(const QString& lineas);

    bool vivo() const { return proc_.state() != QProcess::NotRunning; }
    void detiene();

private:
    QTemporaryDir dir_;
    QProcess proc_;
    quint16 puerto_ = 0;
    QString ca_;
    QString diagnostico_;
};

} // namespace korva::test

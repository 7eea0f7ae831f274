#include "CentroSimulado.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

namespace korva::test {

CentroSimulado::CentroSimulado(const OpcionesCentro& o) {
    const QString fuente = qEnvironmentVariable("KORVA_SOURCE_DIR");
    QStringList args{fuente + QStringLiteral("/tools/centro_simulado.py"),
                     QStringLiteral("--raiz"),
                     dir_.filePath(QStringLiteral("cuenta")),
                     QStringLiteral("--usuario"),
                     usuario(),
                     QStringLiteral("--contrasena"),
                     contrasena(),
                     QStringLiteral("--bitacora"),
                     dir_.filePath(QStringLiteral("bitacora.log")),
                     QStringLiteral("--control"),
                     dir_.filePath(QStringLiteral("control")),
                     QStringLiteral("--certificados"),
                     dir_.filePath(QStringLiteral("certificados")),
                     QStringLiteral("--retraso"),
                     QString::number(o.retraso)};
    if (o.tls)
        args << QStringLiteral("--tls");
    args << o.argumentos;
    // The server's own log goes to a file: an unread pipe would fill and stall it.
    proc_.setStandardErrorFile(dir_.filePath(QStringLiteral("centro.err")));
    proc_.start(QStringLiteral("/usr/bin/python3"), args);
    if (!proc_.waitForStarted(5000)) {
        diagnostico_ = proc_.errorString();
        return;
    }
    QByteArray salida;
    const QDeadlineTimer limite(20000);
    while (!limite.hasExpired() && proc_.state() == QProcess::Running) {
        proc_.waitForReadyRead(200);
        salida += proc_.readAllStandardOutput();
        // Only whole lines: the port may arrive in two reads.
        const QList<QByteArray> lineas = salida.left(salida.lastIndexOf('\n') + 1).split('\n');
        for (const QByteArray& l : lineas) {
            if (l.startsWith("CA "))
                ca_ = QString::fromUtf8(l.mid(3).trimmed());
            if (l.startsWith("LISTO "))
                puerto_ = quint16(l.mid(6).trimmed().toUInt());
        }
        if (puerto_)
            return;
    }
    QFile err(dir_.filePath(QStringLiteral("centro.err")));
    diagnostico_ = QString::fromUtf8(salida + (err.open(QIODevice::ReadOnly) ? err.readAll() : QByteArray()));
}

CentroSimulado::~CentroSimulado() { detiene(); }

void CentroSimulado::detiene() {
    if (proc_.state() == QProcess::NotRunning)
        return;
    proc_.terminate();
    if (!proc_.waitForFinished(3000)) {
        proc_.kill();
        proc_.waitForFinished(3000);
    }
}

QString CentroSimulado::raiz() const { return dir_.filePath(QStringLiteral("cuenta")); }

QString CentroSimulado::ruta(const QString& remoto) const { return raiz() + QLatin1Char('/') + remoto; }

bool CentroSimulado::pon(const QString& remoto, const QByteArray& contenido) const {
    QFile f(ruta(remoto));
    return f.open(QIODevice::WriteOnly) && f.write(contenido) == contenido.size();
}

QStringList CentroSimulado::bitacora() const {
    QFile f(dir_.filePath(QStringLiteral("bitacora.log")));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

int CentroSimulado::cuenta(const QString& comienzo) const {
    int n = 0;
    for (const QString& l : bitacora())
        n += l.startsWith(comienzo) ? 1 : 0;
    return n;
}

bool CentroSimulado::orden(const QString& lineas) {
    const QString control = dir_.filePath(QStringLiteral("control"));
    {
        QFile f(control + QStringLiteral(".tmp"));
        if (!f.open(QIODevice::WriteOnly))
            return false;
        f.write(lineas.toUtf8() + '\n');
    }
    if (!QFile::rename(control + QStringLiteral(".tmp"), control))
        return false;
    // The centre is another process: wait for it to consume the file.
    const QDeadlineTimer limite(5000);
    while (QFile::exists(control)) {
        if (limite.hasExpired() || !vivo())
            return false;
        QThread::msleep(10);
    }
    return true;
}

} // namespace korva::test

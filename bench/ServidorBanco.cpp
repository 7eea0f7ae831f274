#include "ServidorBanco.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <cstdio>
#include <pwd.h>
#include <unistd.h>

namespace korva::banco {

namespace {
const QString kPamSistema = QStringLiteral("/etc/pam.d/vsftpd");

QString ejecutable(const char* nombre) {
    return QStandardPaths::findExecutable(QString::fromLatin1(nombre),
                                          {"/usr/sbin", "/usr/bin", "/sbin", "/bin"});
}
} // namespace

bool requisitos(const char* programa) {
    if (geteuid() != 0) {
        std::fprintf(stderr, "%s: run as root (vsftpd needs it)\n", programa);
        return false;
    }
    if (ejecutable("vsftpd").isEmpty() || ejecutable("lftp").isEmpty() || !QFile::exists(kPamSistema)) {
        std::fprintf(stderr, "%s: needs vsftpd and lftp (apt-get install vsftpd lftp)\n", programa);
        return false;
    }
    if (ejecutable("unshare").isEmpty()) {
        std::fprintf(stderr, "%s: needs unshare (util-linux)\n", programa);
        return false;
    }
    if (!getpwnam("ftp")) {
        std::fprintf(stderr, "%s: no ftp user (installed with vsftpd)\n", programa);
        return false;
    }
    return true;
}

quint16 puertoLibre() {
    QTcpServer s;
    s.listen(QHostAddress::LocalHost);
    return s.serverPort();
}

bool escribe(const QString& ruta, const QByteArray& datos) {
    QFile f(ruta);
    return f.open(QIODevice::WriteOnly) && f.write(datos) == datos.size();
}

bool aparta(const QString& carpeta, const QString& basura) {
    static int n = 0;
    if (!QFileInfo::exists(carpeta))
        return true;
    QDir().mkpath(basura);
    return QDir().rename(carpeta, QStringLiteral("%1/%2").arg(basura).arg(++n));
}

int cuentaArchivos(const QString& carpeta) { return int(QDir(carpeta).entryList(QDir::Files).size()); }

QString abreLftp(quint16 puerto) {
    return QStringLiteral("set cmd:fail-exit no\nset net:max-retries 1\nset ftp:ssl-allow no\n"
                          "set xfer:clobber on\nset cmd:interactive no\n"
                          "open -u %1,%2 -p %3 127.0.0.1\n")
        .arg(kUsuario, kContrasena)
        .arg(puerto);
}

double lftp(const QString& guion) {
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("lftp"), {QStringLiteral("-f"), guion});
    // lftp retries a refused login for ever; the file counts then tell.
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished(3000);
    }
    return t.nsecsElapsed() / 1e6;
}

Vsftpd::~Vsftpd() {
    if (proceso_.state() != QProcess::NotRunning) {
        proceso_.terminate();
        if (!proceso_.waitForFinished(3000)) {
            proceso_.kill();
            proceso_.waitForFinished(3000);
        }
    }
}

bool Vsftpd::renueva(const QString& carpeta, const QString& basura) {
    const passwd* ftp = getpwnam("ftp");
    const QString d = ruta(carpeta);
    return ftp && aparta(d, basura) && QDir().mkpath(d) &&
           chown(QFile::encodeName(d).constData(), ftp->pw_uid, ftp->pw_gid) == 0;
}

bool Vsftpd::arranca(const QString& trabajo, const QStringList& carpetas) {
    const passwd* ftp = getpwnam("ftp");
    if (!ftp) {
        error_ = QStringLiteral("no ftp user");
        return false;
    }
    // vsftpd refuses a chroot folder its user may write: a root-owned account
    // folder with the writable areas inside.
    raiz_ = trabajo + QStringLiteral("/raiz");
    QDir().mkpath(raiz_);
    // The ftp user enters the account after giving up root: it must be able
    // to pass through the (private) working folder.
    QFile(trabajo).setPermissions(QFile(trabajo).permissions() | QFile::ExeGroup | QFile::ExeOther);
    for (const QString& c : carpetas) {
        const QString d = ruta(c);
        QDir().mkpath(d);
        if (chown(QFile::encodeName(d).constData(), ftp->pw_uid, ftp->pw_gid) != 0) {
            error_ = QStringLiteral("cannot hand %1 to the ftp user").arg(d);
            return false;
        }
    }
    QDir().mkpath(QStringLiteral("/var/run/vsftpd/empty"));

    const QString pam = trabajo + QStringLiteral("/pam-vsftpd");
    escribe(pam, "auth required pam_permit.so\naccount required pam_permit.so\n"
                 "session required pam_permit.so\n");
    puerto_ = puertoLibre();
    const QString conf = trabajo + QStringLiteral("/vsftpd.conf");
    escribe(conf, QStringLiteral(
                      "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\nlisten_port=%1\n"
                      "background=NO\nanonymous_enable=NO\nlocal_enable=YES\nguest_enable=YES\n"
                      "guest_username=ftp\nvirtual_use_local_privs=YES\nwrite_enable=YES\n"
                      "local_umask=022\nlocal_root=%2\nchroot_local_user=YES\nallow_writeable_chroot=YES\n"
                      "pam_service_name=vsftpd\npasv_enable=YES\npasv_address=127.0.0.1\n"
                      "seccomp_sandbox=NO\nisolate=NO\nisolate_network=NO\nxferlog_enable=NO\n"
                      "dirmessage_enable=NO\nsecure_chroot_dir=/var/run/vsftpd/empty\n"
                      "max_per_ip=0\nmax_clients=0\n")
                      .arg(puerto_)
                      .arg(raiz_)
                      .toUtf8());
    // unshare and sh both exec: the process we hold is vsftpd itself.
    proceso_.setProcessChannelMode(QProcess::MergedChannels);
    proceso_.start(ejecutable("unshare"),
                   {QStringLiteral("--mount"), QStringLiteral("--propagation"), QStringLiteral("private"),
                    QStringLiteral("sh"), QStringLiteral("-c"),
                    QStringLiteral("mount --bind \"$1\" \"$2\" && exec \"$3\" \"$4\""), QStringLiteral("sh"),
                    pam, kPamSistema, ejecutable("vsftpd"), conf});
    for (int i = 0; i < 100; ++i) {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, puerto_);
        if (s.waitForConnected(100))
            return true;
        if (proceso_.state() == QProcess::NotRunning)
            break;
        QThread::msleep(50);
    }
    error_ = QStringLiteral("vsftpd did not start: ") + QString::fromLocal8Bit(proceso_.readAll());
    return false;
}

} // namespace korva::banco

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

bool aparta(const QString& carpeta, const QString& basura) {
    static int n = 0;
    if (!QFileInfo::exists(carpeta))
        return true;
    QDir().mkpath(basura);
    return QDir().rename(carpeta, QStringLiteral("%1/%2").arg(basura).arg(++n));
}

int cuentaArchivos(const QString& carpeta) { return int(QDir(carpeta).entryList(QDir::Files).size()); }

QString abreLftp(quint16 puerto, const QString& archivoCA) {
    const QString tls = archivoCA.isEmpty()
                            ? QStringLiteral("set ftp:ssl-allow no\n")
                            : QStringLiteral("set ftp:ssl-force yes\nset ftp:ssl-protect-data yes\n"
                                             "set ssl:ca-file \"%1\"\nset ssl:verify-certificate yes\n"
                                             "set ssl:priority \"NORMAL:-VERS-TLS1.3\"\n")
                                  .arg(archivoCA);
    // No SITE UTIME after each upload: our client does not keep file times.
    return QStringLiteral("set cmd:fail-exit no\nset net:max-retries 1\n%1"
                          "set ftp:use-site-utime no\nset ftp:use-site-utime2 no\n"
                          "set xfer:clobber on\nset cmd:interactive no\n"
                          "open -u %2,%3 -p %4 127.0.0.1\n")
        .arg(tls, kUsuario, kContrasena)
        .arg(puerto);
}

namespace {
// A throwaway CA and a certificate for 127.0.0.1 signed by it.
bool certificados(const QString& carpeta, QString& error) {
    QDir().mkpath(carpeta);
    const QString ext = carpeta + QStringLiteral("/servidor.ext");
    escribe(ext, "subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n");
    const QList<QStringList> ordenes = {
        {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out", "ca.pem", "-days", "2",
         "-subj", "/CN=korvabench-transferencia CA", "-addext", "basicConstraints=critical,CA:TRUE",
         "-addext", "keyUsage=critical,keyCertSign,cRLSign"},
        {"req", "-newkey", "rsa:2048", "-nodes", "-keyout", "servidor.key", "-out", "servidor.csr", "-subj",
         "/CN=127.0.0.1"},
        {"x509", "-req", "-in", "servidor.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
         "-out", "servidor.pem", "-days", "2", "-extfile", "servidor.ext"},
    };
    for (const QStringList& o : ordenes) {
        QProcess p;
        p.setWorkingDirectory(carpeta);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral("openssl"), o);
        if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            error = QStringLiteral("openssl %1: %2").arg(o.first(), QString::fromLocal8Bit(p.readAll()));
            return false;
        }
    }
    return true;
}
} // namespace

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

bool Vsftpd::arranca(const QString& trabajo, const QStringList& carpetas, bool tls) {
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
    QString ssl = QStringLiteral("ssl_enable=NO\n");
    if (tls) {
        const QString carpeta = trabajo + QStringLiteral("/tls");
        if (!certificados(carpeta, error_))
            return false;
        ca_ = carpeta + QStringLiteral("/ca.pem");
        ssl = QStringLiteral(
                  "ssl_enable=YES\nrsa_cert_file=%1/servidor.pem\nrsa_private_key_file=%1/servidor.key\n"
                  "force_local_logins_ssl=YES\nforce_local_data_ssl=YES\nrequire_ssl_reuse=YES\n"
                  "ssl_sslv2=NO\nssl_sslv3=NO\nssl_tlsv1=YES\nssl_ciphers=HIGH\n")
                  .arg(carpeta);
    }
    puerto_ = puertoLibre();
    const QString conf = trabajo + QStringLiteral("/vsftpd.conf");
    escribe(conf,
            (ssl + QStringLiteral(
                       "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\nlisten_port=%1\n"
                       "background=NO\nanonymous_enable=NO\nlocal_enable=YES\nguest_enable=YES\n"
                       "guest_username=ftp\nvirtual_use_local_privs=YES\nwrite_enable=YES\n"
                       "local_umask=022\nlocal_root=%2\nchroot_local_user=YES\nallow_writeable_chroot=YES\n"
                       "pam_service_name=vsftpd\npasv_enable=YES\npasv_address=127.0.0.1\n"
                       "seccomp_sandbox=NO\nisolate=NO\nisolate_network=NO\nxferlog_enable=NO\n"
                       "dirmessage_enable=NO\nsecure_chroot_dir=/var/run/vsftpd/empty\n"
                       "max_per_ip=0\nmax_clients=0\n")
                       .arg(puerto_)
                       .arg(raiz_))
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

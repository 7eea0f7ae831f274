#pragma once

// What the benchmarks share: vsftpd on 127.0.0.1 and lftp beside our client.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include "Archivos.h"

namespace korva::banco {

// Any password logs this user in; its last four characters are the patent.
inline const QString kUsuario = QStringLiteral("korva4321");
inline const QString kContrasena = QStringLiteral("banco");

// Root, vsftpd, lftp, unshare and the ftp user are all there; otherwise says
// what is missing on stderr.
bool requisitos(const char* programa);

quint16 puertoLibre();
using test::escribe; // the file helpers the tests use
int cuentaArchivos(const QString& carpeta);

// Moves a folder out of the way into `basura` (same file system) instead of
// deleting it. On a file system without a journal, ext4 skips every inode
// freed in the last minutes when it creates a file, one by one: deleting
// thousands of files between rounds would make the next round's files
// slower to create than any real office ever sees.
bool aparta(const QString& carpeta, const QString& basura);

// First lines of an lftp script: one connection as kUsuario, plain FTP, or
// explicit TLS on the control and data connections when `archivoCA` (the
// CA to trust) is given, TLS 1.2 at most as our client.
QString abreLftp(quint16 puerto, const QString& archivoCA = {});
// Runs the script and returns its wall time in milliseconds.
double lftp(const QString& guion);

// vsftpd in the foreground on a free loopback port, stopped with this object.
// Logins go through a permit-all PAM service bound over the system's one in a
// private mount namespace, so the real /etc never changes; every user is
// mapped to the ftp user and chrooted to a root-owned folder.
class Vsftpd {
public:
    ~Vsftpd();
    // `trabajo`: a folder for the server's files; `carpetas`: sub-folders of
    // the account, writable by the ftp user. With `tls` the server demands
    // explicit TLS on logins and data connections, and the reuse of the
    // control connection's TLS session on every data connection.
    bool arranca(const QString& trabajo, const QStringList& carpetas, bool tls = false);
    quint16 puerto() const { return puerto_; }
    // The CA of the TLS server's certificate (for 127.0.0.1); empty without TLS.
    QString archivoCA() const { return ca_; }
    // Local path of a remote name inside the account.
    QString ruta(const QString& remoto) const { return raiz_ + QLatin1Char('/') + remoto; }
    // An account folder set aside (see aparta) and made again, empty.
    bool renueva(const QString& carpeta, const QString& basura);
    QString error() const { return error_; }

private:
    QProcess proceso_;
    QString raiz_;
    QString ca_;
    QString error_;
    quint16 puerto_ = 0;
};

} // namespace korva::banco

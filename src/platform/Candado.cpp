#include "platform/Candado.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

#include "platform/fs.h"

#ifdef Q_OS_UNIX
#include <cerrno>
#include <signal.h>
#endif

namespace korva {

namespace {
QString ruta(const QString& carpeta, int posicion) {
    return fs::une(carpeta, QStringLiteral("odbc%1.lock").arg(posicion));
}

// A lock file that names no holder (left empty, or its bytes lost, when the
// machine stopped) would never be taken over: once a few seconds old, no
// window is behind it (a window writes its name as it makes the file).
void quitaSinTitular(const QString& ruta) {
    const QFileInfo fi(ruta);
    if (!fi.isFile() || fi.isSymLink() || fi.lastModified().secsTo(QDateTime::currentDateTime()) <= 5)
        return;
    qint64 pid = 0;
    QString host, app;
    if (!QLockFile(ruta).getLockInfo(&pid, &host, &app) || pid <= 0)
        fs::borra(ruta);
}

// Whether the holder of a lock that could not be taken is still running:
// a dead one's lock stays only where the folder lets nothing be removed.
bool titularVivo(const QLockFile& l) {
    qint64 pid = 0;
    QString host, app;
    if (!l.getLockInfo(&pid, &host, &app) || pid <= 0)
        return false;
#ifdef Q_OS_UNIX
    if (!host.isEmpty() && host != QSysInfo::machineHostName())
        return true;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
#else
    return true;
#endif
}

std::unique_ptr<QLockFile> nuevo(const QString& carpeta, int posicion) {
    quitaSinTitular(ruta(carpeta, posicion));
    auto l = std::make_unique<QLockFile>(ruta(carpeta, posicion));
    // Only a dead holder makes a lock stale, never its age: a program open
    // all day keeps its lock.
    l->setStaleLockTime(0);
    return l;
}
} // namespace

CandadoPatente::CandadoPatente() = default;
CandadoPatente::~CandadoPatente() = default;

bool CandadoPatente::toma(const QString& carpeta, int posicion) {
    suelta();
    auto l = nuevo(carpeta, posicion);
    if (!l->tryLock(0)) {
        deOtraVentana_ = l->error() == QLockFile::LockFailedError && titularVivo(*l);
        return false;
    }
    deOtraVentana_ = false;
    lock_ = std::move(l);
    return true;
}

void CandadoPatente::suelta() {
    if (lock_)
        lock_->unlock();
    lock_.reset();
}

bool CandadoPatente::tomado() const { return lock_ && lock_->isLocked(); }

bool CandadoPatente::ocupada(const QString& carpeta, int posicion) {
    auto l = nuevo(carpeta, posicion);
    if (!l->tryLock(0))
        return l->error() == QLockFile::LockFailedError;
    l->unlock();
    return false;
}

CandadoLista::CandadoLista(const QString& carpeta) {
    const QString ruta = fs::une(carpeta, QStringLiteral("usuarios.lock"));
    quitaSinTitular(ruta);
    lock_ = std::make_unique<QLockFile>(ruta);
    lock_->setStaleLockTime(0);
    // A change of the list takes a moment; a window that waits longer
    // than this is facing a stuck one and says so.
    lock_->tryLock(3000);
}

CandadoLista::~CandadoLista() {
    if (lock_->isLocked())
        lock_->unlock();
}

bool CandadoLista::tomado() const { return lock_->isLocked(); }

bool CandadoLista::deOtraVentana() const {
    return lock_->error() == QLockFile::LockFailedError && titularVivo(*lock_);
}

} // namespace korva

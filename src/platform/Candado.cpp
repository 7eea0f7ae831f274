#include "platform/Candado.h"

#include <QLockFile>

#include "platform/fs.h"

namespace korva {

namespace {
QString ruta(const QString& carpeta, int posicion) {
    return fs::une(carpeta, QStringLiteral("odbc%1.lock").arg(posicion));
}
std::unique_ptr<QLockFile> nuevo(const QString& carpeta, int posicion) {
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
        deOtraVentana_ = l->error() == QLockFile::LockFailedError;
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

CandadoLista::CandadoLista(const QString& carpeta)
    : lock_(std::make_unique<QLockFile>(fs::une(carpeta, QStringLiteral("usuarios.lock")))) {
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

bool CandadoLista::deOtraVentana() const { return lock_->error() == QLockFile::LockFailedError; }

} // namespace korva

#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "platform/Ansi.h"
#include "platform/fs.h"

#ifdef Q_OS_LINUX
#include <QTemporaryDir>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/fsuid.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

// The file helpers of the tests, benchmarks and fuzz targets, in one place.
namespace korva::test {

// A file's bytes; "<no existe>" when it cannot be read.
inline QByteArray lee(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<no existe>");
}

// Writes a file in place, as a writer outside the program does; false when
// it could not be written whole.
inline bool escribe(const QString& ruta, const QByteArray& datos) {
    QFile f(ruta);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(datos) == datos.size();
}

// A text file's lines as the program's code page gives them, read through a
// link like any reader outside the program.
inline QStringList lineas(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? ansi::lineas(f.readAll()) : QStringList();
}

// Writes a whole file, making its folders; with a time, the file gets it as
// its modification time. False when the file could not be written.
inline bool pon(const QString& ruta, const QByteArray& datos, const QDateTime& t = {}) {
    QDir().mkpath(QFileInfo(ruta).path());
    // A name too long for the program's own temporary is written in place.
    if (QFile::encodeName(QFileInfo(ruta).fileName()).size() > fs::kLargoNombreMaximo) {
        QFile f(ruta);
        if (!f.open(QIODevice::WriteOnly) || f.write(datos) != datos.size())
            return false;
    } else if (!fs::escribeAtomico(ruta, datos)) {
        return false;
    }
    if (!t.isValid())
        return true;
    QFile f(ruta);
    return f.open(QIODevice::ReadWrite) && f.setFileTime(t, QFileDevice::FileModificationTime);
}

// The plain files of a folder, by name.
inline QStringList en(const QString& carpeta) { return QDir(carpeta).entryList(QDir::Files, QDir::Name); }

// Makes a file unreadable for the scope, as a broker's account meets one
// whose permissions deny it. Root reads anything, so while it lasts root's
// file access goes through an ordinary user (its folder opened to everyone,
// so that user can still work there).
class Ilegible {
public:
    explicit Ilegible(const QString& ruta) : ruta_(ruta) {
#ifdef Q_OS_LINUX
        ::chmod(QFile::encodeName(ruta).constData(), 0);
        if (::geteuid() == 0) {
            ::chmod(QFile::encodeName(QFileInfo(ruta).absolutePath()).constData(), 0777);
            ::setfsuid(65534);
            comoRoot_ = true;
        }
#endif
    }
    ~Ilegible() {
#ifdef Q_OS_LINUX
        if (comoRoot_)
            ::setfsuid(0);
        ::chmod(QFile::encodeName(ruta_).constData(), 0644);
#endif
    }
    Ilegible(const Ilegible&) = delete;
    Ilegible& operator=(const Ilegible&) = delete;

private:
    QString ruta_;
    bool comoRoot_ = false;
};

#ifdef Q_OS_LINUX
// Root writes through the permission bits; the immutable attribute stops it
// too. Anyone else gets a folder without write permission.
inline bool soloLecturaReal(const QString& carpeta, bool activa) {
    if (geteuid() != 0)
        return QFile::setPermissions(carpeta, activa
                                                  ? QFile::ReadOwner | QFile::ExeOwner
                                                  : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const int fd = ::open(QFile::encodeName(carpeta).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int banderas = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &banderas) == 0;
    if (ok) {
        banderas = activa ? (banderas | FS_IMMUTABLE_FL) : (banderas & ~FS_IMMUTABLE_FL);
        ok = ioctl(fd, FS_IOC_SETFLAGS, &banderas) == 0;
    }
    ::close(fd);
    return ok;
}

// A real file system of `kb` kilobytes (a tmpfs, which needs root) that
// llena() fills to the last byte: the full disk a broker's office meets.
class DiscoPequeno {
public:
    explicit DiscoPequeno(int kb = 256) {
        montado_ =
            dir_.isValid() && ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0,
                                      QByteArray("size=" + QByteArray::number(kb) + "k").constData()) == 0;
    }
    ~DiscoPequeno() {
        if (montado_)
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    DiscoPequeno(const DiscoPequeno&) = delete;
    DiscoPequeno& operator=(const DiscoPequeno&) = delete;
    bool montado() const { return montado_; }
    QString ruta(const QString& rel = {}) const { return rel.isEmpty() ? dir_.path() : dir_.filePath(rel); }
    // Writes until the disk refuses a byte more.
    void llena() {
        QFile f(ruta(QStringLiteral(".relleno")));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        const QByteArray bloque(4096, 'x');
        while (f.write(bloque) == bloque.size()) {
        }
        while (f.write("x", 1) == 1) {
        }
    }

private:
    QTemporaryDir dir_;
    bool montado_ = false;
};
#endif

} // namespace korva::test

#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <filesystem>

#include "platform/Ansi.h"

#include <algorithm>

#ifndef Q_OS_WIN
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace korva::fs {

namespace {
// WriteUser is left out: it answers whether this process may write, which
// is always yes for root.
constexpr QFileDevice::Permissions kEscritura =
    QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;

#ifdef Q_OS_WIN
// Bit by bit through permission(), which reads the mode already fetched:
// permissions() stats the file again and asks for this process's own rights
// three more times, which costs more than the rest of a folder listing.
bool sinEscritura(const QFileInfo& fi) {
    return !fi.permission(QFileDevice::WriteOwner) && !fi.permission(QFileDevice::WriteGroup) &&
           !fi.permission(QFileDevice::WriteOther);
}
#endif
} // namespace

QChar separador(Plataforma p) { return p == Plataforma::Windows ? QChar('\\') : QChar('/'); }

QString une(const QString& carpeta, const QString& nombre, Plataforma p) {
    const QChar sep = separador(p);
    if (carpeta.isEmpty())
        return nombre;
    if (carpeta.endsWith(sep))
        return carpeta + nombre;
    return carpeta + sep + nombre;
}

bool existeArchivo(const QString& ruta) {
    if (ruta.isEmpty())
        return false;
    QFileInfo fi(ruta);
    return fi.exists() && fi.isFile();
}

QString rutaSinMayusculas(const QString& carpeta, const QString& nombre, Plataforma p) {
    const QString exacta = une(carpeta, nombre, p);
    if (p == Plataforma::Windows || QFileInfo::exists(exacta))
        return exacta;
    const QStringList todos = QDir(carpeta).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& n : todos)
        if (n.compare(nombre, Qt::CaseInsensitive) == 0)
            return une(carpeta, n, p);
    return exacta;
}

bool existeCarpeta(const QString& ruta) {
    if (ruta.isEmpty())
        return false;
    QFileInfo fi(ruta);
    return fi.exists() && fi.isDir() && fi.isReadable();
}

#ifndef Q_OS_WIN
namespace {
// lstat of the name itself; false when there is nothing there.
bool estado(const QString& ruta, struct stat* sb) {
    return !ruta.isEmpty() && ::lstat(QFile::encodeName(ruta).constData(), sb) == 0;
}

bool escribeTodo(int fd, const char* p, size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += w;
        n -= size_t(w);
    }
    return true;
}

// Opens without following a link and keeps only a plain file (a FIFO would
// block the window, a device has no end).
int abreRegular(const QString& ruta, int banderas, mode_t modo = 0) {
    const int fd =
        ::open(QFile::encodeName(ruta).constData(), banderas | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, modo);
    if (fd < 0)
        return -1;
    struct stat sb;
    if (::fstat(fd, &sb) != 0 || !S_ISREG(sb.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}
} // namespace
#endif

bool esRegular(const QString& ruta) {
#ifdef Q_OS_WIN
    const QFileInfo fi(ruta);
    return !ruta.isEmpty() && fi.isFile() && !fi.isSymLink();
#else
    struct stat sb;
    return estado(ruta, &sb) && S_ISREG(sb.st_mode);
#endif
}

bool esEnlace(const QString& ruta) {
#ifdef Q_OS_WIN
    return !ruta.isEmpty() && QFileInfo(ruta).isSymLink();
#else
    struct stat sb;
    return estado(ruta, &sb) && S_ISLNK(sb.st_mode);
#endif
}

bool soloLectura(const QString& ruta) {
#ifdef Q_OS_WIN
    QFileInfo fi(ruta);
    if (!fi.exists() || fi.isSymLink())
        return false;
    return sinEscritura(fi);
#else
    struct stat sb;
    return estado(ruta, &sb) && !S_ISLNK(sb.st_mode) && (sb.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
#endif
}

bool ponSoloLectura(const QString& ruta, bool ro) {
    if (esEnlace(ruta))
        return false;
    QFile f(ruta);
    if (!f.exists())
        return false;
    QFileDevice::Permissions p = f.permissions();
    if (ro)
        p &= ~(kEscritura | QFileDevice::WriteUser);
    else
        p |= QFileDevice::WriteOwner | QFileDevice::WriteUser;
    return f.setPermissions(p);
}

bool abreLectura(QFile& archivo) {
#ifdef Q_OS_WIN
    if (!esRegular(archivo.fileName()))
        return false;
    return archivo.open(QIODevice::ReadOnly);
#else
    const int fd = abreRegular(archivo.fileName(), O_RDONLY);
    if (fd < 0)
        return false;
    if (!archivo.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
#endif
}

#ifdef Q_OS_WIN
namespace {
bool vuelca(QFile& in, QFileDevice& out) {
    char buf[1 << 16];
    for (;;) {
        const qint64 n = in.read(buf, sizeof buf);
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (out.write(buf, n) != n)
            return false;
    }
}
} // namespace
#endif

bool copia(const QString& origen, const QString& destino, Sincroniza s, bool* enlace) {
    if (enlace)
        *enlace = false;
    const QFileInfo fi(destino);
#ifdef Q_OS_WIN
    // A read-only target refuses the copy, as on the desktop the program
    // came from; callers clear the attribute first where they mean to.
    const bool esLink = fi.isSymLink();
    if (!esLink && soloLectura(destino))
        return false;
    QFile in(origen);
    if (!abreLectura(in))
        return false;
    const QDateTime mtime = QFileInfo(in).lastModified();
    if (s == Sincroniza::Si) {
        // QSaveFile waits for the disk but writes through a link: the link
        // goes first.
        if (esLink && !QFile::remove(destino))
            return false;
        QSaveFile out(destino);
        out.setDirectWriteFallback(false);
        if (!out.open(QIODevice::WriteOnly))
            return false;
        if (!vuelca(in, out)) {
            out.cancelWriting();
            return false;
        }
        if (!out.commit())
            return false;
        QFile done(destino);
        if (done.open(QIODevice::ReadWrite))
            done.setFileTime(mtime, QFileDevice::FileModificationTime);
    } else {
        QTemporaryFile out(fi.absolutePath() + QStringLiteral("/.") + fi.fileName() +
                           QStringLiteral(".XXXXXX"));
        if (!out.open() || !vuelca(in, out) || !out.flush())
            return false;
        out.setFileTime(mtime, QFileDevice::FileModificationTime);
        out.close(); // an open file cannot be renamed on Windows
        std::error_code ec;
        std::filesystem::rename(std::filesystem::path(out.fileName().toStdU16String()),
                                std::filesystem::path(destino.toStdU16String()), ec);
        if (ec)
            return false;
        out.setAutoRemove(false);
    }
    if (enlace)
        *enlace = esLink;
    return true;
#else
    struct stat db;
    const bool hay = estado(destino, &db);
    const bool esLink = hay && S_ISLNK(db.st_mode);
    // A read-only target refuses the copy, as on the desktop the program
    // came from; callers clear the attribute first where they mean to. A
    // folder in the way is no target either.
    if (hay && !esLink && (!S_ISREG(db.st_mode) || (db.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0))
        return false;
    const int in = abreRegular(origen, O_RDONLY);
    if (in < 0)
        return false;
    struct stat sb;
    if (::fstat(in, &sb) != 0) {
        ::close(in);
        return false;
    }
    // A hidden temporary beside the target, renamed over the name itself.
    QByteArray tmp = QFile::encodeName(fi.absolutePath() + QStringLiteral("/.") + fi.fileName() +
                                       QStringLiteral(".XXXXXX"));
    const int out = ::mkostemp(tmp.data(), O_CLOEXEC);
    if (out < 0) {
        ::close(in);
        return false;
    }
    // The owner keeps reading and writing its copy; others read it only
    // where they may read the source.
    bool ok = ::fchmod(out, (sb.st_mode & (S_IRUSR | S_IRGRP | S_IROTH)) | S_IRUSR | S_IWUSR) == 0;
    char buf[1 << 16];
    while (ok) {
        const ssize_t n = ::read(in, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        ok = escribeTodo(out, buf, size_t(n));
    }
    ::close(in);
    const timespec tiempos[2] = {sb.st_atim, sb.st_mtim};
    ok = ok && ::futimens(out, tiempos) == 0 && (s == Sincroniza::No || ::fsync(out) == 0);
    ok = ::close(out) == 0 && ok;
    ok = ok && ::rename(tmp.constData(), QFile::encodeName(destino).constData()) == 0;
    if (!ok) {
        ::unlink(tmp.constData());
        return false;
    }
    if (enlace)
        *enlace = esLink;
    return true;
#endif
}

bool escribeAtomico(const QString& ruta, const QByteArray& contenido, bool privado) {
    // The name is replaced, never the file a link there leads to.
    if (esEnlace(ruta) && !QFile::remove(ruta))
        return false;
    QSaveFile f(ruta);
    f.setDirectWriteFallback(false);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (privado)
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (f.write(contenido) != contenido.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

bool borra(const QString& ruta) { return QFile::remove(ruta); }

bool creaCarpeta(const QString& ruta) { return QDir().mkpath(ruta); }

QStringList leeLineas(const QString& ruta, bool* ok) {
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly)) {
        if (ok)
            *ok = false;
        return {};
    }
    const QByteArray bytes = f.readAll();
    // A read that fails half-way (a share gone, a bad disk) is no file's
    // content: callers must not take it for a short or empty file.
    const bool leido = f.error() == QFileDevice::NoError;
    if (ok)
        *ok = leido;
    return leido ? ansi::lineas(bytes) : QStringList();
}

bool Anexo::abre(const QString& ruta) {
    if (archivo_.isOpen())
        archivo_.close();
    archivo_.setFileName(ruta);
    separador_.clear();
    // Unbuffered: a line that failed is not kept to be written later.
    const auto modo = QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered;
#ifdef Q_OS_WIN
    if (esEnlace(ruta) || !archivo_.open(modo))
        return false;
#else
    const int fd = abreRegular(ruta, O_RDWR | O_APPEND | O_CREAT, 0666);
    if (fd < 0)
        return false;
    if (!archivo_.open(fd, modo, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
#endif
    // A file cut short by a crash or a full disk ends mid-line: the next line
    // starts a line of its own instead of joining the broken one.
    const qint64 n = archivo_.size();
    char ultimo = '\n';
    if (n > 0 && (!archivo_.seek(n - 1) || !archivo_.getChar(&ultimo))) {
        archivo_.close();
        return false;
    }
    if (ultimo != '\n')
        separador_ = ultimo == '\r' ? QByteArray("\n") : QByteArray("\r\n");
    return true;
}

bool Anexo::agrega(const QString& linea) {
    if (!archivo_.isOpen())
        return false;
    const QByteArray b = separador_ + ansi::codifica(linea) + "\r\n";
    const qint64 n = archivo_.write(b);
    if (n == b.size()) {
        separador_.clear();
        return true;
    }
    if (n > 0)
        separador_ = QByteArray("\r\n"); // written in part: the next one on a line of its own
    return false;
}

bool agregaLinea(const QString& ruta, const QString& linea) {
    Anexo a;
    return a.abre(ruta) && a.agrega(linea);
}

QByteArray comoTexto(const QStringList& lineas) {
    QByteArray b;
    for (const QString& l : lineas) {
        b += ansi::codifica(l);
        b += "\r\n";
    }
    return b;
}

QList<Entrada> lista(const QString& carpeta, Detalle detalle) {
    QList<Entrada> out;
#ifdef Q_OS_WIN
    Q_UNUSED(detalle);
    QDir d(carpeta);
    if (!d.exists())
        return out;
    const QFileInfoList infos =
        d.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    out.reserve(infos.size());
    for (const QFileInfo& fi : infos) {
        Entrada e;
        e.nombre = fi.fileName();
        e.enlace = fi.isSymLink();
        e.carpeta = !e.enlace && fi.isDir();
        e.regular = !e.enlace && fi.isFile();
        e.tamano = fi.size();
        e.segundos = fi.lastModified().toSecsSinceEpoch();
        e.soloLectura = sinEscritura(fi);
        e.oculto = e.nombre.startsWith('.');
        out.append(e);
    }
#else
    // One lstat per entry: the pending and sent folders hold thousands of
    // files and the lists are rebuilt every cycle.
    const QByteArray base = QFile::encodeName(carpeta);
    DIR* d = ::opendir(base.constData());
    if (!d)
        return out;
    while (const dirent* de = ::readdir(d)) {
        const char* n = de->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        Entrada e;
#ifdef _DIRENT_HAVE_D_TYPE
        if (detalle == Detalle::Tipo && de->d_type != DT_UNKNOWN) {
            e.nombre = QFile::decodeName(n);
            e.enlace = de->d_type == DT_LNK;
            e.carpeta = de->d_type == DT_DIR;
            e.regular = de->d_type == DT_REG;
            e.oculto = n[0] == '.';
            out.append(std::move(e));
            continue;
        }
#endif
        struct stat sb;
        const QByteArray ruta = base + '/' + n;
        if (::lstat(ruta.constData(), &sb) != 0)
            continue; // gone since the listing
        e.nombre = QFile::decodeName(n);
        e.enlace = S_ISLNK(sb.st_mode);
        e.carpeta = S_ISDIR(sb.st_mode);
        e.regular = S_ISREG(sb.st_mode);
        e.tamano = sb.st_size;
        e.segundos = sb.st_mtime;
        e.soloLectura = (sb.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
        e.oculto = n[0] == '.';
        out.append(std::move(e));
    }
    ::closedir(d);
    std::sort(out.begin(), out.end(), [](const Entrada& a, const Entrada& b) { return a.nombre < b.nombre; });
#endif
    return out;
}

} // namespace korva::fs

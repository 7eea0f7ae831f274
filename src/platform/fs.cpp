#include "platform/fs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>
#include <cstring>
#include <filesystem>

#include "platform/Ansi.h"

#include <algorithm>
#include <cerrno>

#ifndef Q_OS_WIN
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace korva::fs {

namespace {
// Why the last operation failed: an errno, or one of the two below.
thread_local int ultimoErrno = 0;
// The file is larger than its kind allows.
constexpr int kExcede = -1;
// The name is no plain file (a FIFO, a device, a folder).
constexpr int kNoRegular = -2;

bool falla(int e) {
    ultimoErrno = e == 0 ? EIO : e;
    return false;
}

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
    if (fd < 0) {
        falla(errno);
        return -1;
    }
    struct stat sb;
    if (::fstat(fd, &sb) != 0 || !S_ISREG(sb.st_mode)) {
        ::close(fd);
        falla(kNoRegular);
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

QString ultimaCausa() {
    switch (ultimoErrno) {
    case 0:
        return {};
    case kExcede:
        return QStringLiteral("el archivo es más grande de lo permitido");
    case kNoRegular:
        return QStringLiteral("no es un archivo regular");
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
    case EFBIG:
        return QStringLiteral("no hay espacio en el disco");
    case EACCES:
    case EPERM:
        return QStringLiteral("permiso denegado");
    case EROFS:
        return QStringLiteral("el disco es de solo lectura");
    case EISDIR:
        return QStringLiteral("hay una carpeta con ese nombre");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("no existe");
#ifdef ELOOP
    case ELOOP:
        return QStringLiteral("es un enlace");
#endif
    case ENAMETOOLONG:
        return QStringLiteral("el nombre es demasiado largo");
    case EIO:
        return QStringLiteral("error de lectura o escritura del disco");
    default:
        return QString::fromLocal8Bit(std::strerror(ultimoErrno));
    }
}

bool lee(const QString& ruta, qint64 limite, QByteArray* datos) {
    datos->clear();
    ultimoErrno = 0;
#ifdef Q_OS_WIN
    if (!esRegular(ruta))
        return falla(QFileInfo::exists(ruta) ? kNoRegular : ENOENT);
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly))
        return falla(EACCES);
    if (f.size() > limite)
        return falla(kExcede);
    *datos = f.read(limite + 1);
    if (f.error() != QFileDevice::NoError)
        return falla(EIO);
#else
    const int fd = abreRegular(ruta, O_RDONLY);
    if (fd < 0)
        return false;
    struct stat sb;
    if (::fstat(fd, &sb) != 0) {
        const int e = errno;
        ::close(fd);
        return falla(e);
    }
    if (sb.st_size > limite) {
        ::close(fd);
        return falla(kExcede);
    }
    datos->resize(qsizetype(sb.st_size));
    qint64 leidos = 0;
    // Up to one byte past the bound: a file that grew while read is caught.
    for (;;) {
        if (leidos == datos->size()) {
            if (leidos > limite)
                break;
            datos->resize(qsizetype(std::min<qint64>(limite + 1, std::max<qint64>(leidos * 2, 4096))));
        }
        const ssize_t n = ::read(fd, datos->data() + leidos, size_t(datos->size() - leidos));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int e = errno;
            ::close(fd);
            datos->clear();
            return falla(e);
        }
        if (n == 0)
            break;
        leidos += n;
    }
    ::close(fd);
    datos->resize(qsizetype(leidos));
#endif
    if (datos->size() > limite) {
        datos->clear();
        return falla(kExcede);
    }
    return true;
}

QStringList leeLineas(const QString& ruta, qint64 limite, bool* ok) {
    QByteArray bytes;
    const bool leido = lee(ruta, limite, &bytes);
    if (ok)
        *ok = leido;
    return leido ? ansi::lineas(bytes) : QStringList();
}

QDateTime Huella::modificado() const {
    return QDateTime::fromMSecsSinceEpoch(segundos * 1000 + nanosegundos / 1000000);
}

Huella huella(const QString& ruta) {
    Huella h;
#ifdef Q_OS_WIN
    const QFileInfo fi(ruta);
    if (ruta.isEmpty() || fi.isSymLink() || !fi.isFile())
        return h;
    const qint64 ms = fi.lastModified().toMSecsSinceEpoch();
    h.tamano = fi.size();
    h.segundos = ms / 1000;
    h.nanosegundos = (ms % 1000) * 1000000;
#else
    struct stat sb;
    if (!estado(ruta, &sb) || !S_ISREG(sb.st_mode))
        return h;
    h.tamano = sb.st_size;
    h.segundos = sb.st_mtim.tv_sec;
    h.nanosegundos = sb.st_mtim.tv_nsec;
    h.inodo = quint64(sb.st_ino);
#endif
    return h;
}

bool quieto(const Huella& h, int ms) {
    const qint64 ultimo = h.segundos * 1000 + h.nanosegundos / 1000000;
    return h.existe() && ultimo <= QDateTime::currentMSecsSinceEpoch() - ms;
}

Original::~Original() {
#ifndef Q_OS_WIN
    if (fd_ >= 0)
        ::close(fd_);
    if (!enlace_.isEmpty())
        ::unlink(enlace_.constData());
#endif
}

bool Original::abre(const QString& ruta) {
    ruta_ = ruta;
#ifdef Q_OS_WIN
    return esRegular(ruta);
#else
    fd_ = abreRegular(ruta, O_RDONLY);
    if (fd_ < 0)
        return false;
    // A second name keeps the file on the disk once a rewrite or the signing
    // puts another under its own: what its writer still writes stays
    // reachable, and goes back under the name if needed.
    for (int intento = 0; intento < 8 && enlace_.isEmpty(); ++intento) {
        const QByteArray tmp = QFile::encodeName(nombreTemporal(ruta));
        if (::link(QFile::encodeName(ruta).constData(), tmp.constData()) == 0) {
            struct stat a, b;
            // Linked to the file held open, not to one put there meanwhile.
            if (::lstat(tmp.constData(), &a) == 0 && ::fstat(fd_, &b) == 0 && a.st_ino == b.st_ino &&
                a.st_dev == b.st_dev)
                enlace_ = tmp;
            else
                ::unlink(tmp.constData());
            break;
        }
        if (errno != EEXIST)
            break;
    }
    return true;
#endif
}

Huella Original::huella() const {
#ifdef Q_OS_WIN
    return fs::huella(ruta_);
#else
    Huella h;
    struct stat sb;
    if (fd_ < 0 || ::fstat(fd_, &sb) != 0)
        return h;
    h.tamano = sb.st_size;
    h.segundos = sb.st_mtim.tv_sec;
    h.nanosegundos = sb.st_mtim.tv_nsec;
    h.inodo = quint64(sb.st_ino);
    return h;
#endif
}

bool Original::restaura() {
#ifdef Q_OS_WIN
    return true; // Windows replaces no file that is open for writing
#else
    if (fd_ < 0)
        return falla(EBADF);
    // The same file back under the name: its writer goes on writing into
    // the file the name shows.
    if (!enlace_.isEmpty() && ::rename(enlace_.constData(), QFile::encodeName(ruta_).constData()) == 0) {
        enlace_.clear();
        return true;
    }
    // No second name could be made (a file system without links): a copy of
    // what the held file holds.
    struct stat sb;
    if (::fstat(fd_, &sb) != 0)
        return falla(errno);
    Reemplazo r(ruta_);
    if (!r.abre())
        return false;
    r.limitaLecturaA(sb.st_mode);
    char buf[1 << 16];
    off_t pos = 0;
    for (;;) {
        const ssize_t n = ::pread(fd_, buf, sizeof buf, pos);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return falla(errno);
        if (n == 0)
            break;
        if (!r.escribe(buf, n))
            return false;
        pos += n;
    }
    r.ponModificado(sb.st_mtim.tv_sec, sb.st_mtim.tv_nsec);
    return r.confirma();
#endif
}

// --- Reemplazo ---------------------------------------------------------------

Reemplazo::Reemplazo(QString destino, Permisos p) : destino_(std::move(destino)), permisos_(p) {}

Reemplazo::~Reemplazo() { descarta(); }

bool Reemplazo::abierto() const {
#ifdef Q_OS_WIN
    return guardado_ != nullptr;
#else
    return fd_ >= 0;
#endif
}

void Reemplazo::limitaLecturaA(unsigned modoOrigen) { lectura_ = modoOrigen & 0044; }

void Reemplazo::ponModificado(qint64 segundos, qint64 nanosegundos) {
    conTiempo_ = true;
    seg_ = segundos;
    nseg_ = nanosegundos;
}

#ifdef Q_OS_WIN
bool Reemplazo::abre() {
    descarta();
    ultimoErrno = 0;
    // The name is replaced, never the file a link there leads to.
    if (esEnlace(destino_) && !QFile::remove(destino_))
        return falla(EACCES);
    guardado_ = new QSaveFile(destino_);
    guardado_->setDirectWriteFallback(false);
    // Unbuffered, so every failed write is seen when it happens: a buffered
    // QSaveFile commits a file whose last flush failed.
    if (!guardado_->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        descarta();
        return falla(EACCES);
    }
    if (permisos_ == Permisos::Privados)
        guardado_->setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}

bool Reemplazo::escribe(const char* datos, qint64 n) {
    if (!guardado_ || errno_ != 0)
        return false;
    if (guardado_->write(datos, n) != n) {
        errno_ = ENOSPC;
        return falla(errno_);
    }
    escritos_ += n;
    return true;
}

bool Reemplazo::confirma(Sincroniza) {
    if (!guardado_ || errno_ != 0) {
        descarta();
        return falla(errno_ ? errno_ : EIO);
    }
    const bool ok = guardado_->commit();
    delete guardado_;
    guardado_ = nullptr;
    if (!ok)
        return falla(ENOSPC);
    if (conTiempo_) {
        QFile hecho(destino_);
        if (hecho.open(QIODevice::ReadWrite))
            hecho.setFileTime(QDateTime::fromMSecsSinceEpoch(seg_ * 1000 + nseg_ / 1000000),
                              QFileDevice::FileModificationTime);
    }
    return true;
}

void Reemplazo::descarta() {
    if (guardado_) {
        guardado_->cancelWriting();
        delete guardado_;
        guardado_ = nullptr;
    }
}
#else
bool Reemplazo::abre() {
    descarta();
    ultimoErrno = 0;
    errno_ = 0;
    escritos_ = 0;
    // A hidden temporary beside the target, renamed over the name itself.
    for (int intento = 0; intento < 16; ++intento) {
        temporal_ = QFile::encodeName(nombreTemporal(destino_));
        fd_ = ::open(temporal_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd_ >= 0)
            return true;
        if (errno != EEXIST)
            break;
    }
    const int e = errno;
    temporal_.clear();
    return falla(e);
}

bool Reemplazo::escribe(const char* datos, qint64 n) {
    if (fd_ < 0 || errno_ != 0)
        return false;
    if (!escribeTodo(fd_, datos, size_t(n))) {
        errno_ = errno;
        return falla(errno_);
    }
    escritos_ += n;
    return true;
}

bool Reemplazo::confirma(Sincroniza s) {
    if (fd_ < 0 || errno_ != 0) {
        const int e = errno_ ? errno_ : EBADF;
        descarta();
        return falla(e);
    }
    mode_t modo = 0600;
    if (permisos_ == Permisos::Publicos) {
        // A file replaced keeps its mode (a read-only patents list stays
        // read-only); a new one is readable by all.
        struct stat previo;
        const QByteArray d = QFile::encodeName(destino_);
        if (::lstat(d.constData(), &previo) == 0 && S_ISREG(previo.st_mode))
            modo = previo.st_mode & 07777;
        else
            modo = 0644;
        modo = (modo & ~mode_t(0044)) | (modo & lectura_);
    }
    bool ok = ::fchmod(fd_, modo) == 0;
    if (ok && conTiempo_) {
        const timespec tiempos[2] = {{0, UTIME_OMIT}, {time_t(seg_), long(nseg_)}};
        ok = ::futimens(fd_, tiempos) == 0;
    }
    ok = ok && (s == Sincroniza::No || ::fsync(fd_) == 0);
    int e = ok ? 0 : errno;
    // close reports what a network file system kept back until then.
    if (::close(fd_) != 0 && ok) {
        ok = false;
        e = errno;
    }
    fd_ = -1;
    if (ok && ::rename(temporal_.constData(), QFile::encodeName(destino_).constData()) != 0) {
        ok = false;
        e = errno;
    }
    if (!ok) {
        ::unlink(temporal_.constData());
        temporal_.clear();
        return falla(e);
    }
    temporal_.clear();
    return true;
}

void Reemplazo::descarta() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporal_.isEmpty())
        ::unlink(temporal_.constData());
    temporal_.clear();
}
#endif

QString nombreTemporal(const QString& destino) {
    static const char kLetras[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString sufijo;
    for (int i = 0; i < 6; ++i) {
        // Digits where the program's mark asks for them.
        const bool digito = i == 0 || i == 3;
        const quint32 r = QRandomGenerator::global()->bounded(digito ? 10u : quint32(sizeof kLetras - 1));
        sufijo += QLatin1Char(digito ? char('0' + r) : kLetras[r]);
    }
    const QFileInfo fi(destino);
    return fi.absolutePath() + QStringLiteral("/.") + fi.fileName() + QLatin1String(kMarcaTemporal) + sufijo;
}

bool esTemporal(const QString& nombre) {
    // ".<name>~" and six letters or digits, a digit first and fourth: a mark
    // no broker's own hidden file ("~backup") carries by chance.
    static const QRegularExpression re(QStringLiteral("^\\..+") +
                                       QRegularExpression::escape(QLatin1String(kMarcaTemporal)) +
                                       QStringLiteral("[0-9][A-Za-z0-9]{2}[0-9][A-Za-z0-9]{2}$"));
    return re.match(nombre).hasMatch();
}

int quitaTemporales(const QString& carpeta, qint64 segundos) {
    int quitados = 0;
    const qint64 ahora = QDateTime::currentSecsSinceEpoch();
    for (const Entrada& e : lista(carpeta))
        if (e.regular && esTemporal(e.nombre) && ahora - e.segundos >= segundos &&
            borra(une(carpeta, e.nombre)))
            ++quitados;
    return quitados;
}

bool copia(const QString& origen, const QString& destino, Sincroniza s, bool* enlace) {
    if (enlace)
        *enlace = false;
    ultimoErrno = 0;
#ifdef Q_OS_WIN
    const bool esLink = QFileInfo(destino).isSymLink();
    // A read-only target refuses the copy, as on the desktop the program
    // came from; callers clear the attribute first where they mean to.
    if (!esLink && soloLectura(destino))
        return falla(EACCES);
    QFile in(origen);
    if (!abreLectura(in))
        return falla(ENOENT);
    const qint64 ms = QFileInfo(in).lastModified().toMSecsSinceEpoch();
    Reemplazo out(destino);
    if (!out.abre())
        return false;
    char buf[1 << 16];
    for (;;) {
        const qint64 n = in.read(buf, sizeof buf);
        if (n < 0)
            return falla(EIO);
        if (n == 0)
            break;
        if (!out.escribe(buf, n))
            return false;
    }
    out.ponModificado(ms / 1000, (ms % 1000) * 1000000);
    if (!out.confirma(s))
        return false;
#else
    struct stat db;
    const bool hay = estado(destino, &db);
    const bool esLink = hay && S_ISLNK(db.st_mode);
    // A read-only target refuses the copy, as on the desktop the program
    // came from; callers clear the attribute first where they mean to. A
    // folder in the way is no target either.
    if (hay && !esLink && !S_ISREG(db.st_mode))
        return falla(EISDIR);
    if (hay && !esLink && (db.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return falla(EACCES);
    const int in = abreRegular(origen, O_RDONLY);
    if (in < 0)
        return false;
    struct stat sb;
    if (::fstat(in, &sb) != 0) {
        const int e = errno;
        ::close(in);
        return falla(e);
    }
    Reemplazo out(destino);
    if (!out.abre()) {
        ::close(in);
        return false;
    }
    out.limitaLecturaA(sb.st_mode);
    char buf[1 << 16];
    for (;;) {
        const ssize_t n = ::read(in, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int e = errno;
            ::close(in);
            return falla(e);
        }
        if (n == 0)
            break;
        if (!out.escribe(buf, n)) {
            ::close(in);
            return false;
        }
    }
    ::close(in);
    out.ponModificado(sb.st_mtim.tv_sec, sb.st_mtim.tv_nsec);
    if (!out.confirma(s))
        return false;
#endif
    if (enlace)
        *enlace = esLink;
    return true;
}

bool escribeAtomico(const QString& ruta, const QByteArray& contenido, bool privado) {
    Reemplazo r(ruta, privado ? Reemplazo::Permisos::Privados : Reemplazo::Permisos::Publicos);
    return r.abre() && r.escribe(contenido) && r.confirma();
}

bool renombra(const QString& de, const QString& a) {
    ultimoErrno = 0;
    if (!esRegular(de))
        return falla(esEnlace(de) ? ELOOP : ENOENT);
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(de.toStdU16String()),
                            std::filesystem::path(a.toStdU16String()), ec);
    return ec ? falla(ec.value()) : true;
}

bool borra(const QString& ruta) {
    ultimoErrno = 0;
    if (QFile::remove(ruta))
        return true;
    return falla(QFileInfo::exists(ruta) || esEnlace(ruta) ? EACCES : ENOENT);
}

bool creaCarpeta(const QString& ruta) { return QDir().mkpath(ruta); }

bool esCarpetaReal(const QString& ruta) {
#ifdef Q_OS_WIN
    const QFileInfo fi(ruta);
    return !ruta.isEmpty() && fi.isDir() && !fi.isSymLink();
#else
    struct stat sb;
    return estado(ruta, &sb) && S_ISDIR(sb.st_mode);
#endif
}

bool mismaCarpeta(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty())
        return false;
#ifdef Q_OS_WIN
    return QFileInfo(a).canonicalFilePath().compare(QFileInfo(b).canonicalFilePath(), Qt::CaseInsensitive) ==
           0;
#else
    struct stat sa, sb;
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 ||
        ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return QDir::cleanPath(a) == QDir::cleanPath(b);
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
#endif
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
        e.segundos = sb.st_mtim.tv_sec;
        e.nanosegundos = sb.st_mtim.tv_nsec;
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

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
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace korva::fs {

namespace {
// WriteUser is left out: it answers whether this process may write, which
// is always yes for root.
constexpr QFileDevice::Permissions kEscritura =
    QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;

// Bit by bit through permission(), which reads the mode already fetched:
// permissions() stats the file again and asks for this process's own rights
// three more times, which costs more than the rest of a folder listing.
bool sinEscritura(const QFileInfo& fi) {
    return !fi.permission(QFileDevice::WriteOwner) && !fi.permission(QFileDevice::WriteGroup) &&
           !fi.permission(QFileDevice::WriteOther);
}
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

bool soloLectura(const QString& ruta) {
    QFileInfo fi(ruta);
    if (!fi.exists())
        return false;
    return sinEscritura(fi);
}

bool ponSoloLectura(const QString& ruta, bool ro) {
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

bool copia(const QString& origen, const QString& destino, Sincroniza s) {
    // A read-only target refuses the copy, as on the desktop the program
    // came from; callers clear the attribute first where they mean to.
    if (soloLectura(destino))
        return false;
    QFile in(origen);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QDateTime mtime = QFileInfo(in).lastModified();
    if (s == Sincroniza::No) {
        // QSaveFile always waits for the disk: a hidden temporary beside the
        // target, renamed over it once complete.
        const QFileInfo fi(destino);
        QTemporaryFile out(fi.absolutePath() + QStringLiteral("/.") + fi.fileName() +
                           QStringLiteral(".XXXXXX"));
        if (!out.open() ||
            !out.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther))
            return false;
        if (!vuelca(in, out) || !out.flush())
            return false;
        out.setFileTime(mtime, QFileDevice::FileModificationTime);
        out.close(); // an open file cannot be renamed on Windows
        std::error_code ec;
        std::filesystem::rename(std::filesystem::path(out.fileName().toStdU16String()),
                                std::filesystem::path(destino.toStdU16String()), ec);
        if (ec)
            return false;
        out.setAutoRemove(false);
        return true;
    }
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
    return true;
}

bool escribeAtomico(const QString& ruta, const QByteArray& contenido, bool privado) {
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

bool agregaLinea(const QString& ruta, const QString& linea) {
    QFile f(ruta);
    if (!f.open(QIODevice::ReadWrite | QIODevice::Append))
        return false;
    QByteArray b = ansi::codifica(linea) + "\r\n";
    // A file cut short by a crash or a full disk ends mid-line: the new line
    // starts a line of its own instead of joining the broken one.
    char ultimo = '\n';
    if (f.size() > 0 && (!f.seek(f.size() - 1) || !f.getChar(&ultimo)))
        return false;
    if (ultimo != '\n')
        b.prepend(ultimo == '\r' ? "\n" : "\r\n");
    return f.write(b) == b.size() && f.flush();
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

#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

// File system helpers shared by every subsystem. Local paths are joined with
// the platform separator; remote names always use "/".
namespace korva {

enum class Plataforma { Posix, Windows };

#ifdef Q_OS_WIN
inline constexpr Plataforma kPlataforma = Plataforma::Windows;
#else
inline constexpr Plataforma kPlataforma = Plataforma::Posix;
#endif

namespace fs {

QChar separador(Plataforma p = kPlataforma);
// Joins a folder and a name with exactly the separator between them.
QString une(const QString& carpeta, const QString& nombre, Plataforma p = kPlataforma);

bool existeArchivo(const QString& ruta);
// The name itself, never what a link at it leads to: a plain file, a link.
bool esRegular(const QString& ruta);
bool esEnlace(const QString& ruta);
// The path of `nombre` in the folder, found regardless of case where the
// file system tells case apart (names of files to send are lower-cased
// while the file on disk may be "M4321123.045"); the plain join when none.
QString rutaSinMayusculas(const QString& carpeta, const QString& nombre, Plataforma p = kPlataforma);
bool existeCarpeta(const QString& ruta);

// Read-only means no write bit at all (owner, group, other). Checked by the
// program itself: unlink ignores it and root may write anyway. Both look at
// the name itself: a link is never read-only, and its target's mode is not
// the program's to change (ponSoloLectura refuses it).
bool soloLectura(const QString& ruta);
bool ponSoloLectura(const QString& ruta, bool soloLectura);

// Opens a plain file for reading, never through a link, so a link planted in
// an office folder cannot hand out what it leads to.
bool abreLectura(QFile& archivo);

// Whether a copy is on the disk before copia returns. A caller that deletes
// the source next needs it; a copy beside a source that stays does not, and
// waiting for the disk costs more than uploading the file.
enum class Sincroniza { Si, No };

// Copies a plain file (never read through a link) over whatever the target
// holds; the target appears complete or not at all, and keeps the source's
// modification time. The copy is no more readable than its source. A
// read-only target is refused. The copy is renamed over the name itself: a
// link there is replaced, its target untouched, and `enlace` says so.
bool copia(const QString& origen, const QString& destino, Sincroniza s = Sincroniza::Si,
           bool* enlace = nullptr);

// Writes a whole file through a temporary in the same folder and a rename;
// a link at the name is replaced, never written through.
// privado: POSIX mode 0600 (the file holds passwords).
bool escribeAtomico(const QString& ruta, const QByteArray& contenido, bool privado = false);

bool borra(const QString& ruta);
bool creaCarpeta(const QString& ruta);

// Reads a text file of the code page; ok is false when it cannot be read.
QStringList leeLineas(const QString& ruta, bool* ok = nullptr);
// Appends one line ended by CR LF, creating the file when missing; a link at
// the name is refused, never written through.
bool agregaLinea(const QString& ruta, const QString& linea);

// A text file held open for appending lines, as agregaLinea writes them, for
// a writer that must know it can write before it acts.
class Anexo {
public:
    bool abre(const QString& ruta);
    bool abierto() const { return archivo_.isOpen(); }
    bool agrega(const QString& linea);

private:
    QFile archivo_;
    // What the next line needs before it to start a line of its own: the file
    // ended mid-line, or a line was written in part.
    QByteArray separador_;
};
// Whole lines, each ended by CR LF.
QByteArray comoTexto(const QStringList& lineas);

struct Entrada {
    QString nombre;
    qint64 tamano = 0;
    qint64 segundos = 0; // modification time, seconds since the epoch
    // Local time, to the second (converted on demand: the zone lookup is the
    // dearest part of listing a large folder).
    QDateTime modificado() const { return QDateTime::fromSecsSinceEpoch(segundos); }
    bool carpeta = false;
    bool regular = false; // a plain file, not a link
    bool enlace = false;
    bool soloLectura = false;
    bool oculto = false; // name begins with "."
};

// Lists a folder first, so callers act on a fixed list: deleting while a
// directory iterator runs would return entries already gone.
// Tipo: names and kinds only (no size, time or attribute), which the file
// system gives without a stat per entry; for the lists rebuilt every cycle.
enum class Detalle { Completo, Tipo };
QList<Entrada> lista(const QString& carpeta, Detalle detalle = Detalle::Completo);

} // namespace fs
} // namespace korva

#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

#ifdef Q_OS_WIN
class QSaveFile;
#endif

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

// Why the last operation of this module failed, in the broker's words ("no
// hay espacio en el disco", "es un enlace", …); empty after a success.
QString ultimaCausa();

// How much of each kind of file the program reads of its own. A file past
// its bound is damage or a trap (a link to /dev/zero), never read whole.
namespace limite {
inline constexpr qint64 kConfiguracion = qint64(64)
                                         << 10;       // odbc<n>.reg, its backups, usuarios.*, centros-tls.dat
inline constexpr qint64 kAviso = qint64(1) << 20;     // aviso.gen, aviso.txt, server.dat
inline constexpr qint64 kRegistro = qint64(64) << 20; // bitacora, the daily log
inline constexpr qint64 kArchivo = qint64(64) << 20;  // a validation file rewritten before signing
} // namespace limite

// Reads a whole plain file of at most `limite` bytes, never through a link and
// never waiting on a FIFO or a device; false (with ultimaCausa) otherwise.
bool lee(const QString& ruta, qint64 limite, QByteArray* datos);
// The same, as lines of the code page; ok is false when it cannot be read
// (missing included: callers tell a missing file from a damaged one).
QStringList leeLineas(const QString& ruta, qint64 limite, bool* ok = nullptr);

// Whether a copy is on the disk before copia returns. A caller that deletes
// the source next needs it; a copy beside a source that stays may leave it to
// the system, since the source is still there if the copy is lost.
enum class Sincroniza { Si, No };

// The one way a whole file is written: into a temporary beside the target,
// every write checked, synced, and renamed over the name only when complete.
// A crash or a full disk leaves the old file or the new one, never a torn or
// empty one; a link at the name is replaced, never written through; a
// Reemplazo dropped unconfirmed removes its temporary.
class Reemplazo {
public:
    enum class Permisos {
        Publicos, // as the file there has them, else readable by all
        Privados, // owner only (the file holds passwords)
    };
    explicit Reemplazo(QString destino, Permisos p = Permisos::Publicos);
    ~Reemplazo();
    Reemplazo(const Reemplazo&) = delete;
    Reemplazo& operator=(const Reemplazo&) = delete;

    bool abre();
    bool abierto() const;
    bool escribe(const char* datos, qint64 n);
    bool escribe(const QByteArray& datos) { return escribe(datos.constData(), datos.size()); }
    // Read permission for group and others only where `modoOrigen` has it
    // (a copy is no more readable than its source).
    void limitaLecturaA(unsigned modoOrigen);
    // The modification time the file gets (seconds and nanoseconds).
    void ponModificado(qint64 segundos, qint64 nanosegundos);
    bool confirma(Sincroniza s = Sincroniza::Si);
    void descarta();
    // Bytes written so far.
    qint64 escritos() const { return escritos_; }

private:
    QString destino_;
    Permisos permisos_;
    QByteArray temporal_;
    int fd_ = -1;
    unsigned lectura_ = 0044; // group and other read bits allowed
    bool conTiempo_ = false;
    qint64 seg_ = 0, nseg_ = 0;
    int errno_ = 0;
    qint64 escritos_ = 0;
#ifdef Q_OS_WIN
    QSaveFile* guardado_ = nullptr;
#endif
};

// The temporaries Reemplazo leaves only when killed: ".<name>~" and six
// letters or digits, a digit first and fourth.
inline constexpr const char* kMarcaTemporal = "~";
QString nombreTemporal(const QString& destino);
// Longest name a target may have for its temporary to fit in 255 bytes.
inline constexpr qsizetype kLargoNombreMaximo = 255 - 1 - 1 - 6;
bool esTemporal(const QString& nombre);
// Removes the temporaries of a folder that no running write can own any more
// (older than `segundos`); how many were removed.
int quitaTemporales(const QString& carpeta, qint64 segundos = 600);

// Copies a plain file (never read through a link) over whatever the target
// holds through a Reemplazo; the copy keeps the source's modification time
// and is no more readable than its source. A read-only target is refused.
// A link at the target is replaced, its target untouched, and `enlace` says so.
bool copia(const QString& origen, const QString& destino, Sincroniza s = Sincroniza::Si,
           bool* enlace = nullptr);

// Writes a whole file through a Reemplazo. privado: POSIX mode 0600.
bool escribeAtomico(const QString& ruta, const QByteArray& contenido, bool privado = false);

// Renames a plain file (never a link) over a name: the one step of moving a
// complete file into place.
bool renombra(const QString& de, const QString& a);

bool borra(const QString& ruta);
bool creaCarpeta(const QString& ruta);
// A folder that is the name itself, not a link to one elsewhere.
bool esCarpetaReal(const QString& ruta);
// Whether two paths name the same folder (device and inode), however spelt.
bool mismaCarpeta(const QString& a, const QString& b);

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

// What a file is at a moment, at the file system's full resolution: how the
// program tells that a file it took was written to since.
struct Huella {
    qint64 tamano = -1; // -1: no plain file there
    qint64 segundos = 0;
    qint64 nanosegundos = 0;
    quint64 inodo = 0;
    bool operator==(const Huella&) const = default;
    bool existe() const { return tamano >= 0; }
    QDateTime modificado() const;
};
// Of the name itself: a link, a folder or nothing give no plain file.
Huella huella(const QString& ruta);
// Whether the file has gone unchanged for at least `ms` by its own time: its
// last write lies that far behind the present of the system's clock.
bool quieto(const Huella& h, int ms);

// A file held open as it was when the program took it, so that one replaced
// under its name (a rewrite, the signing) can be looked at and put back: the
// broker's software may still be writing to it.
class Original {
public:
    Original() = default;
    ~Original();
    Original(const Original&) = delete;
    Original& operator=(const Original&) = delete;
    // A plain file, never through a link.
    bool abre(const QString& ruta);
    // What the held file is now, whatever its name holds.
    Huella huella() const;
    // Puts the held file back under the name: the same file where the system
    // allows (what its writer still writes lands there), else a copy of it.
    bool restaura();

private:
    QString ruta_;
    int fd_ = -1;
    QByteArray enlace_; // the file's second, hidden name
};

struct Entrada {
    QString nombre;
    qint64 tamano = 0;
    qint64 segundos = 0; // modification time, seconds since the epoch
    qint64 nanosegundos = 0;
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

#pragma once

#include <QDateTime>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

#include "platform/fs.h"

namespace korva {

struct Contexto;
class EstadoPrincipal;

// --- daily log ---------------------------------------------------------------

// patent + day of the year without leading zeros + ".log": «432145.log».
QString nombreLog(const QString& patente, int dia);
// Today's log in the receive folder, built afresh from the current slots and
// day so the first write after midnight opens the new day's file.
QString rutaLog(const EstadoPrincipal& st);

enum class EventoLog { Enviado, Recibido };

// The writers' contract: appends "E - name - HH:mm:ss" (or "R - ...") to
// today's log and adds "name - HH:mm:ss" to the sent (or received) list.
// False when the log could not be written; the list entry is added anyway,
// since the file did go (or come).
bool registraEnLog(Contexto& ctx, EventoLog evento, const QString& nombre);

// Length of the name inside a log line: 15 for s, x, f, a names (either
// case) without "." in the name's ninth place, 12 otherwise.
int longitudNombreLog(const QString& linea);

// Rebuilds the sent and received lists from today's log.
void CargaBitacora(Contexto& ctx);

// --- sent-files register `bitacora` -------------------------------------------

// The register's one date-time text, written and compared alike.
QString textoFechaBitacora(const QDateTime& t);
QString rutaRegistro(const EstadoPrincipal& st);
// name + "|" + modification date-time.
QString lineaBitacora(const QString& nombre, const QDateTime& modificado);
// Appends one line; the name as the sending step holds it (lower case).
bool agregaBitacora(const EstadoPrincipal& st, const QString& nombre, const QDateTime& modificado);
// Appends `linea` to the open register; a line it cannot take (a full disk)
// is kept, read with the register so the file is not sent again, and
// written as soon as it takes lines. Kept in the program folder too, which
// a full send folder does not fill, so a run that ends meanwhile loses none.
// False when kept.
bool registraLinea(Contexto& ctx, fs::Anexo& registro, const QString& linea);
// Writes the kept lines, in order, while the register takes them.
void registraAtrasadas(Contexto& ctx, fs::Anexo& registro);
// The start-up takes back the lines an earlier run kept for this register.
void recuperaAtrasadas(Contexto& ctx);
// The purge cut the register down to the lines `queda` keeps: the kept
// lines likewise.
void descartaAtrasadas(Contexto& ctx, const std::function<bool(const QString&)>& queda);
// The program folder's file of the lines kept for this register.
QString rutaAtrasadas(const Contexto& ctx);

// The register loaded whole (the hidden list LstBitacora), indexed so each
// candidate of a sending pass is one lookup, not a scan of every line.
class LstBitacora {
public:
    // False when the register is there but cannot be read: every file would
    // look unsent.
    bool carga(const EstadoPrincipal& st);
    const QStringList& items() const { return items_; }
    // Same name and same modification time: already sent (or struck off) today.
    bool contiene(const QString& nombre, const QDateTime& modificado) const;
    // Keeps the loaded copy in step with a line just appended to the file.
    void agrega(const QString& nombre, const QDateTime& modificado);

private:
    QStringList items_;
    QSet<QString> indice_;
};

} // namespace korva

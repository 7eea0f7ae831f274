#pragma once

#include <QString>

namespace korva {

struct Contexto;

// Once a new day begins (today's log does not exist yet): removes this
// patent's files of earlier days, keeps copies of the earlier responses,
// error files and logs in Respalda, keeps twenty days of sent files and
// empties the day's lists. Read-only files, links, hidden files and
// sub-folders are never touched; a receive-folder file is deleted only once
// its copy is safe. A file that cannot be copied or deleted is named on the
// status line and the purge goes on with the next one.
void DepuraArchivos(Contexto& ctx);

// Which files of the sent folder go: d is the file's day, N today's.
bool enviadoCaduco(int d, int N);

// Where a name carries the patent, by folder kind.
QString patenteBase(const QString& nombre);      // send folder, Pend, Rechaza, receive folder and routes
QString patenteRutaEnvio(const QString& nombre); // additional send folders

} // namespace korva

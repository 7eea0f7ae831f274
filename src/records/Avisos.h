#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace korva {

struct Contexto;
class EstadoPrincipal;

// The centre's general notices (aviso.gen) for the notices list: lines end at
// CR LF or CR; a bare LF inside a line splits it too, an empty piece between
// two LFs is kept and an empty remainder after the last one is not.
QStringList avisosGenerales(const QByteArray& contenido);
// The particular notice (aviso.txt) as written, on one running text: each
// line, its leading blanks skipped, and each LF-separated piece follows the
// previous one after one blank.
QString avisoParticular(const QByteArray& contenido);

void CargaAvisos(Contexto& ctx);
// Without aviso.txt the label keeps its text, as a download without one
// leaves it; the day change, whose purge deleted yesterday's, empties it.
enum class SinAviso { Conserva, Borra };
void CargaAvisoParticular(Contexto& ctx, SinAviso sinAviso = SinAviso::Conserva);
// Next notice on the notice line, in turn; "**" notices in red.
void RotaAvisos(EstadoPrincipal& st);

} // namespace korva

#pragma once

#include <QByteArray>
#include <QString>

namespace korva {

class EstadoPrincipal;

// Before a type "m" file is signed: its record 801 keeps its first four
// fields and gets the prevalidator key (slot 24) as the fifth, and records
// separated by lone LF come out one per line, each ended by CR LF.
// The file is replaced whole or not at all: false (fs::ultimaCausa says why)
// when it could not be read or written, and it is then as it was.
bool PreparaRegistro801(EstadoPrincipal& st, const QString& Archivo);

// The rewrite itself. caracteres500: the length of a regular first record
// (slot 17); clave: slot 24.
QByteArray reescribe801(const QByteArray& contenido, double caracteres500, const QByteArray& clave);

} // namespace korva

#pragma once

#include <QString>

namespace korva {

class EstadoPrincipal;
class Reloj;

// How a file name is taken apart: type letter, patent, folio, Julian day.
// The name tests are safe on any string; a name too short for its layout
// fails them.

// The layout of a name: its expected length (12 or 15) and the correction of
// its prefix length (1, 0 or -3), as its first and ninth characters give them.
struct FormaNombre {
    qint16 LongitudNombre = 12;
    qint16 AjustePrefijo = 0;
};

// Layout for a type letter alone: length 12 or 15 and its correction.
FormaNombre numLetras(const QString& Letra);

// Today's Julian day: 1 on 1 January, 365 or 366 on 31 December.
qint16 Get_Juliano(const Reloj& reloj);

// The layout of one name: numLetras of its first character, then the
// 9th-character correction.
FormaNombre preparaNombre(const QString& nombre);

// Parts of a name, by its own layout. Empty when the name is too short to
// hold the part.
QString prefijoDe(const QString& nombre);
QString patenteDe(const QString& nombre);
QString folioDe(const QString& nombre);
QString diaDe(const QString& nombre);

// The tests of the outgoing pass and the lists.
bool pruebaJuliano(const EstadoPrincipal& st, const QString& nombre);
bool pruebaPatente(const EstadoPrincipal& st, const QString& nombre);
bool pruebaFolio(const EstadoPrincipal& st, const QString& nombre);
// First character, lower-cased, is one of the type letters of slot 10.
bool esTipoValidacion(const EstadoPrincipal& st, const QString& nombre);

// Document type code handed to the signature library; 100: not signable.
quint8 TipoDocumento(const QString& nombre);
inline constexpr quint8 kNoFirmable = 100;

} // namespace korva

#pragma once

#include <QString>

namespace korva {

class MainState;
class Reloj;

// How a file name is taken apart: type letter, patent, folio, Julian day.
// The name tests are safe on any string; a name too short for its layout
// fails them.

// Expected name length for a type letter (12 or 15); sets AjustePrefijo.
qint16 numLetras(MainState& st, const QString& Letra);

// Today's Julian day: 1 on 1 January, 365 or 366 on 31 December.
qint16 Get_Juliano(const Reloj& reloj);

// The calling order every caller follows for one name: numLetras of the
// first character into LongitudNombre, then the 9th-character correction.
void preparaNombre(MainState& st, const QString& nombre);

// Parts of the name in hand, by LongitudNombre and AjustePrefijo as the
// caller left them. Empty when the name is too short to hold the part.
QString prefijoDe(const MainState& st, const QString& nombre);
QString patenteDe(const MainState& st, const QString& nombre);
QString folioDe(const MainState& st, const QString& nombre);
QString diaDe(const QString& nombre);

// The tests of the outgoing pass and the lists (after preparaNombre).
bool pruebaJuliano(const MainState& st, const QString& nombre);
bool pruebaPatente(const MainState& st, const QString& nombre);
bool pruebaFolio(const MainState& st, const QString& nombre);
// First character, lower-cased, is one of the type letters of slot 10.
bool esTipoValidacion(const MainState& st, const QString& nombre);

// Document type code handed to the signature library; 100: not signable.
quint8 TipoDocumento(const QString& nombre);
inline constexpr quint8 kNoFirmable = 100;

} // namespace korva

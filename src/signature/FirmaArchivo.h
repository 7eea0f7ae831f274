#pragma once

#include <QString>
#include <QtGlobal>

namespace korva {

struct Contexto;

// Signs a file in place with the KEY, CER and password of the configuration
// (slots 13, 14, 15) through the signature library. 0 = signed; anything
// else = not signed, and the user has been told unless the library's search
// for signers failed with a code of its own.
qint32 FirmaArchivo(Contexto& ctx, const QString& ArchivoFirmar, quint8 ArchivoTipo);

// The message for a result of GeneraFirmaDigitalG other than 0.
QString textoErrorFirma(qint32 codigo, const QString& archivo);

} // namespace korva

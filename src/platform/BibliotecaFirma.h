#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <array>
#include <memory>

namespace korva {

// One signer record as it crosses into the signature library: single-byte
// characters, fixed fields, no padding between fields or records.
struct DatosFirmante {
    char Curp[19];
    char ArchivoKey[256];
    char ArchivoCer[256];
    char Contrasena[256];
};
static_assert(sizeof(DatosFirmante) == 787, "the library reads 787-byte records");

// Always exactly five, created all NUL for each call.
using Firmantes = std::array<DatosFirmante, 5>;
static_assert(sizeof(Firmantes) == 5 * 787, "records travel back to back");

// The signature library's two calls. The real one is loaded by name at run
// time; a missing library is a reported condition, never a crash.
class BibliotecaFirma {
public:
    virtual ~BibliotecaFirma() = default;

    // Loads the library when needed. Empty when it is usable; otherwise the
    // reason, for the user.
    virtual QString disponible() = 0;

    virtual qint32 BuscaCurpsG(const QByteArray& archivo, quint8 tipoDocumento, Firmantes& firmantes) = 0;
    virtual qint32 GeneraFirmaDigitalG(const QByteArray& archivo, quint8 tipoDocumento,
                                       Firmantes& firmantes) = 0;
};

// The library "sgenc" found by name in the given folder (the program's own,
// beside the executable), loaded on first use.
std::unique_ptr<BibliotecaFirma> abreBibliotecaFirma(const QString& carpeta);

} // namespace korva

#pragma once

#include <QByteArray>
#include <QString>

#include <openssl/evp.h>

namespace korva::test {

// Throwaway keys and certificates made at test time, shaped as the
// authority issues them: CURP in the subject's serialNumber, the serial's
// bytes being ASCII digits.
class Certificados {
public:
    Certificados();
    ~Certificados();
    Certificados(const Certificados&) = delete;
    Certificados& operator=(const Certificados&) = delete;

    // Valid from `desde` to `hasta` seconds around now, for the given key.
    QByteArray certificadoDer(bool otraLlave, long desde, long hasta, const QByteArray& serie,
                              const QByteArray& curp) const;
    QByteArray certificadoPem(const QByteArray& der) const;
    // PKCS#8 encrypted with the password (AES-256, PBKDF2).
    QByteArray llaveDer(bool otraLlave, const QByteArray& contrasena) const;
    QByteArray llavePem(bool otraLlave, const QByteArray& contrasena) const;

private:
    EVP_PKEY* llave_ = nullptr;
    EVP_PKEY* otra_ = nullptr;
};

} // namespace korva::test

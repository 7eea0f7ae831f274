#include "Certificados.h"

#include "Archivos.h"

#include <QFile>

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

namespace korva::test {

namespace {
QByteArray bioBytes(BIO* bio) {
    char* datos = nullptr;
    const long n = BIO_get_mem_data(bio, &datos);
    QByteArray b(datos, static_cast<qsizetype>(n));
    BIO_free(bio);
    return b;
}
} // namespace

Certificados::Certificados() : llave_(EVP_RSA_gen(2048)), otra_(EVP_RSA_gen(2048)) {}

Certificados::~Certificados() {
    EVP_PKEY_free(llave_);
    EVP_PKEY_free(otra_);
}

QByteArray Certificados::certificadoDer(bool otraLlave, long desde, long hasta, const QByteArray& serie,
                                        const QByteArray& curp) const {
    EVP_PKEY* k = otraLlave ? otra_ : llave_;
    X509* x = X509_new();
    X509_set_version(x, 2);
    BIGNUM* bn = BN_bin2bn(reinterpret_cast<const unsigned char*>(serie.constData()),
                           static_cast<int>(serie.size()), nullptr);
    BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(x));
    BN_free(bn);
    X509_gmtime_adj(X509_getm_notBefore(x), desde);
    X509_gmtime_adj(X509_getm_notAfter(x), hasta);
    X509_NAME* n = X509_get_subject_name(x);
    X509_NAME_add_entry_by_txt(n, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("AGENTE ADUANAL DE PRUEBA"), -1, -1, 0);
    X509_NAME_add_entry_by_NID(n, NID_serialNumber, MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(curp.constData()), -1, -1, 0);
    X509_set_issuer_name(x, n);
    X509_set_pubkey(x, k);
    X509_sign(x, k, EVP_sha256());
    unsigned char* der = nullptr;
    const int largo = i2d_X509(x, &der);
    QByteArray b(reinterpret_cast<const char*>(der), largo);
    OPENSSL_free(der);
    X509_free(x);
    return b;
}

QByteArray Certificados::certificadoPem(const QByteArray& der) const {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(der.constData());
    X509* x = d2i_X509(nullptr, &p, der.size());
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(bio, x);
    X509_free(x);
    return bioBytes(bio);
}

QByteArray Certificados::llaveDer(bool otraLlave, const QByteArray& contrasena) const {
    BIO* bio = BIO_new(BIO_s_mem());
    i2d_PKCS8PrivateKey_bio(bio, otraLlave ? otra_ : llave_, EVP_aes_256_cbc(), contrasena.constData(),
                            static_cast<int>(contrasena.size()), nullptr, nullptr);
    return bioBytes(bio);
}

QByteArray Certificados::llavePem(bool otraLlave, const QByteArray& contrasena) const {
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_PKCS8PrivateKey(bio, otraLlave ? otra_ : llave_, EVP_aes_256_cbc(), contrasena.constData(),
                                  static_cast<int>(contrasena.size()), nullptr, nullptr);
    return bioBytes(bio);
}

} // namespace korva::test

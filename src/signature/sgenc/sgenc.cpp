// The signature library: finds signers and signs validation files with
// OpenSSL. Plain C++ and libcrypto only, so a broker's machine needs no Qt
// to load it and a certified library of the same interface can replace it.
#include "sgenc.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/pkcs12.h>
#include <openssl/x509.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace {

namespace stdfs = std::filesystem;

struct Linea {
    std::string texto; // without its line end
    std::string fin;   // "\r\n", "\n" or "" for a last line without one
};

// Reads a whole file. 0 = read; 1 = not there; 2 = there but unreadable.
int leeArchivo(const std::string& ruta, std::string& bytes) {
    std::error_code ec;
    if (ruta.empty() || !stdfs::exists(ruta, ec))
        return 1;
    if (stdfs::is_directory(ruta, ec))
        return 2;
    std::FILE* f = std::fopen(ruta.c_str(), "rb");
    if (!f)
        return 2;
    bytes.clear();
    char buf[1 << 15];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        bytes.append(buf, n);
    const bool error = std::ferror(f) != 0;
    std::fclose(f);
    return error ? 2 : 0;
}

// The validation file's bytes: 0, or the library's code for a file that is
// missing or cannot be read.
int32_t leeValidacion(const std::string& ruta, std::string& bytes) {
    switch (leeArchivo(ruta, bytes)) {
    case 1:
        return SGENC_NO_ARCHIVO;
    case 2:
        return SGENC_LECTURA;
    default:
        return 0;
    }
}

std::vector<Linea> partirLineas(const std::string& bytes) {
    std::vector<Linea> out;
    size_t i = 0;
    while (i < bytes.size()) {
        const size_t lf = bytes.find('\n', i);
        if (lf == std::string::npos) {
            out.push_back({bytes.substr(i), ""});
            break;
        }
        size_t finTexto = lf;
        if (finTexto > i && bytes[finTexto - 1] == '\r')
            --finTexto;
        out.push_back({bytes.substr(i, finTexto - i), bytes.substr(finTexto, lf + 1 - finTexto)});
        i = lf + 1;
    }
    return out;
}

std::vector<std::string> campos(const std::string& texto) {
    std::vector<std::string> out;
    size_t i = 0;
    for (;;) {
        const size_t p = texto.find('|', i);
        if (p == std::string::npos) {
            out.push_back(texto.substr(i));
            return out;
        }
        out.push_back(texto.substr(i, p - i));
        i = p + 1;
    }
}

std::string une(const std::vector<std::string>& f) {
    std::string s;
    for (size_t i = 0; i < f.size(); ++i) {
        if (i)
            s += '|';
        s += f[i];
    }
    return s;
}

std::string tipoRegistro(const std::string& texto) { return texto.substr(0, texto.find('|')); }

bool mayuscula(char c) { return c >= 'A' && c <= 'Z'; }
bool digito(char c) { return c >= '0' && c <= '9'; }

// One of the characters of `conjunto`; NUL never is (strchr would find the terminator).
bool unoDe(const char* conjunto, char c) { return c != '\0' && std::strchr(conjunto, c) != nullptr; }

// [A-Z][AEIOUX][A-Z]{2}[0-9]{2}(0[1-9]|1[012])(0[1-9]|[12][0-9]|3[01])[MHX][A-Z]{5}[0-9A-Z][0-9]
bool esCurp(const std::string& s) {
    if (s.size() != 18)
        return false;
    if (!mayuscula(s[0]) || !unoDe("AEIOUX", s[1]) || !mayuscula(s[2]) || !mayuscula(s[3]))
        return false;
    if (!digito(s[4]) || !digito(s[5]))
        return false;
    const int mes = (digito(s[6]) && digito(s[7])) ? (s[6] - '0') * 10 + (s[7] - '0') : 0;
    const int dia = (digito(s[8]) && digito(s[9])) ? (s[8] - '0') * 10 + (s[9] - '0') : 0;
    if (mes < 1 || mes > 12 || dia < 1 || dia > 31 || !unoDe("MHX", s[10]))
        return false;
    for (int i = 11; i < 16; ++i)
        if (!mayuscula(s[i]))
            return false;
    return (mayuscula(s[16]) || digito(s[16])) && digito(s[17]);
}

// A text field ends at its first NUL or at its end; the caller pads with blanks after the NUL.
std::string campoTexto(const char* campo, size_t largo) {
    size_t n = 0;
    while (n < largo && campo[n] != '\0')
        ++n;
    return std::string(campo, n);
}

// CURP of a pedimento's or file's "501" record (field 10), empty when none.
std::string curp501(const std::string& texto) {
    if (tipoRegistro(texto) != "501")
        return {};
    const auto f = campos(texto);
    return f.size() >= 10 && esCurp(f[9]) ? f[9] : std::string();
}

std::vector<std::string> buscaFirmantes(const std::vector<Linea>& lineas) {
    std::vector<std::string> curps;
    auto agrega = [&](const std::string& c) {
        if (curps.size() < SGENC_FIRMANTES && std::find(curps.begin(), curps.end(), c) == curps.end())
            curps.push_back(c);
    };
    bool hay501 = false;
    for (const Linea& l : lineas) {
        if (tipoRegistro(l.texto) != "501")
            continue;
        hay501 = true;
        const std::string c = curp501(l.texto);
        if (!c.empty())
            agrega(c);
    }
    if (!hay501)
        for (const Linea& l : lineas)
            for (const std::string& f : campos(l.texto))
                if (esCurp(f))
                    agrega(f);
    return curps;
}

struct LiberaLlave {
    void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
struct LiberaX509 {
    void operator()(X509* c) const { X509_free(c); }
};
using Llave = std::unique_ptr<EVP_PKEY, LiberaLlave>;
using Certificado = std::unique_ptr<X509, LiberaX509>;

bool esPem(const std::string& bytes) { return bytes.find("-----BEGIN") != std::string::npos; }

// 0, or 2 (no KEY), 3 (wrong password), 6 (not a key).
int cargaLlave(const std::string& ruta, const std::string& contrasena, Llave& llave) {
    std::string bytes;
    if (leeArchivo(ruta, bytes) != 0)
        return SGENC_NO_KEY;
    X509_SIG* p8 = nullptr;
    if (esPem(bytes)) {
        BIO* bio = BIO_new_mem_buf(bytes.data(), static_cast<int>(bytes.size()));
        p8 = PEM_read_bio_PKCS8(bio, nullptr, nullptr, nullptr);
        BIO_free(bio);
    } else {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
        p8 = d2i_X509_SIG(nullptr, &p, static_cast<long>(bytes.size()));
    }
    if (!p8)
        return SGENC_LLAVE;
    PKCS8_PRIV_KEY_INFO* info = PKCS8_decrypt(p8, contrasena.c_str(), static_cast<int>(contrasena.size()));
    X509_SIG_free(p8);
    if (!info)
        return SGENC_CONTRASENA;
    llave.reset(EVP_PKCS82PKEY(info));
    PKCS8_PRIV_KEY_INFO_free(info);
    return llave ? SGENC_OK : SGENC_LLAVE;
}

// 0, or 11 (no certificate).
int cargaCertificado(const std::string& ruta, Certificado& cert) {
    std::string bytes;
    if (leeArchivo(ruta, bytes) != 0)
        return SGENC_CERTIFICADO;
    if (esPem(bytes)) {
        BIO* bio = BIO_new_mem_buf(bytes.data(), static_cast<int>(bytes.size()));
        cert.reset(PEM_read_bio_X509(bio, nullptr, nullptr, nullptr));
        BIO_free(bio);
    } else {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
        cert.reset(d2i_X509(nullptr, &p, static_cast<long>(bytes.size())));
    }
    return cert ? SGENC_OK : SGENC_CERTIFICADO;
}

// The authority writes the serial as ASCII digits inside the serial's bytes.
std::string serieCertificado(X509* cert) {
    BIGNUM* bn = ASN1_INTEGER_to_BN(X509_get0_serialNumber(cert), nullptr);
    if (!bn)
        return {};
    std::vector<unsigned char> b(static_cast<size_t>(BN_num_bytes(bn)));
    BN_bn2bin(bn, b.data());
    std::string texto(b.begin(), b.end());
    bool digitos = !texto.empty();
    for (char c : texto)
        digitos = digitos && digito(c);
    if (!digitos) {
        char* hex = BN_bn2hex(bn);
        texto = hex ? hex : "";
        OPENSSL_free(hex);
    }
    BN_free(bn);
    return texto;
}

// The bytes a signature covers: each record's text followed by CR LF.
std::string contenido(const std::vector<Linea>& lineas, size_t desde, size_t hasta) {
    std::string s;
    for (size_t i = desde; i < hasta; ++i) {
        s += lineas[i].texto;
        s += "\r\n";
    }
    return s;
}

bool firma(EVP_PKEY* llave, const std::string& datos, std::string& base64) {
    EVP_MD_CTX* md = EVP_MD_CTX_new();
    size_t largo = 0;
    std::vector<unsigned char> sig;
    bool ok = md && EVP_DigestSignInit(md, nullptr, EVP_sha256(), nullptr, llave) == 1 &&
              EVP_DigestSign(md, nullptr, &largo, reinterpret_cast<const unsigned char*>(datos.data()),
                             datos.size()) == 1;
    if (ok) {
        sig.resize(largo);
        ok = EVP_DigestSign(md, sig.data(), &largo, reinterpret_cast<const unsigned char*>(datos.data()),
                            datos.size()) == 1;
    }
    EVP_MD_CTX_free(md);
    if (!ok)
        return false;
    std::string out(4 * ((largo + 2) / 3) + 1, '\0');
    const int n =
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), sig.data(), static_cast<int>(largo));
    out.resize(static_cast<size_t>(n));
    base64 = out;
    return true;
}

bool verifica(EVP_PKEY* publica, const std::string& datos, const std::string& base64) {
    if (base64.empty() || base64.size() % 4 != 0)
        return false;
    std::vector<unsigned char> sig(base64.size() / 4 * 3);
    const int n = EVP_DecodeBlock(sig.data(), reinterpret_cast<const unsigned char*>(base64.data()),
                                  static_cast<int>(base64.size()));
    if (n < 0)
        return false;
    size_t largo = static_cast<size_t>(n);
    for (size_t i = base64.size(); i > 0 && base64[i - 1] == '=' && largo > 0; --i)
        --largo;
    EVP_MD_CTX* md = EVP_MD_CTX_new();
    const bool ok = md && EVP_DigestVerifyInit(md, nullptr, EVP_sha256(), nullptr, publica) == 1 &&
                    EVP_DigestVerify(md, sig.data(), largo,
                                     reinterpret_cast<const unsigned char*>(datos.data()), datos.size()) == 1;
    EVP_MD_CTX_free(md);
    return ok;
}

struct Pedimento {
    size_t inicio; // its "500"
    size_t fin;    // its "800"
};

std::vector<Pedimento> pedimentos(const std::vector<Linea>& lineas) {
    std::vector<Pedimento> out;
    bool abierto = false;
    size_t inicio = 0;
    for (size_t i = 0; i < lineas.size(); ++i) {
        const std::string t = tipoRegistro(lineas[i].texto);
        if (t == "500") {
            abierto = true;
            inicio = i;
        } else if (t == "800" && abierto) {
            out.push_back({inicio, i});
            abierto = false;
        }
    }
    return out;
}

constexpr const char* kRegistroFirma = "FIRMA";

// Index of a trailing signature record, or lineas.size() when there is none.
size_t registroFirmaFinal(const std::vector<Linea>& lineas) {
    size_t i = lineas.size();
    while (i > 0 && lineas[i - 1].texto.empty())
        --i;
    if (i > 0 && tipoRegistro(lineas[i - 1].texto) == kRegistroFirma)
        return i - 1;
    return lineas.size();
}

std::string unePartes(const std::vector<Linea>& lineas) {
    std::string s;
    for (const Linea& l : lineas)
        s += l.texto + l.fin;
    return s;
}

// Writes through a temporary in the same folder and a rename: 0, 4 or 8.
int reemplaza(const std::string& ruta, const std::string& bytes) {
    std::error_code ec;
    const auto original = stdfs::status(ruta, ec).permissions();
    const bool soloLectura = !ec && (original & (stdfs::perms::owner_write | stdfs::perms::group_write |
                                                 stdfs::perms::others_write)) == stdfs::perms::none;
    std::random_device rd;
    std::string temporal;
    std::FILE* f = nullptr;
    // Hidden, ".<name>~" and six letters or digits (the first and fourth
    // digits), as the program names its own: one left by a
    // kill is removed at its next start.
    static const char kAlfabeto[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const stdfs::path p(ruta);
    for (int intento = 0; intento < 8 && !f; ++intento) {
        std::string sufijo;
        for (int i = 0; i < 6; ++i)
            sufijo += (i == 0 || i == 3) ? char('0' + rd() % 10) : kAlfabeto[rd() % (sizeof kAlfabeto - 1)];
        temporal = (p.parent_path() / ("." + p.filename().string() + "~" + sufijo)).string();
        f = std::fopen(temporal.c_str(), "wbx");
    }
    if (!f)
        return SGENC_TEMPORAL;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && std::fflush(f) == 0;
#if !defined(_WIN32)
    ok = ok && ::fsync(fileno(f)) == 0;
#endif
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) {
        stdfs::remove(temporal, ec);
        return SGENC_TEMPORAL;
    }
    stdfs::permissions(temporal, original, ec);
    // A read-only file is not replaced, as the desktop refuses to rename over
    // one; POSIX alone would let the rename through.
    if (soloLectura)
        ec = std::make_error_code(std::errc::permission_denied);
    else
        stdfs::rename(temporal, ruta, ec);
    if (ec) {
        stdfs::remove(temporal, ec);
        return SGENC_RENOMBRE;
    }
    return SGENC_OK;
}

struct Credencial {
    std::string curp;
    Llave llave;
    Certificado cert;
    std::string serie;
};

// Loads and checks the KEY, CER and password of one record: 0 or a code.
int cargaCredencial(const SgencFirmante& r, Credencial& c) {
    c.curp = campoTexto(r.Curp, sizeof r.Curp);
    const std::string key = campoTexto(r.ArchivoKey, sizeof r.ArchivoKey);
    const std::string cer = campoTexto(r.ArchivoCer, sizeof r.ArchivoCer);
    const std::string pass = campoTexto(r.Contrasena, sizeof r.Contrasena);
    if (int rc = cargaLlave(key, pass, c.llave))
        return rc;
    if (int rc = cargaCertificado(cer, c.cert))
        return rc;
    if (X509_cmp_current_time(X509_get0_notBefore(c.cert.get())) >= 0 ||
        X509_cmp_current_time(X509_get0_notAfter(c.cert.get())) <= 0)
        return SGENC_VENCIDO;
    if (X509_check_private_key(c.cert.get(), c.llave.get()) != 1)
        return SGENC_LLAVE;
    c.serie = serieCertificado(c.cert.get());
    return SGENC_OK;
}

int32_t generaFirma(const char* archivo, uint8_t tipo, SgencFirmante* firmantes) {
    if (tipo != 0 && tipo != 1 && tipo != 2 && tipo != 6 && tipo != 7)
        return SGENC_TIPO;
    const std::string ruta = archivo ? archivo : "";
    std::string bytes;
    if (const int32_t rc = leeValidacion(ruta, bytes))
        return rc;
    if (!firmantes)
        return SGENC_SIN_FIRMANTE;

    std::vector<Credencial> creds;
    for (int i = 0; i < SGENC_FIRMANTES; ++i) {
        if (firmantes[i].Curp[0] == '\0')
            continue;
        Credencial c;
        if (int rc = cargaCredencial(firmantes[i], c))
            return rc;
        creds.push_back(std::move(c));
    }
    if (creds.empty())
        return SGENC_SIN_FIRMANTE;

    std::vector<Linea> lineas = partirLineas(bytes);
    int registros201 = 0;
    for (const Linea& l : lineas)
        if (tipoRegistro(l.texto) == "201")
            ++registros201;
    if (registros201 > 1)
        return SGENC_REGISTRO_201;

    const std::vector<Pedimento> peds = pedimentos(lineas);
    if (peds.empty()) {
        const size_t fin = registroFirmaFinal(lineas);
        std::string finLinea = "\r\n";
        if (fin < lineas.size()) {
            lineas.resize(fin);
        } else {
            while (!lineas.empty() && lineas.back().texto.empty())
                lineas.pop_back();
        }
        if (!lineas.empty()) {
            if (lineas.back().fin.empty())
                lineas.back().fin = finLinea;
            else
                finLinea = lineas.back().fin;
        }
        std::string sig;
        if (!firma(creds.front().llave.get(), contenido(lineas, 0, lineas.size()), sig))
            return SGENC_LLAVE;
        lineas.push_back({std::string(kRegistroFirma) + "|" + sig + "|" + creds.front().serie, finLinea});
    } else {
        for (const Pedimento& p : peds) {
            const Credencial* c = &creds.front();
            for (size_t i = p.inicio; i < p.fin; ++i) {
                const std::string curp = curp501(lineas[i].texto);
                if (curp.empty())
                    continue;
                for (const Credencial& o : creds)
                    if (o.curp == curp)
                        c = &o;
                break;
            }
            std::string sig;
            if (!firma(c->llave.get(), contenido(lineas, p.inicio, p.fin), sig))
                return SGENC_LLAVE;
            std::vector<std::string> f = campos(lineas[p.fin].texto);
            if (f.size() < 5)
                f.resize(5);
            f[3] = sig;
            f[4] = c->serie;
            lineas[p.fin].texto = une(f);
        }
    }
    return reemplaza(ruta, unePartes(lineas));
}

int32_t verificaFirmas(const char* archivo, const char* certificado) {
    std::string bytes;
    if (const int32_t rc = leeValidacion(archivo ? archivo : "", bytes))
        return rc;
    Certificado cert;
    if (cargaCertificado(certificado ? certificado : "", cert) != 0)
        return SGENC_CERTIFICADO;
    EVP_PKEY* publica = X509_get0_pubkey(cert.get());
    if (!publica)
        return SGENC_CERTIFICADO;
    const std::string serie = serieCertificado(cert.get());

    const std::vector<Linea> lineas = partirLineas(bytes);
    auto revisa = [&](const std::string& datos, const std::string& sig, const std::string& ser) {
        if (sig.empty())
            return SGENC_SIN_FIRMAS;
        if (!verifica(publica, datos, sig))
            return SGENC_FIRMA_INVALIDA;
        return ser == serie ? SGENC_OK : SGENC_SERIE_DISTINTA;
    };
    const std::vector<Pedimento> peds = pedimentos(lineas);
    if (peds.empty()) {
        const size_t fin = registroFirmaFinal(lineas);
        if (fin == lineas.size())
            return SGENC_SIN_FIRMAS;
        std::vector<std::string> f = campos(lineas[fin].texto);
        f.resize(3);
        return revisa(contenido(lineas, 0, fin), f[1], f[2]);
    }
    for (const Pedimento& p : peds) {
        std::vector<std::string> f = campos(lineas[p.fin].texto);
        f.resize(std::max<size_t>(f.size(), 5));
        if (int rc = revisa(contenido(lineas, p.inicio, p.fin), f[3], f[4]))
            return rc;
    }
    return SGENC_OK;
}

} // namespace

extern "C" {

SGENC_API int32_t SGENC_CALL BuscaCurpsG(const char* archivo, uint8_t /*tipoDocumento*/,
                                         SgencFirmante firmantes[SGENC_FIRMANTES]) {
    std::string bytes;
    const int rc = leeArchivo(archivo ? archivo : "", bytes);
    if (rc == 1)
        return SGENC_BUSCA_NO_ARCHIVO;
    if (rc != 0 || !firmantes)
        return SGENC_BUSCA_LECTURA;
    const std::vector<std::string> curps = buscaFirmantes(partirLineas(bytes));
    if (curps.empty())
        return SGENC_BUSCA_SIN_CURP;
    for (size_t i = 0; i < curps.size(); ++i) {
        std::memset(firmantes[i].Curp, 0, sizeof firmantes[i].Curp);
        std::memcpy(firmantes[i].Curp, curps[i].data(), curps[i].size());
    }
    return SGENC_BUSCA_OK;
}

SGENC_API int32_t SGENC_CALL GeneraFirmaDigitalG(const char* archivo, uint8_t tipoDocumento,
                                                 SgencFirmante firmantes[SGENC_FIRMANTES]) {
    const int32_t rc = generaFirma(archivo, tipoDocumento, firmantes);
    ERR_clear_error(); // a failed call must not leave errors for the next one
    return rc;
}

SGENC_API int32_t SGENC_CALL SgencVerificaFirmas(const char* archivo, const char* certificado) {
    const int32_t rc = verificaFirmas(archivo, certificado);
    ERR_clear_error();
    return rc;
}

} // extern "C"

static_assert(sizeof(SgencFirmante) == 787, "a signer record is 787 bytes at the library boundary");

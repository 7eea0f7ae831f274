/*
 * sgenc — the signature library of KORVAVal.
 *
 * Finds who signs a validation file and signs it in place with the broker's
 * advanced electronic signature: a PKCS#8 encrypted private key (KEY, DER or
 * PEM), its X.509 certificate (CER, DER or PEM) and the key's password.
 * The program loads this library by name at run time; any library with the
 * same two entry points and result codes can replace it.
 *
 * Text is one byte per character. Every text field below ends at its first
 * NUL or at the end of the field, whichever comes first; what follows a NUL
 * (blanks, as the caller pads) is ignored.
 *
 * Validation file: text, one record per line (CR LF or LF), fields
 * separated by "|", field 1 being the record type.
 *   "500" starts a pedimento; "501" holds its general data, field 10 the
 *   CURP of the broker or proxy who signs; "800" ends the pedimento, field 4
 *   holding its electronic signature and field 5 the certificate's serial
 *   number; "801" ends the file.
 *
 * How signers are found (BuscaCurpsG): the distinct CURPs in field 10 of the
 * "501" records, in file order; a file without any "501" record (documents
 * that carry none) gives instead the distinct fields anywhere in it that
 * have the form of a CURP. At most five; a sixth and later are ignored.
 *
 * Where the signature goes (GeneraFirmaDigitalG):
 *   - Each pedimento, from its "500" record to the record before its "800",
 *     is signed on its own. The signed bytes are those records' texts, each
 *     followed by CR LF, whatever the file's own line ends. SHA-256, and for
 *     RSA keys PKCS#1 v1.5 padding. The signature, in base64 on one line
 *     (344 characters for a 2048-bit key), is written into field 4 of the
 *     "800" record and the certificate's serial number into field 5. Missing
 *     fields are added empty; other fields are kept.
 *   - A file without "500"/"800" records gets one signature record appended
 *     after its last record:  FIRMA|<base64 signature>|<serial number>
 *     It signs every record of the file before it (texts + CR LF, as above).
 *     A "FIRMA" record already at the end is replaced, never signed.
 *   - The serial number is the certificate serial's bytes read as ASCII
 *     digits, as the authority's certificates carry it ("3330..." reads
 *     "30..."); a serial whose bytes are not all digits is written in
 *     upper-case hexadecimal.
 *   - A pedimento is signed with the record whose Curp equals that pedimento's
 *     "501" CURP, else with the first record in use.
 *   - The signature does not cover the "800" record itself, so signing a
 *     signed file again gives the same file (RSA signatures are
 *     deterministic).
 *   - The signed file is written to a temporary file in the same folder and
 *     renamed over the original: readers see the old or the new file.
 */
#ifndef KORVA_SGENC_H
#define KORVA_SGENC_H

#include <stdint.h>

#if defined(_WIN32)
#define SGENC_CALL __stdcall
#if defined(SGENC_BUILD)
#define SGENC_API __declspec(dllexport)
#else
#define SGENC_API __declspec(dllimport)
#endif
#else
#define SGENC_CALL
#define SGENC_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define SGENC_FIRMANTES 5
#define SGENC_LARGO_CURP 19
#define SGENC_LARGO_RUTA 256

/* One signer: 787 bytes, no padding. A record whose Curp starts with NUL is
 * not in use. */
typedef struct SgencFirmante {
    char Curp[SGENC_LARGO_CURP];       /* 18 characters + NUL, filled by BuscaCurpsG */
    char ArchivoKey[SGENC_LARGO_RUTA]; /* KEY path, filled by the caller */
    char ArchivoCer[SGENC_LARGO_RUTA]; /* CER path */
    char Contrasena[SGENC_LARGO_RUTA]; /* the key's password */
} SgencFirmante;

/* Results of BuscaCurpsG. */
enum {
    SGENC_BUSCA_OK = 0,
    SGENC_BUSCA_NO_ARCHIVO = 1, /* the file is not there */
    SGENC_BUSCA_LECTURA = 2,    /* the file cannot be read */
    SGENC_BUSCA_SIN_CURP = 3    /* no signer in the file */
};

/* Results of GeneraFirmaDigitalG (and, from 20 on, of SgencVerificaFirmas). */
enum {
    SGENC_OK = 0,
    SGENC_NO_ARCHIVO = 1,      /* the file to sign is not there */
    SGENC_NO_KEY = 2,          /* no KEY file at the record's path */
    SGENC_CONTRASENA = 3,      /* the password does not open the key */
    SGENC_TEMPORAL = 4,        /* the temporary file cannot be created or written */
    SGENC_LECTURA = 5,         /* the file to sign cannot be read */
    SGENC_LLAVE = 6,           /* KEY corrupt, or not the key of the certificate */
    SGENC_SIN_FIRMANTE = 7,    /* no record in use */
    SGENC_RENOMBRE = 8,        /* the signed file could not replace the original (read-only, ...) */
    SGENC_TIPO = 10,           /* document type not 0, 1, 2, 6 or 7 */
    SGENC_CERTIFICADO = 11,    /* CER missing or unreadable */
    SGENC_VENCIDO = 12,        /* certificate expired or not yet valid */
    SGENC_REGISTRO_201 = 13,   /* more than one "201" record */
    SGENC_SIN_FIRMAS = 20,     /* the file carries no signature */
    SGENC_FIRMA_INVALIDA = 21, /* a signature does not match the records it covers */
    SGENC_SERIE_DISTINTA = 22  /* a signature names another certificate's serial */
};

/* Finds the signers of the file (see above) and fills their Curp fields.
 * 0 = at least one signer; 1 = file missing; 2 = file unreadable; 3 = none. */
SGENC_API int32_t SGENC_CALL BuscaCurpsG(const char* archivo, uint8_t tipoDocumento,
                                         SgencFirmante firmantes[SGENC_FIRMANTES]);

/* Signs the file in place with the KEY, CER and password of the records in
 * use. 0 = the file at that path is now the signed file; otherwise a code
 * above and the file is unchanged. */
SGENC_API int32_t SGENC_CALL GeneraFirmaDigitalG(const char* archivo, uint8_t tipoDocumento,
                                                 SgencFirmante firmantes[SGENC_FIRMANTES]);

/* Checks every signature of a signed file against the certificate (DER or
 * PEM). 0 = there is at least one signature and all verify; 1, 5, 11, 20,
 * 21 or 22 otherwise. Validity dates are not checked: a file signed
 * yesterday stays verifiable. */
SGENC_API int32_t SGENC_CALL SgencVerificaFirmas(const char* archivo, const char* certificado);

#ifdef __cplusplus
}
#endif

#endif

// sgenc-verify FILE CER: checks every signature of a signed validation file.
#include "sgenc.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: sgenc-verify FILE CER\n");
        return 2;
    }
    const int rc = SgencVerificaFirmas(argv[1], argv[2]);
    const char* texto = "every signature verifies";
    switch (rc) {
    case SGENC_OK:
        break;
    case SGENC_NO_ARCHIVO:
        texto = "file not found";
        break;
    case SGENC_LECTURA:
        texto = "file unreadable";
        break;
    case SGENC_CERTIFICADO:
        texto = "certificate unreadable";
        break;
    case SGENC_SIN_FIRMAS:
        texto = "the file carries no signature";
        break;
    case SGENC_FIRMA_INVALIDA:
        texto = "a signature does not match its records";
        break;
    case SGENC_SERIE_DISTINTA:
        texto = "a signature names another certificate";
        break;
    default:
        texto = "verification failed";
        break;
    }
    std::fprintf(rc == 0 ? stdout : stderr, "%s: %s\n", argv[1], texto);
    return rc == 0 ? 0 : 1;
}

#include "platform/Terceros.h"

#include <QtGlobal>
#include <curl/curl.h>
#include <openssl/crypto.h>

namespace korva {

QList<Tercero> terceros() {
    const curl_version_info_data* curl = curl_version_info(CURLVERSION_NOW);
    return {
        {QStringLiteral("Qt"), QString::fromLatin1(qVersion()),
         QStringLiteral("GNU LGPL versión 3; © The Qt Company Ltd. y otros colaboradores")},
        {QStringLiteral("libcurl"), QString::fromLatin1(curl ? curl->version : "?"),
         QStringLiteral("licencia de curl (tipo MIT); © Daniel Stenberg y otros colaboradores")},
        {QStringLiteral("OpenSSL"), QString::fromLatin1(OpenSSL_version(OPENSSL_VERSION)),
         QStringLiteral("Apache License 2.0; © The OpenSSL Project Authors")},
    };
}

} // namespace korva

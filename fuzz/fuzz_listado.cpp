// A server's listing for a download by mask (NLST, one name a line), and the
// filter that keeps a hostile name from becoming a local path. The input is
// the mask, a line feed, the remote folder, a line feed, then the listing.
#include <QDir>
#include <QSet>

#include "Soporte.h"
#include "platform/ClienteFtpCurl.h"

using namespace korva;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::iniciaQt(argc, argv);
    return 0;
}

namespace {

// What may never reach a local file name, told here on its own.
bool hostil(const QString& n) {
    if (n.isEmpty() || n == QLatin1String(".") || n.contains(QLatin1String("..")))
        return true;
    for (QChar c : n) {
        const char16_t u = c.unicode();
        if (u == u'/' || u == u'\\' || u == u':' || u < 0x20 || (u >= 0x7f && u <= 0x9f) ||
            c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
            c.category() == QChar::Separator_Paragraph)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype a = bytes.indexOf('\n');
    const qsizetype b = a < 0 ? -1 : bytes.indexOf('\n', a + 1);
    if (b < 0)
        return 0;
    const QString mascara = QString::fromUtf8(bytes.left(a));
    const QString remota = QString::fromUtf8(bytes.mid(a + 1, b - a - 1));
    const QByteArray lista = bytes.mid(b + 1);

    QList<Omitido> omitidos;
    const QStringList nombres = ClienteFtpCurl::nombresDelListado(lista, remota, mascara, &omitidos);

    // The listing read here line by line, as the server meant it.
    QSet<QString> lineas;
    QSet<QString> hostiles;
    int tomados = 0;
    for (QByteArray l : lista.split('\n')) {
        if (l.endsWith('\r'))
            l.chop(1);
        QString n = QString::fromUtf8(l);
        if (!remota.isEmpty() && n.startsWith(remota + QLatin1Char('/')))
            n = n.mid(remota.size() + 1);
        if (l.isEmpty() || !ClienteFtpCurl::coincide(n, mascara))
            continue;
        lineas.insert(n);
        ++tomados;
        if (hostil(n))
            hostiles.insert(n);
    }

    // Every name kept was listed, is taken by the mask, is no path and
    // names a file right inside the target folder.
    const QString carpeta = QStringLiteral("/srv/recibo");
    for (const QString& n : nombres) {
        if (hostil(n)) {
            std::fprintf(stderr, "kept: \"%s\"\n", qPrintable(n));
            FUZZ_CHECK(!hostil(n));
        }
        FUZZ_CHECK(lineas.contains(n));
        const QString ruta = QDir::cleanPath(QDir(carpeta).filePath(n));
        FUZZ_CHECK(ruta.startsWith(carpeta + QLatin1Char('/')) &&
                   !ruta.mid(carpeta.size() + 1).contains(QLatin1Char('/')));
    }
    // Every name the mask took is kept or told as left out, and every
    // hostile one is left out.
    FUZZ_CHECK(nombres.size() + omitidos.size() == tomados);
    QSet<QString> fuera;
    for (const Omitido& o : omitidos)
        fuera.insert(o.nombre);
    for (const QString& n : std::as_const(hostiles))
        FUZZ_CHECK(fuera.contains(n));
    return 0;
}

// The centre's notice files (aviso.gen and aviso.txt), whatever the centre
// put in them.
#include <QByteArray>

#include "Soporte.h"
#include "platform/Ansi.h"
#include "records/Avisos.h"

using namespace korva;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::iniciaQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString texto = ansi::decodifica(bytes);

    // One notice per list line: no line end survives inside one, and no
    // character appears that the file did not hold.
    const QStringList avisos = avisosGenerales(bytes);
    qsizetype caracteres = 0;
    for (const QString& a : avisos) {
        FUZZ_CHECK(!a.contains(QLatin1Char('\r')) && !a.contains(QLatin1Char('\n')));
        caracteres += a.size();
    }
    FUZZ_CHECK(caracteres + texto.count(QLatin1Char('\r')) + texto.count(QLatin1Char('\n')) == texto.size());

    // The particular notice is one label's text: line ends become blanks,
    // every other character stays, and it is never longer than the file (an
    // opening blank at most is added).
    const QString particular = avisoParticular(bytes);
    FUZZ_CHECK(!particular.contains(QLatin1Char('\n')));
    FUZZ_CHECK(!particular.contains(QLatin1Char('\r')));
    FUZZ_CHECK(particular.count(QLatin1Char(',')) == texto.count(QLatin1Char(',')));
    FUZZ_CHECK(particular.size() <= texto.size() + 1);
    return 0;
}

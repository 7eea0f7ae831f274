// The rewrite of record 801 before a type "m" file is signed. Input: the
// length of a regular first record (slot 17's text) on the first line, the
// prevalidator key on the second, then the file.
#include <QByteArray>

#include "Soporte.h"
#include "cycle/Registro801.h"

using namespace korva;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::iniciaQt(argc, argv);
    return 0;
}

namespace {

QByteArray sinFinesDeLinea(QByteArray b) {
    b.replace('\r', QByteArray());
    b.replace('\n', QByteArray());
    return b;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray todo = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype a = todo.indexOf('\n');
    if (a < 0)
        return 0;
    const qsizetype b = todo.indexOf('\n', a + 1);
    if (b < 0)
        return 0;
    bool ok = false;
    double caracteres500 = todo.left(a).trimmed().toDouble(&ok);
    if (!ok)
        caracteres500 = 24;
    // The key is a configuration slot: one line, never a line end.
    QByteArray clave = todo.mid(a + 1, b - a - 1);
    clave.replace('\r', QByteArray());
    const QByteArray contenido = todo.mid(b + 1);

    const QByteArray salida = reescribe801(contenido, caracteres500, clave);

    // Every record comes out ended by CR LF, and no other line end remains.
    FUZZ_CHECK(salida.isEmpty() || salida.endsWith("\r\n"));
    for (qsizetype i = 0; i < salida.size(); ++i) {
        if (salida[i] == '\r')
            FUZZ_CHECK(i + 1 < salida.size() && salida[i + 1] == '\n');
        if (salida[i] == '\n')
            FUZZ_CHECK(i > 0 && salida[i - 1] == '\r');
    }
    // Without a record 801 nothing is changed but the line ends: no text
    // of the file is lost or added.
    if (!contenido.contains("801|"))
        FUZZ_CHECK(sinFinesDeLinea(salida) == sinFinesDeLinea(contenido));
    return 0;
}

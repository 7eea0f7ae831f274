// The configuration backup as found in Respalda when the broker restores it,
// whatever a careless copy left there. The input is the backup's
// usuarios.dat, then the backup files 0 to 7, each after a NUL byte.
#include <QDir>
#include <QFile>
#include <algorithm>

#include "Soporte.h"
#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "config/ArchivoConfiguracion.h"
#include "platform/Reloj.h"
#include "platform/fs.h"
#include "records/Respaldo.h"

using namespace korva;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::iniciaQt(argc, argv);
    return 0;
}

namespace {

bool conPatente(const QString& clave) {
    const QString p = clave.right(4);
    return p.size() == 4 && std::all_of(p.begin(), p.end(), [](QChar c) { return c.isDigit(); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<QByteArray> partes = bytes.split('\0').mid(0, 9);

    const QString programa = fuzz::carpeta() + QStringLiteral("/programa");
    QDir(programa).removeRecursively();
    const QString respaldo = programa + QStringLiteral("/Respalda");
    FUZZ_CHECK(QDir().mkpath(respaldo));
    FUZZ_CHECK(fs::escribeAtomico(programa + QStringLiteral("/usuarios.dat"), "vieja\r\n"));
    for (int i = 0; i < 8; ++i)
        FUZZ_CHECK(fs::escribeAtomico(rutaConfiguracion(programa, i), "viejo" + QByteArray::number(i)));
    FUZZ_CHECK(fs::escribeAtomico(respaldo + QStringLiteral("/usuarios.dat"), partes.first()));
    for (qsizetype i = 1; i < partes.size(); ++i)
        FUZZ_CHECK(fs::escribeAtomico(respaldo + QLatin1Char('/') + QString::number(i - 1), partes.at(i)));

    static RelojSistema reloj;
    fuzz::DialogosMudos dlg;
    dlg.respuesta = true;
    EstadoPrincipal st;
    st.config().setSlot(slot::DirRecibo, fuzz::carpeta() + QStringLiteral("/sin-recibo"));
    Contexto ctx{st, dlg, reloj, programa};
    FUZZ_CHECK(Menu_RecuperaConf(ctx));
    FUZZ_CHECK(st.cierrePendiente());

    // The list comes back whole; each configuration comes back only onto the
    // place of the patent its user line names, whole and private.
    // Or, where it could not be done, everything as it was.
    const bool hecha = st.pantalla().evento().startsWith(QStringLiteral("Configuración recuperada"));
    FUZZ_CHECK(fuzz::lee(programa + QStringLiteral("/usuarios.dat")) ==
               (hecha ? partes.first() : "vieja\r\n"));
    FUZZ_CHECK(fs::soloLectura(programa + QStringLiteral("/usuarios.dat")));
    const QStringList claves =
        fs::leeLineas(respaldo + QStringLiteral("/usuarios.dat"), fs::limite::kConfiguracion);
    for (int i = 0; i < std::max<int>(8, int(claves.size())); ++i) {
        const QString ruta = rutaConfiguracion(programa, i);
        const bool hay = i + 1 < partes.size();
        // A key that ends with no patent number names no file: the place does.
        const bool sinPatente = i < claves.size() && !conPatente(claves.at(i));
        const bool suya = i < claves.size() && hay &&
                          (sinPatente || fs::leeLineas(respaldo + QLatin1Char('/') + QString::number(i),
                                                       fs::limite::kConfiguracion)
                                                 .value(1)
                                                 .right(4) == claves.at(i).right(4));
        if (!hecha) {
            FUZZ_CHECK(fuzz::lee(ruta) ==
                       (i < 8 ? "viejo" + QByteArray::number(i) : QByteArray("<no existe>")));
        } else if (suya) {
            FUZZ_CHECK(fuzz::lee(ruta) == partes.at(i + 1));
            FUZZ_CHECK(!(QFile::permissions(ruta) & (QFile::ReadGroup | QFile::ReadOther)));
        } else if (sinPatente) {
            FUZZ_CHECK(fuzz::lee(ruta) ==
                       (i < 8 ? "viejo" + QByteArray::number(i) : QByteArray("<no existe>")));
        } else {
            // No patent's file stands where its backup did not come back:
            // the old ones belong to no key and are kept aside.
            FUZZ_CHECK(fuzz::lee(ruta) == "<no existe>");
        }
    }
    QStringList propios = QDir(programa).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    propios.removeAll(QStringLiteral("Respalda"));
    propios.removeAll(QStringLiteral("usuarios.dat"));
    for (const QString& n : propios)
        FUZZ_CHECK(n.startsWith(QLatin1String("odbc")) && n.endsWith(QLatin1String(".reg")));
    return 0;
}

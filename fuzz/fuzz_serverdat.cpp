// The centre's server switch order server.dat, whatever it holds: read once
// from the receive folder, acted on and deleted.
#include <QDir>
#include <QFile>

#include "Soporte.h"
#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "config/Edicion.h"
#include "platform/Reloj.h"
#include "platform/fs.h"

using namespace korva;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::iniciaQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    static RelojSistema reloj;
    fuzz::DialogosMudos dlg;
    EstadoPrincipal st;
    Contexto ctx{st, dlg, reloj, fuzz::carpeta()};
    const QString recibo = fuzz::carpeta() + QStringLiteral("/recibo");
    QDir().mkpath(recibo);
    st.config().setSlot(slot::DirRecibo, recibo);
    st.config().setSlot(slot::ServidorPrimario, QStringLiteral("primario.korva"));
    st.config().setSlot(slot::ServidorSecundario, QStringLiteral("secundario.korva"));
    const QString ruta = recibo + QStringLiteral("/server.dat");
    {
        QFile f(ruta);
        FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(f.write(bytes) == bytes.size());
    }
    CambiaServidor(ctx);

    // The order is carried out once: one server chosen, the address in use
    // is that server's, the status line says which, the file is gone.
    FUZZ_CHECK(!QFile::exists(ruta));
    FUZZ_CHECK(dlg.mensajes == 0);
    const bool secundario = st.edicion().opcionServidor() == OpcionServidor::Secundario;
    FUZZ_CHECK(secundario || st.edicion().opcionServidor() == OpcionServidor::Primario);
    FUZZ_CHECK(st.config().TxtConfiguration(slot::ServidorActual) ==
               st.config().TxtConfiguration(secundario ? slot::ServidorSecundario : slot::ServidorPrimario));
    FUZZ_CHECK(st.pantalla().evento() ==
               (secundario ? QStringLiteral("Conexión a KORVA mediante el Servidor Secundario")
                           : QStringLiteral("Conexión a KORVA mediante el Servidor Primario")));
    // A first line "1" asks for the secondary; "0" or nothing for the primary.
    QByteArray primera = bytes.left(bytes.indexOf('\n') < 0 ? bytes.size() : bytes.indexOf('\n'));
    if (primera.endsWith('\r'))
        primera.chop(1);
    if (primera == "1")
        FUZZ_CHECK(secundario);
    if (primera.isEmpty() || primera == "0")
        FUZZ_CHECK(!secundario);
    return 0;
}

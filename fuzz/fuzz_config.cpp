// The patent's configuration file as found on disk, whatever its bytes, and
// the password scramble it carries.
#include <QFile>

#include "Soporte.h"
#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "config/ArchivoConfiguracion.h"
#include "platform/Ansi.h"
#include "platform/Reloj.h"

using namespace korva;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::iniciaQt(argc, argv);
    return 0;
}

namespace {

std::array<QString, EstadoConfiguracion::kSlots> slotsDe(const EstadoPrincipal& st) {
    std::array<QString, EstadoConfiguracion::kSlots> s;
    for (int n = 0; n < EstadoConfiguracion::kSlots; ++n)
        s[n] = st.config().TxtConfiguration(n);
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    // The scramble: any code page text comes back as it went in, and any
    // line decodes without reading past it.
    const QString texto = ansi::decodifica(bytes);
    FUZZ_CHECK(clave::desenreda(clave::revuelve(texto)) == texto);
    const QString suelta = clave::desenreda(texto);
    FUZZ_CHECK(suelta.size() <= texto.count(QLatin1Char('|')));

    static RelojSistema reloj;
    fuzz::DialogosMudos dlg;
    EstadoPrincipal st;
    Contexto ctx{st, dlg, reloj, fuzz::carpeta()};
    FUZZ_CHECK(fuzz::escribe(rutaConfiguracion(ctx), bytes));
    CargaConfiguracion(ctx);
    // A file cut short is said once and never saved over: it stays as found.
    if (st.config().configuracionNoLeida()) {
        FUZZ_CHECK(dlg.mensajes == 1);
        FUZZ_CHECK(!GrabaConfiguracion(ctx));
        FUZZ_CHECK(fuzz::lee(rutaConfiguracion(ctx)) == bytes);
        return 0;
    }
    FUZZ_CHECK(dlg.mensajes == 0);
    bool numero = false;
    st.config().TxtConfiguration(slot::CaracteresRegistro500).trimmed().toDouble(&numero);
    FUZZ_CHECK(numero);

    // What was loaded is saved and loaded again unchanged, but for the line
    // ends a hand-edited file may hide in a slot: a slot box is one line,
    // and saving drops them.
    auto primera = slotsDe(st);
    for (QString& s : primera)
        s.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    FUZZ_CHECK(GrabaConfiguracion(ctx));
    EstadoPrincipal st2;
    Contexto ctx2{st2, dlg, reloj, fuzz::carpeta()};
    CargaConfiguracion(ctx2);
    const auto segunda = slotsDe(st2);
    for (int n = 0; n < EstadoConfiguracion::kSlots; ++n)
        if (primera[n] != segunda[n]) {
            std::fprintf(stderr, "slot %d: \"%s\" / \"%s\"\n", n, qPrintable(primera[n]),
                         qPrintable(segunda[n]));
            FUZZ_CHECK(primera[n] == segunda[n]);
        }
    // A flag slot that held a line end reads differently once it is gone
    // ("0<CR>1" is clear, "01" ticked): only the others must agree.
    for (int s : EstadoConfiguracion::kSlotsBandera)
        if (!st.config().TxtConfiguration(s).contains(QLatin1Char('\r')))
            FUZZ_CHECK(st.config().chk(s) == st2.config().chk(s));
    return 0;
}

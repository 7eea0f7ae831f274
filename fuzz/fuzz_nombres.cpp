// File names as they come from folders and the centre's listings, against a
// configuration whose letters, patent and folio range come from the input.
// Input: lines of the configuration slots 1, 5, 6, 10 and 11, the Julian day
// and the send letter of a route, then the name itself.
#include <QByteArray>
#include <QList>

#include "Soporte.h"
#include "comun/EstadoPrincipal.h"
#include "comun/Nombres.h"
#include "exchange/Respuestas.h"
#include "platform/Ansi.h"

using namespace korva;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::iniciaQt(argc, argv);
    return 0;
}

namespace {

bool ajusteValido(const FormaNombre& f) {
    return (f.LongitudNombre == 12 || f.LongitudNombre == 15) &&
           (f.AjustePrefijo == 1 || f.AjustePrefijo == 0 || f.AjustePrefijo == -3);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QList<QByteArray> partes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)).split('\n');
    auto parte = [&](int i) { return ansi::decodifica(partes.value(i)); };

    static EstadoPrincipal st;
    st.config().setSlot(slot::Usuario, parte(0));
    st.config().setSlot(slot::FolioInferior, parte(1));
    st.config().setSlot(slot::FolioSuperior, parte(2));
    st.config().setSlot(slot::LetrasValidacion, parte(3));
    st.config().setSlot(slot::LetrasPago, parte(4));
    st.ciclo().setDiaJulianoActual(qint16(parte(5).toInt()));
    const QString ruta = parte(6);
    const QChar letraEnvio = ruta.isEmpty() ? QChar() : ruta.at(0);
    // The name is the rest, line feeds and all: a listing may carry anything.
    QByteArray bytesNombre;
    for (int i = 7; i < partes.size(); ++i)
        bytesNombre += (i > 7 ? "\n" : "") + partes.at(i);
    const QString nombre = ansi::decodifica(bytesNombre);

    const FormaNombre forma = preparaNombre(nombre);
    FUZZ_CHECK(ajusteValido(forma));
    FUZZ_CHECK(ajusteValido(numLetras(nombre.left(1))));

    const QString prefijo = prefijoDe(nombre);
    FUZZ_CHECK(prefijo.isEmpty() || (nombre.startsWith(prefijo) &&
                                     prefijo.size() == forma.LongitudNombre + forma.AjustePrefijo - 7));
    const QString patente = patenteDe(nombre);
    FUZZ_CHECK(patente.isEmpty() || (patente.size() == 4 && prefijo.endsWith(patente)));
    const QString folio = folioDe(nombre);
    FUZZ_CHECK(folio.isEmpty() || (folio.size() == 3 && nombre.contains(folio)));
    const QString dia = diaDe(nombre);
    FUZZ_CHECK(dia.isEmpty() ? nombre.size() < 3 : (dia.size() == 3 && nombre.endsWith(dia)));

    if (pruebaJuliano(st, nombre))
        FUZZ_CHECK(dia.toInt() == st.ciclo().DiaJulianoActual());
    if (pruebaPatente(st, nombre))
        FUZZ_CHECK(patente == st.config().TxtConfiguration(slot::Usuario).right(4));
    if (pruebaFolio(st, nombre))
        FUZZ_CHECK(folio.size() == 3 &&
                   folio.compare(st.config().TxtConfiguration(slot::FolioInferior)) >= 0 &&
                   folio.compare(st.config().TxtConfiguration(slot::FolioSuperior)) <= 0);
    if (esTipoValidacion(st, nombre))
        FUZZ_CHECK(st.config().TxtConfiguration(slot::LetrasValidacion).contains(nombre.at(0).toLower()));

    const quint8 tipo = TipoDocumento(nombre);
    FUZZ_CHECK(tipo == 0 || tipo == 1 || tipo == 2 || tipo == 6 || tipo == 7 || tipo == kNoFirmable);

    const QString respuesta = nombreRespuesta(st, nombre);
    FUZZ_CHECK(respuesta.isEmpty() || respuesta.startsWith(QLatin1String("ENV/")));

    const int largo = largoParaRuta(nombre, letraEnvio);
    FUZZ_CHECK(largo == 0 || largo == 12 || largo == 15);
    return 0;
}

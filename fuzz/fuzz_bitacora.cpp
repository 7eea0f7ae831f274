// The day's log (<patent><day>.log) and the sent-files register (bitacora)
// as found in the folders, whatever a colleague or a crash left in them: the
// readers that rebuild the day lists and decide what was sent already, and
// the appends that follow them.
#include <QDir>
#include <QFile>

#include "DatosOficina.h"
#include "Soporte.h"
#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "platform/Reloj.h"
#include "records/Bitacora.h"

using namespace korva;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::iniciaQt(argc, argv);
    return 0;
}

namespace {

class RelojFijo final : public Reloj {
public:
    QDateTime ahora() const override { return QDateTime(QDate(2026, 2, 14), QTime(9, 5, 7)); }
};

// The day lists rebuilt from the log: one entry a line, each the end of its
// line (stray CRs aside), one line long.
QStringList listas(Contexto& ctx) {
    ctx.st.pantalla().vacia(Lista::Enviados);
    ctx.st.pantalla().vacia(Lista::Recibidos);
    CargaBitacora(ctx);
    const QStringList lineas = fs::leeLineas(rutaLog(ctx.st), fs::limite::kRegistro);
    QStringList enviados, recibidos;
    for (QString l : lineas) {
        l.remove(QLatin1Char('\r'));
        (l.startsWith(QLatin1Char('E')) ? enviados : recibidos) << l;
    }
    FUZZ_CHECK(ctx.st.pantalla().lista(Lista::Enviados).size() == enviados.size());
    FUZZ_CHECK(ctx.st.pantalla().lista(Lista::Recibidos).size() == recibidos.size());
    for (const auto& [lista, de] :
         {std::pair{Lista::Enviados, enviados}, std::pair{Lista::Recibidos, recibidos}})
        for (qsizetype i = 0; i < de.size(); ++i) {
            const QString& e = ctx.st.pantalla().lista(lista).at(i);
            FUZZ_CHECK(de.at(i).endsWith(e) && e.size() <= 15 + 11);
            FUZZ_CHECK(!e.contains(QLatin1Char('\n')) && !e.contains(QLatin1Char('\r')));
        }
    return ctx.st.pantalla().lista(Lista::Enviados);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    static RelojFijo reloj;
    fuzz::DialogosMudos dlg;
    EstadoPrincipal st;
    Contexto ctx{st, dlg, reloj, fuzz::carpeta()};
    oficina::describe(st, fuzz::carpeta());

    // The log: what the next send writes is what the next start lists.
    FUZZ_CHECK(fuzz::escribe(rutaLog(st), bytes));
    const qsizetype antes = listas(ctx).size();
    FUZZ_CHECK(registraEnLog(ctx, EventoLog::Enviado, QStringLiteral("m4321123.045")));
    const QStringList enviados = listas(ctx);
    FUZZ_CHECK(enviados.size() == antes + 1 && enviados.last() == QStringLiteral("m4321123.045 - 09:05:07"));

    // The register: a file registered is found as sent on the next pass, so
    // it is not sent again.
    FUZZ_CHECK(fuzz::escribe(rutaRegistro(st), bytes));
    LstBitacora lst;
    lst.carga(st);
    FUZZ_CHECK(lst.items() == fs::leeLineas(rutaRegistro(st), fs::limite::kRegistro));
    const QDateTime t = reloj.ahora();
    FUZZ_CHECK(agregaBitacora(st, QStringLiteral("m4321123.045"), t));
    LstBitacora otra;
    otra.carga(st);
    FUZZ_CHECK(otra.contiene(QStringLiteral("m4321123.045"), t));
    FUZZ_CHECK(otra.items().size() == lst.items().size() + 1);
    FUZZ_CHECK(dlg.mensajes == 0);
    return 0;
}

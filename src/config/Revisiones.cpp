#include "config/Revisiones.h"
#include "platform/Texto.h"

#include "comun/Carpetas.h"
#include "comun/Contexto.h"
#include "config/Edicion.h"
#include "platform/Dialogos.h"

namespace korva {

qint16 ValidaDir(const QString& d, Plataforma p) {
    if (d.isEmpty())
        return 0;
    const QChar c = d.at(0);
    if (p == Plataforma::Windows)
        return ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                (c >= QLatin1Char('A') && c <= QLatin1Char('Z')))
                   ? 1
                   : 0;
    return c == QLatin1Char('/') ? 1 : 0;
}

namespace {

void quitaSeparador(EstadoPrincipal& st, int n) {
    const QString& t = st.config().TxtConfiguration(n);
    if (t.endsWith(QLatin1Char('/')) || t.endsWith(QLatin1Char('\\')))
        st.config().setSlot(n, t.left(t.size() - 1));
}

// Help text of a direction's routes, named in the route messages.
QString ayudaRutas(Sentido s) {
    return s == Sentido::Envio ? QStringLiteral("Rutas de Envio Local")
                               : QStringLiteral("Rutas de Recibo Local");
}

// Opens the routes panel the way its button does, only while no panel is open.
void abreRutas(Contexto& ctx) {
    if (ctx.st.edicion().panel() == Panel::Ninguno)
        abrePanel(ctx, Panel::Rutas);
}

} // namespace

QStringList letrasDeTipo(const QString& letras, int* comas) {
    QStringList items;
    int n = 0;
    for (QChar c : letras) {
        if (c == QLatin1Char(','))
            ++n;
        else
            items << QString(c);
    }
    if (comas)
        *comas = n;
    return items;
}

qint16 RevisaDir(Contexto& ctx) {
    EstadoPrincipal& st = ctx.st;
    quitaSeparador(st, slot::DirEnvio);
    quitaSeparador(st, slot::DirRecibo);
    const QString& env = st.config().TxtConfiguration(slot::DirEnvio);
    const QString& rec = st.config().TxtConfiguration(slot::DirRecibo);
    if (ValidaDir(env, ctx.plataforma) == 1 && ValidaDir(rec, ctx.plataforma) == 1 &&
        fs::existeCarpeta(env) && fs::existeCarpeta(rec)) {
        for (const QString& sub :
             {carpetas::pend(st, ctx.plataforma), carpetas::enviados(st, ctx.plataforma),
              carpetas::rechaza(st, ctx.plataforma), carpetas::respalda(st, ctx.plataforma)}) {
            if (carpetas::propia(sub))
                continue;
            ctx.dlg.error(
                Texto::tr("ERROR: es imposible continuar, ") + sub +
                Texto::tr(" no es una carpeta del programa (es un enlace o un archivo); el programa "
                          "no escribe ni borra archivos a través de ella. Quítela para que el "
                          "programa cree la suya."));
            return 1;
        }
        return 0;
    }
    ctx.dlg.error(Texto::tr(
        "ERROR: es imposible continuar, en la Configuración del Sistema, uno o ambos directorios locales no "
        "existen, esta mal escrita la ruta o han sido borrados, para poder continuar deberá proporcionar "
        "rutas con directorios validos. Nota: modificar los directorios locales puede hacer que se ejecute "
        "la depuración del sistema, si tiene archivos pendientes serán borrados y sus archivos de respuesta "
        "del día serán movidos al directorio de respaldo."));
    return 1;
}

qint16 RevisaArchivosTipo(Contexto& ctx) {
    const EstadoConfiguracion& c = ctx.st.config();
    int comasE = 0, comasR = 0;
    if (letrasDeTipo(c.TxtConfiguration(slot::LetrasValidacion), &comasE).size() ==
            letrasDeTipo(c.TxtConfiguration(slot::LetrasPago), &comasR).size() &&
        comasE == comasR)
        return 1;
    ctx.dlg.error(Texto::tr("ERROR: Es imposible continuar, en la configuración de tipos de Archivos, no "
                            "coinciden el numero de los tipos de archivos de Envio y Recibo"));
    return 0;
}

RevisionRutas RevisaRutas(Contexto& ctx, const QString& CadRuta, const QString& CadArchivos, Sentido s) {
    const int comasRuta = int(CadRuta.count(QLatin1Char(',')));
    int comasArchivos = 0;
    const QStringList letras = letrasDeTipo(CadArchivos, &comasArchivos);
    const QString ayuda = ayudaRutas(s);
    if (comasRuta != comasArchivos) {
        ctx.dlg.error(Texto::tr("ERROR: Es imposible continuar, en la configuración de Rutas Adicionales, no "
                                "coinciden el numero de ") +
                      ayuda + Texto::tr(" con los tipos de archivos"));
        abreRutas(ctx);
        return {1, {}};
    }
    bool vacia = false, invalida = false, aceptada = false;
    QStringList rutas;
    auto termina = [&](const QString& ruta) {
        if (ruta.isEmpty())
            vacia = true;
        else if (ValidaDir(ruta, ctx.plataforma) == 1 && fs::existeCarpeta(ruta)) {
            rutas << ruta;
            aceptada = true;
        } else
            invalida = true;
    };
    QString actual;
    for (qsizetype i = 0; i < CadRuta.size(); ++i) {
        const QChar c = CadRuta.at(i);
        // A comma ends the route in hand; the last character is then taken
        // into a route of its own making, even when it is that comma.
        if (c == QLatin1Char(',')) {
            termina(actual);
            actual.clear();
        }
        if (i == CadRuta.size() - 1) {
            actual += c;
            termina(actual);
        } else if (c != QLatin1Char(',')) {
            actual += c;
        }
    }
    const QString apertura = QStringLiteral(
        "ERROR: Es imposible continuar, en la configuración de Rutas Adicionales, al menos una de las ");
    if (vacia)
        ctx.dlg.error(apertura + ayuda + Texto::tr(" esta vacia"));
    if (invalida)
        ctx.dlg.error(apertura + ayuda + Texto::tr(" no es valida"));
    if (vacia || invalida) {
        abreRutas(ctx);
        return {1, {}};
    }
    return {aceptada ? std::optional<qint16>(0) : std::nullopt, {rutas, letras}};
}

std::optional<RutasAdicionales> RevisaRutasAdicionales(Contexto& ctx) {
    EstadoConfiguracion& c = ctx.st.config();
    RutasAdicionales todas;
    const std::pair<Sentido, RutasLocales*> sentidos[] = {{Sentido::Envio, &todas.envio},
                                                          {Sentido::Recibo, &todas.recibo}};
    for (const auto& [s, destino] : sentidos) {
        const bool envio = s == Sentido::Envio;
        RevisionRutas r =
            RevisaRutas(ctx, c.TxtConfiguration(envio ? slot::RutasEnvioLocal : slot::RutasReciboLocal),
                        c.TxtConfiguration(envio ? slot::LetrasValidacion : slot::LetrasPago), s);
        c.setRutas(s, r.rutas);
        if (r.resultado && *r.resultado != 0)
            return std::nullopt;
        *destino = std::move(r.rutas);
    }
    return todas;
}

} // namespace korva

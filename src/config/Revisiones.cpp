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

// Opens the routes panel the way its button does, only while no panel is open.
void abreRutas(Contexto& ctx) {
    if (ctx.st.edicion().panel() == Panel::Ninguno)
        abrePanel(ctx, Panel::Rutas);
}

} // namespace

QString ayudaLista(Lista l) {
    switch (l) {
    case Lista::EnvioLocal:
        return QStringLiteral("Rutas de Envio Local");
    case Lista::ReciboLocal:
        return QStringLiteral("Rutas de Recibo Local");
    default:
        return {};
    }
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
    EstadoPrincipal& st = ctx.st;
    auto parte = [](const QString& s, int& comas) {
        QStringList items;
        comas = 0;
        for (QChar c : s) {
            if (c == QLatin1Char(','))
                ++comas;
            else
                items << QString(c);
        }
        return items;
    };
    int comasE = 0, comasR = 0;
    st.pantalla().setLista(Lista::ArchivosE,
                           parte(st.config().TxtConfiguration(slot::LetrasValidacion), comasE));
    st.pantalla().setLista(Lista::ArchivosR, parte(st.config().TxtConfiguration(slot::LetrasPago), comasR));
    if (st.pantalla().lista(Lista::ArchivosE).size() == st.pantalla().lista(Lista::ArchivosR).size() &&
        comasE == comasR)
        return 1;
    ctx.dlg.error(Texto::tr("ERROR: Es imposible continuar, en la configuración de tipos de Archivos, no "
                            "coinciden el numero de los tipos de archivos de Envio y Recibo"));
    return 0;
}

std::optional<qint16> RevisaRutas(Contexto& ctx, const QString& CadRuta, const QString& CadArchivos,
                                  Lista LstRutas, Lista LstArchivos) {
    EstadoPrincipal& st = ctx.st;
    st.pantalla().vacia(LstRutas);
    st.pantalla().vacia(LstArchivos);
    const int comasRuta = int(CadRuta.count(QLatin1Char(',')));
    int comasArchivos = 0;
    QStringList letras;
    for (QChar c : CadArchivos) {
        if (c == QLatin1Char(','))
            ++comasArchivos;
        else
            letras << QString(c);
    }
    st.pantalla().setLista(LstArchivos, letras);
    const QString ayuda = ayudaLista(LstRutas);
    if (comasRuta != comasArchivos) {
        ctx.dlg.error(Texto::tr("ERROR: Es imposible continuar, en la configuración de Rutas Adicionales, no "
                                "coinciden el numero de ") +
                      ayuda + Texto::tr(" con los tipos de archivos"));
        abreRutas(ctx);
        return 1;
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
    st.pantalla().setLista(LstRutas, rutas);
    const QString apertura = QStringLiteral(
        "ERROR: Es imposible continuar, en la configuración de Rutas Adicionales, al menos una de las ");
    if (vacia)
        ctx.dlg.error(apertura + ayuda + Texto::tr(" esta vacia"));
    if (invalida)
        ctx.dlg.error(apertura + ayuda + Texto::tr(" no es valida"));
    if (vacia || invalida) {
        st.pantalla().vacia(LstRutas);
        st.pantalla().vacia(LstArchivos);
        abreRutas(ctx);
        return 1;
    }
    if (aceptada)
        return 0;
    return std::nullopt;
}

} // namespace korva

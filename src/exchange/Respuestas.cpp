#include "exchange/Respuestas.h"
#include "platform/Texto.h"

#include <QFileInfo>

#include "comun/Carpetas.h"
#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "comun/Fallas.h"
#include "comun/ModError.h"
#include "comun/Nombres.h"
#include "comun/Transferencia.h"
#include "exchange/Listas.h"
#include "platform/FtpErrores.h"
#include "platform/fs.h"
#include "records/Bitacora.h"

namespace korva {

QStringList refrescaPendientes(const Contexto& ctx) {
    const QString pend = carpetas::pend(ctx.st, ctx.plataforma);
    QStringList nombres;
    // Answered files are deleted from it: never through a link elsewhere.
    if (fs::esCarpetaReal(pend))
        for (const fs::Entrada& e : fs::lista(pend, fs::Detalle::Tipo))
            if (e.regular && esEnvioPendiente(e.nombre))
                nombres << e.nombre;
    return nombres;
}

namespace {

// A response the centre has but that could not be kept here: the broker is
// told which and why (a full disk, a folder in its place, a file too large),
// in the window once a run for each, on the status line every cycle.
void reportaRespuestaNoGuardada(Contexto& ctx, qint16 codigo, const QString& respuesta,
                                const QString& destino) {
    QString causa;
    switch (codigo) {
    case codigos::ArchivoExcedeAlmacenaje:
        ctx.st.respuestas().excede(QStringLiteral("ENV/") + respuesta);
        causa =
            QStringLiteral("el archivo del centro excede el tamaño permitido; no se pedirá de nuevo en esta "
                           "sesión");
        break;
    case codigos::ArchivoLocalNoCreado:
    case codigos::ArchivoLocalNoEscrito:
        causa = fs::esCarpetaReal(destino) ? Texto::tr("hay una carpeta con ese nombre") : fs::ultimaCausa();
        if (causa.isEmpty())
            causa = MensajeError(codigo);
        break;
    default:
        return; // not there yet, or the session's own failure, already said
    }
    reportaFallaUnaVez(ctx, QStringLiteral("respuesta ") + respuesta + QString::number(codigo),
                       Texto::tr("ERROR: no fue posible guardar la respuesta ") + respuesta +
                           Texto::tr(" en ") + destino + QStringLiteral(" (") + causa +
                           Texto::tr("); sigue pendiente"));
}

// Phase 2: the day's received files go to the additional receive folders
// whose letters they carry, under the name length each route takes.
void copiaARutas(Contexto& ctx) {
    EstadoPrincipal& st = ctx.st;
    if (!st.config().chk(slot::RutasAdicionales))
        return;
    const QString recibo = st.config().TxtConfiguration(slot::DirRecibo);
    const QStringList letrasR = st.config().rutas(Sentido::Recibo).letras;
    const QStringList rutas = st.config().rutas(Sentido::Recibo).carpetas;
    const QStringList letrasE = st.config().rutas(Sentido::Envio).letras;
    const QStringList recibidos = st.pantalla().lista(Lista::Recibidos);
    for (int j = 0; j < letrasR.size() && j < rutas.size(); ++j) {
        if (rutas[j] == recibo)
            continue;
        const QChar letraEnvio = j < letrasE.size() && !letrasE[j].isEmpty() ? letrasE[j].at(0) : QChar();
        for (const QString& entrada : recibidos) {
            if (entrada.isEmpty() || QString(entrada.at(0)) != letrasR[j])
                continue;
            const int largo = largoParaRuta(entrada, letraEnvio);
            if (largo == 0)
                continue;
            const QString nombre = entrada.left(largo);
            const QString origen = fs::une(recibo, nombre, ctx.plataforma);
            if (!fs::esRegular(origen))
                continue;
            const QString destino = fs::une(rutas[j], nombre, ctx.plataforma);
            if (fs::soloLectura(destino))
                fs::ponSoloLectura(destino, false);
            if (!copiaReportada(ctx, origen, destino))
                reportaFalla(ctx, Texto::tr("ERROR: no fue posible copiar ") + nombre + Texto::tr(" a ") +
                                      rutas[j] + QStringLiteral(" (") + fs::ultimaCausa() + QLatin1Char(')'));
        }
    }
}

} // namespace

QString nombreRespuesta(const EstadoPrincipal& st, const QString& n) {
    return nombreRespuesta(st, n, preparaNombre(n));
}

QString nombreRespuesta(const EstadoPrincipal& st, const QString& n, const FormaNombre& forma) {
    if (n.isEmpty())
        return {};
    const int L = forma.LongitudNombre, P = forma.AjustePrefijo;
    const QString& envia = st.config().TxtConfiguration(slot::LetrasValidacion);
    const QString& recibe = st.config().TxtConfiguration(slot::LetrasPago);
    const QChar c = n.at(0);
    for (qsizetype k = 0; k < envia.size(); ++k) {
        if (c != envia.at(k) && c != envia.at(k).toUpper())
            continue;
        if ((c == QLatin1Char('e') || c == QLatin1Char('E')) && n.size() >= 9 && n.at(8) == QLatin1Char('.'))
            return QStringLiteral("ENV/a") + n.mid(1, L - 1);
        // Without its pair in slot 11 a name would be made up: none.
        if (k >= recibe.size())
            return {};
        if (recibe.at(k) == envia.at(k))
            return QStringLiteral("ENV/") + envia.at(k) + n.left(P + L - 4).right(L - 5) +
                   QStringLiteral(".err");
        return QStringLiteral("ENV/") + recibe.at(k) + n.mid(1, L - 1);
    }
    return {};
}

int largoParaRuta(const QString& entrada, QChar e) {
    if (entrada.isEmpty())
        return 0;
    const FormaNombre forma = numLetras(entrada.left(1));
    int L = forma.LongitudNombre;
    const QChar c = entrada.at(0);
    const QChar novena = entrada.size() >= 9 ? entrada.at(8) : QChar();
    if (novena == QLatin1Char('.') || forma.AjustePrefijo == 1 || forma.AjustePrefijo == -3)
        L = QStringLiteral("aAxX").contains(c) && forma.AjustePrefijo == -3 && novena != QLatin1Char('.')
                ? 15
                : 12;
    const QChar s = entrada.size() >= 2 ? entrada.at(1) : QChar();
    const bool envB = e == QLatin1Char('b') || e == QLatin1Char('B');
    const bool envE = e == QLatin1Char('e') || e == QLatin1Char('E');
    if (c == QLatin1Char('r') || c == QLatin1Char('R')) {
        if (QStringLiteral("aAbB").contains(s))
            return envB ? 0 : L;
        return envE ? 0 : L;
    }
    if (c == QLatin1Char('a') || c == QLatin1Char('A')) {
        if (novena == QLatin1Char('.'))
            return envE ? 12 : 0;
        return (e == QLatin1Char('f') || e == QLatin1Char('F')) ? 15 : 0;
    }
    if (c == QLatin1Char('x') || c == QLatin1Char('X'))
        return 15;
    return 12;
}

void BuscaRespuestas(Contexto& ctx, const QStringList& RemoteFileListBox) {
    EstadoPrincipal& st = ctx.st;
    const QString envio = st.config().TxtConfiguration(slot::DirEnvio);
    const QString recibo = st.config().TxtConfiguration(slot::DirRecibo);
    // A response whose transfer stalled ended the last cycle's transfers:
    // this one begins after it, so one stuck file never starves the others.
    QStringList pendientes = RemoteFileListBox;
    if (const qsizetype i = pendientes.indexOf(st.respuestas().tomaEstancada()); i >= 0)
        pendientes = pendientes.mid(i + 1) + pendientes.mid(0, i + 1);
    for (const QString& nombre : std::as_const(pendientes)) {
        if (ctx.cancelado())
            break;
        st.pantalla().setEvento(Texto::tr("Inicia la busqueda de repuesta"));
        if (!pruebaPatente(st, nombre))
            continue;
        const FormaNombre forma = preparaNombre(nombre);
        const QString remoto = nombreRespuesta(st, nombre, forma);
        if (remoto.isEmpty()) {
            st.pantalla().setEvento(Texto::tr("No se reconoce el tipo del archivo pendiente ") + nombre);
            continue;
        }
        const QString respuesta = remoto.right(forma.LongitudNombre);
        const QString destino = fs::une(recibo, respuesta, ctx.plataforma);
        // A response too large to keep is not fetched again this run.
        if (st.respuestas().excedida(remoto))
            continue;
        st.pantalla().setEvento(Texto::tr("Buscando archivo ") + respuesta);
        // An answer already here (the file was sent again) is replaced only
        // by a download that holds something: it comes in beside it first.
        const bool previa = fs::existeArchivo(destino);
        const QString llegada =
            previa ? fs::une(recibo, QLatin1Char('.') + respuesta + QStringLiteral(".nueva"), ctx.plataforma)
                   : destino;
        const bool sesionViva = st.sesion().perdida() == 0;
        const qint16 rc = ReceiveFile(ctx, llegada, remoto);
        if (rc != 0) {
            if (sesionViva && st.sesion().perdida() != 0)
                st.respuestas().estanca(nombre);
            reportaRespuestaNoGuardada(ctx, rc, respuesta, destino);
            continue;
        }
        if (!fs::existeArchivo(llegada))
            continue;
        if (QFileInfo(llegada).size() == 0) {
            // An empty answer is no answer: fetched again next cycle.
            fs::borra(llegada);
            continue;
        }
        if (previa) {
            if (!fs::renombra(llegada, destino)) {
                fs::borra(llegada);
                reportaFalla(ctx, Texto::tr("ERROR: no fue posible reemplazar ") + destino +
                                      QStringLiteral(" (") + fs::ultimaCausa() + QLatin1Char(')'));
                continue;
            }
            st.pantalla().setEvento(Texto::tr("Recibido.. ") + destino);
        }
        const QString pend = fs::une(fs::une(envio, carpetas::kPend, ctx.plataforma), nombre, ctx.plataforma);
        if (!fs::borra(pend))
            reportaFalla(ctx, Texto::tr("ERROR: no fue posible borrar el pendiente ") + pend);
        if (!registraEnLog(ctx, EventoLog::Recibido, respuesta))
            reportaFalla(ctx, Texto::tr("ERROR: no fue posible escribir en la bitácora ") + rutaLog(st));
    }
    copiaARutas(ctx);
}

} // namespace korva

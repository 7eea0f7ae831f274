#include "cycle/EnvioValidacion.h"

#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <functional>
#include <optional>

#include "app/Contexto.h"
#include "app/MainState.h"
#include "cycle/Nombres.h"
#include "cycle/Registro801.h"
#include "exchange/Transferencia.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "records/Bitacora.h"
#include "records/Fallas.h"
#include "signature/FirmaArchivo.h"

namespace korva {

namespace {

QDateTime modificado(const QString& ruta) {
    QDateTime m = QFileInfo(ruta).lastModified();
    m.setTime(QTime(m.time().hour(), m.time().minute(), m.time().second()));
    return m;
}

// Size and time of the name itself: what the register records of a file, and
// how an upload tells that the file changed while it went.
struct Huella {
    qint64 tamano = -1;
    QDateTime modificado;
    bool operator==(const Huella&) const = default;
};
Huella huella(const QString& ruta) {
    const QFileInfo fi(ruta);
    if (fi.isSymLink() || !fi.isFile())
        return {};
    return {fi.size(), fi.lastModified()};
}

// Writes the register lines that an earlier upload could not leave there.
void registraPendientes(MainState& st, fs::Anexo& registro) {
    while (!st.lineasSinRegistrar.isEmpty() && registro.agrega(st.lineasSinRegistrar.first()))
        st.lineasSinRegistrar.removeFirst();
}

// A copy of a file being sent into a sub-folder of the send folder, a
// failure put on the status line by name. The file itself stays in the send
// folder, so the copy need not wait for the disk; the folder is made when a
// copy finds it missing, not looked for before every copy of the pass.
bool archiva(Contexto& ctx, const QString& origen, const QString& envio, const QString& sub,
             const QString& nombre) {
    const QString carpeta = fs::une(envio, sub, ctx.plataforma);
    const QString destino = fs::une(carpeta, nombre, ctx.plataforma);
    if (copiaReportada(ctx, origen, destino, fs::Sincroniza::No))
        return true;
    if (!fs::existeCarpeta(carpeta) && fs::creaCarpeta(carpeta) &&
        copiaReportada(ctx, origen, destino, fs::Sincroniza::No))
        return true;
    reportaFalla(ctx,
                 QStringLiteral("ERROR: no fue posible copiar ") + nombre + QStringLiteral(" a ") + carpeta);
    return false;
}

void rechaza(Contexto& ctx, const QString& envio, const QString& ruta, const QString& nombre,
             bool julianoMal) {
    MainState& st = ctx.st;
    const QString carpeta = fs::une(envio, QStringLiteral("Rechaza"), ctx.plataforma);
    if (!fs::existeCarpeta(carpeta))
        fs::creaCarpeta(carpeta);
    const QString destino = fs::une(carpeta, nombre, ctx.plataforma);
    if (fs::soloLectura(destino))
        fs::ponSoloLectura(destino, false); // rejected again: its earlier copy is replaced
    // The file leaves the send folder only once its copy is safe.
    if (copiaReportada(ctx, ruta, destino)) {
        if (!fs::soloLectura(ruta))
            fs::borra(ruta);
    } else {
        reportaFalla(ctx, QStringLiteral("ERROR: no fue posible copiar ") + nombre + QStringLiteral(" a ") +
                              carpeta);
    }
    st.setEvento(QStringLiteral("Rechazando ") + nombre);
    const QString hora = ctx.reloj.ahora().toString(QStringLiteral("HH:mm "));
    st.agrega(Lista::Rechazados,
              nombre + QLatin1Char(' ') + hora +
                  (julianoMal ? QStringLiteral(" JULIANO MAL") : QStringLiteral("  FOLIOS MAL")));
}

// Hands the signed file back to the additional folder it came from, under
// the name it has there: an upper-case "M4321128.045" left unsigned would be
// copied over the signed file at the next pickup and sent again. `enDisco`
// gives a name as sent its file in the send folder.
void refrescaRutas(Contexto& ctx, const std::function<QString(const QString&)>& enDisco) {
    MainState& st = ctx.st;
    const QStringList& rutas = st.lista(Lista::EnvioLocal);
    const QStringList& letras = st.lista(Lista::ArchivosE);
    for (int r = 0; r < rutas.size() && r < letras.size(); ++r) {
        if (rutas[r] == st.TxtConfiguration(slot::DirEnvio))
            continue;
        std::optional<QHash<QString, QString>> enRuta; // listed once, when first needed
        for (const QString& entrada : st.lista(Lista::Enviados)) {
            if (entrada.isEmpty() || QString(entrada.at(0)) != letras[r])
                continue;
            preparaNombre(st, entrada);
            const QString nombre = entrada.left(st.LongitudNombre);
            if (!enRuta) {
                enRuta.emplace();
                for (const fs::Entrada& e : fs::lista(rutas[r], fs::Detalle::Tipo)) {
                    const QString minusculas = e.nombre.toLower();
                    // A link in the folder is no file the broker left there: never handed back through.
                    if (e.regular && (!enRuta->contains(minusculas) || e.nombre == minusculas))
                        enRuta->insert(minusculas, e.nombre);
                }
            }
            const auto remota = enRuta->constFind(nombre.toLower());
            if (remota == enRuta->cend())
                continue;
            const QString local = enDisco(nombre);
            const QString destino = fs::une(rutas[r], *remota, ctx.plataforma);
            if (fs::esRegular(local) && modificado(local) != modificado(destino) &&
                !copiaReportada(ctx, local, destino))
                reportaFalla(ctx, QStringLiteral("ERROR: no fue posible copiar ") + nombre +
                                      QStringLiteral(" a ") + rutas[r]);
        }
    }
}

} // namespace

void RecogeRutasAdicionales(Contexto& ctx, LstBitacora& bitacora) {
    MainState& st = ctx.st;
    bitacora.carga(st);
    const QString envio = st.TxtConfiguration(slot::DirEnvio);
    const QString patente = st.TxtConfiguration(slot::Usuario).right(4);
    const QStringList rutas = st.lista(Lista::EnvioLocal);
    const QStringList letras = st.lista(Lista::ArchivosE);
    for (int r = 0; r < rutas.size() && r < letras.size(); ++r) {
        for (const fs::Entrada& e : fs::lista(rutas[r])) {
            const QString& n = e.nombre;
            if (!e.regular) // never through a link
                continue;
            preparaNombre(st, n);
            if (!pruebaJuliano(st, n))
                continue;
            if (patenteDe(st, n) != patente && n.left(4) != patente)
                continue;
            const QString primera(n.at(0));
            if (primera != letras[r] && primera.toLower() != letras[r] && n.left(4) != patente)
                continue;
            if (!esTipoValidacion(st, n))
                continue;
            if (bitacora.contiene(n.left(st.LongitudNombre).toLower(), e.modificado()) || rutas[r] == envio)
                continue;
            if (!copiaReportada(ctx, fs::une(rutas[r], n, ctx.plataforma), fs::une(envio, n, ctx.plataforma)))
                reportaFalla(ctx, QStringLiteral("ERROR: no fue posible copiar ") + n +
                                      QStringLiteral(" a ") + envio);
        }
    }
}

void EnviaArchivosValidacion(Contexto& ctx) {
    MainState& st = ctx.st;
    st.setEvento(QStringLiteral("Inicia envío de Archivos de Validación"));
    LstBitacora bitacora;
    if (st.chk(slot::RutasAdicionales))
        RecogeRutasAdicionales(ctx, bitacora); // loads the register too
    else
        bitacora.carga(st);

    const QString envio = st.TxtConfiguration(slot::DirEnvio);
    // Files go under their lower-cased names, so names that differ only in
    // case would go in turn under one name, again every cycle. One of them is
    // the file of that name: the one spelled as it is sent, else the first by
    // name. The others stay where they are and are reported.
    const QList<fs::Entrada> entradas = fs::lista(envio);
    QHash<QString, qsizetype> elegido; // name as sent -> its file in `entradas`
    QStringList orden;
    QMap<QString, QStringList> repetidos;
    for (qsizetype i = 0; i < entradas.size(); ++i) {
        const fs::Entrada& e = entradas[i];
        if (!e.regular) // a link is no file of the broker's: never sent
            continue;
        const QString& n = e.nombre;
        preparaNombre(st, n);
        if (!pruebaPatente(st, n) || n.size() != st.LongitudNombre || n.endsWith(QLatin1String("err")) ||
            !esTipoValidacion(st, n))
            continue;
        const QString minusculas = n.toLower();
        const auto previo = elegido.constFind(minusculas);
        if (previo == elegido.cend()) {
            elegido.insert(minusculas, i);
            orden << minusculas;
            continue;
        }
        const QString& otro = entradas[*previo].nombre;
        QStringList& nombres = repetidos[minusculas];
        if (nombres.isEmpty())
            nombres << otro;
        nombres << n;
        if (otro != minusculas && (n == minusculas || n < otro))
            elegido[minusculas] = i;
    }
    QStringList LstSendFiles;
    for (const QString& n : std::as_const(orden))
        if (!bitacora.contiene(n, entradas[elegido.value(n)].modificado()))
            LstSendFiles << n;
    if (!st.chk(slot::EnvioAutomatico) && !LstSendFiles.isEmpty())
        ctx.dlg.archivosaEnviar(ctx, LstSendFiles);

    // The file on disk may keep the upper-case letter its author gave it.
    const auto rutaEnvio = [&](const QString& nombre) {
        const auto enDisco = elegido.constFind(nombre);
        return enDisco != elegido.cend() ? fs::une(envio, entradas[*enDisco].nombre, ctx.plataforma)
                                         : fs::rutaSinMayusculas(envio, nombre, ctx.plataforma);
    };
    // Opened before the first upload and kept for the pass: a file goes only
    // when its register line can be written.
    fs::Anexo registro;
    if (!st.lineasSinRegistrar.isEmpty() && registro.abre(rutaRegistro(st)))
        registraPendientes(st, registro);
    for (const QString& entrada : std::as_const(LstSendFiles)) {
        ctx.late(); // signing and copies of a long list take a while without a transfer
        preparaNombre(st, entrada);
        const QString nombre = entrada.left(1).toLower() + entrada.right(st.LongitudNombre - 1);
        const QString ruta = rutaEnvio(nombre);
        const bool existe = fs::esRegular(ruta);
        const quint8 tipo = TipoDocumento(nombre);
        if (st.chk(slot::Firmar) && tipo < kNoFirmable && existe) {
            if (tipo == 0)
                PreparaRegistro801(ctx, ruta);
            if (FirmaArchivo(ctx, ruta, tipo) != 0)
                continue;
        }
        if (!existe)
            continue;
        preparaNombre(st, nombre); // signing may have used the shared name values
        const bool julianoBien = pruebaJuliano(st, nombre);
        if (!julianoBien || !pruebaFolio(st, nombre)) {
            rechaza(ctx, envio, ruta, nombre, !julianoBien);
            continue;
        }
        st.setEvento(QStringLiteral("Enviando ") + nombre);
        if (!registro.abierto() && !registro.abre(rutaRegistro(st))) {
            reportaFalla(ctx, QStringLiteral("ERROR: no fue posible escribir en ") + rutaRegistro(st) +
                                  QStringLiteral("; no se envían archivos mientras no puedan registrarse"));
            continue;
        }
        const Huella antes = huella(ruta);
        // The Pend copy comes first: a file goes only once its response will
        // be searched (a full disk holds it back, with the reason on the
        // status line). A copy already waiting there serves as well.
        const QString pendiente =
            fs::une(fs::une(envio, QStringLiteral("Pend"), ctx.plataforma), nombre, ctx.plataforma);
        const bool yaPendiente = fs::existeArchivo(pendiente);
        if (!archiva(ctx, ruta, envio, QStringLiteral("Pend"), nombre) && !yaPendiente)
            continue;
        if (const qint16 rc = SendFile(ctx, ruta, QStringLiteral("REC/") + nombre)) {
            // Tried again next cycle. A failed connection has said why; an
            // upload cut short says nothing of its own.
            if (!yaPendiente)
                fs::borra(pendiente);
            const QString conexion = QStringLiteral("ERROR al conectar- ") + QString::number(rc);
            if (st.evento() != conexion)
                st.setEvento(QStringLiteral("ERROR al enviar ") + nombre + QStringLiteral(" - ") +
                             QString::number(rc));
            continue;
        }
        // Still being written: what went may be cut short. Not registered, so
        // the next cycle sends the whole file.
        if (huella(ruta) != antes) {
            reportaFalla(ctx, nombre + QStringLiteral(" cambió mientras se enviaba; se enviará de nuevo"));
            continue;
        }
        archiva(ctx, ruta, envio, QStringLiteral("Enviados"), nombre);
        if (!registraEnLog(ctx, EventoLog::Enviado, nombre))
            reportaFalla(ctx, QStringLiteral("ERROR: no fue posible escribir en la bitácora ") + rutaLog(st));
        const QString linea = lineaBitacora(nombre, antes.modificado);
        if (!registro.agrega(linea)) {
            // Kept for this run, so the file is not sent again, and written
            // to the register as soon as it takes lines again.
            st.lineasSinRegistrar << linea;
            reportaFalla(ctx, QStringLiteral("ERROR: no fue posible escribir en ") + rutaRegistro(st) +
                                  QStringLiteral("; ") + nombre + QStringLiteral(" ya fue enviado"));
        }
        bitacora.agrega(nombre, antes.modificado);
    }

    if (st.chk(slot::RutasAdicionales))
        refrescaRutas(ctx, rutaEnvio);
    // Last, so the pass's own progress texts do not hide it.
    for (auto r = repetidos.cbegin(); r != repetidos.cend(); ++r) {
        QStringList nombres = r.value();
        nombres.sort();
        reportaFalla(ctx, QStringLiteral("ERROR: hay más de un archivo con el nombre ") + r.key() +
                              QStringLiteral(" (") + nombres.join(QStringLiteral(", ")) +
                              QStringLiteral("); se envía ") + entradas[elegido.value(r.key())].nombre);
    }
}

} // namespace korva

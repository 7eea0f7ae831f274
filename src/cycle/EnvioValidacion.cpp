#include "cycle/EnvioValidacion.h"

#include <QFileInfo>

#include "app/Contexto.h"
#include "app/MainState.h"
#include "cycle/Nombres.h"
#include "cycle/Registro801.h"
#include "exchange/Transferencia.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "records/Bitacora.h"
#include "signature/FirmaArchivo.h"

namespace korva {

namespace {

QDateTime modificado(const QString& ruta) {
    QDateTime m = QFileInfo(ruta).lastModified();
    m.setTime(QTime(m.time().hour(), m.time().minute(), m.time().second()));
    return m;
}

bool esArchivo(const fs::Entrada& e, const QString& carpeta) {
    return e.regular || (e.enlace && QFileInfo(fs::une(carpeta, e.nombre)).isFile());
}

// A copy of a file being sent into a sub-folder of the send folder, a
// failure put on the status line by name. The file itself stays in the send
// folder, so the copy need not wait for the disk; the folder is made when a
// copy finds it missing, not looked for before every copy of the pass.
bool archiva(Contexto& ctx, const QString& origen, const QString& envio, const QString& sub,
             const QString& nombre) {
    const QString carpeta = fs::une(envio, sub, ctx.plataforma);
    const QString destino = fs::une(carpeta, nombre, ctx.plataforma);
    if (fs::copia(origen, destino, fs::Sincroniza::No))
        return true;
    if (!fs::existeCarpeta(carpeta) && fs::creaCarpeta(carpeta) &&
        fs::copia(origen, destino, fs::Sincroniza::No))
        return true;
    ctx.st.setEvento(QStringLiteral("ERROR: no fue posible copiar ") + nombre + QStringLiteral(" a ") +
                     carpeta);
    return false;
}

void rechaza(Contexto& ctx, const QString& envio, const QString& nombre, bool julianoMal) {
    MainState& st = ctx.st;
    const QString carpeta = fs::une(envio, QStringLiteral("Rechaza"), ctx.plataforma);
    if (!fs::existeCarpeta(carpeta))
        fs::creaCarpeta(carpeta);
    const QString ruta = fs::rutaSinMayusculas(envio, nombre, ctx.plataforma);
    const QString destino = fs::une(carpeta, nombre, ctx.plataforma);
    if (fs::soloLectura(destino))
        fs::ponSoloLectura(destino, false); // rejected again: its earlier copy is replaced
    // The file leaves the send folder only once its copy is safe.
    if (fs::copia(ruta, destino)) {
        if (!fs::soloLectura(ruta))
            fs::borra(ruta);
    }
    st.setEvento(QStringLiteral("Rechazando ") + nombre);
    const QString hora = ctx.reloj.ahora().toString(QStringLiteral("HH:mm "));
    st.agrega(Lista::Rechazados,
              nombre + QLatin1Char(' ') + hora +
                  (julianoMal ? QStringLiteral(" JULIANO MAL") : QStringLiteral("  FOLIOS MAL")));
}

// Hands the signed file back to the additional folder it came from.
void refrescaRutas(Contexto& ctx, const QString& envio) {
    MainState& st = ctx.st;
    const QStringList& rutas = st.lista(Lista::EnvioLocal);
    const QStringList& letras = st.lista(Lista::ArchivosE);
    for (int r = 0; r < rutas.size() && r < letras.size(); ++r) {
        if (rutas[r] == st.TxtConfiguration(slot::DirEnvio))
            continue;
        for (const QString& entrada : st.lista(Lista::Enviados)) {
            if (entrada.isEmpty() || QString(entrada.at(0)) != letras[r])
                continue;
            preparaNombre(st, entrada);
            const QString nombre = entrada.left(st.LongitudNombre);
            const QString local = fs::une(envio, nombre, ctx.plataforma);
            const QString remota = fs::une(rutas[r], nombre, ctx.plataforma);
            if (fs::existeArchivo(local) && fs::existeArchivo(remota) &&
                modificado(local) != modificado(remota))
                fs::copia(local, remota);
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
            if (!esArchivo(e, rutas[r]))
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
            fs::copia(fs::une(rutas[r], n, ctx.plataforma), fs::une(envio, n, ctx.plataforma));
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
    QStringList LstSendFiles;
    for (const fs::Entrada& e : fs::lista(envio)) {
        if (!esArchivo(e, envio))
            continue;
        const QString& n = e.nombre;
        preparaNombre(st, n);
        if (!pruebaPatente(st, n) || n.size() != st.LongitudNombre || n.endsWith(QLatin1String("err")) ||
            !esTipoValidacion(st, n))
            continue;
        if (!bitacora.contiene(n.left(st.LongitudNombre).toLower(), e.modificado()))
            LstSendFiles << n.toLower();
    }
    if (!st.chk(slot::EnvioAutomatico) && !LstSendFiles.isEmpty())
        ctx.dlg.archivosaEnviar(ctx, LstSendFiles);

    for (const QString& entrada : std::as_const(LstSendFiles)) {
        ctx.late(); // signing and copies of a long list take a while without a transfer
        preparaNombre(st, entrada);
        const QString nombre = entrada.left(1).toLower() + entrada.right(st.LongitudNombre - 1);
        // The file on disk may keep the upper-case letter its author gave it.
        const QString ruta = fs::rutaSinMayusculas(envio, nombre, ctx.plataforma);
        const bool existe = fs::existeArchivo(ruta);
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
            rechaza(ctx, envio, nombre, !julianoBien);
            continue;
        }
        st.setEvento(QStringLiteral("Enviando ") + nombre);
        const QDateTime fecha = modificado(ruta);
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
        archiva(ctx, ruta, envio, QStringLiteral("Enviados"), nombre);
        if (!registraEnLog(ctx, EventoLog::Enviado, nombre))
            st.setEvento(QStringLiteral("ERROR: no fue posible escribir en la bitácora ") + rutaLog(st));
        if (!agregaBitacora(st, nombre, fecha))
            st.setEvento(QStringLiteral("ERROR: no fue posible escribir en ") + rutaRegistro(st));
        bitacora.agrega(nombre, fecha);
    }

    if (st.chk(slot::RutasAdicionales))
        refrescaRutas(ctx, envio);
}

} // namespace korva

#include "cycle/EnvioValidacion.h"
#include "comun/Carpetas.h"
#include "comun/SeleccionEnvio.h"
#include "platform/Texto.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QThread>
#include <algorithm>
#include <functional>
#include <optional>

#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "comun/Fallas.h"
#include "comun/ModError.h"
#include "comun/Nombres.h"
#include "comun/Transferencia.h"
#include "cycle/Registro801.h"
#include "platform/ClienteFtp.h"
#include "platform/Dialogos.h"
#include "platform/FtpErrores.h"
#include "platform/Reloj.h"
#include "platform/fs.h"
#include "records/Bitacora.h"
#include "signature/FirmaArchivo.h"

namespace korva {

namespace {

QDateTime modificado(const QString& ruta) {
    QDateTime m = QFileInfo(ruta).lastModified();
    m.setTime(QTime(m.time().hour(), m.time().minute(), m.time().second()));
    return m;
}

// The program's own side of a transfer failed (the file could not be read).
bool esFallaLocal(qint32 codigo) {
    return codigo >= codigos::ArchivoLocalNoCreado && codigo <= codigos::ArchivoLocalNoEscrito;
}

// Waits, with the window turning, until `ms` have passed since `desde`.
void esperaQuietud(Contexto& ctx, const QElapsedTimer& desde, int ms) {
    while (desde.elapsed() < ms && !ctx.cancelado()) {
        ctx.late();
        QThread::msleep(quint64(std::clamp<qint64>(ms - desde.elapsed(), 1, 10)));
    }
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
    reportaFalla(ctx, Texto::tr("ERROR: no fue posible copiar ") + nombre + Texto::tr(" a ") + carpeta +
                          QStringLiteral(" (") + fs::ultimaCausa() + QLatin1Char(')'));
    return false;
}

void rechaza(Contexto& ctx, const QString& envio, const QString& ruta, const QString& nombre,
             bool julianoMal) {
    EstadoPrincipal& st = ctx.st;
    const QString carpeta = fs::une(envio, carpetas::kRechaza, ctx.plataforma);
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
        reportaFalla(ctx, Texto::tr("ERROR: no fue posible copiar ") + nombre + Texto::tr(" a ") + carpeta +
                              QStringLiteral(" (") + fs::ultimaCausa() + QLatin1Char(')'));
    }
    st.pantalla().setEvento(Texto::tr("Rechazando ") + nombre);
    const QString hora = ctx.reloj.ahora().toString(QStringLiteral("HH:mm "));
    st.pantalla().agrega(Lista::Rechazados,
                         nombre + QLatin1Char(' ') + hora +
                             (julianoMal ? QStringLiteral(" JULIANO MAL") : QStringLiteral("  FOLIOS MAL")));
}

// Hands the signed file back to the additional folder it came from, under
// the name it has there: an upper-case "M4321128.045" left unsigned would be
// copied over the signed file at the next pickup and sent again. `enDisco`
// gives a name as sent its file in the send folder. Only the file that went
// is replaced: one the broker wrote there since (its time is not in the
// register) is a new version, taken by the next pass.
void refrescaRutas(Contexto& ctx, const LstBitacora& bitacora,
                   const std::function<QString(const QString&)>& enDisco) {
    EstadoPrincipal& st = ctx.st;
    const QStringList rutas = st.config().rutas(Sentido::Envio).carpetas;
    const QStringList letras = st.config().rutas(Sentido::Envio).letras;
    for (int r = 0; r < rutas.size() && r < letras.size(); ++r) {
        if (rutas[r] == st.config().TxtConfiguration(slot::DirEnvio))
            continue;
        std::optional<QHash<QString, QString>> enRuta; // listed once, when first needed
        QSet<QString> vistos;                          // a name sent twice today is handed back once
        for (const QString& entrada : st.pantalla().lista(Lista::Enviados)) {
            if (entrada.isEmpty() || QString(entrada.at(0)) != letras[r])
                continue;
            const QString nombre = entrada.left(preparaNombre(entrada).LongitudNombre);
            if (vistos.contains(nombre))
                continue;
            vistos.insert(nombre);
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
            const QDateTime enLaRuta = modificado(destino);
            if (!fs::esRegular(local) || modificado(local) == enLaRuta ||
                !bitacora.contiene(nombre.toLower(), enLaRuta))
                continue;
            // A folder that refuses it (read-only) is said once a run, not every cycle.
            if (!copiaReportada(ctx, local, destino))
                reportaFallaUnaVez(ctx, QStringLiteral("devolucion ") + destino,
                                   Texto::tr("ERROR: no fue posible copiar ") + nombre + Texto::tr(" a ") +
                                       rutas[r] + QStringLiteral(" (") + fs::ultimaCausa() +
                                       QLatin1Char(')'));
        }
    }
}

} // namespace

bool RecogeRutasAdicionales(Contexto& ctx, LstBitacora& bitacora) {
    EstadoPrincipal& st = ctx.st;
    if (!bitacora.carga(st))
        return false;
    const QString envio = st.config().TxtConfiguration(slot::DirEnvio);
    const QString patente = st.config().patente();
    const QStringList rutas = st.config().rutas(Sentido::Envio).carpetas;
    const QStringList letras = st.config().rutas(Sentido::Envio).letras;
    const auto copia = [&](const QString& origen, const QString& n) {
        if (!copiaReportada(ctx, origen, fs::une(envio, n, ctx.plataforma)))
            reportaFalla(ctx, Texto::tr("ERROR: no fue posible copiar ") + n + Texto::tr(" a ") + envio +
                                  QStringLiteral(" (") + fs::ultimaCausa() + QLatin1Char(')'));
    };
    struct Reciente {
        QString origen, nombre;
        fs::Huella huella;
    };
    QList<Reciente> recientes;
    QElapsedTimer vistazo;
    vistazo.start();
    for (int r = 0; r < rutas.size() && r < letras.size(); ++r) {
        if (fs::mismaCarpeta(rutas[r], envio)) // its files are the send folder's own
            continue;
        for (const fs::Entrada& e : fs::lista(rutas[r])) {
            const QString& n = e.nombre;
            if (!e.regular) // never through a link
                continue;
            if (!pruebaJuliano(st, n))
                continue;
            if (patenteDe(n) != patente && n.left(4) != patente)
                continue;
            const QString primera(n.at(0));
            if (primera != letras[r] && primera.toLower() != letras[r] && n.left(4) != patente)
                continue;
            if (!esTipoValidacion(st, n))
                continue;
            if (bitacora.contiene(n.left(preparaNombre(n).LongitudNombre).toLower(), e.modificado()))
                continue;
            // A file still being written is taken once quiet: the copy keeps
            // its time, and would look quiet once made. One whose time is
            // ahead of this machine's clock is looked at again after a wait.
            const QString origen = fs::une(rutas[r], n, ctx.plataforma);
            const fs::Huella h = fs::huella(origen);
            if (fs::quieto(h, ctx.msQuietud))
                copia(origen, n);
            else if (h.existe())
                recientes.append({origen, n, h});
        }
    }
    if (!recientes.isEmpty()) {
        esperaQuietud(ctx, vistazo, ctx.msQuietud);
        for (const Reciente& r : std::as_const(recientes))
            if (!ctx.cancelado() && fs::huella(r.origen) == r.huella)
                copia(r.origen, r.nombre);
    }
    return true;
}

namespace {

// One outgoing pass: the register as loaded, the send folder as listed, and
// the file on disk behind each name as sent.
struct Pasada {
    Contexto& ctx;
    EstadoPrincipal& st;
    QString envio;
    LstBitacora bitacora;
    // Opened before the first upload and kept for the pass: a file goes only
    // when its register line can be written.
    fs::Anexo registro;
    QList<fs::Entrada> entradas;
    QHash<QString, qsizetype> elegido; // name as sent -> its file in `entradas`
    QMap<QString, QStringList> repetidos;

    explicit Pasada(Contexto& c) : ctx(c), st(c.st), envio(c.st.config().TxtConfiguration(slot::DirEnvio)) {}

    // The file on disk may keep the upper-case letter its author gave it.
    QString rutaEnvio(const QString& nombre) const {
        const auto enDisco = elegido.constFind(nombre);
        return enDisco != elegido.cend() ? fs::une(envio, entradas[*enDisco].nombre, ctx.plataforma)
                                         : fs::rutaSinMayusculas(envio, nombre, ctx.plataforma);
    }

    QStringList candidatos();
    void envia(const QString& entrada, const fs::Huella& vista);
    bool sube(const QString& nombre, const QString& ruta, const fs::Huella& antes,
              std::optional<fs::Original>& original, const fs::Huella& vista);
    void reportaRepetidos();
};

// This patent's validation files of the send folder not yet sent as they
// are now. Files go under their lower-cased names, so names that differ only
// in case would go in turn under one name, again every cycle. One of them is
// the file of that name: the one spelled as it is sent, else the first by
// name. The others stay where they are and are reported.
QStringList Pasada::candidatos() {
    entradas = fs::lista(envio);
    QStringList orden;
    for (qsizetype i = 0; i < entradas.size(); ++i) {
        const fs::Entrada& e = entradas[i];
        if (!e.regular) // a link is no file of the broker's: never sent
            continue;
        const QString& n = e.nombre;
        if (!pruebaPatente(st, n) || n.size() != preparaNombre(n).LongitudNombre ||
            n.endsWith(QLatin1String("err")) || !esTipoValidacion(st, n))
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
    QStringList nuevos;
    for (const QString& n : std::as_const(orden))
        if (!bitacora.contiene(n, entradas[elegido.value(n)].modificado()))
            nuevos << n;
    return nuevos;
}

// Signs (when configured), checks and uploads one file. `vista` is the file
// as the pass found it quiet: one that changed since is left for a later
// pass, and one that changes while it is signed or sent is put back as its
// writer left it and neither registered nor lost.
void Pasada::envia(const QString& entrada, const fs::Huella& vista) {
    const QString nombre =
        entrada.left(1).toLower() + entrada.right(preparaNombre(entrada).LongitudNombre - 1);
    const QString ruta = rutaEnvio(nombre);
    if (fs::huella(ruta) != vista)
        return; // gone, or written to since it was found quiet
    const quint8 tipo = TipoDocumento(nombre);
    fs::Huella antes = vista;
    std::optional<fs::Original> original;
    if (st.config().chk(slot::Firmar) && tipo < kNoFirmable) {
        // Read-only is how a broker protects a file: never rewritten or signed.
        if (fs::soloLectura(ruta)) {
            reportaFallaUnaVez(ctx, QStringLiteral("solo-lectura ") + nombre,
                               Texto::tr("ERROR: ") + nombre +
                                   Texto::tr(" es de solo lectura: no se firma ni se envía mientras lo sea"));
            return;
        }
        // Held open: the rewrite and the signing put a new file under the
        // name, and a writer still at work would go on writing the old one.
        original.emplace();
        if (!original->abre(ruta) || original->huella() != vista)
            return;
        if (tipo == 0 && !PreparaRegistro801(st, ruta)) {
            reportaFalla(ctx, Texto::tr("ERROR: no fue posible preparar el registro 801 de ") + nombre +
                                  QStringLiteral(" (") + fs::ultimaCausa() + Texto::tr("); no se envía"));
            return;
        }
        if (FirmaArchivo(ctx, ruta, tipo) != 0)
            return;
        if (original->huella() != vista) {
            original->restaura();
            reportaFalla(ctx,
                         nombre + Texto::tr(" cambió mientras se firmaba; se enviará cuando esté completo"));
            return;
        }
        antes = fs::huella(ruta);
    }
    const bool julianoBien = pruebaJuliano(st, nombre);
    if (!julianoBien || !pruebaFolio(st, nombre)) {
        rechaza(ctx, envio, ruta, nombre, !julianoBien);
        return;
    }
    st.pantalla().setEvento(Texto::tr("Enviando ") + nombre);
    if (!registro.abierto() && !registro.abre(rutaRegistro(st))) {
        reportaFalla(ctx, Texto::tr("ERROR: no fue posible escribir en ") + rutaRegistro(st) +
                              Texto::tr("; no se envían archivos mientras no puedan registrarse"));
        return;
    }
    if (!sube(nombre, ruta, antes, original, vista))
        return;
    archiva(ctx, ruta, envio, carpetas::kEnviados, nombre);
    if (!registraEnLog(ctx, EventoLog::Enviado, nombre))
        reportaFalla(ctx, Texto::tr("ERROR: no fue posible escribir en la bitácora ") + rutaLog(st));
    // A signed file went as found, too: its unsigned original may still
    // stand in an additional folder (the hand-back comes at the end of the
    // pass, and may never come), and is no new file.
    QList<QDateTime> tiempos{antes.modificado()};
    if (vista.modificado() != antes.modificado())
        tiempos << vista.modificado();
    bool registrado = true;
    for (const QDateTime& t : std::as_const(tiempos)) {
        // A line the register cannot take is kept until it can, so the
        // file is not sent again.
        registrado = registraLinea(ctx, registro, lineaBitacora(nombre, t)) && registrado;
        bitacora.agrega(nombre, t);
    }
    if (!registrado)
        reportaFalla(ctx, Texto::tr("ERROR: no fue posible escribir en ") + rutaRegistro(st) +
                              QStringLiteral("; ") + nombre + Texto::tr(" ya fue enviado"));
}

// The Pend copy, the upload and the check that the file went as it is.
bool Pasada::sube(const QString& nombre, const QString& ruta, const fs::Huella& antes,
                  std::optional<fs::Original>& original, const fs::Huella& vista) {
    // The Pend copy comes first: a file goes only once its response will be
    // searched (a full disk holds it back, with the reason on the status
    // line). A copy already waiting there serves as well.
    const QString pendiente =
        fs::une(fs::une(envio, carpetas::kPend, ctx.plataforma), nombre, ctx.plataforma);
    const bool yaPendiente = fs::existeArchivo(pendiente);
    if (!archiva(ctx, ruta, envio, carpetas::kPend, nombre) && !yaPendiente)
        return false;
    const bool sesionViva = st.sesion().perdida() == 0;
    if (const qint16 rc = SendFile(ctx, ruta, QStringLiteral("REC/") + nombre)) {
        // Tried again next cycle. A failed connection has said why, as has a
        // session lost; an upload the centre refused is said here, with the
        // file's name, in the window once a run and to the broker's desktop.
        if (!yaPendiente)
            fs::borra(pendiente);
        const QString conexion = QStringLiteral("ERROR al conectar- ") + QString::number(rc);
        if (sesionViva && st.sesion().perdida() == 0 && !esFallaLocal(rc)) {
            reportaFallaUnaVez(ctx, QStringLiteral("subida ") + nombre + QString::number(rc),
                               Texto::tr("ERROR: el centro no aceptó ") + nombre + QStringLiteral(" (") +
                                   QString::number(rc) + QLatin1Char(' ') + MensajeError(rc).trimmed() +
                                   Texto::tr("); se enviará de nuevo en el siguiente ciclo"));
            st.marcaEnvioRechazado(nombre, rc);
        } else if (st.pantalla().evento() != conexion) {
            st.pantalla().setEvento(Texto::tr("ERROR al enviar ") + nombre + QStringLiteral(" - ") +
                                    QString::number(rc));
        }
        return false;
    }
    // Still being written: what went may be cut short. Not registered, so
    // the next cycle sends the whole file.
    const bool originalCambio = original && original->huella() != vista;
    if (fs::huella(ruta) != antes || originalCambio) {
        if (originalCambio)
            original->restaura();
        // What went is withdrawn from the centre where it still can be, and
        // no response is searched for it: the whole file goes next cycle.
        if (!yaPendiente)
            fs::borra(pendiente);
        if (ctx.ftp && ctx.ftp->conectado())
            ctx.ftp->borra(QStringLiteral("REC/") + nombre);
        reportaFalla(ctx, nombre + Texto::tr(" cambió mientras se enviaba; se enviará de nuevo"));
        return false;
    }
    return true;
}

void Pasada::reportaRepetidos() {
    for (auto r = repetidos.cbegin(); r != repetidos.cend(); ++r) {
        QStringList nombres = r.value();
        nombres.sort();
        reportaFalla(ctx, Texto::tr("ERROR: hay más de un archivo con el nombre ") + r.key() +
                              QStringLiteral(" (") + nombres.join(QStringLiteral(", ")) +
                              Texto::tr("); se envía ") + entradas[elegido.value(r.key())].nombre);
    }
}

} // namespace

void EnviaArchivosValidacion(Contexto& ctx) {
    EstadoPrincipal& st = ctx.st;
    st.pantalla().setEvento(Texto::tr("Inicia envío de Archivos de Validación"));
    Pasada p(ctx);
    const bool leido = st.config().chk(slot::RutasAdicionales) ? RecogeRutasAdicionales(ctx, p.bitacora)
                                                               : p.bitacora.carga(st);
    if (!leido) {
        // Every file would look unsent and go again.
        reportaFalla(ctx, Texto::tr("ERROR: no fue posible leer ") + rutaRegistro(st) + QStringLiteral(" (") +
                              fs::ultimaCausa() +
                              Texto::tr("); no se envían archivos mientras no pueda leerse"));
        return;
    }

    QStringList LstSendFiles = p.candidatos();
    if (!st.config().chk(slot::EnvioAutomatico) && !LstSendFiles.isEmpty()) {
        if (ctx.seleccion)
            ctx.seleccion->elige(ctx, LstSendFiles);
        else
            LstSendFiles.clear(); // nobody to choose: nothing goes unasked
    }

    if (!st.atrasados().vacio() && p.registro.abre(rutaRegistro(st)))
        registraAtrasadas(ctx, p.registro);
    // A file is taken only once it is quiet: its last write lies the quiet
    // interval behind. The others are looked at again once, after the rest
    // of the pass, and go if they have not changed meanwhile.
    QElapsedTimer vistazo;
    vistazo.start();
    QList<std::pair<QString, fs::Huella>> recientes;
    for (const QString& entrada : std::as_const(LstSendFiles)) {
        ctx.late(); // signing and copies of a long list take a while without a transfer
        if (ctx.cancelado())
            break;
        const fs::Huella h = fs::huella(p.rutaEnvio(entrada.toLower()));
        if (fs::quieto(h, ctx.msQuietud))
            p.envia(entrada, h);
        else if (h.existe())
            recientes.append({entrada, h});
    }
    if (!recientes.isEmpty()) {
        esperaQuietud(ctx, vistazo, ctx.msQuietud);
        for (const auto& [entrada, h] : std::as_const(recientes)) {
            if (ctx.cancelado())
                break;
            if (fs::huella(p.rutaEnvio(entrada.toLower())) == h)
                p.envia(entrada, h);
            else
                st.pantalla().setEvento(entrada +
                                        Texto::tr(" se está escribiendo; se enviará cuando termine"));
        }
    }

    if (st.config().chk(slot::RutasAdicionales))
        refrescaRutas(ctx, p.bitacora, [&p](const QString& n) { return p.rutaEnvio(n); });
    // Last, so the pass's own progress texts do not hide it.
    p.reportaRepetidos();
}

} // namespace korva

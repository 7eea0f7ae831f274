#include "records/Respaldo.h"
#include "platform/Texto.h"

#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <optional>

#include "comun/Carpetas.h"
#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "config/ArchivoConfiguracion.h"
#include "platform/Ansi.h"
#include "platform/Candado.h"
#include "platform/Dialogos.h"
#include "platform/Reloj.h"
#include "platform/fs.h"

namespace korva {

namespace {

const QString kUsuarios = QStringLiteral("usuarios.dat");
const QString kCancelado = QStringLiteral("Proceso cancelado.");

QString carpetaRespaldo1(const Contexto& ctx) {
    return fs::une(ctx.carpetaPrograma, carpetas::kRespalda, ctx.plataforma);
}

QString carpetaRespaldo2(const Contexto& ctx) {
    return fs::une(ctx.st.config().TxtConfiguration(slot::DirRecibo), carpetas::kRespalda, ctx.plataforma);
}

void reportaCopia(Contexto& ctx, const QString& origen, const QString& destino) {
    ctx.dlg.error(Texto::tr("ERROR: No fue posible copiar el archivo ") + origen + Texto::tr(" a ") +
                  destino + QStringLiteral("."));
}

// The patent a key or a configuration line ends with.
QString patenteDe(const QString& linea) { return linea.right(4); }

// Whether a configuration (its bytes) is the one of the patents list's key:
// its user line (slot 1) ends with the key's patent. A key that does not end
// with a patent number ("Oficina Norte") tells nothing: the file's place does.
bool tienePatente(const QString& clave) {
    const QString patente = patenteDe(clave);
    bool numero = patente.size() == 4;
    for (QChar c : patente)
        numero = numero && c.isDigit();
    return numero;
}
bool esDe(const QByteArray& datos, const QString& clave) {
    return !tienePatente(clave) || patenteDe(ansi::lineas(datos).value(1)) == patenteDe(clave);
}

// A configuration cut short (fewer lines than its slots): damage.
bool completa(const QByteArray& datos) { return ansi::lineas(datos).size() >= EstadoConfiguracion::kSlots; }

std::optional<QByteArray> lee(const QString& ruta) {
    QByteArray datos;
    if (!fs::lee(ruta, fs::limite::kConfiguracion, &datos))
        return std::nullopt;
    return datos;
}

// A configuration file's bytes when it is the key's.
std::optional<QByteArray> configuracionDe(const QString& ruta, const QString& clave) {
    std::optional<QByteArray> datos = lee(ruta);
    if (!datos || !esDe(*datos, clave))
        return std::nullopt;
    return datos;
}

// The backup folders are the program's own: never a link elsewhere (a
// configuration with its password written there, or one planted there taken).
bool respaldoPropio(Contexto& ctx, const QString& carpeta) {
    if (carpetas::propia(carpeta))
        return true;
    ctx.dlg.error(Texto::tr("ERROR: ") + carpeta +
                  Texto::tr(" no es una carpeta del programa (es un enlace o un archivo); no se usa para "
                            "el respaldo. Quítela para que el programa cree la suya."));
    return false;
}

// The odbc<n>.reg files of the program folder, by position.
QMap<int, QString> archivosConfiguracion(const QString& carpeta) {
    static const QRegularExpression re(QStringLiteral("^odbc(\\d{1,3})\\.reg$"));
    QMap<int, QString> out;
    for (const fs::Entrada& e : fs::lista(carpeta))
        if (const auto m = re.match(e.nombre); m.hasMatch() && !e.carpeta)
            out.insert(m.captured(1).toInt(), fs::une(carpeta, e.nombre));
    return out;
}
// Another window's patent would have its file moved under it: said, and true.
bool abiertaEnOtraVentana(Contexto& ctx, const QMap<int, QString>& existentes, const QStringList& actuales) {
    for (auto e = existentes.cbegin(); e != existentes.cend(); ++e) {
        if (e.key() != ctx.st.config().IndicePatente() &&
            CandadoPatente::ocupada(ctx.carpetaPrograma, e.key())) {
            ctx.dlg.error(Texto::tr("No es posible recuperar la configuración mientras la patente ") +
                          actuales.value(e.key(), QString::number(e.key())) +
                          Texto::tr(" está abierta en otra ventana de KORVAVal; ciérrela e intente de "
                                    "nuevo."));
            return true;
        }
    }
    return false;
}

// The configuration each position of the restored list will hold, read
// before anything is written: a patent's current file may be moving to the
// place of another's. None where neither a backup nor a file of its own is.
QList<std::optional<QByteArray>> leeNuevas(Contexto& ctx, const QString& fuente, const QStringList& claves,
                                           const QStringList& actuales,
                                           const QMap<int, QString>& existentes) {
    QList<std::optional<QByteArray>> nuevos;
    QSet<int> usados;
    for (int n = 0; n < claves.size(); ++n) {
        const QString& clave = claves.at(n);
        std::optional<QByteArray> datos =
            configuracionDe(fs::une(fuente, QString::number(n), ctx.plataforma), clave);
        if (!datos)
            ctx.dlg.error(Texto::tr("ERROR: no se encontró el archivo de respaldo de la Patente ") +
                          patenteDe(clave) + QStringLiteral("."));
        // Its own current file, where its key stands now and, when the key
        // names its patent, wherever a file of that patent is: taken where
        // there is no backup, or where the backup is cut short and it is not.
        QList<int> orden;
        if (const int aqui = int(actuales.indexOf(clave)); aqui >= 0)
            orden << aqui;
        if (tienePatente(clave))
            orden += existentes.keys();
        for (int i : std::as_const(orden)) {
            if (usados.contains(i) || !existentes.contains(i))
                continue;
            const std::optional<QByteArray> actual = configuracionDe(existentes.value(i), clave);
            if (!actual)
                continue;
            if (!datos || (!completa(*datos) && completa(*actual))) {
                if (datos)
                    ctx.dlg.error(Texto::tr("ERROR: el respaldo de la Patente ") + patenteDe(clave) +
                                  Texto::tr(" está incompleto; se conserva su configuración actual."));
                datos = actual;
                usados.insert(i);
            }
            break;
        }
        nuevos.append(datos);
    }
    return nuevos;
}

// Copies the files that are there into `aparte`: the files copied, or none
// after its message when a copy failed.
std::optional<QStringList> aparta(Contexto& ctx, const QString& aparte, const QStringList& rutas) {
    QStringList guardados;
    bool apartado = fs::creaCarpeta(aparte);
    for (const QString& ruta : rutas) {
        if (!apartado || !fs::existeArchivo(ruta))
            continue;
        const QString copia = fs::une(aparte, QFileInfo(ruta).fileName(), ctx.plataforma);
        apartado = fs::copia(ruta, copia);
        guardados << ruta;
    }
    if (!apartado) {
        ctx.dlg.error(Texto::tr("ERROR: no fue posible guardar una copia de la configuración actual en ") +
                      aparte + QStringLiteral(" (") + fs::ultimaCausa() +
                      Texto::tr("); no se modificó la configuración."));
        return std::nullopt;
    }
    return guardados;
}

// Puts the backup in `fuente` in place: every odbc<n>.reg ends up belonging
// to the patent at position n of the restored list (from its backup, or its
// own current file moved to its new place when it has no backup), or nothing
// changes. The files replaced are kept aside first. False when the restore
// was refused before anything changed (the main window stays open).
bool restaura(Contexto& ctx, const QString& fuente) {
    const QString carpeta = ctx.carpetaPrograma;
    const QString usuariosRespaldo = fs::une(fuente, kUsuarios, ctx.plataforma);
    const QString usuarios = fs::une(carpeta, kUsuarios, ctx.plataforma);
    QByteArray listaRespaldo;
    if (!fs::lee(usuariosRespaldo, fs::limite::kConfiguracion, &listaRespaldo)) {
        ctx.dlg.error(Texto::tr("ERROR: no fue posible leer ") + usuariosRespaldo + QStringLiteral(" (") +
                      fs::ultimaCausa() + Texto::tr("); no se modificó la configuración."));
        return true;
    }
    // The list is written back as read; its keys are its lines.
    const QStringList claves = ansi::lineas(listaRespaldo);
    const QStringList actuales =
        fs::existeArchivo(usuarios) ? fs::leeLineas(usuarios, fs::limite::kConfiguracion) : QStringList();
    const QMap<int, QString> existentes = archivosConfiguracion(carpeta);
    if (abiertaEnOtraVentana(ctx, existentes, actuales))
        return false;
    const QList<std::optional<QByteArray>> nuevos = leeNuevas(ctx, fuente, claves, actuales, existentes);

    // Kept aside: the list and every configuration file as they are now.
    const QString aparte =
        fs::une(fs::une(carpetaRespaldo1(ctx), QStringLiteral("anteriores"), ctx.plataforma),
                ctx.reloj.ahora().toString(QStringLiteral("yyyyMMdd-HHmmss")), ctx.plataforma);
    const std::optional<QStringList> guardados =
        aparta(ctx, aparte, QStringList{usuarios} + existentes.values());
    if (!guardados)
        return true;

    const auto deshaz = [&] {
        for (const QString& ruta : *guardados) {
            const QString copia = fs::une(aparte, QFileInfo(ruta).fileName(), ctx.plataforma);
            fs::ponSoloLectura(ruta, false);
            fs::copia(copia, ruta);
        }
        for (int n = 0; n < claves.size(); ++n)
            if (!existentes.contains(n))
                fs::borra(rutaConfiguracion(carpeta, n));
        fs::ponSoloLectura(usuarios, true);
    };

    fs::ponSoloLectura(usuarios, false);
    if (!fs::escribeAtomico(usuarios, listaRespaldo)) {
        reportaCopia(ctx, usuariosRespaldo, usuarios);
        fs::ponSoloLectura(usuarios, true);
        return true;
    }
    fs::ponSoloLectura(usuarios, true);
    for (int n = 0; n < claves.size(); ++n) {
        const QString destino = rutaConfiguracion(carpeta, n);
        if (nuevos.at(n) && fs::escribeAtomico(destino, *nuevos.at(n), true))
            continue;
        if (nuevos.at(n))
            reportaCopia(ctx, fs::une(fuente, QString::number(n), ctx.plataforma), destino);
        // What stays at this place must not be another patent's.
        const std::optional<QByteArray> queda = lee(destino);
        if (queda && !esDe(*queda, claves.at(n)) && !fs::borra(destino)) {
            deshaz();
            ctx.dlg.error(Texto::tr("ERROR: no fue posible restaurar la configuración; se dejó como "
                                    "estaba. Los archivos anteriores están en ") +
                          aparte + QLatin1Char('.'));
            return true;
        }
    }
    // Places past the restored list hold no patent's configuration: a
    // patent created later must not find one there.
    for (auto e = existentes.cbegin(); e != existentes.cend(); ++e)
        if (e.key() >= claves.size())
            fs::borra(e.value());
    ctx.st.pantalla().setEvento(Texto::tr("Configuración recuperada; la anterior quedó en ") + aparte);
    return true;
}

} // namespace

void Menu_HaceRespaldo(Contexto& ctx) {
    EstadoPrincipal& st = ctx.st;
    if (!ctx.dlg.preguntaBorrar(
            Texto::tr("!Precaución!, si respalda la configuración actual se eliminará toda "
                      "configuración anterior. ¿Desea continuar?."))) {
        ctx.dlg.mensaje(Icono::Ninguno, kCancelado, kTitulo);
        return;
    }
    ctx.dlg.puntero(Puntero::Ocupado);
    const QString uno = carpetaRespaldo1(ctx);
    // The purge makes the second folder; a backup made before the first purge
    // still lands there when the receive folder exists.
    const QString dos = carpetaRespaldo2(ctx);
    QStringList carpetas;
    for (const QString& c : {uno, dos})
        if (respaldoPropio(ctx, c))
            carpetas << c;
    if (carpetas.contains(uno))
        fs::creaCarpeta(uno);
    if (carpetas.contains(dos) && fs::existeCarpeta(st.config().TxtConfiguration(slot::DirRecibo)))
        fs::creaCarpeta(dos);

    const QString usuarios = fs::une(ctx.carpetaPrograma, kUsuarios, ctx.plataforma);
    if (!fs::existeArchivo(usuarios)) {
        ctx.dlg.error(Texto::tr("ERROR: Imposible continuar debido que no se encontró el archivo de las "
                                "patentes ") +
                      ctx.carpetaPrograma + Texto::tr("/Usuarios.dat."));
        ctx.dlg.puntero(Puntero::Normal);
        return;
    }
    GrabaConfiguracion(ctx); // a save that fails keeps the change mark

    for (const QString& carpeta : std::as_const(carpetas)) {
        const QString destino = fs::une(carpeta, kUsuarios, ctx.plataforma);
        if (!fs::copia(usuarios, destino))
            reportaCopia(ctx, usuarios, destino);
    }
    const QStringList claves = fs::leeLineas(usuarios, fs::limite::kConfiguracion);
    for (int n = 0; n < claves.size(); ++n) {
        const QString origen = rutaConfiguracion(ctx.carpetaPrograma, n);
        if (!fs::existeArchivo(origen)) {
            ctx.dlg.error(Texto::tr("ERROR: No fue posible terminar el respaldo debido a que no se encontró "
                                    "el archivo de configuración de la Patente ") +
                          patenteDe(claves.at(n)));
            continue;
        }
        const std::optional<QByteArray> datos = lee(origen);
        for (const QString& carpeta : std::as_const(carpetas)) {
            const QString destino = fs::une(carpeta, QString::number(n), ctx.plataforma);
            // A configuration cut short never replaces a whole backup of it.
            const std::optional<QByteArray> previo = lee(destino);
            if (datos && !completa(*datos) && previo && completa(*previo)) {
                ctx.dlg.error(Texto::tr("ERROR: el archivo de configuración de la Patente ") +
                              patenteDe(claves.at(n)) +
                              Texto::tr(" está incompleto; se conserva su respaldo anterior en ") + destino +
                              QLatin1Char('.'));
                continue;
            }
            if (!datos || !fs::escribeAtomico(destino, *datos, true))
                reportaCopia(ctx, origen, destino);
        }
    }
    ctx.dlg.puntero(Puntero::Normal);
}

bool Menu_RecuperaConf(Contexto& ctx) {
    const QString pregunta =
        QStringList{
            QStringLiteral("!Precación!"),
            QStringLiteral(
                "Recuperar la configuración del respaldo elimina la configuración, si desea cancelar "
                "presione 'NO', para continuar:"),
            QStringLiteral(
                "1.- Asegúrese de solo tener una vez abierto el programa de KORVAVal, si lo tiene abierto "
                "con otras Patentes ciérrelo."),
            QStringLiteral("2.- Presione Yes/Si para continuar."),
            QStringLiteral("3.- El sistema restaurará la configuración y se cerrará"),
            QStringLiteral(
                "4.- Una vez que se cierre el programa ya podrá abrirlo con la configuración restaurada."),
        }
            .join(QLatin1Char('\r'));
    if (!ctx.dlg.preguntaBorrar(pregunta)) {
        ctx.dlg.mensaje(Icono::Ninguno, kCancelado, kTitulo);
        return false;
    }

    QString fuente;
    for (const QString& carpeta : {carpetaRespaldo1(ctx), carpetaRespaldo2(ctx)})
        if (fs::existeArchivo(fs::une(carpeta, kUsuarios, ctx.plataforma)) && respaldoPropio(ctx, carpeta)) {
            fuente = carpeta;
            break;
        }
    if (fuente.isEmpty()) {
        ctx.dlg.error(Texto::tr("ERROR: no fue posible restaurar la configuración, debido a que no se "
                                "encontraron los archivos de respaldo."));
    } else if (!restaura(ctx, fuente)) {
        return false;
    } else {
        // What is in memory belongs to the configuration the restore
        // replaced: never saved over the restored files.
        marcaRecuperada(ctx.st);
    }
    ctx.st.solicitaCierre();
    return true;
}

} // namespace korva

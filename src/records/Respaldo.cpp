#include "records/Respaldo.h"

#include <QFile>

#include "app/Contexto.h"
#include "app/MainState.h"
#include "config/ConfigFile.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"

namespace korva {

namespace {

const QString kUsuarios = QStringLiteral("usuarios.dat");
const QString kCancelado = QStringLiteral("Proceso cancelado.");

QString carpetaRespaldo1(const Contexto& ctx) {
    return fs::une(ctx.carpetaPrograma, kCarpetaRespaldo, ctx.plataforma);
}

QString carpetaRespaldo2(const Contexto& ctx) {
    return fs::une(ctx.st.TxtConfiguration(slot::DirRecibo), kCarpetaRespaldo, ctx.plataforma);
}

void reportaCopia(Contexto& ctx, const QString& origen, const QString& destino) {
    ctx.dlg.error(QStringLiteral("ERROR: No fue posible copiar el archivo ") + origen +
                  QStringLiteral(" a ") + destino + QStringLiteral("."));
}

// Configuration files hold the scrambled passwords: written whole through a
// temporary and a rename, readable by the owner alone.
bool copiaConfiguracion(const QString& origen, const QString& destino) {
    QFile f(origen);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray datos = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    return fs::escribeAtomico(destino, datos, true);
}

// The patent a key or a configuration line ends with.
QString patenteDe(const QString& linea) { return linea.right(4); }

} // namespace

void Menu_HaceRespaldo(Contexto& ctx) {
    MainState& st = ctx.st;
    if (!ctx.dlg.pregunta(
            QStringLiteral("!Precaución!, si respalda la configuración actual se eliminará toda "
                           "configuración anterior. ¿Desea continuar?."))) {
        ctx.dlg.mensaje(Icono::Ninguno, kCancelado, kTitulo);
        return;
    }
    ctx.dlg.puntero(Puntero::Ocupado);
    const QString uno = carpetaRespaldo1(ctx);
    fs::creaCarpeta(uno);
    // The purge makes the second folder; a backup made before the first purge
    // still lands there when the receive folder exists.
    const QString dos = carpetaRespaldo2(ctx);
    if (fs::existeCarpeta(st.TxtConfiguration(slot::DirRecibo)))
        fs::creaCarpeta(dos);

    const QString usuarios = fs::une(ctx.carpetaPrograma, kUsuarios, ctx.plataforma);
    if (!fs::existeArchivo(usuarios)) {
        ctx.dlg.error(QStringLiteral("ERROR: Imposible continuar debido que no se encontró el archivo de las "
                                     "patentes ") +
                      ctx.carpetaPrograma + QStringLiteral("/Usuarios.dat."));
        ctx.dlg.puntero(Puntero::Normal);
        return;
    }
    const bool grabada = GrabaConfiguracion(ctx);

    for (const QString& carpeta : {uno, dos}) {
        const QString destino = fs::une(carpeta, kUsuarios, ctx.plataforma);
        if (!fs::copia(usuarios, destino))
            reportaCopia(ctx, usuarios, destino);
    }
    const QStringList claves = fs::leeLineas(usuarios);
    for (int n = 0; n < claves.size(); ++n) {
        const QString origen = rutaConfiguracion(ctx.carpetaPrograma, n);
        if (!fs::existeArchivo(origen)) {
            ctx.dlg.error(
                QStringLiteral("ERROR: No fue posible terminar el respaldo debido a que no se encontró "
                               "el archivo de configuración de la Patente ") +
                patenteDe(claves.at(n)));
            continue;
        }
        for (const QString& carpeta : {uno, dos}) {
            const QString destino = fs::une(carpeta, QString::number(n), ctx.plataforma);
            if (!copiaConfiguracion(origen, destino))
                reportaCopia(ctx, origen, destino);
        }
    }
    // A save that failed leaves the change mark, so the exit question still
    // offers to write what is in memory.
    if (grabada)
        st.ConfiguracionModificada = false;
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
    if (!ctx.dlg.pregunta(pregunta)) {
        ctx.dlg.mensaje(Icono::Ninguno, kCancelado, kTitulo);
        return false;
    }

    QString fuente;
    for (const QString& carpeta : {carpetaRespaldo1(ctx), carpetaRespaldo2(ctx)})
        if (fs::existeArchivo(fs::une(carpeta, kUsuarios, ctx.plataforma))) {
            fuente = carpeta;
            break;
        }
    if (fuente.isEmpty()) {
        ctx.dlg.error(QStringLiteral("ERROR: no fue posible restaurar la configuración, debido a que no se "
                                     "encontraron los archivos de respaldo."));
    } else {
        const QString usuariosRespaldo = fs::une(fuente, kUsuarios, ctx.plataforma);
        const QStringList claves = fs::leeLineas(usuariosRespaldo);
        for (int n = 0; n < claves.size(); ++n) {
            const QString patente = patenteDe(claves.at(n));
            const QString origen = fs::une(fuente, QString::number(n), ctx.plataforma);
            // A backup file belongs to the patent its user line (slot 1) ends with.
            bool leido = false;
            const QStringList lineas = fs::leeLineas(origen, &leido);
            if (!fs::existeArchivo(origen) || !leido || patenteDe(lineas.value(1)) != patente) {
                ctx.dlg.error(QStringLiteral("ERROR: no se encontró el archivo de respaldo de la Patente ") +
                              patente + QStringLiteral("."));
                continue;
            }
            const QString destino = rutaConfiguracion(ctx.carpetaPrograma, n);
            if (!copiaConfiguracion(origen, destino))
                reportaCopia(ctx, origen, destino);
        }
        const QString usuarios = fs::une(ctx.carpetaPrograma, kUsuarios, ctx.plataforma);
        fs::ponSoloLectura(usuarios, false);
        if (!fs::copia(usuariosRespaldo, usuarios))
            reportaCopia(ctx, usuariosRespaldo, usuarios);
        fs::ponSoloLectura(usuarios, true);
    }
    ctx.st.solicitaCierre();
    return true;
}

} // namespace korva

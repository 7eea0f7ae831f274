#include "comun/Transferencia.h"
#include "platform/Texto.h"

#include <QMap>

#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "comun/Fallas.h"
#include "comun/ModError.h"
#include "comun/Nombres.h"
#include "platform/ClienteFtp.h"
#include "platform/FtpErrores.h"
#include "platform/Soporte.h"
#include "platform/VentanaError.h"

namespace korva {

namespace {

// The error window names the code; the support desk also needs to know
// which server, and which file, it was about.
void errorCon(Contexto& ctx, qint32 codigo, const QString& remoto) {
    Error(ctx, codigo);
    if (!ctx.st.sesion().mostrarErrores() || !ctx.ventanaError || !ctx.ftp)
        return;
    QString donde =
        Texto::tr("Servidor ") + ctx.ftp->ajustes.host + QLatin1Char(':') + ctx.ftp->ajustes.puerto;
    if (!remoto.isEmpty())
        donde += Texto::tr(", archivo ") + remoto;
    ctx.ventanaError->muestraFalla(donde);
}

// A long name keeps its start and its end, where names differ.
QString abreviado(const QString& nombre) {
    constexpr int kLargo = 40;
    if (nombre.size() <= kLargo)
        return nombre;
    return nombre.left(kLargo / 2) + QStringLiteral("...") + nombre.right(kLargo / 2);
}

// A session found gone ends the transfers until the cycle is over: each one
// would wait out the same time-out again, with a fresh login, once per file.
// It is reported once; `reportado` when the operation has raised the window.
qint32 vigila(Contexto& ctx, qint32 codigo, bool reportado, const QString& remoto) {
    // Stopped by the broker: the rest of the cycle's transfers go too, unsaid.
    if (codigo == codigos::Cancelada) {
        ctx.st.sesion().pierde(codigo);
        ctx.st.pantalla().setEvento(Texto::tr("Transferencia cancelada"));
        return codigo;
    }
    if (codigo != 0 && ctx.st.sesion().perdida() == 0 && sesionPerdidaCon(codigo)) {
        ctx.st.sesion().pierde(codigo);
        if (!reportado)
            errorCon(ctx, codigo, remoto);
    }
    return codigo;
}

} // namespace

void reiniciaSesion(Contexto& ctx) { ctx.st.sesion().reinicia(); }

SinVentanaDeErrores::SinVentanaDeErrores(Contexto& ctx)
    : ctx_(ctx), antes_(ctx.st.sesion().mostrarErrores()) {
    ctx_.st.sesion().setMostrarErrores(false);
}

SinVentanaDeErrores::~SinVentanaDeErrores() { ctx_.st.sesion().setMostrarErrores(antes_); }

qint16 InitializeFTPControl(Contexto& ctx) {
    if (!ctx.ftp)
        return 0;
    FtpAjustes& a = ctx.ftp->ajustes;
    a.host = ctx.st.config().TxtConfiguration(slot::ServidorActual).trimmed();
    a.puerto = ctx.st.config().TxtConfiguration(slot::Puerto).trimmed();
    a.usuario = ctx.st.config().TxtConfiguration(slot::Usuario).trimmed();
    a.contrasena = ctx.st.config().TxtConfiguration(slot::ContrasenaFtp).trimmed();
    a.pasivo = ctx.st.config().chk(slot::Pasivo);
    return 0;
}

qint32 ConnectToHost(Contexto& ctx) {
    if (!ctx.ftp) {
        ctx.st.pantalla().setEvento(Texto::tr("ERROR al conectar- ") +
                                    QString::number(codigos::RedNoInicializada));
        ctx.st.marcaConexion(codigos::RedNoInicializada);
        return codigos::RedNoInicializada;
    }
    // Dropped: the session is gone for the rest of this cycle, already reported.
    if (ctx.st.sesion().perdida() != 0)
        return ctx.st.sesion().perdida();
    if (ctx.ftp->conectado())
        return 0;
    InitializeFTPControl(ctx);
    const qint32 codigo = ctx.ftp->conecta();
    qCInfo(lcSesion).noquote() << QStringLiteral("Conexión con %1:%2 (usuario %3): resultado %4%5")
                                      .arg(ctx.ftp->ajustes.host, ctx.ftp->ajustes.puerto,
                                           ctx.ftp->ajustes.usuario)
                                      .arg(codigo)
                                      .arg(codigo == 0 ? (ctx.ftp->cifrado() ? QStringLiteral(", cifrada")
                                                                             : QStringLiteral(", sin cifrar"))
                                                       : QString());
    if (codigo == 0) {
        QString texto = QStringLiteral("Conexión Establecida... ");
        if (!ctx.ftp->cifrado())
            texto += Texto::tr("Sesión sin cifrar: el servidor no ofrece TLS");
        else if (ctx.ftp->pasivoImpuesto())
            texto += Texto::tr("Se usa modo pasivo: el modo activo no es posible con TLS");
        ctx.st.pantalla().setEvento(texto);
        if (const QString falla = ctx.ftp->fallaLocal(); !falla.isEmpty())
            reportaFalla(ctx, Texto::tr("ERROR: ") + falla);
    } else if (codigo == codigos::Cancelada) {
        ctx.st.sesion().pierde(codigo);
        ctx.st.pantalla().setEvento(Texto::tr("Conexión cancelada"));
        return codigo;
    } else {
        ctx.st.pantalla().setEvento(Texto::tr("ERROR al conectar- ") + QString::number(codigo));
        errorCon(ctx, codigo, {});
        // Refused or timed out, it would be so again for every file of the
        // cycle; so would a login or a certificate refused within a cycle (a
        // login refused ten times may lock the account).
        if (sesionPerdidaCon(codigo) || ctx.st.ciclo().cicloEnCurso())
            ctx.st.sesion().pierde(codigo);
    }
    ctx.st.marcaConexion(codigo);
    return codigo;
}

qint16 SendFile(Contexto& ctx, const QString& strLocalFileName, const QString& strRemoteFileName) {
    if (const qint32 c = ConnectToHost(ctx))
        return qint16(c);
    const qint32 codigo = ctx.ftp->envia(strLocalFileName, strRemoteFileName);
    if (codigo == 0)
        ctx.st.pantalla().setEvento(Texto::tr("Archivo Enviado.. "));
    // Stopped mid-way: the centre would take the part that went for the file.
    else if (codigo == codigos::Cancelada) {
        ctx.st.pantalla().setEvento(Texto::tr("Retirando del centro el envío interrumpido: ") +
                                    strRemoteFileName);
        ctx.ftp->retira(strRemoteFileName);
    }
    return qint16(vigila(ctx, codigo, false, strRemoteFileName));
}

qint16 ReceiveFile(Contexto& ctx, const QString& strLocalFileName, const QString& strRemoteFileName) {
    if (const qint32 c = ConnectToHost(ctx)) {
        ctx.st.pantalla().setEvento(Texto::tr("ERROR en conexión "));
        return qint16(c);
    }
    const qint32 codigo = ctx.ftp->recibe(strLocalFileName, strRemoteFileName);
    if (codigo == 0) {
        ctx.st.pantalla().setEvento(Texto::tr("Recibido.. ") + strLocalFileName);
    } else {
        // A missing response is the ordinary outcome while it is awaited: no window.
        const qint16 n = numLetras(strRemoteFileName.left(1)).LongitudNombre;
        ctx.st.pantalla().setEvento(Texto::tr("Pendiente - ") + strRemoteFileName.right(n));
    }
    return qint16(vigila(ctx, codigo, false, strRemoteFileName));
}

qint16 ReceiveMultipleFiles(Contexto& ctx, const QString& strLocalDir, const QString& strRemoteDir,
                            const QString& strFileMask) {
    if (const qint32 c = ConnectToHost(ctx)) {
        ctx.st.pantalla().setEvento(Texto::tr("Error al conectar- ") + QString::number(c));
        return qint16(c);
    }
    const qint32 codigo = ctx.ftp->recibeVarios(strLocalDir, strRemoteDir, strFileMask);
    if (codigo != 0) {
        ctx.st.pantalla().setEvento(Texto::tr("Esta pendiente el archivo - ") + QString::number(codigo));
        // Nothing waiting in the area is the usual answer, and a stop was
        // the broker's own doing: neither is a failure to show.
        if (codigo != codigos::SinCoincidencias && codigo != codigos::Cancelada)
            errorCon(ctx, codigo, strRemoteDir);
    } else if (const QList<Omitido> omitidos = ctx.ftp->omitidos(); !omitidos.isEmpty()) {
        // The others arrived; the broker learns which stayed on the server,
        // each by its name and why.
        QMap<qint32, QStringList> porCodigo;
        for (const Omitido& o : omitidos)
            porCodigo[o.codigo] << abreviado(o.nombre);
        QStringList grupos;
        for (auto g = porCodigo.cbegin(); g != porCodigo.cend(); ++g)
            grupos << g.value().join(QStringLiteral(", ")) + QStringLiteral(" (") + QString::number(g.key()) +
                          QLatin1Char(' ') + MensajeError(g.key()).trimmed() + QLatin1Char(')');
        const QString texto = QStringLiteral("Recibiendo Archivos, se quedaron en el centro: ") +
                              grupos.join(QStringLiteral("; "));
        if (ctx.st.sesion().mostrarErrores())
            reportaFalla(ctx, texto);
        else
            ctx.st.pantalla().setEvento(texto);
    } else {
        ctx.st.pantalla().setEvento(Texto::tr("Recibiendo Archivos"));
    }
    return qint16(vigila(ctx, codigo, true, strRemoteDir));
}

qint16 DeleteFiles(Contexto& ctx, const QString& strFile) {
    if (const qint32 c = ConnectToHost(ctx)) {
        ctx.st.pantalla().setEvento(Texto::tr("Error al conectar- ") + QString::number(c));
        return qint16(c);
    }
    const qint32 codigo = ctx.ftp->borra(strFile);
    if (codigo != 0) {
        ctx.st.pantalla().setEvento(Texto::tr("No se pudo borrar el archivo - ") + QString::number(codigo));
        if (codigo != codigos::Cancelada)
            errorCon(ctx, codigo, strFile);
    } else {
        ctx.st.pantalla().setEvento(Texto::tr("Borrando archivo: ") + strFile);
    }
    return qint16(vigila(ctx, codigo, true, strFile));
}

qint16 DisconnectFromHost(Contexto& ctx) {
    reiniciaSesion(ctx);
    if (ctx.ftp && ctx.ftp->conectado()) {
        // The hang-up waits for the centre's goodbye where the window cannot
        // turn: it turns just before.
        if (ctx.latido)
            ctx.latido->turno();
        return qint16(ctx.ftp->desconecta());
    }
    return 0;
}

qint16 Error(Contexto& ctx, qint32 CveError) {
    qCWarning(lcFallas).noquote() << CveError << MensajeError(CveError).trimmed();
    if (ctx.st.sesion().mostrarErrores() && ctx.ventanaError)
        ctx.ventanaError->muestra(CveError);
    return 0;
}

} // namespace korva

#include "exchange/Transferencia.h"

#include "app/Contexto.h"
#include "app/MainState.h"
#include "cycle/Nombres.h"
#include "platform/FtpClient.h"
#include "platform/FtpErrores.h"
#include "records/VentanaError.h"

namespace korva {
qint16 InitializeFTPControl(Contexto& ctx) {
    if (!ctx.ftp)
        return 0;
    FtpAjustes& a = ctx.ftp->ajustes;
    a.host = ctx.st.TxtConfiguration(slot::ServidorActual).trimmed();
    a.puerto = ctx.st.TxtConfiguration(slot::Puerto).trimmed();
    a.usuario = ctx.st.TxtConfiguration(slot::Usuario).trimmed();
    a.contrasena = ctx.st.TxtConfiguration(slot::ContrasenaFtp).trimmed();
    a.pasivo = ctx.st.chk(slot::Pasivo);
    return 0;
}

qint32 ConnectToHost(Contexto& ctx) {
    if (!ctx.ftp) {
        ctx.st.setEvento(QStringLiteral("ERROR al conectar- ") + QString::number(codigos::RedNoInicializada));
        return codigos::RedNoInicializada;
    }
    if (ctx.ftp->conectado())
        return 0;
    InitializeFTPControl(ctx);
    const qint32 codigo = ctx.ftp->conecta();
    if (codigo == 0) {
        ctx.st.setEvento(QStringLiteral("Conexión Establecida... "));
    } else {
        ctx.st.setEvento(QStringLiteral("ERROR al conectar- ") + QString::number(codigo));
        Error(ctx, codigo);
    }
    return codigo;
}

qint16 SendFile(Contexto& ctx, const QString& strLocalFileName, const QString& strRemoteFileName) {
    if (const qint32 c = ConnectToHost(ctx))
        return qint16(c);
    const qint32 codigo = ctx.ftp->envia(strLocalFileName, strRemoteFileName);
    if (codigo == 0)
        ctx.st.setEvento(QStringLiteral("Archivo Enviado.. "));
    return qint16(codigo);
}

qint16 ReceiveFile(Contexto& ctx, const QString& strLocalFileName, const QString& strRemoteFileName) {
    if (const qint32 c = ConnectToHost(ctx)) {
        ctx.st.setEvento(QStringLiteral("ERROR en conexión "));
        return qint16(c);
    }
    const qint32 codigo = ctx.ftp->recibe(strLocalFileName, strRemoteFileName);
    if (codigo == 0) {
        ctx.st.setEvento(QStringLiteral("Recibido.. ") + strLocalFileName);
    } else {
        // A missing response is the ordinary outcome while it is awaited: no window.
        const qint16 n = numLetras(ctx.st, strRemoteFileName.left(1));
        ctx.st.LongitudNombre = n;
        ctx.st.setEvento(QStringLiteral("Pendiente - ") + strRemoteFileName.right(n));
    }
    return qint16(codigo);
}

qint16 ReceiveMultipleFiles(Contexto& ctx, const QString& strLocalDir, const QString& strRemoteDir,
                            const QString& strFileMask) {
    if (const qint32 c = ConnectToHost(ctx)) {
        ctx.st.setEvento(QStringLiteral("Error al conectar- ") + QString::number(c));
        return qint16(c);
    }
    const qint32 codigo = ctx.ftp->recibeVarios(strLocalDir, strRemoteDir, strFileMask);
    if (codigo != 0) {
        ctx.st.setEvento(QStringLiteral("Esta pendiente el archivo - ") + QString::number(codigo));
        Error(ctx, codigo);
    } else {
        ctx.st.setEvento(QStringLiteral("Recibiendo Archivos"));
    }
    return qint16(codigo);
}

qint16 DeleteFiles(Contexto& ctx, const QString& strFile) {
    if (const qint32 c = ConnectToHost(ctx)) {
        ctx.st.setEvento(QStringLiteral("Error al conectar- ") + QString::number(c));
        return qint16(c);
    }
    const qint32 codigo = ctx.ftp->borra(strFile);
    if (codigo != 0) {
        ctx.st.setEvento(QStringLiteral("No se pudo borrar el archivo - ") + QString::number(codigo));
        Error(ctx, codigo);
    } else {
        ctx.st.setEvento(QStringLiteral("Borrando archivo: ") + strFile);
    }
    return qint16(codigo);
}

qint16 DisconnectFromHost(Contexto& ctx) {
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
    if (ctx.st.MostrarErrores && ctx.ventanaError)
        ctx.ventanaError->muestra(CveError);
    return 0;
}

} // namespace korva

#include "records/ArchivosaEnviar.h"
#include "platform/Texto.h"

#include <QFileInfo>

#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "platform/Dialogos.h"
#include "platform/fs.h"
#include "records/Bitacora.h"

namespace korva {

ArchivosaEnviar::ArchivosaEnviar(Contexto& ctx, QStringList& LstSendFiles)
    : ctx_(ctx), lstSendFiles_(LstSendFiles) {
    ctx_.st.setTxtActualizar(QStringLiteral("0"));
    lstEnviar_ = LstSendFiles;
    seleccion_ = QList<bool>(lstEnviar_.size(), false);
}

void ArchivosaEnviar::setSeleccionado(int i, bool s) {
    if (i >= 0 && i < seleccion_.size())
        seleccion_[i] = s;
}

void ArchivosaEnviar::CmdSelectAll_Click() {
    const bool todos = !seleccion_.contains(false);
    seleccion_.fill(!todos);
    caption_ = todos ? QStringLiteral("&Todos") : QStringLiteral("&Ninguno");
}

bool ArchivosaEnviar::CmdEnviarArchivos_Click() {
    ctx_.st.setTxtActualizar(QStringLiteral("0"));
    lstSendFiles_.clear();
    lstNoEnviar_.clear();
    for (int i = 0; i < lstEnviar_.size(); ++i)
        if (seleccion_[i])
            lstSendFiles_.append(lstEnviar_[i]);
    for (int i = 0; i < lstEnviar_.size(); ++i)
        if (!seleccion_[i])
            lstNoEnviar_.append(lstEnviar_[i]);

    static const QString kBorrar =
        QStringLiteral("¿Deseas borrar de la lista los archivos no seleccionados?");
    if (lstNoEnviar_.isEmpty()) {
        // every entry chosen: no question
    } else if (!lstSendFiles_.isEmpty()) {
        if (ctx_.dlg.preguntaBorrar(kBorrar, kTitulo))
            tachaNoSeleccionados();
    } else {
        if (ctx_.dlg.pregunta(Texto::tr("No has seleccionado ningun archivo ¿Deseas volver a la lista para "
                                        "seleccionar archivos?"),
                              kTitulo))
            return false;
        if (ctx_.dlg.preguntaBorrar(kBorrar, kTitulo))
            tachaNoSeleccionados();
    }
    enviar_ = true;
    cierra();
    return true;
}

bool ArchivosaEnviar::CmdActualizar_Click() {
    actualizar_ = true;
    ctx_.st.setTxtActualizar(QStringLiteral("1"));
    cierra();
    return true;
}

bool ArchivosaEnviar::CmdCancelar_Click() {
    actualizar_ = false;
    enviar_ = false;
    ctx_.st.setTxtActualizar(QStringLiteral("0"));
    cierra();
    return true;
}

void ArchivosaEnviar::cierra() {
    if (cerrada_)
        return;
    cerrada_ = true;
    if (!actualizar_)
        ctx_.st.setTxtActualizar(QStringLiteral("0"));
    if (!enviar_)
        lstSendFiles_.clear();
}

void ArchivosaEnviar::tachaNoSeleccionados() {
    const QString carpeta = ctx_.st.config().TxtConfiguration(slot::DirEnvio);
    for (const QString& nombre : lstNoEnviar_) {
        // The register needs the file's own time: a file gone meanwhile is
        // told by name and left out, the others are still struck off.
        const QFileInfo fi(fs::rutaSinMayusculas(carpeta, nombre, ctx_.plataforma));
        if (!fi.exists() || !fi.isFile()) {
            noEncontrados_.append(nombre);
            ctx_.dlg.advertencia(Texto::tr("No se encontró el archivo '") + nombre +
                                     Texto::tr("'; no se pudo quitar de la lista."),
                                 kTitulo);
            continue;
        }
        if (!agregaBitacora(ctx_.st, nombre, fi.lastModified())) {
            ctx_.dlg.error(Texto::tr("No se pudo escribir en la bitácora '") + rutaRegistro(ctx_.st) +
                               QStringLiteral("'."),
                           kTitulo);
            return; // the rest would fail alike
        }
    }
}

} // namespace korva

#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace korva {

struct Contexto;

// The manual send selection (FrmArchivosaEnviar) without its window: the
// user picks which of the files found are sent in this pass; the others may
// be struck off for the day through the sent-files register.
class ArchivosaEnviar {
public:
    // Opens over the sending step's list LstSendFiles, which on closing holds
    // exactly the names to send.
    ArchivosaEnviar(Contexto& ctx, QStringList& LstSendFiles);

    static inline const QString kTitulo = QStringLiteral("KORVA Centro de Prevalidacion");
    static inline const QString kEtiqueta =
        QStringLiteral("Selecciona las archivos que deseas enviar a validar");

    const QStringList& LstEnviar() const { return lstEnviar_; }
    const QStringList& LstNoEnviar() const { return lstNoEnviar_; }
    bool seleccionado(int i) const { return seleccion_.value(i); }
    void setSeleccionado(int i, bool s);
    // "Todos" or "Ninguno".
    const QString& captionSelectAll() const { return caption_; }

    // Each returns true when the window closes; closing is already done then.
    void CmdSelectAll_Click();
    bool CmdEnviarArchivos_Click();
    bool CmdActualizar_Click();
    bool CmdCancelar_Click();
    // The window's close box, and every button that closes: safe to repeat.
    void cierra();
    bool cerrada() const { return cerrada_; }

    // Names that could not be struck off because their file was gone.
    const QStringList& noEncontrados() const { return noEncontrados_; }

private:
    void tachaNoSeleccionados();

    Contexto& ctx_;
    QStringList& lstSendFiles_;
    QStringList lstEnviar_;
    QList<bool> seleccion_;
    QStringList lstNoEnviar_;
    QStringList noEncontrados_;
    QString caption_ = QStringLiteral("&Todos");
    bool actualizar_ = false;
    bool enviar_ = false;
    bool cerrada_ = false;
};

} // namespace korva

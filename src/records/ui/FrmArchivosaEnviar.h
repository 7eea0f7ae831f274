#pragma once

#include <QDialog>

#include "comun/SeleccionEnvio.h"
#include "records/ArchivosaEnviar.h"

class QListWidget;
class QPushButton;

namespace korva {

// The manual send selection window: shows the selection logic and forwards
// its buttons; closing by the close box counts as "Cancelar".
class FrmArchivosaEnviar final : public QDialog {
    Q_OBJECT
public:
    FrmArchivosaEnviar(Contexto& ctx, QStringList& LstSendFiles, QWidget* parent = nullptr);

    ArchivosaEnviar& logica() { return logica_; }
    QListWidget* LstEnviar() const { return lstEnviar_; }
    QPushButton* CmdSelectAll() const { return cmdSelectAll_; }
    QPushButton* CmdEnviarArchivos() const { return cmdEnviar_; }
    QPushButton* CmdActualizar() const { return cmdActualizar_; }
    QPushButton* CmdCancelar() const { return cmdCancelar_; }

    void done(int r) override;

private:
    void tomaSeleccion();
    void muestraSeleccion();

    ArchivosaEnviar logica_;
    QListWidget* lstEnviar_;
    QPushButton* cmdSelectAll_;
    QPushButton* cmdEnviar_;
    QPushButton* cmdActualizar_;
    QPushButton* cmdCancelar_;
};

// The real manual send selection: the window above, modal over the active one.
class SeleccionEnvioQt final : public SeleccionEnvio {
public:
    void elige(Contexto& ctx, QStringList& LstSendFiles) override;
};

} // namespace korva

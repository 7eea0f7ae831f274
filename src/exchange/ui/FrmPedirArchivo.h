#pragma once

#include <QDialog>

#include "exchange/PedirArchivo.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace korva {

// "S&olicitar Archivo": shows the request logic and forwards its buttons.
// Not modal; it releases itself when closed, so each opening starts afresh.
class FrmPedirArchivo final : public QDialog {
    Q_OBJECT
public:
    // The menu entry: shows the open window, or loads a new one.
    static FrmPedirArchivo* abre(Contexto& ctx, QWidget* padre = nullptr);

    FrmPedirArchivo(Contexto& ctx, QWidget* parent = nullptr);

    PedirArchivo& logica() { return logica_; }
    QComboBox* CboLetra() const { return cboLetra_; }
    QLineEdit* TxtFolio() const { return txtFolio_; }
    QPushButton* CmdAceptar() const { return cmdAceptar_; }
    QPushButton* CmdCancelar() const { return cmdCancelar_; }

protected:
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void letraDejada();

    PedirArchivo logica_;
    QComboBox* cboLetra_;
    QLineEdit* txtFolio_;
    QPushButton* cmdAceptar_;
    QPushButton* cmdCancelar_;
};

} // namespace korva

#pragma once

#include <QDialog>

#include "exchange/PedirArchivo.h"

class QListWidget;
class QPushButton;

namespace korva {

// "Eliminar Busqueda": shows the patent's pending files and forwards the
// buttons. Not modal; it releases itself when closed, so each opening lists
// the folder afresh.
class FrmEliminarBusqueda final : public QDialog {
    Q_OBJECT
public:
    // The menu entry: shows the open window, or loads a new one.
    static FrmEliminarBusqueda* abre(Contexto& ctx, QWidget* padre = nullptr);

    FrmEliminarBusqueda(Contexto& ctx, QWidget* parent = nullptr);

    EliminarBusqueda& logica() { return logica_; }
    QListWidget* LstFiles() const { return lstFiles_; }
    QPushButton* CmdEliminar() const { return cmdEliminar_; }
    QPushButton* CmdCancelar() const { return cmdCancelar_; }

private:
    void muestra();

    EliminarBusqueda logica_;
    QListWidget* lstFiles_;
    QPushButton* cmdEliminar_;
    QPushButton* cmdCancelar_;
};

} // namespace korva

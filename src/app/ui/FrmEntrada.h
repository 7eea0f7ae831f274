#pragma once

#include <QWidget>

#include "app/Patentes.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace korva {

// The patent selection window: the program's entry. Binds the patents list
// to its controls; "&Entrar" hands the chosen position over.
class FrmEntrada : public QWidget {
    Q_OBJECT
public:
    FrmEntrada(Dialogos& dlg, const QString& carpetaPrograma, QWidget* parent = nullptr);
    Patentes& patentes() { return patentes_; }

signals:
    // The main window must be loaded for this position; then this one closes.
    void entrar(int posicion);

private:
    void muestra();

    Patentes patentes_;
    QComboBox* CboPatentes;
    QLineEdit* TxtPatente;
    QPushButton* CmdEntrar;
    QPushButton* CmdCrearPatente;
    QPushButton* CmdEliminarPatente;
    QPushButton* CmdCancelar;
    QPushButton* CmdAceptar;
    QWidget* areaCrear;
    bool cargando_ = false;
};

} // namespace korva

#pragma once

#include <QWidget>

#include "records/Visor.h"

class QAbstractItemView;
class QComboBox;
class QLineEdit;
class QListView;
class QPushButton;

namespace korva {

struct Contexto;

// The file viewer window: its list shows the Visor model; the buttons go to
// a record, print and close. Built once, hidden, by the main window; shown by
// MuestraArchivo and hidden by "&Cerrar".
class FrmArchivos final : public QWidget {
    Q_OBJECT
public:
    explicit FrmArchivos(Contexto& ctx, QWidget* parent = nullptr);

    Visor& visor() { return visor_; }
    // Opens the file an entry of one of the four day lists names.
    void abre(Lista lista, const QString& entrada);
    // A double click on an entry of that day list's view opens its file.
    void conectaLista(QAbstractItemView* vista, Lista lista);

    QListView* LstArchivos() const { return lista_; }
    QLineEdit* TxtRegistro() const { return registro_; }
    QPushButton* CmdRegistro() const { return cmdRegistro_; }
    QComboBox* CboPrinters() const { return impresoras_; }
    QPushButton* CmdImprimir() const { return cmdImprimir_; }
    QPushButton* CmdCerrar() const { return cmdCerrar_; }

signals:
    void cerrado(); // the main window takes the focus back

protected:
    void showEvent(QShowEvent* e) override;

private:
    void llenaImpresoras();

    Contexto& ctx_;
    Visor visor_;
    QListView* lista_;
    QLineEdit* registro_;
    QPushButton* cmdRegistro_;
    QComboBox* impresoras_;
    QPushButton* cmdImprimir_;
    QPushButton* cmdCerrar_;
};

} // namespace korva

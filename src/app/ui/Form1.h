#pragma once

#include <QMainWindow>

#include "comun/EstadoPrincipal.h"

class QAction;
class QLabel;
class QListView;
class QProgressBar;
class QHBoxLayout;
class QPushButton;
class QStringListModel;
class QTabWidget;
class QTimer;

namespace korva {

struct Contexto;
class PaginaConfiguracion;
class FrmArchivos;
class Marco;

// The main window: binds the run's state to the controls and forwards the
// user's clicks to the procedures. Its start-up runs in the constructor,
// before it is shown.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    Form1(Contexto& ctx, int posicion, QWidget* parent = nullptr);

    PaginaConfiguracion* paginaConfiguracion() const { return config_; }
    QAction* accion(const QString& nombre) const;

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    QHBoxLayout* creaBarra();
    void creaPaginas();
    void conectaEstado();
    void creaVisor();
    void muestraEstado();
    void conectaBotones();
    void creaRelojes();
    void creaMenus();
    void colocaVentana();
    void guardaVentana();
    QWidget* creaStatus();
    QWidget* creaConexion();
    void muestraLista(Lista l);
    void muestraEtiqueta(Etiqueta e);
    void muestraColorAviso();
    QLabel* logo(const QString& nombre);
    // A cycle, a tick's work or other long work is under way.
    bool ocupado() const;

    Contexto& ctx_;
    PaginaConfiguracion* config_;
    QTabWidget* paginas_;
    QAction* Menu_Configure;
    QPushButton* Start_Button;
    QPushButton* salir_ = nullptr;
    QLabel* LblDespliega;
    QLabel* Evento;
    Marco* marcoEvento_;
    QLabel* DiaJuliano;
    QLabel* Hora;
    QProgressBar* ProgressBar1;
    QTimer* TmrControl;
    QAction* Menu_Start;
    FrmArchivos* visor_;
    QStringListModel* modelos_[int(Lista::Cuenta_)] = {};
    bool cerrado_ = false;
    QTimer* cierreDiferido_ = nullptr; // watches for the end of the work a close waits for
    int revisionesLibres_ = 0;         // checks in a row that found no work
    bool recienMostrada_ = false;      // the desktop may still be placing the window
};

} // namespace korva

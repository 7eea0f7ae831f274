#pragma once

#include <QWidget>
#include <array>

#include "comun/EstadoPrincipal.h"

class QCheckBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QVBoxLayout;

namespace korva {

struct Contexto;

// The "&Configuración" page: the 25 slots, the check boxes, the period
// editor and the three panels, bound to the run's state.
class PaginaConfiguracion : public QWidget {
    Q_OBJECT
public:
    PaginaConfiguracion(Contexto& ctx, QWidget* parent = nullptr);

    QLineEdit* caja(int n) const { return cajas_.at(n); }
    QCheckBox* casilla(int slotBandera) const;
    // The page's logo; the main window makes its double click the service toggle.
    QWidget* logo() const;

private:
    void creaCajas();
    void creaCabeza(QVBoxLayout* raiz);
    QFormLayout* creaFormulario();
    QVBoxLayout* creaLado();
    QGroupBox* creaLapso();
    void creaPaneles(QVBoxLayout* raiz);
    void conectaEstado();
    void sincronizaVista();
    void sincronizaBloqueo();

    Contexto& ctx_;
    std::array<QLineEdit*, EstadoConfiguracion::kSlots> cajas_{};
    std::array<QLabel*, EstadoConfiguracion::kSlots> etiquetas_{};
    std::array<QCheckBox*, EstadoConfiguracion::kSlots> casillas_{};
    QRadioButton* OpnPrimario;
    QRadioButton* OpnSecundario;
    QWidget* botonesPanel_;
    QWidget* FmeServidor;
    QWidget* FmeFEA;
    QWidget* FmeRutas;
    QLineEdit* TxtMinSldControl;
    QLineEdit* TxtSegSldControl;
    QSlider* SldControl;
    QLabel* logo_;
    QLabel* patente_ = nullptr;
    QLabel* fecha_ = nullptr;
    QLabel* aviso_ = nullptr;
};

} // namespace korva

#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "platform/VentanaError.h"
#include "records/FrmMessageLogica.h"

class QLabel;

namespace korva {

// The self-closing error window: code and text, a countdown in its title,
// "&Aceptar" closes it at once. Deletes itself when closed.
class FrmMessage final : public QWidget {
    Q_OBJECT
public:
    explicit FrmMessage(QWidget* parent = nullptr);

    void setTemp(qint32 codigo) { logica_.Temp = codigo; }
    void agregaFalla(const QString& texto);
    const FrmMessageLogica& logica() const { return logica_; }

public slots:
    void tick(); // Timer1

private:
    FrmMessageLogica logica_;
    QLabel* lblErrorCve_;
    QLabel* lblError_;
    QTimer timer1_;
};

// The real error window port: at most one window; a further error shows the
// same one again and only changes its code.
class VentanaErrorQt final : public VentanaError {
public:
    VentanaErrorQt() = default;
    VentanaErrorQt(const VentanaErrorQt&) = delete;
    VentanaErrorQt& operator=(const VentanaErrorQt&) = delete;
    ~VentanaErrorQt() override; // the window goes with the program
    void muestra(qint32 CveError) override;
    void muestraFalla(const QString& texto) override;
    FrmMessage* ventana() const { return ventana_; }
    // The main window it belongs to: it opens above it and near it, and
    // stays above it.
    void setPrincipal(QWidget* principal);
    // The main window came up: an error window opened during its start-up
    // is brought above it.
    void principalVisible();

private:
    FrmMessage* abre();

    QPointer<FrmMessage> ventana_;
    QPointer<QWidget> principal_;
};

} // namespace korva

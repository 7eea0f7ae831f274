#pragma once

#include <QObject>
#include <memory>

#include "app/Notificaciones.h"

class QSystemTrayIcon;
class QWidget;

namespace korva {

struct Contexto;

// The program's name and icon as the desktop sees them: every window carries
// the icon, and the desktop groups the windows with korvaval.desktop.
void ponIdentidadEscritorio();

// The tray icon: its tooltip is the patent and the status line, its messages
// are what the notification rules decide, and a click raises the main window.
class Bandeja : public QObject {
    Q_OBJECT
public:
    // Null when the desktop offers no tray: then nothing is shown or told.
    static std::unique_ptr<Bandeja> siHay(Contexto& ctx, QWidget& ventana);

    Bandeja(Contexto& ctx, QWidget& ventana);
    QSystemTrayIcon& icono() const { return *icono_; }

private:
    void muestraEstado();
    void levanta();

    Contexto& ctx_;
    QWidget& ventana_;
    QSystemTrayIcon* icono_;
    Notificaciones reglas_;
};

} // namespace korva

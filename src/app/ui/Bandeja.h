#pragma once

#include <QObject>
#include <memory>

#include "app/Notificaciones.h"

class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace korva {

struct Contexto;

// The program's name and icon as the desktop sees them: every window carries
// the icon, and the desktop groups the windows with korvaval.desktop.
void ponIdentidadEscritorio();

// The tray icon: its tooltip is the patent and the status line, a click
// raises the main window, and its menu shows the window, starts or stops the
// cycle and quits.
class Bandeja : public QObject {
    Q_OBJECT
public:
    // Null when the desktop offers no tray.
    static std::unique_ptr<Bandeja> siHay(Contexto& ctx, QWidget& ventana);

    Bandeja(Contexto& ctx, QWidget& ventana);
    ~Bandeja() override;
    QSystemTrayIcon& icono() const { return *icono_; }
    QMenu* menu() const { return menu_.get(); }

private:
    void muestraEstado();
    void levanta();

    Contexto& ctx_;
    QWidget& ventana_;
    QSystemTrayIcon* icono_;
    std::unique_ptr<QMenu> menu_;
};

// What the broker is told outside the window (the notification rules'
// messages): through the desktop's notification service where there is one,
// whatever the desktop; through the tray's balloon where there is a tray and
// no service; else not at all.
class AvisosEscritorio : public QObject {
    Q_OBJECT
public:
    AvisosEscritorio(Contexto& ctx, Bandeja* bandeja, QObject* parent = nullptr);
    // Whether the session bus offers the notification service now.
    static bool hayServicio();

signals:
    // Each message as it went out, and how: "servicio" or "bandeja".
    void entregado(const QString& titulo, const QString& via);

private:
    void entrega(const QString& titulo, const QString& texto, bool alerta);

    Bandeja* bandeja_;
    Notificaciones reglas_;
};

} // namespace korva

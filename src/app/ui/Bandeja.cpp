#include "app/ui/Bandeja.h"

#include <QApplication>
#include <QIcon>
#include <QSystemTrayIcon>
#include <QWidget>

#include "app/Contexto.h"
#include "app/MainState.h"

namespace korva {

namespace {
QIcon iconoPrograma() { return QIcon(QStringLiteral(":/korvaval.svg")); }
} // namespace

void ponIdentidadEscritorio() {
    QGuiApplication::setDesktopFileName(QStringLiteral("korvaval"));
    QApplication::setWindowIcon(iconoPrograma());
}

std::unique_ptr<Bandeja> Bandeja::siHay(Contexto& ctx, QWidget& ventana) {
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return nullptr;
    auto b = std::make_unique<Bandeja>(ctx, ventana);
    b->icono_->show();
    return b;
}

Bandeja::Bandeja(Contexto& ctx, QWidget& ventana)
    : ctx_(ctx), ventana_(ventana), icono_(new QSystemTrayIcon(iconoPrograma(), this)), reglas_(ctx) {
    const MainState& st = ctx.st;
    connect(&st, &MainState::etiquetaCambiada, this, [this](Etiqueta e) {
        if (e == Etiqueta::Evento)
            muestraEstado();
    });
    connect(&st, &MainState::slotCambiado, this, [this](int n) {
        if (n == slot::Usuario)
            muestraEstado();
    });
    connect(&reglas_, &Notificaciones::notifica, this,
            [this](const QString& titulo, const QString& texto, bool alerta) {
                icono_->showMessage(titulo, texto,
                                    alerta ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information);
            });
    connect(icono_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r != QSystemTrayIcon::Context)
            levanta();
    });
    connect(icono_, &QSystemTrayIcon::messageClicked, this, &Bandeja::levanta);
    muestraEstado();
}

void Bandeja::muestraEstado() {
    icono_->setToolTip(QStringLiteral("KORVAVal - Patente ") + ctx_.st.patente() + QLatin1Char('\n') +
                       ctx_.st.evento());
}

void Bandeja::levanta() {
    ventana_.setWindowState((ventana_.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    ventana_.show();
    ventana_.raise();
    ventana_.activateWindow();
}

} // namespace korva

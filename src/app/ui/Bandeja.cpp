#include "app/ui/Bandeja.h"
#include "platform/Texto.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"

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
    : ctx_(ctx), ventana_(ventana), icono_(new QSystemTrayIcon(iconoPrograma(), this)),
      menu_(std::make_unique<QMenu>()) {
    const EstadoPrincipal& st = ctx.st;
    connect(&st.pantalla(), &Pantalla::etiquetaCambiada, this, [this](Etiqueta e) {
        if (e == Etiqueta::Evento)
            muestraEstado();
    });
    connect(&st.config(), &EstadoConfiguracion::slotCambiado, this, [this](int n) {
        if (n == slot::Usuario)
            muestraEstado();
    });
    // The menu forwards to the window's own controls.
    menu_->addAction(Texto::tr("&Mostrar ventana"), this, &Bandeja::levanta)
        ->setObjectName(QStringLiteral("BandejaMostrar"));
    QAction* inicio = menu_->addAction(ctx.st.captionInicio(), this, [this] {
        if (auto* b = ventana_.findChild<QAbstractButton*>(Texto::tr("Start_Button")); b && b->isEnabled())
            b->click();
    });
    inicio->setObjectName(QStringLiteral("BandejaInicio"));
    connect(&st, &EstadoPrincipal::captionInicioCambiado, inicio,
            [this, inicio] { inicio->setText(ctx_.st.captionInicio()); });
    menu_->addSeparator();
    menu_->addAction(Texto::tr("&Salir"), &ventana_, &QWidget::close)
        ->setObjectName(QStringLiteral("BandejaSalir"));
    icono_->setContextMenu(menu_.get());
    connect(icono_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r != QSystemTrayIcon::Context)
            levanta();
    });
    connect(icono_, &QSystemTrayIcon::messageClicked, this, &Bandeja::levanta);
    muestraEstado();
}

Bandeja::~Bandeja() = default;

void Bandeja::muestraEstado() {
    icono_->setToolTip(Texto::tr("KORVAVal - Patente ") + ctx_.st.config().patente() + QLatin1Char('\n') +
                       ctx_.st.pantalla().evento());
}

void Bandeja::levanta() {
    ventana_.setWindowState((ventana_.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    ventana_.show();
    ventana_.raise();
    ventana_.activateWindow();
}

} // namespace korva

namespace korva {

namespace {
const QString kServicio = QStringLiteral("org.freedesktop.Notifications");
} // namespace

AvisosEscritorio::AvisosEscritorio(Contexto& ctx, Bandeja* bandeja, QObject* parent)
    : QObject(parent), bandeja_(bandeja), reglas_(ctx) {
    connect(&reglas_, &Notificaciones::notifica, this, &AvisosEscritorio::entrega);
}

bool AvisosEscritorio::hayServicio() {
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    if (!bus)
        return false;
    if (bus->isServiceRegistered(kServicio))
        return true;
    // A service the bus starts when first called counts too.
    const QDBusReply<QStringList> activables = bus->call(QStringLiteral("ListActivatableNames"));
    return activables.isValid() && activables.value().contains(kServicio);
}

void AvisosEscritorio::entrega(const QString& titulo, const QString& texto, bool alerta) {
    if (hayServicio()) {
        QDBusMessage m = QDBusMessage::createMethodCall(
            kServicio, QStringLiteral("/org/freedesktop/Notifications"), kServicio, QStringLiteral("Notify"));
        QVariantMap pistas;
        pistas.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(alerta ? 2 : 1)));
        pistas.insert(QStringLiteral("desktop-entry"), QStringLiteral("korvaval"));
        m << QStringLiteral("KORVAVal") << uint(0) << QStringLiteral("korvaval") << titulo << texto
          << QStringList() << pistas << int(-1);
        // Not awaited: a slow service never holds the window.
        QDBusConnection::sessionBus().asyncCall(m);
        emit entregado(titulo, QStringLiteral("servicio"));
        return;
    }
    if (bandeja_) {
        bandeja_->icono().showMessage(titulo, texto,
                                      alerta ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information);
        emit entregado(titulo, QStringLiteral("bandeja"));
    }
}

} // namespace korva

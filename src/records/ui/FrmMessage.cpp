#include "records/ui/FrmMessage.h"
#include "platform/Texto.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace korva {

FrmMessage::FrmMessage(QWidget* parent) : QWidget(parent, Qt::Dialog) {
    setAttribute(Qt::WA_DeleteOnClose);
    // A dialog of the main window (kept above it), not modal. It appears
    // while the broker works: a key meant for the main window
    // (Salir, Detener) must reach the main window, not this one.
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Not a window that keeps the program running: closing the main window
    // ends the program while this one is still counting down.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(logica_.titulo());
    auto* g = new QGridLayout(this);
    g->addWidget(new QLabel(Texto::tr("Error:"), this), 0, 0);
    lblErrorCve_ = new QLabel(this);
    g->addWidget(lblErrorCve_, 0, 1);
    g->addWidget(new QLabel(Texto::tr("Descripción:"), this), 1, 0, Qt::AlignTop);
    lblError_ = new QLabel(this);
    lblError_->setTextFormat(Qt::PlainText);
    lblError_->setWordWrap(true);
    lblError_->setMinimumWidth(360);
    g->addWidget(lblError_, 1, 1);
    auto* ok = new QPushButton(Texto::tr("&Aceptar"), this);
    ok->setObjectName(QStringLiteral("CmdOk"));
    g->addWidget(ok, 2, 1, Qt::AlignRight);
    connect(ok, &QPushButton::clicked, this, &QWidget::close);
    timer1_.setInterval(1000);
    connect(&timer1_, &QTimer::timeout, this, &FrmMessage::tick);
    timer1_.start();
    // Wide enough for its longest title (the countdown), beside the title
    // bar's buttons.
    const QString largo =
        QStringLiteral("KORVA Centro de Prevalidación Este mensaje desaparecerá en 19 Seg.");
    setMinimumWidth(fontMetrics().horizontalAdvance(largo) + 160);
}

void FrmMessage::tick() {
    if (!logica_.tick()) {
        timer1_.stop();
        close();
        return;
    }
    lblErrorCve_->setText(logica_.LblErrorCve);
    if (lblError_->text() != logica_.LblError) {
        lblError_->setText(logica_.LblError);
        // The window grows to the wrapped text, so a long one is read whole.
        adjustSize();
    }
    setWindowTitle(logica_.titulo());
}

VentanaErrorQt::~VentanaErrorQt() { delete ventana_; }

void FrmMessage::agregaFalla(const QString& texto) {
    logica_.agregaFalla(texto);
    if (logica_.contador() > 0) {
        lblError_->setText(logica_.LblError);
        adjustSize();
    }
}

FrmMessage* VentanaErrorQt::abre() {
    if (!ventana_) {
        ventana_ = new FrmMessage(principal_);
        // Near the main window, over its upper part: where the broker looks.
        if (principal_ && principal_->isVisible()) {
            ventana_->adjustSize();
            const QRect marco = principal_->frameGeometry();
            ventana_->move(marco.center().x() - ventana_->width() / 2, marco.top() + marco.height() / 5);
        }
    }
    ventana_->show();
    ventana_->raise();
    return ventana_;
}

void VentanaErrorQt::setPrincipal(QWidget* principal) { principal_ = principal; }

void VentanaErrorQt::principalVisible() {
    if (!ventana_ || !principal_)
        return;
    // Opened during the start-up, before the main window had a place: moved
    // near it, and above it.
    ventana_->adjustSize();
    const QRect marco = principal_->frameGeometry();
    ventana_->move(marco.center().x() - ventana_->width() / 2, marco.top() + marco.height() / 5);
    ventana_->raise();
}

void VentanaErrorQt::muestra(qint32 CveError) { abre()->setTemp(CveError); }

void VentanaErrorQt::muestraFalla(const QString& texto) { abre()->agregaFalla(texto); }

} // namespace korva

#include "exchange/ui/FrmEliminarBusqueda.h"
#include "platform/Texto.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace korva {

FrmEliminarBusqueda* FrmEliminarBusqueda::abre(Contexto& ctx, QWidget* padre) {
    static QPointer<FrmEliminarBusqueda> abierta;
    if (!abierta) {
        abierta = new FrmEliminarBusqueda(ctx, padre);
        abierta->setAttribute(Qt::WA_DeleteOnClose);
    }
    abierta->show();
    abierta->raise();
    abierta->activateWindow();
    return abierta;
}

FrmEliminarBusqueda::FrmEliminarBusqueda(Contexto& ctx, QWidget* parent) : QDialog(parent), logica_(ctx) {
    setObjectName(QStringLiteral("FrmEliminarBusqueda"));
    setWindowTitle(EliminarBusqueda::kCaption);
    setModal(false);

    auto* ayuda = new QLabel(EliminarBusqueda::kAyuda, this);
    ayuda->setWordWrap(true);
    lstFiles_ = new QListWidget(this);
    lstFiles_->setObjectName(QStringLiteral("LstFiles"));
    lstFiles_->setAccessibleName(Texto::tr("Archivos pendientes"));
    ayuda->setBuddy(lstFiles_);
    cmdEliminar_ = new QPushButton(Texto::tr("&Eliminar"), this);
    cmdEliminar_->setObjectName(QStringLiteral("CmdEliminar"));
    cmdCancelar_ = new QPushButton(Texto::tr("&Cancelar"), this);
    cmdCancelar_->setObjectName(QStringLiteral("CmdCancelar"));

    auto* botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(cmdEliminar_);
    botones->addWidget(cmdCancelar_);
    auto* caja = new QVBoxLayout(this);
    caja->addWidget(ayuda);
    caja->addWidget(lstFiles_);
    caja->addLayout(botones);

    connect(cmdEliminar_, &QPushButton::clicked, this, [this] {
        QListWidgetItem* item = lstFiles_->currentItem();
        logica_.CmdEliminar_Click(item && item->isSelected() ? lstFiles_->row(item) : -1);
        muestra();
    });
    connect(cmdCancelar_, &QPushButton::clicked, this, &QWidget::close);
    muestra();
}

void FrmEliminarBusqueda::muestra() {
    lstFiles_->clear();
    lstFiles_->addItems(logica_.LstFiles());
    cmdEliminar_->setEnabled(logica_.CmdEliminarHabilitado());
}

} // namespace korva

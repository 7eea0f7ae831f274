#include "records/ui/FrmArchivosaEnviar.h"

#include "platform/Texto.h"
#include <QApplication>

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "comun/EstadoPrincipal.h"

namespace korva {

FrmArchivosaEnviar::FrmArchivosaEnviar(Contexto& ctx, QStringList& LstSendFiles, QWidget* parent)
    : QDialog(parent), logica_(ctx, LstSendFiles) {
    setWindowTitle(kTituloVentana);
    setModal(true);

    auto* label1 = new QLabel(ArchivosaEnviar::kEtiqueta, this);
    lstEnviar_ = new QListWidget(this);
    lstEnviar_->setAccessibleName(Texto::tr("Archivos por enviar"));
    label1->setBuddy(lstEnviar_);
    lstEnviar_->setSelectionMode(QAbstractItemView::MultiSelection);
    lstEnviar_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    lstEnviar_->addItems(logica_.LstEnviar());

    cmdSelectAll_ = new QPushButton(logica_.captionSelectAll(), this);
    cmdEnviar_ = new QPushButton(Texto::tr("&Enviar"), this);
    cmdActualizar_ = new QPushButton(Texto::tr("&Actualizar"), this);
    cmdCancelar_ = new QPushButton(Texto::tr("&Cancelar"), this);
    cmdEnviar_->setDefault(true);

    auto* botones = new QHBoxLayout;
    for (QPushButton* b : {cmdSelectAll_, cmdEnviar_, cmdActualizar_, cmdCancelar_})
        botones->addWidget(b);
    auto* caja = new QVBoxLayout(this);
    caja->addWidget(label1);
    caja->addWidget(lstEnviar_);
    caja->addLayout(botones);

    connect(cmdSelectAll_, &QPushButton::clicked, this, [this] {
        tomaSeleccion();
        logica_.CmdSelectAll_Click();
        muestraSeleccion();
    });
    connect(cmdEnviar_, &QPushButton::clicked, this, [this] {
        tomaSeleccion();
        if (logica_.CmdEnviarArchivos_Click())
            accept();
    });
    connect(cmdActualizar_, &QPushButton::clicked, this, [this] {
        if (logica_.CmdActualizar_Click())
            accept();
    });
    connect(cmdCancelar_, &QPushButton::clicked, this, [this] {
        if (logica_.CmdCancelar_Click())
            reject();
    });
}

void FrmArchivosaEnviar::done(int r) {
    // The close box and Escape end here without a button: as "Cancelar".
    logica_.cierra();
    QDialog::done(r);
}

void FrmArchivosaEnviar::tomaSeleccion() {
    for (int i = 0; i < lstEnviar_->count(); ++i)
        logica_.setSeleccionado(i, lstEnviar_->item(i)->isSelected());
}

void FrmArchivosaEnviar::muestraSeleccion() {
    for (int i = 0; i < lstEnviar_->count(); ++i)
        lstEnviar_->item(i)->setSelected(logica_.seleccionado(i));
    cmdSelectAll_->setText(logica_.captionSelectAll());
}

void SeleccionEnvioQt::elige(Contexto& ctx, QStringList& LstSendFiles) {
    FrmArchivosaEnviar frm(ctx, LstSendFiles, QApplication::activeWindow());
    frm.exec();
}

} // namespace korva

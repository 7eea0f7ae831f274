#include "exchange/ui/FrmPedirArchivo.h"
#include "platform/Texto.h"

#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace korva {

FrmPedirArchivo* FrmPedirArchivo::abre(Contexto& ctx, QWidget* padre) {
    static QPointer<FrmPedirArchivo> abierta;
    if (!abierta) {
        abierta = new FrmPedirArchivo(ctx, padre);
        abierta->setAttribute(Qt::WA_DeleteOnClose);
    }
    abierta->show();
    abierta->raise();
    abierta->activateWindow();
    return abierta;
}

FrmPedirArchivo::FrmPedirArchivo(Contexto& ctx, QWidget* parent) : QDialog(parent), logica_(ctx) {
    setObjectName(QStringLiteral("FrmPedirArchivo"));
    setWindowTitle(PedirArchivo::kCaption);
    setModal(false);

    auto* ayuda = new QLabel(PedirArchivo::kAyuda, this);
    ayuda->setWordWrap(true);
    auto* nota = new QLabel(PedirArchivo::kNotaSagarpa, this);
    nota->setWordWrap(true);

    cboLetra_ = new QComboBox(this);
    cboLetra_->setObjectName(QStringLiteral("CboLetra"));
    cboLetra_->addItems(logica_.CboLetra());
    cboLetra_->setCurrentIndex(logica_.ListIndex());
    cboLetra_->installEventFilter(this);
    txtFolio_ = new QLineEdit(this);
    txtFolio_->setObjectName(QStringLiteral("TxtFolio"));
    txtFolio_->setMaxLength(logica_.MaxLength());

    cmdAceptar_ = new QPushButton(Texto::tr("&Aceptar"), this);
    cmdAceptar_->setObjectName(QStringLiteral("CmdAceptar"));
    cmdAceptar_->setDefault(true);
    cmdCancelar_ = new QPushButton(Texto::tr("&Cancelar"), this);
    cmdCancelar_->setObjectName(QStringLiteral("CmdCancelar"));

    auto* campos = new QFormLayout;
    campos->addRow(Texto::tr("Letra:"), cboLetra_);
    campos->addRow(Texto::tr("Folio:"), txtFolio_);
    auto* botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(cmdAceptar_);
    botones->addWidget(cmdCancelar_);
    auto* caja = new QVBoxLayout(this);
    caja->addWidget(ayuda);
    caja->addLayout(campos);
    caja->addWidget(nota);
    caja->addLayout(botones);

    connect(cboLetra_, &QComboBox::currentIndexChanged, this, [this](int i) { logica_.setListIndex(i); });
    connect(txtFolio_, &QLineEdit::textChanged, this, [this](const QString& t) { logica_.setTxtFolio(t); });
    connect(cmdAceptar_, &QPushButton::clicked, this, [this] {
        // A click goes straight from the list to the button: the list has
        // been left, whatever the focus events said.
        letraDejada();
        if (logica_.CmdAceptar_Click())
            close();
    });
    connect(cmdCancelar_, &QPushButton::clicked, this, &QWidget::close);
}

bool FrmPedirArchivo::eventFilter(QObject* o, QEvent* e) {
    if (o == cboLetra_ && e->type() == QEvent::FocusOut)
        letraDejada();
    return QDialog::eventFilter(o, e);
}

void FrmPedirArchivo::letraDejada() {
    logica_.CboLetra_LostFocus();
    txtFolio_->setMaxLength(logica_.MaxLength());
    if (txtFolio_->text() != logica_.TxtFolio())
        txtFolio_->setText(logica_.TxtFolio());
}

} // namespace korva

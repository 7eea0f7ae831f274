#include "records/ui/FrmArchivos.h"
#include "platform/Texto.h"

#include <QComboBox>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

#include "comun/Contexto.h"
#include "platform/Impresoras.h"

namespace korva {

FrmArchivos::FrmArchivos(Contexto& ctx, QWidget* parent) : QWidget(parent, Qt::Window), ctx_(ctx) {
    setObjectName(QStringLiteral("frmArchivos"));
    setWindowTitle(QStringLiteral("KORVAVal"));
    lista_ = new QListView;
    lista_->setObjectName(QStringLiteral("LstArchivos"));
    // Every entry is one line of the same height: the view lays out a file
    // of any size without measuring each entry.
    lista_->setUniformItemSizes(true);
    lista_->setModel(&visor_);
    QFont letra(QStringLiteral("Courier"));
    letra.setStyleHint(QFont::TypeWriter);
    letra.setFixedPitch(true);
    lista_->setFont(letra);
    lista_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lista_->setAccessibleName(Texto::tr("Registros del archivo"));

    registro_ = new QLineEdit;
    registro_->setObjectName(QStringLiteral("TxtRegistro"));
    cmdRegistro_ = new QPushButton(Texto::tr("Ir al &Registro"));
    cmdRegistro_->setObjectName(QStringLiteral("CmdRegistro"));
    impresoras_ = new QComboBox;
    impresoras_->setObjectName(QStringLiteral("CboPrinters"));
    impresoras_->setPlaceholderText(Texto::tr("Impresora"));
    impresoras_->setAccessibleName(Texto::tr("Impresora"));
    cmdImprimir_ = new QPushButton(Texto::tr("&Imprimir"));
    cmdImprimir_->setObjectName(QStringLiteral("CmdImprimir"));
    cmdCerrar_ = new QPushButton(Texto::tr("&Cerrar"));
    cmdCerrar_->setObjectName(QStringLiteral("CmdCerrar"));

    auto* raiz = new QVBoxLayout(this);
    raiz->addWidget(lista_, 1);
    auto* abajo = new QHBoxLayout;
    auto* etiquetaRegistro = new QLabel(Texto::tr("R&egistro:"));
    etiquetaRegistro->setBuddy(registro_);
    abajo->addWidget(etiquetaRegistro);
    abajo->addWidget(registro_);
    abajo->addWidget(cmdRegistro_);
    abajo->addSpacing(20);
    abajo->addWidget(impresoras_, 1);
    abajo->addWidget(cmdImprimir_);
    abajo->addWidget(cmdCerrar_);
    raiz->addLayout(abajo);
    resize(820, 560);

    connect(registro_, &QLineEdit::textEdited, &visor_, &Visor::setTxtRegistro);
    connect(registro_, &QLineEdit::returnPressed, cmdRegistro_, &QPushButton::click);
    connect(&visor_, &Visor::registroCambiado, this, [this] {
        if (registro_->text() != visor_.TxtRegistro())
            registro_->setText(visor_.TxtRegistro());
    });
    connect(&visor_, &Visor::captionCambiado, this, [this] { setWindowTitle(visor_.caption()); });
    connect(&visor_, &Visor::enfocaRegistro, this, [this] { registro_->setFocus(); });
    connect(&visor_, &Visor::seleccionaEntrada, this, [this](int i) {
        const QModelIndex m = visor_.index(i);
        lista_->setCurrentIndex(m);
        lista_->scrollTo(m, QAbstractItemView::PositionAtTop);
    });
    connect(&visor_, &Visor::mostrar, this, [this] {
        show();
        raise();
        activateWindow();
        lista_->setFocus();
    });
    connect(lista_, &QListView::clicked, this,
            [this](const QModelIndex& m) { visor_.LstArchivos_Click(m.row()); });
    connect(cmdRegistro_, &QPushButton::clicked, this, [this] { visor_.CmdRegistro(ctx_.dlg); });
    connect(cmdImprimir_, &QPushButton::clicked, this,
            [this] { visor_.CmdImprimir(ctx_.dlg, ctx_.impresoras, impresoras_->currentText()); });
    connect(cmdCerrar_, &QPushButton::clicked, this, [this] {
        hide();
        if (QWidget* principal = parentWidget())
            principal->activateWindow();
        emit cerrado();
    });
    llenaImpresoras();
}

void FrmArchivos::abre(Lista lista, const QString& entrada) { abreEntrada(ctx_, visor_, lista, entrada); }

void FrmArchivos::conectaLista(QAbstractItemView* vista, Lista lista) {
    connect(vista, &QAbstractItemView::doubleClicked, this,
            [this, lista](const QModelIndex& m) { abre(lista, m.data().toString()); });
}

void FrmArchivos::llenaImpresoras() {
    // Read again each time the viewer opens: printers come and go during the
    // day; the one chosen stays chosen while it is there.
    const QString elegida = impresoras_->currentText();
    impresoras_->clear();
    if (ctx_.impresoras)
        impresoras_->addItems(ctx_.impresoras->nombres());
    impresoras_->setCurrentIndex(elegida.isEmpty() ? -1 : impresoras_->findText(elegida));
}

void FrmArchivos::showEvent(QShowEvent* e) {
    llenaImpresoras();
    QWidget::showEvent(e);
}

} // namespace korva

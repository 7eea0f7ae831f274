#include "app/ui/FrmEntrada.h"
#include "platform/Texto.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korva {

FrmEntrada::FrmEntrada(Dialogos& dlg, const QString& carpeta, QWidget* parent)
    : QWidget(parent), patentes_(dlg, carpeta) {
    setObjectName(QStringLiteral("FrmEntrada"));
    setWindowTitle(Texto::tr("KORVA - Centro de Prevalidación"));
    setAccessibleName(Texto::tr("Selección de patente"));
    auto* raiz = new QVBoxLayout(this);

    auto* fila = new QHBoxLayout;
    auto* etiquetaPatentes = new QLabel(Texto::tr("Seleccione &Patente:"));
    fila->addWidget(etiquetaPatentes);
    CboPatentes = new QComboBox;
    CboPatentes->setObjectName(QStringLiteral("CboPatentes"));
    CboPatentes->setAccessibleName(Texto::tr("Patente"));
    etiquetaPatentes->setBuddy(CboPatentes);
    CboPatentes->setMinimumWidth(180);
    fila->addWidget(CboPatentes, 1);
    raiz->addLayout(fila);

    auto* botones = new QHBoxLayout;
    auto boton = [&](const char* nombre, const QString& texto) {
        auto* b = new QPushButton(texto);
        b->setObjectName(QString::fromLatin1(nombre));
        botones->addWidget(b);
        return b;
    };
    CmdEntrar = boton("CmdEntrar", QStringLiteral("&Entrar"));
    CmdCrearPatente = boton("CmdCrearPatente", QStringLiteral("C&rear Patente"));
    CmdEliminarPatente = boton("CmdEliminarPatente", QStringLiteral("E&liminar Patente"));
    CmdCancelar = boton("CmdCancelar", QStringLiteral("&Cancelar"));
    CmdEntrar->setDefault(true);
    raiz->addLayout(botones);

    areaCrear = new QWidget;
    auto* crear = new QGridLayout(areaCrear);
    crear->setContentsMargins(0, 0, 0, 0);
    auto* ayuda = new QLabel(Texto::tr(
        "Escriba la clave con la que desea identificar a la pantente, puede ser la patente o cualquier clave "
        "que se desee, recuerde que esta clave será ligada a la configuración de la Patente para poder "
        "Validar."));
    ayuda->setWordWrap(true);
    crear->addWidget(ayuda, 0, 0, 1, 3);
    auto* etiquetaClave = new QLabel(Texto::tr("Pa&tente:"));
    crear->addWidget(etiquetaClave, 1, 0);
    TxtPatente = new QLineEdit;
    TxtPatente->setObjectName(QStringLiteral("TxtPatente"));
    TxtPatente->setAccessibleName(Texto::tr("Clave de la patente nueva"));
    etiquetaClave->setBuddy(TxtPatente);
    TxtPatente->setMaxLength(Patentes::kLargoClave);
    crear->addWidget(TxtPatente, 1, 1);
    CmdAceptar = new QPushButton(Texto::tr("&Aceptar"));
    CmdAceptar->setObjectName(QStringLiteral("CmdAceptar"));
    crear->addWidget(CmdAceptar, 1, 2);
    raiz->addWidget(areaCrear);
    raiz->addStretch();

    connect(CboPatentes, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!cargando_)
            patentes_.selecciona(i);
    });
    connect(TxtPatente, &QLineEdit::textEdited, this, [this](const QString& t) {
        patentes_.editaClave(t);
        CmdAceptar->setEnabled(patentes_.aceptarHabilitado());
    });
    connect(CmdEntrar, &QPushButton::clicked, this, [this] {
        const int pos = patentes_.entrar();
        muestra();
        if (pos >= 0)
            emit entrar(pos);
    });
    connect(CmdCrearPatente, &QPushButton::clicked, this, [this] {
        patentes_.crear();
        muestra();
        TxtPatente->setFocus();
    });
    connect(CmdAceptar, &QPushButton::clicked, this, [this] {
        patentes_.editaClave(TxtPatente->text());
        patentes_.aceptar();
        muestra();
    });
    connect(CmdEliminarPatente, &QPushButton::clicked, this, [this] {
        patentes_.eliminar();
        muestra();
    });
    connect(CmdCancelar, &QPushButton::clicked, this, &QWidget::close);

    patentes_.carga();
    CmdAceptar->setEnabled(false);
    muestra();
}

void FrmEntrada::muestra() {
    cargando_ = true;
    CboPatentes->clear();
    CboPatentes->addItems(patentes_.claves());
    CboPatentes->setCurrentIndex(patentes_.seleccion());
    cargando_ = false;
    const bool b = patentes_.botonesHabilitados();
    CmdEntrar->setEnabled(b);
    CmdCrearPatente->setEnabled(b);
    CmdEliminarPatente->setEnabled(b);
    areaCrear->setVisible(patentes_.expandido());
    if (patentes_.expandido())
        TxtPatente->setFocus();
    adjustSize();
}

} // namespace korva

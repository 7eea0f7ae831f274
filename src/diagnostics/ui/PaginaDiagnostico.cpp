#include "diagnostics/ui/PaginaDiagnostico.h"
#include "platform/Texto.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "platform/Eco.h"

namespace korva {
namespace {

QLabel* etiqueta(const char* nombre, QWidget* padre = nullptr) {
    auto* l = new QLabel(padre);
    l->setObjectName(QString::fromLatin1(nombre));
    return l;
}

QPushButton* boton(const char* nombre, const QString& texto) {
    auto* b = new QPushButton(texto);
    b->setObjectName(QString::fromLatin1(nombre));
    return b;
}

} // namespace

PaginaDiagnostico::PaginaDiagnostico(Contexto& ctx, Eco& eco, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    construye(eco);
}

PaginaDiagnostico::PaginaDiagnostico(Contexto& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    if (!ctx.eco)
        propio_ = creaEcoSistema();
    construye(ctx.eco ? *ctx.eco : *propio_);
}

// The logic goes first: it refers to the echo component it was given.
PaginaDiagnostico::~PaginaDiagnostico() { delete logica_; }

void PaginaDiagnostico::construye(Eco& eco) {
    logica_ = new Diagnostico(ctx_, eco);
    setObjectName(QStringLiteral("PaginaDiagnostico"));
    hostName_ = new QLineEdit(logica_->HostName);
    hostName_->setObjectName(QStringLiteral("HostName"));
    check1_ = new QCheckBox(Texto::tr("Síncrono"));
    check1_->setObjectName(QStringLiteral("Check1"));
    pingTest_ = boton("PingTest", QStringLiteral("P&rueba con KORVA"));
    // Alt+U opens "&Utilerias" and Alt+S is "&Salir": these take other letters.
    comdProbar_ = boton("ComdProbar", QStringLiteral("Una Prue&ba"));
    cmdPruebas_ = boton("CmdPruebas", QStringLiteral("I&niciar Prueba"));
    salida_ = new QPlainTextEdit;
    salida_->setObjectName(QStringLiteral("PingOutPut"));
    salida_->setAccessibleName(Texto::tr("Resultado de las pruebas"));
    salida_->setReadOnly(true);
    salida_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    salida_->setLineWrapMode(QPlainTextEdit::NoWrap);
    send_ = etiqueta("SendLabel");
    recv_ = etiqueta("RecvLabel");
    loss_ = etiqueta("LossLabel");
    resultado_ = etiqueta("LblResultado");
    comentario_ = etiqueta("LblComentario");
    comentario_->setWordWrap(true);
    comentario_->setTextFormat(Qt::PlainText); // it quotes the host the user typed
    localName_ = etiqueta("LocalNameLabel");
    localAddress_ = etiqueta("LocalAddressLabel");

    auto* raiz = new QVBoxLayout(this);
    auto* equipo = new QGroupBox(Texto::tr("Este equipo"));
    auto* ge = new QGridLayout(equipo);
    ge->addWidget(new QLabel(Texto::tr("Nombre:")), 0, 0);
    ge->addWidget(localName_, 0, 1);
    ge->addWidget(new QLabel(Texto::tr("Dirección IP:")), 1, 0);
    ge->addWidget(localAddress_, 1, 1);
    ge->setColumnStretch(1, 1);
    raiz->addWidget(equipo);

    auto* fila = new QHBoxLayout;
    auto* lh = new QLabel(Texto::tr("Siti&o:"));
    lh->setBuddy(hostName_);
    fila->addWidget(lh);
    fila->addWidget(hostName_, 1);
    fila->addWidget(check1_);
    fila->addWidget(comdProbar_);
    fila->addWidget(cmdPruebas_);
    fila->addWidget(pingTest_);
    raiz->addLayout(fila);
    raiz->addWidget(salida_, 1);

    auto* cifras = new QGridLayout;
    cifras->addWidget(new QLabel(Texto::tr("Enviados:")), 0, 0);
    cifras->addWidget(send_, 0, 1);
    cifras->addWidget(new QLabel(Texto::tr("Recibidos:")), 0, 2);
    cifras->addWidget(recv_, 0, 3);
    cifras->addWidget(new QLabel(Texto::tr("Pérdida:")), 0, 4);
    cifras->addWidget(loss_, 0, 5);
    cifras->addWidget(new QLabel(Texto::tr("Calidad del enlace:")), 0, 6);
    cifras->addWidget(resultado_, 0, 7);
    cifras->setColumnStretch(8, 1);
    raiz->addLayout(cifras);
    raiz->addWidget(comentario_);

    connect(hostName_, &QLineEdit::textChanged, this, [this](const QString& t) { logica_->HostName = t; });
    connect(check1_, &QCheckBox::toggled, this, [this](bool m) { logica_->Check1 = m; });
    connect(pingTest_, &QPushButton::clicked, logica_, &Diagnostico::PingTest);
    connect(comdProbar_, &QPushButton::clicked, logica_, &Diagnostico::ComdProbar);
    connect(cmdPruebas_, &QPushButton::clicked, logica_, &Diagnostico::CmdPruebas);
    connect(logica_, &Diagnostico::cambiado, this, &PaginaDiagnostico::muestra);
    connect(logica_, &Diagnostico::transcripcionCambiada, this, &PaginaDiagnostico::muestraSalida);
    connect(&ctx_.st.pantalla(), &Pantalla::etiquetaCambiada, this, [this](Etiqueta e) {
        if (e == Etiqueta::LocalName || e == Etiqueta::LocalAddress)
            muestraLocales();
    });

    logica_->ReiniciaPruebas();
    muestra();
    muestraLocales();
}

void PaginaDiagnostico::muestra() {
    check1_->setChecked(logica_->Check1);
    send_->setText(logica_->SendLabel());
    recv_->setText(logica_->RecvLabel());
    loss_->setText(logica_->LossLabel());
    resultado_->setText(logica_->LblResultado());
    comentario_->setText(logica_->LblComentario());
    // &HC00000 is dark blue in the page's colour values; 255 is red.
    comentario_->setStyleSheet(logica_->colorComentario() == ColorComentario::Rojo
                                   ? QStringLiteral("color: rgb(255, 0, 0);")
                                   : QStringLiteral("color: rgb(0, 0, 192);"));
    cmdPruebas_->setText(logica_->captionCmdPruebas());
    pingTest_->setEnabled(logica_->habilitadoPingTest());
    comdProbar_->setEnabled(logica_->habilitadoComdProbar());
    cmdPruebas_->setEnabled(logica_->habilitadoCmdPruebas());
    // Synchronous requests block the thread: paint the progress text now.
    if (comentario_->isVisible())
        comentario_->repaint();
}

void PaginaDiagnostico::muestraSalida() {
    QString t = logica_->PingOutPut();
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (t.endsWith(QLatin1Char('\n')))
        t.chop(1);
    salida_->setPlainText(t);
    salida_->verticalScrollBar()->setValue(salida_->verticalScrollBar()->maximum());
}

void PaginaDiagnostico::muestraLocales() {
    localName_->setText(ctx_.st.pantalla().etiqueta(Etiqueta::LocalName));
    localAddress_->setText(ctx_.st.pantalla().etiqueta(Etiqueta::LocalAddress));
}

} // namespace korva

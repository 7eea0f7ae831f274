#include "config/ui/PaginaConfiguracion.h"
#include "platform/Texto.h"

#include "platform/ui/Colores.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "comun/Contexto.h"
#include "comun/RegistroConfiguracion.h"
#include "config/Edicion.h"

namespace korva {

namespace {
const char* kNombresCasilla(int s) {
    switch (s) {
    case slot::Pasivo:
        return "ChkPasivo";
    case slot::Firmar:
        return "ChkFirmar";
    case slot::EnvioAutomatico:
        return "ChkAutoEnvio";
    case slot::RutasAdicionales:
        return "ChkRutas";
    case slot::DepurarArchivos:
        return "ChkDepurarArchivos";
    case slot::BajarRegistro001:
        return "ChkRegistro001";
    }
    return "";
}
QString textoCasilla(int s) {
    switch (s) {
    case slot::Firmar:
        return QStringLiteral("Firmar con Prevalidador");
    case slot::EnvioAutomatico:
        return QStringLiteral("Envio Automático");
    case slot::RutasAdicionales:
        return QStringLiteral("Usar rutas adicionales");
    case slot::DepurarArchivos:
        return QStringLiteral("Depurar Archivos");
    case slot::BajarRegistro001:
        return QStringLiteral("Bajar Archivos Reg 001");
    }
    return {};
}
// Typing stops at the slot's length limit, but a longer text that the record
// already holds is shown whole: the box never hides part of the record.
void ajustaLongitud(QLineEdit* c, int n, const QString& texto) {
    const int limite = registro::longitudMaxima(n);
    if (limite > 0)
        c->setMaxLength(qMax(limite, int(texto.size())));
}
} // namespace

PaginaConfiguracion::PaginaConfiguracion(Contexto& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    creaCajas();
    auto* raiz = new QVBoxLayout(this);
    creaCabeza(raiz);
    auto* cuerpo = new QHBoxLayout;
    cuerpo->addLayout(creaFormulario(), 2);
    cuerpo->addLayout(creaLado(), 1);
    raiz->addLayout(cuerpo);
    creaPaneles(raiz);
    raiz->addStretch();
    conectaEstado();
}

// One box and label for every slot, one check box for every flag slot.
void PaginaConfiguracion::creaCajas() {
    const EstadoPrincipal& st = ctx_.st;
    for (int n = 0; n < EstadoConfiguracion::kSlots; ++n) {
        auto* c = new QLineEdit(st.config().TxtConfiguration(n));
        c->setObjectName(QStringLiteral("TxtConfiguration%1").arg(n));
        c->setToolTip(registro::ayuda(n));
        if (registro::enmascarado(n))
            c->setEchoMode(QLineEdit::Password);
        ajustaLongitud(c, n, st.config().TxtConfiguration(n));
        connect(c, &QLineEdit::textEdited, this, [this, n](const QString& t) {
            ajustaLongitud(cajas_[n], n, t);
            ctx_.st.config().setSlot(n, t);
        });
        connect(c, &QLineEdit::editingFinished, this, [this] { ValidaConfiguracion(ctx_); });
        cajas_[n] = c;
        etiquetas_[n] = new QLabel(registro::etiqueta(n));
        etiquetas_[n]->setBuddy(c);
    }
    for (int s : EstadoConfiguracion::kSlotsBandera) {
        auto* c = new QCheckBox(textoCasilla(s));
        c->setObjectName(QString::fromLatin1(kNombresCasilla(s)));
        // Its label may stand apart (Pasivo): the name is the slot's own.
        c->setAccessibleName(registro::etiqueta(s).remove(QLatin1Char(':')));
        c->setChecked(st.config().chk(s));
        // A refused click leaves the record as it was, which sends no change:
        // the box is set back from the record here.
        connect(c, &QCheckBox::clicked, this, [this, s](bool marcado) {
            clicChk(ctx_, s, marcado);
            casillas_[s]->setChecked(ctx_.st.config().chk(s));
        });
        casillas_[s] = c;
    }
}

// The logo, the patent and date, and the centre's particular notice.
void PaginaConfiguracion::creaCabeza(QVBoxLayout* raiz) {
    auto* cabeza = new QHBoxLayout;
    logo_ = new QLabel(Texto::tr("<b>KORVA</b><br>Centro de Prevalidación"));
    logo_->setObjectName(QStringLiteral("LogoKORVA"));
    cabeza->addWidget(logo_);
    cabeza->addStretch();
    patente_ = new QLabel;
    patente_->setObjectName(QStringLiteral("LblPatente"));
    patente_->setTextFormat(Qt::PlainText);
    fecha_ = new QLabel;
    fecha_->setObjectName(QStringLiteral("Fecha"));
    auto* etiquetaPatente = new QLabel(Texto::tr("Patente:"));
    etiquetaPatente->setBuddy(patente_);
    patente_->setAccessibleName(Texto::tr("Patente"));
    cabeza->addWidget(etiquetaPatente);
    cabeza->addWidget(patente_);
    cabeza->addSpacing(20);
    cabeza->addWidget(fecha_);
    raiz->addLayout(cabeza);
    aviso_ = new QLabel;
    aviso_->setObjectName(QStringLiteral("LblAvisoParticular"));
    aviso_->setTextFormat(Qt::PlainText); // the centre's text, shown as it came
    aviso_->setWordWrap(true);
    aviso_->setAccessibleName(Texto::tr("Aviso particular del centro"));
    raiz->addWidget(aviso_);
}

// The slots the broker fills in, and Pasivo.
QFormLayout* PaginaConfiguracion::creaFormulario() {
    auto* forma = new QFormLayout;
    for (int n : {0, 1, 2, 3, 4, 5, 6, 7, 10, 11, 17})
        forma->addRow(etiquetas_[n], cajas_[n]);
    auto* pasivo = new QHBoxLayout;
    pasivo->addWidget(casillas_[slot::Pasivo]);
    pasivo->addStretch();
    forma->addRow(new QLabel(Texto::tr("Pasivo:")), pasivo);
    return forma;
}

// Beside the form: three check boxes, the period, the panel buttons, the site.
QVBoxLayout* PaginaConfiguracion::creaLado() {
    auto* lado = new QVBoxLayout;
    for (int s : {slot::EnvioAutomatico, slot::DepurarArchivos, slot::BajarRegistro001})
        lado->addWidget(casillas_[s]);
    lado->addWidget(creaLapso());
    botonesPanel_ = new QWidget;
    auto* bp = new QHBoxLayout(botonesPanel_);
    bp->setContentsMargins(0, 0, 0, 0);
    auto panelBoton = [&](const char* nombre, const QString& texto, Panel p) {
        auto* b = new QPushButton(texto);
        b->setObjectName(QString::fromLatin1(nombre));
        connect(b, &QPushButton::clicked, this, [this, p] { abrePanel(ctx_, p); });
        bp->addWidget(b);
    };
    panelBoton("CmdServidor", QStringLiteral("Servidor"), Panel::Servidor);
    panelBoton("CmdDatosFirma", QStringLiteral("Datos Firma"), Panel::Firma);
    panelBoton("CmdRutas", QStringLiteral("Rutas"), Panel::Rutas);
    lado->addWidget(botonesPanel_);
    auto* web = new QLabel(Texto::tr("WebSite: www.korva.example"));
    web->setOpenExternalLinks(true);
    lado->addWidget(web);
    lado->addStretch();
    return lado;
}

// "Procesar cada:": the minutes and seconds boxes over the slider.
QGroupBox* PaginaConfiguracion::creaLapso() {
    auto* lapso = new QGroupBox(Texto::tr("Procesar cada:"));
    auto* fl = new QGridLayout(lapso);
    TxtMinSldControl = new QLineEdit;
    TxtMinSldControl->setObjectName(QStringLiteral("TxtMinSldControl"));
    TxtMinSldControl->setMaxLength(1);
    TxtMinSldControl->setMaximumWidth(40);
    TxtMinSldControl->setToolTip(Texto::tr("Minutos del lapso de validación"));
    TxtMinSldControl->setAccessibleName(Texto::tr("Minutos entre ciclos"));
    TxtSegSldControl = new QLineEdit;
    TxtSegSldControl->setObjectName(QStringLiteral("TxtSegSldControl"));
    TxtSegSldControl->setMaxLength(2);
    TxtSegSldControl->setMaximumWidth(50);
    TxtSegSldControl->setToolTip(Texto::tr("Segundos del lapso de validación"));
    TxtSegSldControl->setAccessibleName(Texto::tr("Segundos entre ciclos"));
    SldControl = new QSlider(Qt::Horizontal);
    SldControl->setObjectName(QStringLiteral("SldControl"));
    SldControl->setRange(0, kPeriodoMaximo);
    SldControl->setToolTip(Texto::tr("Ajustar tiempo de espera de los ciclos de busqueda"));
    fl->addWidget(TxtMinSldControl, 0, 0);
    fl->addWidget(new QLabel(Texto::tr("Min.")), 0, 1);
    fl->addWidget(TxtSegSldControl, 0, 2);
    fl->addWidget(new QLabel(Texto::tr("Seg.")), 0, 3);
    fl->addWidget(SldControl, 1, 0, 1, 4);
    connect(SldControl, &QSlider::valueChanged, this, [this](int v) {
        if (v != ctx_.st.config().periodo())
            SldControl_Change(ctx_.st, v);
    });
    auto alSalir = [this] {
        ctx_.st.pantalla().setEtiqueta(Etiqueta::Minutos, TxtMinSldControl->text());
        ctx_.st.pantalla().setEtiqueta(Etiqueta::Segundos, TxtSegSldControl->text());
        AplicaLapso(ctx_);
        // The boxes may already read the period they set: the slider is
        // moved here, not on their change.
        if (SldControl->value() != ctx_.st.config().periodo())
            SldControl->setValue(ctx_.st.config().periodo());
    };
    connect(TxtMinSldControl, &QLineEdit::editingFinished, this, alSalir);
    connect(TxtSegSldControl, &QLineEdit::editingFinished, this, alSalir);
    return lapso;
}

// The three panels the buttons open: server, signature data, routes.
void PaginaConfiguracion::creaPaneles(QVBoxLayout* raiz) {
    auto hazPanel = [&](const char* nombre, const QString& titulo, const char* boton, QFormLayout*& l) {
        auto* g = new QGroupBox(titulo);
        g->setObjectName(QString::fromLatin1(nombre));
        l = new QFormLayout(g);
        auto* ocultar = new QPushButton(Texto::tr("Ocultar"));
        ocultar->setObjectName(QString::fromLatin1(boton));
        connect(ocultar, &QPushButton::clicked, this, [this] {
            ocultaPanel(ctx_);
            cajas_[slot::Usuario]->setFocus();
        });
        l->setProperty("ocultar", QVariant::fromValue<QObject*>(ocultar));
        raiz->addWidget(g);
        return g;
    };
    auto aviso2 = [](const QString& t) {
        auto* l = new QLabel(t);
        l->setWordWrap(true);
        return l;
    };
    QFormLayout* l = nullptr;
    FmeServidor =
        hazPanel("FmeServidor", QStringLiteral("Configuración Servidor de KORVA"), "CmdFmeservidor", l);
    l->addRow(etiquetas_[8], cajas_[8]);
    l->addRow(etiquetas_[9], cajas_[9]);
    OpnPrimario = new QRadioButton(Texto::tr("Predeterminado"));
    OpnPrimario->setObjectName(QStringLiteral("OpnPrimario"));
    OpnSecundario = new QRadioButton(Texto::tr("Secundario"));
    OpnSecundario->setObjectName(QStringLiteral("OpnSecundario"));
    auto* opciones = new QHBoxLayout;
    opciones->addWidget(OpnPrimario);
    opciones->addWidget(OpnSecundario);
    l->addRow(opciones);
    connect(OpnPrimario, &QRadioButton::clicked, this,
            [this] { seleccionaServidor(ctx_.st, OpcionServidor::Primario, true); });
    connect(OpnSecundario, &QRadioButton::clicked, this,
            [this] { seleccionaServidor(ctx_.st, OpcionServidor::Secundario, true); });
    l->addRow(new QLabel(Texto::tr("Precaución:")),
              aviso2(Texto::tr("No modifique la configuración del servidor, a menos que personal de LURMA lo "
                               "indique, o el sistema lo realice automáticamente.")));
    l->addRow(qobject_cast<QWidget*>(l->property("ocultar").value<QObject*>()));

    FmeFEA = hazPanel("FmeFEA", QStringLiteral(" Datos de Firma Electrónica "), "CmdOcultarfmeFEA", l);
    for (int n : {13, 14, 15, 24})
        l->addRow(etiquetas_[n], cajas_[n]);
    l->addRow(casillas_[slot::Firmar]);
    l->addRow(aviso2(Texto::tr(
        "Aviso: al activar esta opción se autoriza al programa a que modifique los archivos de validación, "
        "para "
        "cambiarle la clave del prevalidador y agregarle la Firma Electrónica Avanzada (FEA).")));
    l->addRow(qobject_cast<QWidget*>(l->property("ocultar").value<QObject*>()));

    FmeRutas = hazPanel("FmeRutas", QStringLiteral("Rutas Adicionales"), "CmdOcultarFmeRutas", l);
    l->addRow(etiquetas_[20], cajas_[20]);
    l->addRow(etiquetas_[21], cajas_[21]);
    l->addRow(casillas_[slot::RutasAdicionales]);
    l->addRow(
        aviso2(Texto::tr("Aviso: En estos campos se separan las rutas por comas y sin espacios en blanco, "
                         "en el mismo orden que aparecen en Enviar y Recibir (ej. m,b,c,s,...)")));
    l->addRow(qobject_cast<QWidget*>(l->property("ocultar").value<QObject*>()));

    // Slots 16, 18, 19, 22, 23 and 12 live behind their check boxes.
    for (int n : {12, 16, 18, 19, 22, 23}) {
        cajas_[n]->setParent(this);
        cajas_[n]->hide();
        etiquetas_[n]->setParent(this);
        etiquetas_[n]->hide();
    }
}

// From here on the page follows the run's state, starting from what it holds.
void PaginaConfiguracion::conectaEstado() {
    const EstadoPrincipal& st = ctx_.st;
    connect(&st.config(), &EstadoConfiguracion::slotCambiado, this, [this](int n) {
        const QString& t = ctx_.st.config().TxtConfiguration(n);
        if (cajas_[n]->text() != t) {
            ajustaLongitud(cajas_[n], n, t);
            cajas_[n]->setText(t);
        }
    });
    connect(&st.config(), &EstadoConfiguracion::chkCambiado, this, [this](int s) {
        if (casillas_[s])
            casillas_[s]->setChecked(ctx_.st.config().chk(s));
    });
    connect(&st.config(), &EstadoConfiguracion::bloqueoCambiado, this,
            &PaginaConfiguracion::sincronizaBloqueo);
    connect(&st.edicion(), &VistaEdicion::vistaCambiada, this, &PaginaConfiguracion::sincronizaVista);
    connect(&st.pantalla(), &Pantalla::etiquetaCambiada, this, [this](Etiqueta e) {
        const EstadoPrincipal& s = ctx_.st;
        switch (e) {
        case Etiqueta::Patente:
            patente_->setText(s.pantalla().etiqueta(e));
            break;
        case Etiqueta::Fecha:
            fecha_->setText(s.pantalla().etiqueta(e));
            break;
        case Etiqueta::AvisoParticular:
            aviso_->setText(s.pantalla().etiqueta(e));
            break;
        case Etiqueta::Minutos:
            TxtMinSldControl->setText(s.pantalla().etiqueta(e));
            break;
        case Etiqueta::Segundos:
            TxtSegSldControl->setText(s.pantalla().etiqueta(e));
            break;
        default:
            break;
        }
        if (SldControl->value() != s.config().periodo())
            SldControl->setValue(s.config().periodo());
    });
    patente_->setText(st.pantalla().etiqueta(Etiqueta::Patente));
    fecha_->setText(st.pantalla().etiqueta(Etiqueta::Fecha));
    aviso_->setText(st.pantalla().etiqueta(Etiqueta::AvisoParticular));
    TxtMinSldControl->setText(st.pantalla().etiqueta(Etiqueta::Minutos));
    TxtSegSldControl->setText(st.pantalla().etiqueta(Etiqueta::Segundos));
    SldControl->setValue(st.config().periodo());
    sincronizaBloqueo();
    sincronizaVista();
}

QWidget* PaginaConfiguracion::logo() const { return logo_; }

QCheckBox* PaginaConfiguracion::casilla(int s) const { return casillas_.at(s); }

void PaginaConfiguracion::sincronizaBloqueo() {
    for (int n = 0; n < EstadoConfiguracion::kSlots; ++n) {
        cajas_[n]->setReadOnly(ctx_.st.config().bloqueado(n));
        colores::marcaSoloLectura(cajas_[n], ctx_.st.config().bloqueado(n));
    }
}

void PaginaConfiguracion::sincronizaVista() {
    const EstadoPrincipal& st = ctx_.st;
    const Panel p = st.edicion().panel();
    botonesPanel_->setVisible(p == Panel::Ninguno);
    FmeServidor->setVisible(p == Panel::Servidor);
    FmeFEA->setVisible(p == Panel::Firma);
    FmeRutas->setVisible(p == Panel::Rutas);
    for (int n : {0, 2, 17}) {
        cajas_[n]->setVisible(st.edicion().servicioVisible());
        etiquetas_[n]->setVisible(st.edicion().servicioVisible());
    }
    OpnPrimario->setEnabled(st.edicion().opcionesServidorHabilitadas());
    OpnSecundario->setEnabled(st.edicion().opcionesServidorHabilitadas());
    OpnPrimario->setAutoExclusive(false);
    OpnSecundario->setAutoExclusive(false);
    OpnPrimario->setChecked(st.edicion().opcionServidor() == OpcionServidor::Primario);
    OpnSecundario->setChecked(st.edicion().opcionServidor() == OpcionServidor::Secundario);
    OpnPrimario->setAutoExclusive(true);
    OpnSecundario->setAutoExclusive(true);
}

} // namespace korva

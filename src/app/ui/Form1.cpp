#include "app/ui/Form1.h"
#include "platform/Texto.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStringListModel>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "app/Arranque.h"
#include "app/ui/AcercaDe.h"
#include "app/ui/Manual.h"
#include "app/ui/Parada.h"
#include "comun/Contexto.h"
#include "comun/Transferencia.h"
#include "config/ArchivoConfiguracion.h"
#include "config/Edicion.h"
#include "config/Folios.h"
#include "config/ui/PaginaConfiguracion.h"
#include "cycle/Ciclo.h"
#include "diagnostics/ui/PaginaDiagnostico.h"
#include "exchange/ui/FrmEliminarBusqueda.h"
#include "exchange/ui/FrmPedirArchivo.h"
#include "platform/Dialogos.h"
#include "platform/Soporte.h"
#include "platform/fs.h"
#include "platform/ui/Colores.h"
#include "records/Respaldo.h"
#include "records/ui/FrmArchivos.h"
#include "records/ui/FrmMessage.h"

namespace korva {

// Holds a label whose text changes often (the status line, the clock) so
// that a new text repaints the label alone: a label asks for a new layout on
// every text, and the tab control repaints its whole page on each one. The
// holder's size comes from a pattern of the widest text it will hold (the
// clock, the day), or for the status line from the lines its text needs at
// the width the window gives it: a long status text wraps, it never widens
// the window or squeezes the lists. The size is worked out whenever the text
// changes, shown or not: a hidden page receives no layout requests.
class Marco final : public QWidget {
public:
    Marco(QLabel* l, const QString& patron) : l_(l), patron_(patron) {
        l->setParent(this);
        if (patron_.isEmpty()) {
            l->setWordWrap(true);
            setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        } else {
            setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        }
        ajusta();
    }
    QSize sizeHint() const override { return hint_; }
    QSize minimumSizeHint() const override { return hint_; }

    // After a new text: asks for a layout only when the size must change.
    void ajusta() {
        QSize s;
        if (!patron_.isEmpty()) {
            const QFontMetrics fm(l_->font());
            s = QSize(fm.horizontalAdvance(patron_), fm.height()) +
                QSize(2 * l_->margin() + 2, 2 * l_->margin());
        } else {
            const int ancho = width() > 0 ? width() : 400;
            s = QSize(ancho, std::max(l_->heightForWidth(ancho), l_->fontMetrics().height()));
        }
        if (s != hint_) {
            hint_ = s;
            updateGeometry();
        }
    }

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::LayoutRequest) {
            ajusta();
            return true;
        }
        return QWidget::event(e);
    }
    void resizeEvent(QResizeEvent*) override {
        l_->setGeometry(rect());
        if (patron_.isEmpty())
            ajusta(); // another width, perhaps another number of lines
    }

private:
    QLabel* l_;
    QString patron_;
    QSize hint_;
};

Form1::Form1(Contexto& ctx, int posicion, QWidget* parent) : QMainWindow(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("Form1"));
    // The error window belongs to this window, from the start-up on.
    if (auto* v = dynamic_cast<VentanaErrorQt*>(ctx.ventanaError))
        v->setPrincipal(this);
    CargaForm1(ctx, posicion);

    auto* centro = new QWidget;
    auto* raiz = new QVBoxLayout(centro);
    raiz->addLayout(creaBarra());
    creaPaginas();
    raiz->addWidget(paginas_, 1);
    setCentralWidget(centro);
    creaMenus();
    conectaEstado();
    creaVisor();
    muestraEstado();
    conectaBotones();
    creaRelojes();
    colocaVentana();
}

// Iniciar, Salir and the notice line above the pages.
QHBoxLayout* Form1::creaBarra() {
    auto* arriba = new QHBoxLayout;
    Start_Button = new QPushButton(Texto::tr("&Iniciar"));
    Start_Button->setObjectName(QStringLiteral("Start_Button"));
    Start_Button->setToolTip(
        Texto::tr("Inicia o detiene el proceso de envío y recepción de archivos a validación"));
    salir_ = new QPushButton(Texto::tr("&Salir"));
    salir_->setObjectName(QStringLiteral("CmdExit"));
    salir_->setToolTip(Texto::tr("Termina la conexión y cierra el programa"));
    connect(salir_, &QPushButton::clicked, this, &QWidget::close);
    LblDespliega = new QLabel;
    LblDespliega->setObjectName(QStringLiteral("LblDespliega"));
    // Notices, names and server replies are shown as they came, never as markup.
    LblDespliega->setTextFormat(Qt::PlainText);
    LblDespliega->setToolTip(
        Texto::tr("Presione Doble Click aquí para ver el contenido de todos los mensajes"));
    LblDespliega->setAutoFillBackground(true);
    LblDespliega->setAccessibleName(Texto::tr("Avisos del centro"));
    LblDespliega->installEventFilter(this);
    arriba->addWidget(Start_Button);
    arriba->addWidget(salir_);
    arriba->addWidget(LblDespliega, 1);
    return arriba;
}

// Configuración, Status and Conexión.
void Form1::creaPaginas() {
    paginas_ = new QTabWidget;
    paginas_->setAccessibleName(Texto::tr("Páginas"));
    config_ = new PaginaConfiguracion(ctx_);
    paginas_->addTab(config_, Texto::tr("&Configuración"));
    paginas_->addTab(creaStatus(), Texto::tr("S&tatus"));
    paginas_->addTab(creaConexion(), Texto::tr("Con&exión"));
}

// The window follows the run's state from here on.
void Form1::conectaEstado() {
    const EstadoPrincipal& st = ctx_.st;
    connect(&st.pantalla(), &Pantalla::listaCambiada, this, &Form1::muestraLista);
    connect(&st.pantalla(), &Pantalla::etiquetaCambiada, this, &Form1::muestraEtiqueta);
    connect(&st.edicion(), &VistaEdicion::vistaCambiada, this,
            [this] { Menu_Configure->setText(ctx_.st.edicion().captionConfigurar()); });
    // A restore ends the run: the window closes itself; the record in memory
    // is the one the restore replaced, so there is nothing to save.
    connect(&st, &EstadoPrincipal::cierreSolicitado, this, &QWidget::close, Qt::QueuedConnection);
    connect(&st.pantalla(), &Pantalla::colorAvisoCambiado, this, &Form1::muestraColorAviso);
    muestraColorAviso();
    config_->logo()->installEventFilter(this);
    connect(&st.pantalla(), &Pantalla::progresoCambiado, this,
            [this](float v) { ProgressBar1->setValue(int(v)); });
    for (int l = 0; l < int(Lista::Cuenta_); ++l)
        muestraLista(Lista(l));
    // The cycle and the diagnostics exclude each other.
    connect(&st, &EstadoPrincipal::exclusionCambiada, this,
            [this] { Start_Button->setEnabled(!ctx_.st.diagnosticoActivo()); });
}

// The file viewer, loaded hidden; a double click on a day list opens the
// entry's file in it.
void Form1::creaVisor() {
    visor_ = new FrmArchivos(ctx_, this);
    visor_->setWindowFlag(Qt::Window);
    visor_->hide();
    visor_->conectaLista(findChild<QListView*>(QStringLiteral("LstEnviados")), Lista::Enviados);
    visor_->conectaLista(findChild<QListView*>(QStringLiteral("LstRecibidos")), Lista::Recibidos);
    visor_->conectaLista(findChild<QListView*>(QStringLiteral("LstPendientes")), Lista::Pendientes);
    visor_->conectaLista(findChild<QListView*>(QStringLiteral("LstRechazados")), Lista::Rechazados);
}

// Labels and menu captions as the state holds them now.
void Form1::muestraEstado() {
    const EstadoPrincipal& st = ctx_.st;
    for (int e = 0; e < int(Etiqueta::Cuenta_); ++e)
        muestraEtiqueta(Etiqueta(e));
    Menu_Configure->setText(st.edicion().captionConfigurar());
}

// Iniciar and Salir, the pages and lists the cycle asks for.
void Form1::conectaBotones() {
    const EstadoPrincipal& st = ctx_.st;
    connect(Start_Button, &QPushButton::clicked, this, [this] { Start_Button_Click(ctx_); });
    // During long work the broker can still stop: Detener and Salir act
    // within a second, everything else waits for the work to end.
    if (ctx_.latido) {
        auto* parada = new Parada(*ctx_.latido, Start_Button, salir_, this);
        parada->alDetener = [this] {
            if (ctx_.st.iniciado())
                Start_Button_Click(ctx_);
        };
        parada->alSalir = [this] { close(); };
    }
    connect(&st, &EstadoPrincipal::captionInicioCambiado, this, [this] {
        Start_Button->setText(ctx_.st.captionInicio());
        Menu_Start->setText(ctx_.st.captionInicio());
    });
    connect(&st.pantalla(), &Pantalla::paginaSolicitada, paginas_, &QTabWidget::setCurrentIndex);
    connect(&st.pantalla(), &Pantalla::ultimosSolicitados, this, [this] {
        for (const char* nombre : {"LstEnviados", "LstRecibidos", "LstPendientes", "LstRechazados"}) {
            auto* vista = findChild<QListView*>(QString::fromLatin1(nombre));
            const int n = vista->model()->rowCount();
            if (n > 0) {
                vista->setCurrentIndex(vista->model()->index(n - 1, 0));
                vista->scrollToBottom();
            }
        }
    });
}

// The cycle's clock and the deferred close.
void Form1::creaRelojes() {
    // The one clock of the cycle, ticking for as long as the window is open.
    TmrControl = new QTimer(this);
    TmrControl->setInterval(1000);
    // The tick's work runs from the event queue, not inside the timer's own
    // event: Qt delivers no timer event while that timer's handler runs, so
    // a cycle run there would stop the clock for as long as it lasts.
    connect(
        TmrControl, &QTimer::timeout, this, [this] { TmrControl_Timer(ctx_); }, Qt::QueuedConnection);
    // A deferred close is made once two checks in a row find no work: the
    // input held back during the work (a click made before the close) has
    // acted by then, and the broker waits a fraction of a second, not ticks.
    cierreDiferido_ = new QTimer(this);
    cierreDiferido_->setInterval(40);
    connect(cierreDiferido_, &QTimer::timeout, this, [this] {
        revisionesLibres_ = ocupado() ? 0 : revisionesLibres_ + 1;
        if (revisionesLibres_ >= 2) {
            cierreDiferido_->stop();
            close();
        }
    });
    TmrControl->start();
}

namespace {
const QString kVentana = QStringLiteral("ventana.dat");
} // namespace

// The size and place of the last run, never more than the screen offers (a
// desktop at double scale has half the room); the first time, a size that fits.
void Form1::colocaVentana() {
    QByteArray guardada;
    if (fs::lee(fs::une(ctx_.carpetaPrograma, kVentana), 4096, &guardada))
        restoreGeometry(QByteArray::fromBase64(guardada.trimmed()));
    else
        resize(900, 640);
    const QScreen* pantalla = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!pantalla)
        return;
    const QRect libre = pantalla->availableGeometry();
    const QSize marco = frameGeometry().size() - geometry().size();
    resize(size().boundedTo(libre.size() - marco));
    QRect r = frameGeometry();
    if (!libre.contains(r)) {
        r.moveLeft(std::clamp(r.left(), libre.left(), std::max(libre.left(), libre.right() - r.width())));
        r.moveTop(std::clamp(r.top(), libre.top(), std::max(libre.top(), libre.bottom() - r.height())));
        move(r.topLeft());
    }
}

void Form1::guardaVentana() {
    // A lost size is no loss: not reported.
    fs::escribeAtomico(fs::une(ctx_.carpetaPrograma, kVentana), saveGeometry().toBase64() + "\r\n");
}

QAction* Form1::accion(const QString& nombre) const { return findChild<QAction*>(nombre); }

void Form1::creaMenus() {
    auto entrada = [this](QMenu* m, const char* nombre, const QString& texto) {
        QAction* a = m->addAction(texto);
        a->setObjectName(QString::fromLatin1(nombre));
        return a;
    };
    QMenu* programa = menuBar()->addMenu(Texto::tr("&Programa"));
    Menu_Start = entrada(programa, "Menu_Start", Texto::tr("&Iniciar"));
    connect(Menu_Start, &QAction::triggered, Start_Button, &QPushButton::click);
    connect(entrada(programa, "Menu_Exit", Texto::tr("&Salir")), &QAction::triggered, this, &QWidget::close);

    QMenu* sistema = menuBar()->addMenu(Texto::tr("Siste&ma"));
    Menu_Configure = entrada(sistema, "Menu_Configure", Texto::tr("&Configuración"));
    connect(Menu_Configure, &QAction::triggered, this, [this] { korva::Menu_Configure(ctx_); });
    QAction* folios = entrada(sistema, "Menu_Folios", ctx_.st.config().captionFolios());
    connect(folios, &QAction::triggered, this, [this] { korva::Menu_Folios(ctx_); });
    connect(&ctx_.st.config(), &EstadoConfiguracion::foliosCambiado, this,
            [this, folios] { folios->setText(ctx_.st.config().captionFolios()); });
    connect(entrada(sistema, "Menu_GuardaConf", Texto::tr("&Guardar Configuración")), &QAction::triggered,
            this, [this] { Menu_GuardaConf(ctx_); });
    QMenu* respaldo = sistema->addMenu(Texto::tr("&Respaldar Configuración"));
    connect(entrada(respaldo, "Menu_HaceRespaldo", Texto::tr("&Hacer Respaldo")), &QAction::triggered, this,
            [this] { korva::Menu_HaceRespaldo(ctx_); });
    connect(entrada(respaldo, "Menu_RecuperaConf", Texto::tr("Recuperar Configuración")), &QAction::triggered,
            this, [this] { korva::Menu_RecuperaConf(ctx_); });

    QMenu* util = menuBar()->addMenu(Texto::tr("&Utilerias"));
    connect(entrada(util, "SolicitaArchivo", Texto::tr("S&olicitar Archivo")), &QAction::triggered, this,
            [this] { FrmPedirArchivo::abre(ctx_, this); });
    connect(entrada(util, "EliminarBuscqueda", Texto::tr("Eliminar Busqueda")), &QAction::triggered, this,
            [this] { FrmEliminarBusqueda::abre(ctx_, this); });

    QMenu* ayuda = menuBar()->addMenu(Texto::tr("&Ayuda"));
    QAction* manual = entrada(ayuda, "Menu_Manual", Texto::tr("&Manual"));
    manual->setShortcut(QKeySequence::HelpContents); // F1
    manual->setShortcutContext(Qt::ApplicationShortcut);
    connect(manual, &QAction::triggered, this, [this] { Manual::abre(this); });
    connect(
        entrada(ayuda, "Menu_Soporte", Texto::tr("&Registro de soporte")), &QAction::triggered, this, [this] {
            const QString carpeta = soporte::carpeta(ctx_.carpetaPrograma);
            fs::creaCarpeta(carpeta);
            if (!QDesktopServices::openUrl(QUrl::fromLocalFile(carpeta)))
                ctx_.dlg.informacion(Texto::tr("El registro de soporte está en ") + carpeta +
                                     Texto::tr("; no hay un programa para abrir carpetas en este equipo."));
        });
    connect(entrada(ayuda, "Menu_About", Texto::tr("A&cerca de...")), &QAction::triggered, this,
            [this] { AcercaDe(ctx_.dlg, this).exec(); });
}

QWidget* Form1::creaStatus() {
    auto* w = new QWidget;
    auto* g = new QGridLayout(w);
    g->addWidget(logo(QStringLiteral("LURMA")), 0, 0);
    Evento = new QLabel;
    Evento->setObjectName(QStringLiteral("Evento"));
    Evento->setTextFormat(Qt::PlainText);
    marcoEvento_ = new Marco(Evento, {});
    g->addWidget(marcoEvento_, 0, 1, 1, 2);
    auto* dia = new QHBoxLayout;
    dia->addWidget(new QLabel(Texto::tr("Día Juliano")));
    DiaJuliano = new QLabel;
    DiaJuliano->setObjectName(QStringLiteral("DiaJuliano"));
    dia->addWidget(new Marco(DiaJuliano, QStringLiteral("366")));
    dia->addSpacing(20);
    Hora = new QLabel;
    Hora->setObjectName(QStringLiteral("Hora"));
    dia->addWidget(new Marco(Hora, QStringLiteral("88:88:88 p. m.")));
    dia->addStretch();
    g->addLayout(dia, 1, 0, 1, 3);

    const QFont fija = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto lista = [&](Lista l, const char* nombre, const QString& titulo, const QString& ayuda, int fila,
                     int col) {
        auto* marco = new QGroupBox(titulo);
        auto* v = new QVBoxLayout(marco);
        auto* vista = new QListView;
        vista->setObjectName(QString::fromLatin1(nombre));
        vista->setAccessibleName(titulo);
        vista->setToolTip(ayuda);
        vista->setFont(fija);
        vista->setUniformItemSizes(true);
        vista->setEditTriggers(QAbstractItemView::NoEditTriggers);
        modelos_[int(l)] = new QStringListModel(this);
        vista->setModel(modelos_[int(l)]);
        v->addWidget(vista);
        g->addWidget(marco, fila, col);
    };
    lista(Lista::Enviados, "LstEnviados", QStringLiteral("Enviados"),
          QStringLiteral("Archivos enviados a Validación"), 2, 0);
    lista(Lista::Recibidos, "LstRecibidos", QStringLiteral("Recibidos"),
          QStringLiteral("Archivos recibidos de LURMA"), 2, 1);
    lista(Lista::Rechazados, "LstRechazados", QStringLiteral("Rechazados"),
          QStringLiteral("Archivos rechazados (ver motivo)"), 3, 0);
    lista(Lista::Pendientes, "LstPendientes", QStringLiteral("Pendientes"),
          QStringLiteral("Archivos pedientes de Respuesta"), 3, 1);
    lista(Lista::Mensajes, "LstMensajes", QStringLiteral("Avisos"), QString(), 2, 2);
    ProgressBar1 = new QProgressBar;
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setAccessibleName(Texto::tr("Tiempo para el siguiente ciclo"));
    ProgressBar1->setToolTip(Texto::tr("Tiemp transcurrido para el siguiente ciclo"));
    g->addWidget(ProgressBar1, 4, 0, 1, 3);
    return w;
}

QWidget* Form1::creaConexion() {
    auto* w = new QWidget;
    auto* v = new QVBoxLayout(w);
    v->addWidget(logo(QStringLiteral("LURMA")));
    v->addWidget(new PaginaDiagnostico(ctx_), 1);
    return w;
}

void Form1::muestraLista(Lista l) {
    if (auto* m = modelos_[int(l)])
        m->setStringList(ctx_.st.pantalla().lista(l));
    if (l == Lista::Pendientes) {
        // Files waiting: the tool-tip background; the placeholder: the window's.
        auto* vista = findChild<QListView*>(QStringLiteral("LstPendientes"));
        const QPalette sistema = QApplication::palette(vista);
        QPalette p = sistema;
        const bool archivos = ctx_.st.pantalla().pendientesConArchivos();
        const QColor fondo = sistema.color(archivos ? QPalette::ToolTipBase : QPalette::Window);
        p.setColor(QPalette::Base, fondo);
        p.setColor(
            QPalette::Text,
            colores::legible(sistema.color(archivos ? QPalette::ToolTipText : QPalette::WindowText), fondo));
        vista->setPalette(p);
    }
}

void Form1::muestraEtiqueta(Etiqueta e) {
    const QString& t = ctx_.st.pantalla().etiqueta(e);
    switch (e) {
    case Etiqueta::Evento:
        Evento->setText(t);
        Evento->setToolTip(t);
        marcoEvento_->ajusta();
        break;
    case Etiqueta::Titulo:
        setWindowTitle(t);
        break;
    case Etiqueta::DiaJuliano:
        DiaJuliano->setText(t);
        break;
    case Etiqueta::Hora:
        Hora->setText(t);
        break;
    case Etiqueta::Despliega:
        LblDespliega->setText(t);
        break;
    default:
        break;
    }
}

QLabel* Form1::logo(const QString& nombre) {
    auto* l = new QLabel(Texto::tr("<b>") + nombre + Texto::tr("</b><br>Centro de Prevalidación"));
    l->setObjectName(QStringLiteral("Logo") + nombre);
    l->installEventFilter(this);
    return l;
}

void Form1::muestraColorAviso() {
    // "**" notices stand out in red on the window colour; the others are dark
    // blue on the button face, each as chosen against the palette in use so
    // that it reads on a dark one too.
    const QPalette sistema = QApplication::palette(LblDespliega);
    QPalette p = sistema;
    const bool rojo = ctx_.st.pantalla().colorAviso() == ColorAviso::Rojo;
    const QColor fondo = sistema.color(rojo ? QPalette::Window : QPalette::Button);
    p.setColor(QPalette::Window, fondo);
    p.setColor(QPalette::WindowText, colores::legible(rojo ? QColor(Qt::red) : QColor(0, 0, 192), fondo));
    LblDespliega->setPalette(p);
}

bool Form1::eventFilter(QObject* o, QEvent* e) {
    if (e->type() == QEvent::MouseButtonDblClick) {
        if (o == LblDespliega) {
            LblDespliega_DblClick(ctx_);
            return true;
        }
        if (o->objectName().startsWith(QLatin1String("Logo"))) {
            alternaServicio(ctx_);
            return true;
        }
    }
    return QMainWindow::eventFilter(o, e);
}

void Form1::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    // The desktop switched its palette (a dark theme at dusk): the colours
    // that carry meaning are chosen again.
    if (e->type() == QEvent::PaletteChange) {
        muestraColorAviso();
        muestraLista(Lista::Pendientes);
    }
}

void Form1::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    // An error window the start-up raised opened before this one: it comes
    // above it once this one is up, and follows it while the desktop places
    // it (a window manager moves a new window after showing it).
    if (auto* v = dynamic_cast<VentanaErrorQt*>(ctx_.ventanaError)) {
        QTimer::singleShot(0, this, [v] { v->principalVisible(); });
        recienMostrada_ = true;
        QTimer::singleShot(1500, this, [this] { recienMostrada_ = false; });
    }
}

void Form1::moveEvent(QMoveEvent* e) {
    QMainWindow::moveEvent(e);
    if (recienMostrada_)
        if (auto* v = dynamic_cast<VentanaErrorQt*>(ctx_.ventanaError))
            v->principalVisible();
}

bool Form1::ocupado() const {
    return ctx_.st.ciclo().cicloEnCurso() || ctx_.st.ciclo().enTick() || ctx_.bajoTrabajo();
}

void Form1::closeEvent(QCloseEvent* e) {
    // The user's close waits in the queue during a cycle; a close that
    // reaches the window all the same (the session ending) is made on the
    // second free tick after the work, never inside it.
    if (!cerrado_ && ocupado()) {
        revisionesLibres_ = 0;
        cierreDiferido_->start();
        // The work gives up at once: the close comes within a second or two.
        if (ctx_.latido)
            ctx_.latido->cancela();
        e->ignore();
        return;
    }
    // Closing cannot be cancelled; the question only decides the save.
    if (!cerrado_) {
        cerrado_ = true;
        if (ctx_.st.config().ConfiguracionModificada() &&
            ctx_.dlg.pregunta(Texto::tr("Se realizo una modificación en la configuración del sistema, "
                                        "confirmar si desea guardar los cambios.")))
            GrabaConfiguracion(ctx_);
        TmrControl->stop();
        guardaVentana();
        visor_->close();
        if (DisconnectFromHost(ctx_) != 0)
            ctx_.dlg.error(Texto::tr("Hubo un error al intentar desconectarse del Host. Cerrar el "
                                     "programa e iniciar nuevamente."));
    }
    e->accept();
}

} // namespace korva

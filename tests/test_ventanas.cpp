#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QSlider>
#include <QStackedWidget>
#include <QSysInfo>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include "Archivos.h"
#include "Fixture.h"
#include "OficinaEnvio.h"
#include "app/ui/AcercaDe.h"
#include "app/ui/DialogosQt.h"
#include "app/ui/Form1.h"
#include "app/ui/FrmEntrada.h"
#include "app/ui/Manual.h"
#include "comun/Nombres.h"
#include "config/ArchivoConfiguracion.h"
#include "config/ui/PaginaConfiguracion.h"
#include "exchange/ui/FrmEliminarBusqueda.h"
#include "exchange/ui/FrmPedirArchivo.h"
#include "platform/fs.h"
#include "platform/ui/Colores.h"
#include "records/ui/FrmArchivos.h"
#include "records/ui/FrmArchivosaEnviar.h"
#include "records/ui/FrmMessage.h"

using namespace korva;
using korva::test::Fixture;

namespace {
// Writes g's configuration file: the default record but for `valores`.
void configura(Fixture& g, const QMap<int, QString>& valores) {
    Fixture f;
    for (auto it = valores.begin(); it != valores.end(); ++it)
        f.st.config().setSlot(it.key(), it.value());
    QVERIFY(GrabaConfiguracion(f.ctx));
    QVERIFY(QFile::copy(f.ruta("odbc0.reg"), g.ruta("odbc0.reg")));
}
// Pairs of controls of one window that answer the same Alt+letter while both
// can be on screen (controls on different pages of a tab never are).
QStringList mnemonicosRepetidos(QWidget* ventana) {
    auto pagina = [](QWidget* w) { // the stacked page holding w, if any
        while (w->parentWidget() && !qobject_cast<QStackedWidget*>(w->parentWidget()))
            w = w->parentWidget();
        return w->parentWidget() ? w : nullptr;
    };
    static const QRegularExpression kLetra(QStringLiteral("(?<!&)&([^&])"));
    QMultiHash<QChar, std::pair<QWidget*, QString>> vistos;
    QStringList repetidos;
    QList<QWidget*> todos = ventana->findChildren<QWidget*>();
    for (QWidget* w : todos << ventana) {
        QStringList textos;
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            textos << b->text();
        else if (auto* l = qobject_cast<QLabel*>(w); l && l->buddy())
            textos << l->text();
        else if (auto* t = qobject_cast<QTabBar*>(w))
            for (int i = 0; i < t->count(); ++i)
                textos << t->tabText(i);
        else if (qobject_cast<QMenuBar*>(w) || qobject_cast<QMenu*>(w))
            for (QAction* a : w->actions())
                textos << a->text();
        for (const QString& t : textos) {
            const auto m = kLetra.match(t);
            if (w->window() != ventana || !m.hasMatch())
                continue;
            const QChar letra = m.captured(1).at(0).toLower();
            for (const auto& [otro, texto] : vistos.values(letra))
                if (!pagina(w) || !pagina(otro) || pagina(w) == pagina(otro))
                    repetidos << texto + " / " + t;
            vistos.insert(letra, {w, t});
        }
    }
    return repetidos;
}

// Keeps every message box that opens as "format|buttons|text" and answers it
// No (or with its one button).
struct Cajas : QTimer {
    QStringList vistas;
    Cajas() {
        connect(this, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            QStringList b;
            for (QAbstractButton* x : box->buttons())
                b << x->text().remove('&');
            b.sort();
            vistas << QString::number(box->textFormat()) + "|" + b.join(',') + "|" + box->text();
            QAbstractButton* no = box->button(QMessageBox::No);
            (no ? no : box->buttons().first())->click();
        });
        start(20);
    }
};

void creaPatente(FrmEntrada& w, const QString& clave) {
    w.findChild<QPushButton*>("CmdCrearPatente")->click();
    auto* caja = w.findChild<QLineEdit*>("TxtPatente");
    caja->clear();
    QTest::keyClicks(caja, clave);
    w.findChild<QPushButton*>("CmdAceptar")->click();
}
// The scripted message boxes with the real modal selection window, held open
// for a while before it is cancelled; the clock and notice line are read
// when it opens and before it closes.
struct SeleccionRetenida final : Dialogos, SeleccionEnvio {
    test::DialogosGuionados& guion;
    EstadoPrincipal& st;
    QStringList horas, avisos;
    SeleccionRetenida(test::DialogosGuionados& g, EstadoPrincipal& s) : guion(g), st(s) {}
    void mensaje(Icono i, const QString& t, const QString& ti) override { guion.mensaje(i, t, ti); }
    bool pregunta(const QString& t, const QString& ti) override { return guion.pregunta(t, ti); }
    void beep() override {}
    void puntero(Puntero) override {}
    void elige(Contexto& ctx, QStringList& LstSendFiles) override {
        horas << st.pantalla().etiqueta(Etiqueta::Hora);
        avisos << st.pantalla().etiqueta(Etiqueta::Despliega);
        QTimer::singleShot(2600, [this] {
            horas << st.pantalla().etiqueta(Etiqueta::Hora);
            avisos << st.pantalla().etiqueta(Etiqueta::Despliega);
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                d->reject();
        });
        SeleccionEnvioQt().elige(ctx, LstSendFiles);
    }
};
} // namespace

class PruebaVentanas : public QObject {
    Q_OBJECT
private slots:
    void entradaCreaEntraYElimina() {
        Fixture f;
        FrmEntrada w(f.dlg, f.tmp.path());
        w.show();
        auto* entrar = w.findChild<QPushButton*>("CmdEntrar");
        auto* aceptar = w.findChild<QPushButton*>("CmdAceptar");
        auto* clave = w.findChild<QLineEdit*>("TxtPatente");
        auto* combo = w.findChild<QComboBox*>("CboPatentes");
        QVERIFY(!entrar->isEnabled());
        QVERIFY(!aceptar->isEnabled());
        QVERIFY(clave->isVisible());
        QTest::keyClicks(clave, "4321");
        QVERIFY(aceptar->isEnabled());
        aceptar->click();
        QVERIFY(entrar->isEnabled());
        QVERIFY(!clave->isVisible());
        QCOMPARE(combo->count(), 1);
        QCOMPARE(combo->currentText(), QStringLiteral("4321"));
        // A 16th character cannot be typed.
        w.findChild<QPushButton*>("CmdCrearPatente")->click();
        clave->clear();
        QTest::keyClicks(clave, "ABCDEFGHIJKLMNOP");
        QCOMPARE(clave->text(), QStringLiteral("ABCDEFGHIJKLMNO"));
        aceptar->click();
        QCOMPARE(combo->count(), 2);

        QSignalSpy spy(&w, &FrmEntrada::entrar);
        combo->setCurrentIndex(0);
        entrar->click();
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 0); // no configuration files: nothing reordered

        f.dlg.responde(true);
        w.findChild<QPushButton*>("CmdEliminarPatente")->click();
        QCOMPARE(combo->count(), 1);
        QCOMPARE(combo->currentText(), QStringLiteral("ABCDEFGHIJKLMNO"));
    }

    // Two selection windows open together, then one over a list that cannot
    // be read: no patent is lost, no list is written over.
    void entradaConListaCambiadaEnOtraVentana() {
        Fixture f;
        const QString usuarios = f.ruta("usuarios.dat");
        test::pon(usuarios, "A\r\nB\r\n");
        test::pon(f.ruta("odbc1.reg"), "B");
        FrmEntrada uno(f.dlg, f.tmp.path()), dos(f.dlg, f.tmp.path());
        creaPatente(uno, "C");
        creaPatente(dos, "D");
        QCOMPARE(test::lee(usuarios), QByteArray("A\r\nB\r\nC\r\nD\r\n"));
        QCOMPARE(dos.findChild<QComboBox*>("CboPatentes")->count(), 4);
        QCOMPARE(dos.findChild<QComboBox*>("CboPatentes")->currentText(), QStringLiteral("D"));
        // The first window still shows A, B, C: its delete of B is refused
        // and the window shows the list as it is now.
        auto* combo = uno.findChild<QComboBox*>("CboPatentes");
        combo->setCurrentIndex(1);
        f.dlg.responde(true);
        uno.findChild<QPushButton*>("CmdEliminarPatente")->click();
        QVERIFY(f.dlg.ultimo().contains("otra ventana"));
        QCOMPARE(test::lee(usuarios), QByteArray("A\r\nB\r\nC\r\nD\r\n"));
        QCOMPARE(test::lee(f.ruta("odbc1.reg")), QByteArray("B"));
        QCOMPARE(combo->count(), 4);

        f.dlg.limpia();
        {
            test::Ilegible ilegible(usuarios);
            FrmEntrada tres(f.dlg, f.tmp.path());
            QCOMPARE(f.dlg.registros.size(), 1);
            QVERIFY(f.dlg.ultimo().contains(usuarios));
            creaPatente(tres, "E");
            QCOMPARE(f.dlg.registros.size(), 2);
            QVERIFY(f.dlg.ultimo().contains(usuarios));
        }
        QCOMPARE(test::lee(usuarios), QByteArray("A\r\nB\r\nC\r\nD\r\n"));

        // A program folder that takes no file is no other window: retrying
        // would never help. Nor is the lock a dead run left there.
        QProcess muerto;
        muerto.start(QStringLiteral("/bin/true"));
        QVERIFY(muerto.waitForFinished());
        test::pon(f.ruta("usuarios.lock"),
                  QByteArray::number(muerto.processId() ? muerto.processId() : 999999) + "\nkorvaval\n" +
                      QSysInfo::machineHostName().toUtf8() + "\n");
        if (test::soloLecturaReal(f.tmp.path(), true)) {
            f.dlg.limpia();
            creaPatente(dos, "F");
            test::soloLecturaReal(f.tmp.path(), false);
            QVERIFY(!f.dlg.ultimo().contains("otra ventana", Qt::CaseInsensitive));
            QVERIFY(f.dlg.ultimo().contains(f.tmp.path()));
            QCOMPARE(test::lee(usuarios), QByteArray("A\r\nB\r\nC\r\nD\r\n"));
        }
    }

    // A window whose list is stale enters the patent the broker chose, by its
    // key, or says it is gone.
    void entradaEntraALaPatenteElegida() {
        Fixture f;
        test::pon(f.ruta("usuarios.dat"), "A\r\nB\r\n");
        test::pon(f.ruta("odbc0.reg"), "A");
        test::pon(f.ruta("odbc1.reg"), "B");
        FrmEntrada uno(f.dlg, f.tmp.path()), dos(f.dlg, f.tmp.path());
        QSignalSpy entra1(&uno, &FrmEntrada::entrar), entra2(&dos, &FrmEntrada::entrar);
        dos.findChild<QComboBox*>("CboPatentes")->setCurrentIndex(0);
        dos.findChild<QPushButton*>("CmdEntrar")->click(); // A goes last: B, A
        QCOMPARE(entra2.value(0).value(0).toInt(), 1);
        QCOMPARE(test::lee(f.ruta("odbc0.reg")), QByteArray("B"));
        auto* combo = uno.findChild<QComboBox*>("CboPatentes");
        QCOMPARE(combo->currentText(), QStringLiteral("B")); // as the window last read it
        uno.findChild<QPushButton*>("CmdEntrar")->click();
        QCOMPARE(entra1.size(), 1);
        QCOMPARE(entra1.at(0).at(0).toInt(), 0); // B's place now, B's file
        QCOMPARE(combo->currentText(), QStringLiteral("B"));

        FrmEntrada tres(f.dlg, f.tmp.path());
        QSignalSpy entra3(&tres, &FrmEntrada::entrar);
        tres.findChild<QComboBox*>("CboPatentes")->setCurrentIndex(0);
        test::pon(f.ruta("usuarios.dat"), "A\r\n"); // B deleted elsewhere
        f.dlg.limpia();
        tres.findChild<QPushButton*>("CmdEntrar")->click();
        QCOMPARE(entra3.size(), 0);
        QVERIFY(f.dlg.ultimo().contains("La patente B ya no está en la lista"));
        QCOMPARE(tres.findChild<QComboBox*>("CboPatentes")->count(), 1);
    }

    // Guardar on a full disk: said, and the configuration file as it was.
    void guardarConDiscoLleno() {
        test::DiscoPequeno disco;
        if (!disco.montado())
            QSKIP("mounting a small file system needs root");
        Fixture g;
        g.ctx.carpetaPrograma = disco.ruta();
        configura(g, {{slot::Usuario, "ftp4321"}});
        QVERIFY(QFile::copy(g.ruta("odbc0.reg"), disco.ruta("odbc0.reg")));
        const QByteArray antes = test::lee(disco.ruta("odbc0.reg"));
        Form1 w(g.ctx, 0);
        g.dlg.responde(true);
        w.accion("Menu_Configure")->trigger();
        auto* usuario = w.paginaConfiguracion()->caja(slot::Usuario);
        usuario->clear();
        QTest::keyClicks(usuario, "ftp9876");
        disco.llena();
        g.dlg.limpia();
        g.dlg.responde(true);
        w.close();
        QVERIFY(g.dlg.ultimo().contains(
            "(no hay espacio en el disco). La configuración anterior no se modificó."));
        QCOMPARE(test::lee(disco.ruta("odbc0.reg")), antes);
    }

    // The position names the configuration file and the lock alike: one
    // that does not fit is refused, never wrapped onto another patent's.
    void entradaPosicionMayorA255() {
        Fixture f;
        QByteArray lista;
        for (int i = 0; i < 300; ++i)
            lista += "P" + QByteArray::number(i) + "\r\n";
        test::pon(f.ruta("usuarios.dat"), lista);
        for (int i : {10, 43, 299})
            test::pon(f.ruta(QStringLiteral("odbc%1.reg").arg(i)), "P" + QByteArray::number(i));
        FrmEntrada w(f.dlg, f.tmp.path());
        QSignalSpy spy(&w, &FrmEntrada::entrar);
        auto* combo = w.findChild<QComboBox*>("CboPatentes");
        combo->setCurrentIndex(299);
        w.findChild<QPushButton*>("CmdEntrar")->click();
        QCOMPARE(spy.size(), 0);
        QVERIFY(f.dlg.ultimo().contains("P299"));
        // Entering 10 cannot move it to the last place, out of reach.
        combo->setCurrentIndex(10);
        w.findChild<QPushButton*>("CmdEntrar")->click();
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 10);
        QCOMPARE(test::lee(f.ruta("odbc10.reg")), QByteArray("P10"));
        QCOMPARE(test::lee(f.ruta("odbc299.reg")), QByteArray("P299"));
    }

    void ventanaPrincipalLigadaALaConfiguracion() {
        Fixture f;
        f.st.config().setSlot(slot::Usuario, "ftp4321");
        f.st.config().setSlot(slot::ServidorActual, f.st.config().TxtConfiguration(slot::ServidorPrimario));
        QVERIFY(GrabaConfiguracion(f.ctx));
        Fixture g;
        QFile::copy(f.ruta("odbc0.reg"), g.ruta("odbc0.reg"));
        Form1 w(g.ctx, 0);
        QCOMPARE(w.windowTitle(), QStringLiteral("KORVA Centro de Prevalidación         Patente  >>> 4321"));
        QCOMPARE(w.findChild<QLabel*>("LblPatente")->text(), QStringLiteral("4321"));
        QVERIFY(!g.st.config().ConfiguracionModificada());
        auto* pagina = w.paginaConfiguracion();
        QVERIFY(pagina->caja(slot::Usuario)->isReadOnly());
        QCOMPARE(pagina->caja(slot::Usuario)->text(), QStringLiteral("ftp4321"));
        QCOMPARE(pagina->caja(slot::ContrasenaFtp)->echoMode(), QLineEdit::Password);
        QCOMPARE(pagina->caja(slot::ClavePrevalidador)->maxLength(), 3);
        QCOMPARE(w.findChild<QLineEdit*>("TxtSegSldControl")->text(), QStringLiteral("30"));
        // A period typed in the boxes moves the slider at once, so the next
        // arrow key steps from it.
        auto* minutos = w.findChild<QLineEdit*>("TxtMinSldControl");
        auto* segundos = w.findChild<QLineEdit*>("TxtSegSldControl");
        minutos->setText(QStringLiteral("1"));
        segundos->setText(QStringLiteral("20"));
        QTest::keyClick(segundos, Qt::Key_Return);
        QCOMPARE(w.findChild<QSlider*>("SldControl")->value(), 80);
        QCOMPARE(g.st.config().periodo(), 80);

        g.dlg.responde(true);
        w.accion("Menu_Configure")->trigger();
        QCOMPARE(w.accion("Menu_Configure")->text(), QStringLiteral("&Cerrar Edición"));
        QVERIFY(!pagina->caja(slot::Usuario)->isReadOnly());
        QVERIFY(pagina->caja(slot::FolioInferior)->isReadOnly());
        pagina->caja(slot::Usuario)->clear();
        QTest::keyClicks(pagina->caja(slot::Usuario), "ftp9876");
        QCOMPARE(g.st.config().TxtConfiguration(slot::Usuario), QStringLiteral("ftp9876"));
        pagina->casilla(slot::DepurarArchivos)->click();
        QCOMPARE(g.st.config().TxtConfiguration(slot::DepurarArchivos), QStringLiteral("0"));
        // Closing asks to save; Yes writes the file.
        g.dlg.responde(true);
        w.close();
        QCOMPARE(test::lineas(g.ruta("odbc0.reg")).at(1), QStringLiteral("ftp9876"));
        // The patent shown follows the record once saved.
        QCOMPARE(w.findChild<QLabel*>("LblPatente")->text(), QStringLiteral("9876"));
        QCOMPARE(w.windowTitle(), QStringLiteral("KORVA Centro de Prevalidación         Patente  >>> 9876"));
    }

    // A refused click outside edit mode puts every box back to its slot; with
    // the record's default, signing still needs its key files.
    void clicsRechazadosMuestranLaConfiguracion() {
        Fixture g;
        configura(g, {{slot::Pasivo, "1"},
                      {slot::EnvioAutomatico, "1"},
                      {slot::DepurarArchivos, "0"},
                      {slot::BajarRegistro001, "1"},
                      {slot::RutasAdicionales, "0"}});
        Form1 w(g.ctx, 0);
        g.dlg.responde(true);
        w.accion("Menu_Configure")->trigger();
        w.accion("Menu_Configure")->trigger(); // once closed, the routes flag is locked too
        for (int s : EstadoConfiguracion::kSlotsBandera) {
            QCheckBox* c = w.paginaConfiguracion()->casilla(s);
            const QString antes = g.st.config().TxtConfiguration(s);
            c->click();
            QVERIFY2(c->isChecked() == (antes == "1") && c->isChecked() == g.st.config().chk(s),
                     qPrintable(c->objectName()));
            QCOMPARE(g.st.config().TxtConfiguration(s), antes);
        }
        QVERIFY(g.dlg.textos().contains(
            "ERROR, no se encontro el archivo KEY, es imposible generar la firma dígital."));
    }

    void opcionDeServidorTrasCargar() {
        Fixture g;
        configura(
            g, {{slot::ServidorActual, "h8"}, {slot::ServidorPrimario, "h8"}, {slot::DepurarArchivos, "0"}});
        Form1 w(g.ctx, 0);
        w.show();
        auto* primario = w.findChild<QRadioButton*>("OpnPrimario");
        QVERIFY(primario->isChecked());
        QVERIFY(!w.findChild<QRadioButton*>("OpnSecundario")->isChecked());
        // The option already chosen copies its edited address.
        g.dlg.responde(true);
        w.accion("Menu_Configure")->trigger();
        w.findChild<QPushButton*>("CmdServidor")->click();
        QLineEdit* h8 = w.paginaConfiguracion()->caja(slot::ServidorPrimario);
        h8->selectAll();
        QTest::keyClicks(h8, "nuevo8");
        QTest::mouseClick(primario, Qt::LeftButton, {}, QPoint(6, primario->height() / 2)); // on its circle
        QCOMPARE(g.st.config().TxtConfiguration(slot::ServidorActual), QStringLiteral("nuevo8"));
        QVERIFY(primario->isChecked());
    }

    // A key longer than the box takes is shown whole; typing cannot lengthen it.
    void clavePrevalidadorSeMuestraCompleta() {
        Fixture g;
        configura(g, {{slot::ClavePrevalidador, "12345"}, {slot::DepurarArchivos, "0"}});
        Form1 w(g.ctx, 0);
        QLineEdit* c = w.paginaConfiguracion()->caja(slot::ClavePrevalidador);
        QCOMPARE(c->text(), QStringLiteral("12345"));
        g.dlg.responde(true);
        w.accion("Menu_Configure")->trigger();
        c->setFocus();
        c->end(false);
        QTest::keyClicks(c, "6");
        QCOMPARE(c->text(), QStringLiteral("12345"));
        QTest::keyClick(c, Qt::Key_Backspace);
        QTest::keyClicks(c, "6");
        QCOMPARE(c->text(), QStringLiteral("1234"));
        QCOMPARE(g.st.config().TxtConfiguration(slot::ClavePrevalidador), QStringLiteral("1234"));
        c->selectAll();
        QTest::keyClicks(c, "abcd");
        QCOMPARE(g.st.config().TxtConfiguration(slot::ClavePrevalidador), QStringLiteral("abc"));
    }

    // No Alt+letter of a window is taken by two controls at once.
    void sinMnemonicosRepetidos() {
        Fixture g;
        configura(g, {{slot::DepurarArchivos, "0"}});
        Form1 w(g.ctx, 0);
        FrmEntrada entrada(g.dlg, g.tmp.path());
        AcercaDe acerca(g.dlg);
        FrmMessage mensaje;
        FrmPedirArchivo pedir(g.ctx);
        FrmEliminarBusqueda eliminar(g.ctx);
        QStringList envio{"m4321001.045"};
        FrmArchivosaEnviar seleccion(g.ctx, envio);
        QList<QWidget*> ventanas{&w, &entrada, &acerca, &mensaje, &pedir, &eliminar, &seleccion};
        for (QWidget* x : w.findChildren<QWidget*>())
            if (x->isWindow())
                ventanas << x; // the viewer and the menus
        for (QWidget* v : ventanas)
            QVERIFY2(mnemonicosRepetidos(v).isEmpty(),
                     qPrintable(v->objectName() + ": " + mnemonicosRepetidos(v).join(", ")));
    }

    // The centre's notices are shown as they came, tags and all, on the labels
    // and in the all-notices box; the standard buttons speak Spanish.
    void avisosEnTextoPlanoYBotonesEnEspanol() {
        const bool espanol = cargaTraduccionesQt();
        Fixture g;
        const QString rec = g.carpeta("rec");
        configura(g, {{slot::DirRecibo, rec}, {slot::DepurarArchivos, "0"}});
        QVERIFY(fs::escribeAtomico(rec + "/aviso.txt", "Pagos <b>urgentes</b> &amp; saldo\r\n"));
        QVERIFY(fs::escribeAtomico(rec + "/aviso.gen", "<font color=\"#eeeeee\">saldo</font>\r\n&amp;\r\n"));
        DialogosQt qt;
        Contexto real{g.st, qt, g.reloj, g.tmp.path()};
        Cajas cajas;
        Form1 w(real, 0);
        w.show();
        QCOMPARE(w.findChild<QLabel*>("LblAvisoParticular")->text(),
                 QStringLiteral("Pagos <b>urgentes</b> &amp; saldo"));
        for (const char* nombre : {"LblAvisoParticular", "LblDespliega", "Evento", "LblPatente"})
            QVERIFY2(w.findChild<QLabel*>(nombre)->textFormat() == Qt::PlainText, nombre);
        QTest::mouseDClick(w.findChild<QLabel*>("LblDespliega"), Qt::LeftButton);
        QVERIFY(!qt.pregunta(QStringLiteral("¿Continuar?")));
        QCOMPARE(cajas.vistas.size(), 2);
        QVERIFY(cajas.vistas[0].endsWith("|<font color=\"#eeeeee\">saldo</font>\n&amp;\n"));
        QVERIFY(cajas.vistas[0].startsWith(QString::number(Qt::PlainText)));
        if (!espanol)
            QSKIP(qPrintable("no qtbase_es in " + QLibraryInfo::path(QLibraryInfo::TranslationsPath) +
                             ": scripts/install-deps installs qt6-translations-l10n"));
        QVERIFY(cajas.vistas[0].contains("|Aceptar|"));
        QVERIFY(cajas.vistas[1].contains("|No,Sí|"));
    }

    // A label shows its whole text whenever it changes, its page shown or
    // not, and a long status text wraps instead of squeezing the lists.
    void etiquetasMuestranTodoSuTexto() {
        Fixture g;
        configura(g, {{slot::DepurarArchivos, "0"}});
        Form1 w(g.ctx, 0);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* paginas = w.findChild<QTabWidget*>();
        paginas->setCurrentIndex(0);
        g.st.pantalla().setEtiqueta(Etiqueta::DiaJuliano,
                                    QStringLiteral("343")); // set while the page is hidden
        paginas->setCurrentIndex(1);
        QCoreApplication::processEvents();
        auto* dia = w.findChild<QLabel*>("DiaJuliano");
        QVERIFY2(dia->width() >= dia->fontMetrics().horizontalAdvance(QStringLiteral("343")),
                 qPrintable(QString::number(dia->width())));
        auto* enviados = w.findChild<QListView*>("LstEnviados");
        const int ancho = enviados->width(), ventana = w.width();
        g.st.pantalla().setEvento(
            QStringLiteral("ERROR: no fue posible guardar la respuesta m4321123.err en una carpeta con "
                           "un nombre muy largo de la red de la oficina (no hay espacio en el disco); "
                           "sigue pendiente y se buscará de nuevo en el siguiente ciclo de envío"));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(w.width(), ventana);
        QCOMPARE(enviados->width(), ancho);
        auto* evento = w.findChild<QLabel*>("Evento");
        QVERIFY(evento->height() >= evento->heightForWidth(evento->width()));
    }

    // The colours that carry meaning read on the palette in use, light or
    // dark; locked fields look apart from the ones edit mode opens.
    void legibleEnCualquierPaleta_data() {
        QTest::addColumn<bool>("oscura");
        QTest::addRow("default palette") << false;
        QTest::addRow("dark palette") << true;
    }
    void legibleEnCualquierPaleta() {
        QFETCH(bool, oscura);
        const QPalette antes = QApplication::palette();
        if (oscura) {
            QPalette p;
            p.setColor(QPalette::Window, QColor(43, 43, 43));
            p.setColor(QPalette::WindowText, Qt::white);
            p.setColor(QPalette::Base, QColor(30, 30, 30));
            p.setColor(QPalette::Text, Qt::white);
            p.setColor(QPalette::Button, QColor(53, 53, 53));
            p.setColor(QPalette::ButtonText, Qt::white);
            p.setColor(QPalette::ToolTipBase, QColor(60, 60, 60));
            p.setColor(QPalette::ToolTipText, Qt::white);
            QApplication::setPalette(p);
        }
        struct Restaura {
            QPalette p;
            ~Restaura() { QApplication::setPalette(p); }
        } restaura{antes};
        Fixture g;
        const QString env = g.carpeta("env");
        configura(g, {{slot::DirEnvio, env}, {slot::DepurarArchivos, "0"}, {slot::Usuario, "ftp4321"}});
        QVERIFY(test::pon(env + "/Pend/m4321123.045", "x"));
        Form1 w(g.ctx, 0);
        w.show();
        auto* aviso = w.findChild<QLabel*>("LblDespliega");
        for (ColorAviso c : {ColorAviso::Azul, ColorAviso::Rojo}) {
            g.st.pantalla().setColorAviso(c);
            const QPalette p = aviso->palette();
            QVERIFY2(
                colores::contraste(p.color(QPalette::WindowText), p.color(QPalette::Window)) >= 4.5,
                qPrintable(p.color(QPalette::WindowText).name() + " on " + p.color(QPalette::Window).name()));
        }
        const QPalette pend = w.findChild<QListView*>("LstPendientes")->palette();
        QVERIFY(g.st.pantalla().pendientesConArchivos());
        QVERIFY(colores::contraste(pend.color(QPalette::Text), pend.color(QPalette::Base)) >= 4.5);
        auto* usuario = w.paginaConfiguracion()->caja(slot::Usuario);
        const QColor cerrada = usuario->palette().color(QPalette::Base);
        g.dlg.responde(true);
        w.accion("Menu_Configure")->trigger();
        QVERIFY(!usuario->isReadOnly());
        QVERIFY(usuario->palette().color(QPalette::Base) != cerrada);
    }

    // The window opens where and as large as it was left, never larger than
    // the screen.
    void ventanaRecuerdaSuLugar() {
        Fixture g;
        configura(g, {{slot::DepurarArchivos, "0"}});
        const QRect libre = QGuiApplication::primaryScreen()->availableGeometry();
        QSize tam;
        {
            Form1 w(g.ctx, 0);
            QVERIFY(libre.contains(w.frameGeometry()));
            tam = w.minimumSizeHint().expandedTo(QSize(600, 450)).boundedTo(libre.size() - QSize(40, 40));
            w.resize(tam);
            w.move(libre.topLeft() + QPoint(30, 20));
            w.show();
            g.dlg.responde(false);
            w.close();
        }
        {
            Form1 w(g.ctx, 0);
            QCOMPARE(w.size(), tam);
            // Within what the window frame of this platform adds.
            QVERIFY((w.pos() - (libre.topLeft() + QPoint(30, 20))).manhattanLength() <= 8);
            w.resize(libre.width() * 2, libre.height() * 2); // as a desktop at double scale left it
            g.dlg.responde(false);
            w.close();
        }
        Form1 w(g.ctx, 0);
        QVERIFY2(libre.contains(w.frameGeometry()),
                 qPrintable(QStringLiteral("%1x%2").arg(w.width()).arg(w.height())));
    }

    // A screen reader finds a name for every control of every window, and
    // every window has one of its own.
    void cadaControlTieneNombre() {
        Fixture g;
        configura(g, {{slot::DepurarArchivos, "0"}, {slot::Usuario, "ftp4321"}});
        QVERIFY(test::pon(g.ruta("usuarios.dat"), "4321\r\n"));
        QStringList envio{"m4321123.045"};
        std::vector<std::unique_ptr<QWidget>> ventanas;
        ventanas.emplace_back(new Form1(g.ctx, 0));
        ventanas.emplace_back(new FrmEntrada(g.dlg, g.tmp.path()));
        ventanas.emplace_back(new FrmArchivos(g.ctx));
        ventanas.emplace_back(new FrmArchivosaEnviar(g.ctx, envio));
        ventanas.emplace_back(new FrmPedirArchivo(g.ctx));
        ventanas.emplace_back(new FrmEliminarBusqueda(g.ctx));
        ventanas.emplace_back(new FrmMessage);
        ventanas.emplace_back(new AcercaDe(g.dlg));
        ventanas.emplace_back(new Manual);
        QStringList sinNombre;
        for (const auto& v : ventanas) {
            QSet<QString> vistos;
            v->show();
            if (QAccessible::queryAccessibleInterface(v.get())->text(QAccessible::Name).trimmed().isEmpty())
                sinNombre << v->metaObject()->className();
            for (QWidget* w : v->findChildren<QWidget*>()) {
                const bool control = w->focusPolicy() != Qt::NoFocus || qobject_cast<QProgressBar*>(w) ||
                                     qobject_cast<QAbstractItemView*>(w);
                if (!control || qobject_cast<QAbstractScrollArea*>(w->parentWidget()) ||
                    w->inherits("QTabBar") || w->inherits("QScrollBar") || w->inherits("QToolButton"))
                    continue;
                QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
                QString nombre = a ? a->text(QAccessible::Name).remove('&').trimmed() : QString();
                // A list box (whose name is its value on this platform) is
                // announced by the label it is the buddy of.
                auto* combo = qobject_cast<QComboBox*>(w);
                if (a && combo && nombre == combo->currentText())
                    for (const auto& [etiqueta, relacion] : a->relations(QAccessible::Label))
                        if (qobject_cast<QLabel*>(etiqueta->object()))
                            nombre = etiqueta->text(QAccessible::Name).remove('&').trimmed();
                // A name of its own: not its value ("4321"), not a name two
                // controls share ("Procesar cada:").
                if (nombre.isEmpty() || (combo && nombre == combo->currentText()) ||
                    (qobject_cast<QLineEdit*>(w) && vistos.contains(nombre)))
                    sinNombre << QString::fromLatin1(v->metaObject()->className()) + "/" + w->objectName() +
                                     " (" + w->metaObject()->className() + ") " + nombre;
                if (qobject_cast<QLineEdit*>(w))
                    vistos.insert(nombre);
            }
        }
        QVERIFY2(sinNombre.isEmpty(), qPrintable(sinNombre.join('\n')));
    }

    // Every text goes through Qt's translation: a translator that marks
    // each of the program's texts sees the window's and the core's alike.
    void textosPasanPorLaTraduccion() {
        struct Marca : QTranslator {
            QString translate(const char* contexto, const char* fuente, const char*, int) const override {
                return qstrcmp(contexto, "KORVAVal") == 0
                           ? QStringLiteral("«") + QString::fromUtf8(fuente) + "»"
                           : QString();
            }
            bool isEmpty() const override { return false; }
        } marca;
        QCoreApplication::installTranslator(&marca);
        struct Quita {
            QTranslator* t;
            ~Quita() { QCoreApplication::removeTranslator(t); }
        } quita{&marca};
        Fixture g;
        configura(g, {{slot::DepurarArchivos, "0"}});
        Form1 w(g.ctx, 0);
        QCOMPARE(g.st.pantalla().evento(), QStringLiteral("«Listo para Iniciar»"));
        QCOMPARE(w.findChild<QPushButton*>("Start_Button")->text(), QStringLiteral("«&Iniciar»"));
        QCOMPARE(w.accion("Menu_Manual")->text(), QStringLiteral("«&Manual»"));
        QVERIFY(!g.st.iniciado());
    }

    // A question that deletes keeps on Enter: its default button is No.
    void preguntasDeBorradoConNoPorOmision() {
        Fixture f;
        test::pon(f.ruta("usuarios.dat"), "A\r\nB\r\n");
        DialogosQt qt;
        FrmEntrada w(qt, f.tmp.path());
        w.show();
        QTimer enter;
        QStringList defecto;
        connect(&enter, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                defecto << box->defaultButton()->text().remove('&');
                QTest::keyClick(box, Qt::Key_Return);
            }
        });
        enter.start(20);
        w.findChild<QPushButton*>("CmdEliminarPatente")->click();
        QCOMPARE(test::lee(f.ruta("usuarios.dat")), QByteArray("A\r\nB\r\n"));
        QVERIFY(qt.pregunta(QStringLiteral("¿Guardar?"))); // an ordinary question: Enter is Yes
        QCOMPARE(defecto.size(), 2);
        QVERIFY(defecto[0] != defecto[1]);
    }

    // A cycle the timer started, held by the modal selection window: the
    // window's clock and notice line go on meanwhile.
    void seleccionModalMantieneRelojYAvisos() {
        test::OficinaEnvio f;
        RelojSistema reloj;
        SeleccionRetenida dlg(f.dlg, f.st);
        Contexto ctx{f.st, dlg, reloj, f.tmp.path()};
        ctx.seleccion = &dlg;
        f.st.config().setSlot(slot::DirRecibo, f.carpeta("rec"));
        f.st.config().setSlot(slot::EnvioAutomatico, QStringLiteral("0"));
        f.st.config().setSlot(slot::DepurarArchivos, QStringLiteral("0"));
        QVERIFY(GrabaConfiguracion(ctx));
        Form1 w(ctx, 0);
        w.show();
        const QString dia = QStringLiteral("%1").arg(Get_Juliano(reloj), 3, 10, QLatin1Char('0'));
        QVERIFY(test::pon(f.envio + "/m4321123." + dia, "500|\r\n"));
        f.st.pantalla().setLista(Lista::Mensajes, {"aviso uno", "aviso dos"});
        f.st.ciclo().setContadorTicker(5); // the notice line steps on the next tick
        f.st.setCaptionInicio(QStringLiteral("&Detener"));
        f.st.ciclo().setSegundosTranscurridos(
            qint16(f.st.config().periodo() + 1)); // the next tick runs a cycle
        QTRY_COMPARE_WITH_TIMEOUT(dlg.horas.size(), 2, 10000);
        QVERIFY2(dlg.horas[0] != dlg.horas[1], qPrintable(dlg.horas.join(" / ")));
        QVERIFY2(dlg.avisos[0] != dlg.avisos[1], qPrintable(dlg.avisos.join(" / ")));
        QTRY_VERIFY(!f.st.ciclo().cicloEnCurso() &&
                    f.st.ciclo().SegundosTranscurridos() > 0); // the cycle ended
    }
};

QTEST_MAIN(PruebaVentanas)
#include "test_ventanas.moc"

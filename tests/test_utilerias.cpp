#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include "OficinaEnvio.h"

#include "Archivos.h"
#include <algorithm>

#include "Fixture.h"
#include "config/ArchivoConfiguracion.h"
#include "exchange/PedirArchivo.h"
#include "platform/fs.h"
#include "records/Respaldo.h"

using namespace korva;
using namespace korva::test;

namespace {

using Oficina = OficinaEnvio;

const QString kPreguntaRespaldo = QStringLiteral(
    "!Precaución!, si respalda la configuración actual se eliminará toda configuración anterior. ¿Desea "
    "continuar?.");

// The program folder of an installation with patents 4321 and 1234, each
// with its configuration file, and a receive folder.
struct Instalacion : Fixture {
    QString recibo;
    Instalacion() {
        recibo = carpeta("rec");
        QVERIFY(pon(ruta("usuarios.dat"), "Agencia 4321\r\nOtra 1234\r\n"));
        fs::ponSoloLectura(ruta("usuarios.dat"), true);
        QVERIFY(pon(ruta("odbc0.reg"), "h\r\na4321\r\nviejo0\r\n"));
        QVERIFY(pon(ruta("odbc1.reg"), "h\r\nb1234\r\nviejo1\r\n"));
        st.config().setIndicePatente(0);
        st.config().setSlot(slot::Usuario, QStringLiteral("a4321"));
        st.config().setSlot(slot::DirRecibo, recibo);
    }
    QString respaldo1() const { return tmp.filePath("Respalda"); }
    QString respaldo2() const { return recibo + "/Respalda"; }
};
} // namespace

class PruebaUtilerias : public QObject {
    Q_OBJECT
private slots:
    // --- response request ---------------------------------------------------
    void letrasDeLaLista_data() {
        QTest::addColumn<QString>("slot10");
        QTest::addColumn<QStringList>("entradas");
        QTest::addRow("default") << "m,b,c,s,t,e,f,e"
                                 << QStringList{"m", "b", "c", "s", "t", "ea", "eb", "f", "ea", "eb"};
        QTest::addRow("capital E keeps its case") << "E,m" << QStringList{"Ea", "Eb", "m"};
        QTest::addRow("no commas, doubled commas") << "mb,,e" << QStringList{"m", "b", "ea", "eb"};
        QTest::addRow("empty") << "" << QStringList{};
    }
    void letrasDeLaLista() {
        QFETCH(QString, slot10);
        QFETCH(QStringList, entradas);
        Oficina o;
        o.st.config().setSlot(slot::LetrasValidacion, slot10);
        PedirArchivo p(o.ctx);
        QCOMPARE(p.CboLetra(), entradas);
        QCOMPARE(p.ListIndex(), entradas.isEmpty() ? -1 : 0);
    }

    void nombresDeLaSolicitud_data() {
        QTest::addColumn<QString>("letra");
        QTest::addColumn<QString>("folio");
        QTest::addColumn<QString>("dia");
        QTest::addColumn<QString>("archivo");
        QTest::addColumn<QString>("mostrado");
        QTest::addRow("m, day 7") << "m"
                                  << "123"
                                  << "7"
                                  << "m4321123.007"
                                  << "m4321123.7";
        QTest::addRow("m, day 45") << "m"
                                   << "123"
                                   << "45"
                                   << "m4321123.045"
                                   << "m4321123.45";
        QTest::addRow("m, day 123") << "m"
                                    << "123"
                                    << "123"
                                    << "m4321123.123"
                                    << "m4321123.123";
        QTest::addRow("eb, no point") << "eb"
                                      << "010"
                                      << "45"
                                      << "eb4321010045"
                                      << "eb432101045";
        QTest::addRow("ea, day 7") << "ea"
                                   << "123"
                                   << "7"
                                   << "ea4321123007"
                                   << "ea43211237";
        QTest::addRow("s, OISA and folio") << "s"
                                           << "123456"
                                           << "45"
                                           << "s4321123456.045"
                                           << "s4321123456.45";
    }
    void nombresDeLaSolicitud() {
        QFETCH(QString, letra);
        QFETCH(QString, folio);
        QFETCH(QString, dia);
        QFETCH(QString, archivo);
        QFETCH(QString, mostrado);
        Oficina o;
        o.st.config().setSlot(slot::FolioSuperior, QStringLiteral("999999"));
        o.st.pantalla().setEtiqueta(Etiqueta::DiaJuliano, dia);
        PedirArchivo p(o.ctx);
        p.setListIndex(int(p.CboLetra().indexOf(letra)));
        p.CboLetra_LostFocus();
        p.setTxtFolio(folio);
        QVERIFY(p.CmdAceptar_Click());
        QCOMPARE(en(o.pend()), QStringList{archivo});
        QCOMPARE(lee(o.pend() + "/" + archivo), QByteArray());
        QCOMPARE(o.dlg.textos(), QStringList{"Se buscará respuesta del archivo " + mostrado +
                                             ". Espere el siguiente ciclo para ver los resultados."});
        QCOMPARE(o.dlg.registros.last().titulo, kTitulo);
    }

    void solicitudRechazada_data() {
        QTest::addColumn<QString>("letra");
        QTest::addColumn<QString>("folio");
        QTest::addColumn<QString>("mensaje");
        QTest::addColumn<QString>("titulo");
        const QString sagarpa =
            "Error. El número de archivo de Sagarpa solicitado no es valido, debe capturar el "
            "número de OISA seguido del número de folio del archivo.";
        const QString numero = "Error. El folio del Archivo debe ser un valor numérico.";
        const QString rango = "Error. El folio Solicitado con esta dentro del rango de folios autorizados.";
        QTest::addRow("s with 3 characters") << "s"
                                             << "123" << sagarpa << "KORVAVal";
        QTest::addRow("s with 6 letters: numeric next") << "s"
                                                        << "12345a" << numero << kTitulo;
        QTest::addRow("12a") << "m"
                             << "12a" << numero << kTitulo;
        QTest::addRow("empty") << "m"
                               << "" << numero << kTitulo;
        QTest::addRow("signed") << "m"
                                << "-12" << numero << kTitulo;
        QTest::addRow("blank") << "m"
                               << " 12" << numero << kTitulo;
        QTest::addRow("below: 000 < 001") << "m"
                                          << "000" << rango << kTitulo;
        QTest::addRow("above: 501 > 500") << "m"
                                          << "501" << rango << kTitulo;
        QTest::addRow("as text: 9 > 500") << "m"
                                          << "9" << rango << kTitulo;
        QTest::addRow("two digits: a name never answered")
            << "m"
            << "12"
            << "Error. El folio del Archivo debe tener 3 dígitos." << kTitulo;
    }
    void solicitudRechazada() {
        QFETCH(QString, letra);
        QFETCH(QString, folio);
        QFETCH(QString, mensaje);
        QFETCH(QString, titulo);
        Oficina o;
        PedirArchivo p(o.ctx);
        p.setListIndex(int(p.CboLetra().indexOf(letra)));
        p.CboLetra_LostFocus();
        p.setTxtFolio(folio);
        QCOMPARE(p.TxtFolio(), folio);
        QVERIFY(!p.CmdAceptar_Click()); // the window stays open
        QCOMPARE(o.dlg.textos(), QStringList{mensaje});
        QCOMPARE(o.dlg.registros.last().titulo, titulo);
        QVERIFY(!QFileInfo::exists(o.pend()));
        // Corrected, the same window places the request.
        o.dlg.limpia();
        p.setTxtFolio(letra == "s" ? "123456" : "123");
        o.st.config().setSlot(slot::FolioSuperior, QStringLiteral("999999"));
        QVERIFY(p.CmdAceptar_Click());
        QCOMPARE(en(o.pend()).size(), 1);
    }

    void largoDelFolioSigueLaLetra() {
        Oficina o;
        PedirArchivo p(o.ctx);
        QCOMPARE(p.MaxLength(), 3);
        p.setTxtFolio("123456");
        QCOMPARE(p.TxtFolio(), QString("123"));
        p.setListIndex(int(p.CboLetra().indexOf("s")));
        p.CboLetra_LostFocus();
        QCOMPARE(p.MaxLength(), 6);
        p.setTxtFolio("123456");
        QCOMPARE(p.TxtFolio(), QString("123456"));
        // Back to a three-digit letter: the box cannot keep the OISA digits.
        p.setListIndex(0);
        p.CboLetra_LostFocus();
        QCOMPARE(p.MaxLength(), 3);
        QCOMPARE(p.TxtFolio(), QString("123"));
    }

    void solicitudVaciaUnPendienteExistente() {
        Oficina o;
        QDir().mkpath(o.pend());
        QVERIFY(pon(o.pend() + "/m4321123.045", "sent copy"));
        PedirArchivo p(o.ctx);
        p.setTxtFolio("123");
        QVERIFY(p.CmdAceptar_Click());
        QCOMPARE(lee(o.pend() + "/m4321123.045"), QByteArray());
    }

    void solicitudQueNoSePuedeCrear() {
        Oficina o;
        // A file where the pending folder should be: nothing can be created.
        QVERIFY(pon(o.pend(), "not a folder"));
        PedirArchivo p(o.ctx);
        p.setTxtFolio("123");
        QVERIFY(!p.CmdAceptar_Click());
        QCOMPARE(o.dlg.registros.size(), 1);
        QCOMPARE(o.dlg.registros.last().icono, Icono::Error);
        QVERIFY(o.dlg.ultimo().contains("m4321123.045"));
    }

    // --- search cancel ------------------------------------------------------
    void cancelaBusqueda() {
        Oficina o;
        QDir().mkpath(o.pend() + "/sub4321");
        QVERIFY(pon(o.pend() + "/m4321123.045", ""));
        QVERIFY(pon(o.pend() + "/m1111123.045", "")); // another patent
        QVERIFY(pon(o.pend() + "/e4321123.045", "")); // "e" name with "." 9th: characters 3-6 are 3211
        QVERIFY(pon(o.pend() + "/ea4321123045", "")); // "e" name: patent at 3-6
        QVERIFY(pon(o.pend() + "/E4321123.045", ""));
        QVERIFY(pon(o.pend() + "/m4321006.r001", "")); // staged "registro 001": no search to cancel
        EliminarBusqueda e(o.ctx);
        QCOMPARE(e.LstFiles(), (QStringList{"ea4321123045", "m4321123.045"}));
        QVERIFY(e.CmdEliminarHabilitado());

        e.CmdEliminar_Click(-1); // nothing selected
        QVERIFY(o.dlg.registros.isEmpty());
        QCOMPARE(e.LstFiles().size(), 2);

        e.CmdEliminar_Click(1);
        QCOMPARE(o.dlg.textos(), QStringList{"La busqueda del archivo m4321123.045 ha sido cancelada"});
        QCOMPARE(e.LstFiles(), QStringList{"ea4321123045"});
        e.CmdEliminar_Click(0);
        QVERIFY(e.LstFiles().isEmpty());
        QVERIFY(e.CmdEliminarHabilitado()); // stays enabled on an empty list
        QCOMPARE(en(o.pend()),
                 (QStringList{"E4321123.045", "e4321123.045", "m1111123.045", "m4321006.r001"}));
    }

    void cancelaSinArchivosNiCarpeta() {
        Oficina o;
        EliminarBusqueda e(o.ctx);
        QVERIFY(e.LstFiles().isEmpty());
        QVERIFY(!e.CmdEliminarHabilitado());
        QDir().mkpath(o.pend());
        QVERIFY(pon(o.pend() + "/m1111123.045", ""));
        e.carga();
        QVERIFY(!e.CmdEliminarHabilitado());
    }

    void cancelaUnArchivoQueNoSeBorra() {
        Oficina o;
        QDir().mkpath(o.pend());
        QVERIFY(pon(o.pend() + "/m4321123.045", ""));
        QVERIFY(pon(o.pend() + "/m4321124.045", ""));
        fs::ponSoloLectura(o.pend() + "/m4321123.045", true);
        EliminarBusqueda e(o.ctx);
        // Gone meanwhile (the cycle closed it): not reported as cancelled.
        QFile::remove(o.pend() + "/m4321124.045");
        e.CmdEliminar_Click(1);
        QCOMPARE(o.dlg.registros.size(), 1);
        QCOMPARE(o.dlg.registros.last().icono, Icono::Error);
        QVERIFY(o.dlg.ultimo().contains("m4321124.045"));
        QCOMPARE(e.LstFiles(), QStringList{"m4321123.045"});
        // Read-only: kept, and said so.
        o.dlg.limpia();
        e.CmdEliminar_Click(0);
        QCOMPARE(o.dlg.registros.last().icono, Icono::Error);
        QVERIFY(QFile::exists(o.pend() + "/m4321123.045"));
        QCOMPARE(e.LstFiles(), QStringList{"m4321123.045"});
    }

    // --- backup ---------------------------------------------------------
    void respaldoDeDosPatentes() {
        Instalacion i;
        i.st.config().setSlot(slot::ContrasenaFtp, QStringLiteral("abc"));
        QVERIFY(i.st.config().ConfiguracionModificada());
        i.dlg.responde(true);
        Menu_HaceRespaldo(i.ctx);
        QCOMPARE(i.dlg.textos(), QStringList{kPreguntaRespaldo});
        // The configuration in memory is saved first, then copied.
        QVERIFY(lee(i.ruta("odbc0.reg")).contains("|1946\r\n"));
        for (const QString& carpeta : {i.respaldo1(), i.respaldo2()}) {
            QCOMPARE(en(carpeta), (QStringList{"0", "1", "usuarios.dat"}));
            QCOMPARE(lee(carpeta + "/0"), lee(i.ruta("odbc0.reg")));
            QCOMPARE(lee(carpeta + "/1"), QByteArray("h\r\nb1234\r\nviejo1\r\n"));
            QCOMPARE(lee(carpeta + "/usuarios.dat"), QByteArray("Agencia 4321\r\nOtra 1234\r\n"));
            // The copies hold the scrambled passwords too.
            QCOMPARE(QFile(carpeta + "/0").permissions() & (QFile::ReadOther | QFile::ReadGroup),
                     QFileDevice::Permissions{});
        }
        QVERIFY(!i.st.config().ConfiguracionModificada());
        QCOMPARE(i.dlg.punteros, (QList<Puntero>{Puntero::Ocupado, Puntero::Normal}));

        // A second backup replaces the first one file by file.
        QVERIFY(pon(i.ruta("odbc1.reg"), "h\r\nb1234\r\nnuevo1\r\n"));
        i.dlg.limpia();
        i.dlg.responde(true);
        Menu_HaceRespaldo(i.ctx);
        QCOMPARE(lee(i.respaldo2() + "/1"), QByteArray("h\r\nb1234\r\nnuevo1\r\n"));
    }

    void respaldoConUnaPatenteSinArchivo() {
        Instalacion i;
        QFile::remove(i.ruta("odbc1.reg"));
        QVERIFY(pon(i.ruta("usuarios.dat"), "Agencia 4321\r\nOtra 1234\r\nTercera 7777\r\n"));
        QVERIFY(pon(i.ruta("odbc2.reg"), "h\r\nc7777\r\n"));
        i.dlg.responde(true);
        Menu_HaceRespaldo(i.ctx);
        QCOMPARE(i.dlg.textos(), (QStringList{kPreguntaRespaldo,
                                              "ERROR: No fue posible terminar el respaldo debido a que no se "
                                              "encontró el archivo de configuración de la Patente 1234"}));
        QCOMPARE(en(i.respaldo1()), (QStringList{"0", "2", "usuarios.dat"}));
        QCOMPARE(en(i.respaldo2()), (QStringList{"0", "2", "usuarios.dat"}));
    }

    void respaldoSinListaDePatentes() {
        Instalacion i;
        fs::ponSoloLectura(i.ruta("usuarios.dat"), false);
        QFile::remove(i.ruta("usuarios.dat"));
        const QByteArray antes = lee(i.ruta("odbc0.reg"));
        i.dlg.responde(true);
        Menu_HaceRespaldo(i.ctx);
        QCOMPARE(i.dlg.ultimo(),
                 "ERROR: Imposible continuar debido que no se encontró el archivo de las patentes " +
                     i.tmp.path() + "/Usuarios.dat.");
        QVERIFY(en(i.respaldo1()).isEmpty());
        QCOMPARE(lee(i.ruta("odbc0.reg")), antes); // not even saved
        QVERIFY(i.st.config().ConfiguracionModificada());
        QCOMPARE(i.dlg.punteros.last(), Puntero::Normal);
    }

    void respaldoConCopiaFallida() {
        Instalacion i;
        // No receive folder: every copy there fails and is named; the first
        // folder still gets everything.
        i.st.config().setSlot(slot::DirRecibo, i.tmp.filePath("no-existe"));
        i.dlg.responde(true);
        Menu_HaceRespaldo(i.ctx);
        QCOMPARE(en(i.respaldo1()), (QStringList{"0", "1", "usuarios.dat"}));
        const QStringList errores = i.dlg.textos().mid(1);
        QCOMPARE(errores.size(), 3);
        for (const char* destino : {"/usuarios.dat.", "/0.", "/1."})
            QVERIFY2(std::any_of(errores.begin(), errores.end(),
                                 [&](const QString& t) {
                                     return t.startsWith("ERROR: No fue posible copiar el archivo ") &&
                                            t.endsWith(i.tmp.filePath("no-existe/Respalda") + destino);
                                 }),
                     qPrintable(errores.join('\n')));
        QVERIFY(!QFileInfo::exists(i.tmp.filePath("no-existe")));
    }

    // --- restore --------------------------------------------------------
    void recuperaConPatenteAjena() {
        Instalacion i;
        i.dlg.responde(true);
        Menu_HaceRespaldo(i.ctx);
        // The backup of position 1 now holds another patent's user.
        QVERIFY(pon(i.respaldo1() + "/0", "h\r\na4321\r\nrespaldado0\r\n"));
        QVERIFY(pon(i.respaldo1() + "/1", "h\r\nz9999\r\nrespaldado1\r\n"));
        QVERIFY(pon(i.ruta("odbc0.reg"), "h\r\na4321\r\nroto\r\n"));
        fs::ponSoloLectura(i.ruta("usuarios.dat"), false);
        QVERIFY(pon(i.ruta("usuarios.dat"), "Agencia 4321\r\n"));
        fs::ponSoloLectura(i.ruta("usuarios.dat"), true);

        QSignalSpy cierre(&i.st, &EstadoPrincipal::cierreSolicitado);
        i.dlg.limpia();
        i.dlg.responde(true);
        QVERIFY(Menu_RecuperaConf(i.ctx));
        QCOMPARE(i.dlg.registros.first().texto.split('\r').size(), 6);
        QCOMPARE(i.dlg.registros.first().texto.split('\r').first(), QString("!Precación!"));
        QCOMPARE(i.dlg.textos().mid(1),
                 QStringList{"ERROR: no se encontró el archivo de respaldo de la Patente 1234."});
        QCOMPARE(lee(i.ruta("odbc0.reg")), QByteArray("h\r\na4321\r\nrespaldado0\r\n"));
        QCOMPARE(lee(i.ruta("odbc1.reg")), QByteArray("h\r\nb1234\r\nviejo1\r\n"));
        QCOMPARE(lee(i.ruta("usuarios.dat")), QByteArray("Agencia 4321\r\nOtra 1234\r\n"));
        QVERIFY(fs::soloLectura(i.ruta("usuarios.dat")));
        QCOMPARE(QFile(i.ruta("odbc0.reg")).permissions() & (QFile::ReadOther | QFile::ReadGroup),
                 QFileDevice::Permissions{});
        QCOMPARE(cierre.count(), 1);
        QVERIFY(i.st.cierrePendiente());
    }

    // A backup made before 4321 was configured, restored after the list was
    // reordered: each patent keeps its own account, the old files are kept
    // aside, and what the window holds is never saved over them.
    void recuperaRespaldoAnteriorAOtraPatente() {
        Instalacion i;
        QDir().mkpath(i.respaldo1());
        QVERIFY(pon(i.respaldo1() + "/usuarios.dat", "Otra 1234\r\nAgencia 4321\r\n"));
        QVERIFY(pon(i.respaldo1() + "/0", "h\r\nb1234\r\nrespaldado1234\r\n"));
        QVERIFY(pon(i.ruta("odbc2.reg"), "h\r\nz9999\r\notra cuenta\r\n")); // left past the list
        i.dlg.responde(true);
        QVERIFY(Menu_RecuperaConf(i.ctx));
        QCOMPARE(lee(i.ruta("usuarios.dat")), QByteArray("Otra 1234\r\nAgencia 4321\r\n"));
        QCOMPARE(lee(i.ruta("odbc0.reg")), QByteArray("h\r\nb1234\r\nrespaldado1234\r\n"));
        QCOMPARE(lee(i.ruta("odbc1.reg")), QByteArray("h\r\na4321\r\nviejo0\r\n"));
        QVERIFY(!QFile::exists(i.ruta("odbc2.reg")));
        const QString aparte = i.respaldo1() + "/anteriores/20260214-100000";
        QCOMPARE(en(aparte), (QStringList{"odbc0.reg", "odbc1.reg", "odbc2.reg", "usuarios.dat"}));
        QCOMPARE(lee(aparte + "/odbc2.reg"), QByteArray("h\r\nz9999\r\notra cuenta\r\n"));
        QVERIFY(!i.st.config().ConfiguracionModificada());
        QVERIFY(!GrabaConfiguracion(i.ctx));
        QCOMPARE(lee(i.ruta("odbc0.reg")), QByteArray("h\r\nb1234\r\nrespaldado1234\r\n"));
    }

    // Backups that cannot be told apart by number, cut short, or reached
    // through a link: no patent loses its configuration.
    void respaldosDudosos() {
        const auto completo = [](const QByteArray& usuario, const QByteArray& marca) {
            QByteArray b = "h\r\n" + usuario + "\r\n" + marca + "\r\n";
            for (int i = 3; i < 28; ++i)
                b += "x\r\n";
            return b;
        };
        {
            // A key that names no patent number: the file's place says whose.
            Instalacion i;
            fs::ponSoloLectura(i.ruta("usuarios.dat"), false);
            QVERIFY(pon(i.ruta("usuarios.dat"), "Oficina Norte\r\n"));
            i.dlg.responde(true);
            Menu_HaceRespaldo(i.ctx);
            QVERIFY(pon(i.ruta("odbc0.reg"), "h\r\na4321\r\ncambiado\r\n"));
            i.dlg.responde(true);
            QVERIFY(Menu_RecuperaConf(i.ctx));
            QCOMPARE(lee(i.ruta("odbc0.reg")), lee(i.respaldo1() + "/0"));
        }
        {
            // A backup cut short never replaces a whole configuration, and a
            // configuration cut short never replaces a whole backup.
            Instalacion i;
            QVERIFY(pon(i.ruta("odbc1.reg"), completo("b1234", "bueno1")));
            i.dlg.responde(true);
            Menu_HaceRespaldo(i.ctx);
            QCOMPARE(lee(i.respaldo1() + "/1"), completo("b1234", "bueno1"));
            QVERIFY(pon(i.ruta("odbc1.reg"), "h\r\nb1234\r\ncortado\r\n"));
            i.dlg.limpia();
            i.dlg.responde(true);
            Menu_HaceRespaldo(i.ctx);
            QCOMPARE(lee(i.respaldo1() + "/1"), completo("b1234", "bueno1"));
            QVERIFY(i.dlg.ultimo().contains("está incompleto; se conserva su respaldo anterior"));
            QVERIFY(pon(i.ruta("odbc1.reg"), completo("b1234", "actual1")));
            QVERIFY(pon(i.respaldo1() + "/1", "h\r\nb1234\r\ncortado\r\n"));
            i.dlg.limpia();
            i.dlg.responde(true);
            QVERIFY(Menu_RecuperaConf(i.ctx));
            QCOMPARE(lee(i.ruta("odbc1.reg")), completo("b1234", "actual1"));
            QVERIFY(i.dlg.textos().contains(
                "ERROR: el respaldo de la Patente 1234 está incompleto; se conserva su "
                "configuración actual."));
        }
        {
            // A Respalda that leads elsewhere is neither written nor read.
            Instalacion i;
            const QString fuera = i.carpeta("fuera");
            QVERIFY(QFile::link(fuera, i.respaldo2()));
            i.dlg.responde(true);
            Menu_HaceRespaldo(i.ctx);
            QVERIFY(en(fuera).isEmpty());
            QVERIFY(i.dlg.textos().join('\n').contains(i.respaldo2() + " no es una carpeta del programa"));
            QVERIFY(pon(fuera + "/usuarios.dat", "Agencia 4321\r\n") &&
                    pon(fuera + "/0", "h\r\na4321\r\nplantado\r\n"));
            QVERIFY(QDir(i.respaldo1()).removeRecursively());
            i.dlg.limpia();
            i.dlg.responde(true);
            QVERIFY(Menu_RecuperaConf(i.ctx));
            QVERIFY(!lee(i.ruta("odbc0.reg")).contains("plantado"));
            QVERIFY(i.dlg.textos().join('\n').contains(i.respaldo2() + " no es una carpeta del programa"));
        }
    }

    void recuperaDeLaSegundaCarpetaYSinRespaldo() {
        Instalacion i;
        QDir().mkpath(i.respaldo2());
        QVERIFY(pon(i.respaldo2() + "/usuarios.dat", "Agencia 4321\r\n"));
        QVERIFY(pon(i.respaldo2() + "/0", "h\r\na4321\r\nsegunda\r\n"));
        i.dlg.responde(true);
        QVERIFY(Menu_RecuperaConf(i.ctx));
        QCOMPARE(i.dlg.registros.size(), 1);
        QCOMPARE(lee(i.ruta("odbc0.reg")), QByteArray("h\r\na4321\r\nsegunda\r\n"));
        QCOMPARE(lee(i.ruta("usuarios.dat")), QByteArray("Agencia 4321\r\n"));

        // No backup anywhere: said so, nothing copied, the program still closes.
        Instalacion j;
        QSignalSpy cierre(&j.st, &EstadoPrincipal::cierreSolicitado);
        j.dlg.responde(true);
        QVERIFY(Menu_RecuperaConf(j.ctx));
        QCOMPARE(j.dlg.ultimo(),
                 QString("ERROR: no fue posible restaurar la configuración, debido a que no se "
                         "encontraron los archivos de respaldo."));
        QCOMPARE(lee(j.ruta("odbc0.reg")), QByteArray("h\r\na4321\r\nviejo0\r\n"));
        QCOMPARE(cierre.count(), 1);
    }

    void recuperaConArchivoQueNoSeReemplaza() {
        Instalacion i;
        i.dlg.responde(true);
        Menu_HaceRespaldo(i.ctx);
        // Position 0's file cannot be replaced (a folder in its place); 1 still is.
        QVERIFY(pon(i.respaldo1() + "/1", "h\r\nb1234\r\nrespaldado1\r\n"));
        QFile::remove(i.ruta("odbc0.reg"));
        QDir().mkpath(i.ruta("odbc0.reg"));
        i.dlg.limpia();
        i.dlg.responde(true);
        QVERIFY(Menu_RecuperaConf(i.ctx));
        QCOMPARE(i.dlg.textos().size(), 2);
        QVERIFY(i.dlg.ultimo().startsWith("ERROR: No fue posible copiar el archivo " + i.respaldo1() + "/0"));
        QCOMPARE(lee(i.ruta("odbc1.reg")), QByteArray("h\r\nb1234\r\nrespaldado1\r\n"));
        QVERIFY(i.st.cierrePendiente());
    }

    void noEnLaPreguntaNoCambiaNada() {
        for (bool recuperar : {false, true}) {
            Instalacion i;
            QDir().mkpath(i.respaldo1());
            QVERIFY(pon(i.respaldo1() + "/usuarios.dat", "Otra 1234\r\n"));
            QVERIFY(pon(i.respaldo1() + "/0", "h\r\nb1234\r\n"));
            i.st.config().setSlot(slot::ContrasenaFtp, QStringLiteral("abc"));
            QSignalSpy cierre(&i.st, &EstadoPrincipal::cierreSolicitado);
            i.dlg.responde(false);
            if (recuperar)
                QVERIFY(!Menu_RecuperaConf(i.ctx));
            else
                Menu_HaceRespaldo(i.ctx);
            QCOMPARE(i.dlg.registros.size(), 2);
            QCOMPARE(i.dlg.ultimo(), QString("Proceso cancelado."));
            QCOMPARE(i.dlg.registros.last().icono, Icono::Ninguno);
            QCOMPARE(en(i.respaldo1()), (QStringList{"0", "usuarios.dat"}));
            QVERIFY(!QFileInfo::exists(i.respaldo2()));
            QCOMPARE(lee(i.ruta("odbc0.reg")), QByteArray("h\r\na4321\r\nviejo0\r\n"));
            QCOMPARE(lee(i.ruta("usuarios.dat")), QByteArray("Agencia 4321\r\nOtra 1234\r\n"));
            QVERIFY(i.st.config().ConfiguracionModificada());
            QCOMPARE(cierre.count(), 0);
            QVERIFY(i.dlg.punteros.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(PruebaUtilerias)
#include "test_utilerias.moc"

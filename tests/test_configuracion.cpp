#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <optional>

#include "Archivos.h"
#include "Fixture.h"
#include "comun/RegistroConfiguracion.h"
#include "config/ArchivoConfiguracion.h"
#include "config/Edicion.h"
#include "config/Revisiones.h"
#include "platform/fs.h"

using namespace korva;
using korva::test::escribe;
using korva::test::Fixture;
using korva::test::lee;

namespace {
QStringList numeradas(int n) {
    QStringList l;
    for (int i = 0; i < n; ++i)
        l << QStringLiteral("L%1").arg(i);
    return l;
}
} // namespace

class PruebaConfiguracion : public QObject {
    Q_OBJECT
private slots:
    void revuelveYDesenreda() {
        QCOMPARE(clave::revuelve("abc"), QStringLiteral("|1986|1966|1946"));
        QCOMPARE(clave::desenreda("|1986|1966|1946"), QStringLiteral("abc"));
        const QString s = QStringLiteral("Añó ñ€x|1");
        QCOMPARE(clave::desenreda(clave::revuelve(s)), s);
        QCOMPARE(clave::revuelve(QStringLiteral("ñ")), QStringLiteral("|4826")); // 0xF1 * 20 + 6
        QCOMPARE(clave::revuelve(""), QString());
        QCOMPARE(clave::desenreda(""), QString());
    }

    void desenredaLineaMalFormada_data() {
        QTest::addColumn<QString>("linea");
        QTest::addColumn<QString>("texto");
        QTest::addRow("no leading bar") << "1986|1966"
                                        << "b";
        QTest::addRow("letters") << "|19x6|1966"
                                 << "b?";
        QTest::addRow("empty group") << "||1966"
                                     << "b?";
        QTest::addRow("out of range") << "|99999|1966"
                                      << "b?";
        QTest::addRow("huge") << "|123456789012345678901234567890"
                              << "?";
        QTest::addRow("negative") << "|-5"
                                  << "?";
        QTest::addRow("only bars") << "|||"
                                   << "???";
        QTest::addRow("not a multiple rounds") << "|1990"
                                               << "c";
    }
    void desenredaLineaMalFormada() {
        QFETCH(QString, linea);
        QFETCH(QString, texto);
        QCOMPARE(clave::desenreda(linea), texto);
    }

    void grabaVeintiochoRenglonesPrivados() {
        Fixture f;
        f.st.config().setIndicePatente(3);
        f.st.config().setSlot(slot::ContrasenaFtp, "abc");
        f.st.config().setSlot(slot::ContrasenaKey, "");
        f.st.config().setSlot(slot::Usuario, "ftp4321\r\nX"); // a line break never shifts the file
        f.st.pantalla().setEtiqueta(Etiqueta::LocalName, "equipo");
        f.st.pantalla().setEtiqueta(Etiqueta::LocalAddress, "10.1.2.3");
        QVERIFY(GrabaConfiguracion(f.ctx));
        QCOMPARE(f.st.pantalla().evento(), QStringLiteral("Grabando configuración..."));
        const QString ruta = f.ruta("odbc3.reg");
        const QByteArray b = lee(ruta);
        QVERIFY(b.endsWith("Versi\xf3n 8.0.0\r\n"));
        const QStringList l = test::lineas(ruta);
        QCOMPARE(l.size(), 28);
        QCOMPARE(l[1], QStringLiteral("ftp4321X"));
        QCOMPARE(l[2], QStringLiteral("|1986|1966|1946"));
        QCOMPARE(l[15], QString());
        QCOMPARE(l[10], QStringLiteral("m,b,c,s,t,e,f,e"));
        QCOMPARE(l[25], QStringLiteral("equipo"));
        QCOMPARE(l[26], QStringLiteral("10.1.2.3"));
        QCOMPARE(b.count("\r\n"), 28);
        const auto p = QFileInfo(ruta).permissions();
        QVERIFY(!(p & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther)));
    }

    void configuracionGrabadaSeCargaIgual() {
        Fixture a;
        a.st.config().setSlot(slot::ContrasenaFtp, QStringLiteral("pásó"));
        a.st.config().setSlot(slot::DirEnvio, "/srv/env");
        a.st.config().setSlot(slot::DepurarArchivos, "0");
        a.st.config().setSlot(slot::ServidorActual, a.st.config().TxtConfiguration(slot::ServidorPrimario));
        QVERIFY(GrabaConfiguracion(a.ctx));
        Fixture b;
        QFile::copy(a.ruta("odbc0.reg"), b.ruta("odbc0.reg"));
        CargaConfiguracion(b.ctx);
        for (int n = 0; n < EstadoConfiguracion::kSlots; ++n)
            QCOMPARE(b.st.config().TxtConfiguration(n), a.st.config().TxtConfiguration(n));
        QVERIFY(!b.st.config().chk(slot::DepurarArchivos));
        QVERIFY(b.st.config().chk(slot::Pasivo));
        QCOMPARE(b.st.pantalla().evento(), QStringLiteral("Listo para Iniciar"));
        QVERIFY(b.dlg.registros.isEmpty());
    }

    void archivosCortosYLargos() {
        Fixture f;
        QVERIFY(escribe(f.ruta("odbc0.reg"), fs::comoTexto(numeradas(10))));
        CargaConfiguracion(f.ctx);
        // Cut short by a crash or a copy: damage, reported like an unreadable
        // file, never loaded in part nor saved over.
        QVERIFY(f.st.config().configuracionNoLeida());
        QCOMPARE(f.dlg.registros.size(), 1);
        QVERIFY(f.dlg.ultimo().contains(QStringLiteral("incompleto (10 de 25 renglones)")));
        QCOMPARE(f.st.config().TxtConfiguration(9), registro::porOmision(9));
        QVERIFY(!GrabaConfiguracion(f.ctx));
        QCOMPARE(test::lineas(f.ruta("odbc0.reg")), numeradas(10));

        Fixture g;
        QStringList l = numeradas(30);
        l[0] = "host8";
        l[8] = "host8";
        l[17] = "30";
        QVERIFY(escribe(g.ruta("odbc0.reg"), fs::comoTexto(l)));
        CargaConfiguracion(g.ctx);
        QCOMPARE(g.st.config().TxtConfiguration(24), QStringLiteral("L24"));
        QCOMPARE(g.st.config().TxtConfiguration(0), QStringLiteral("host8")); // equal to slot 8: kept
        QCOMPARE(g.st.config().TxtConfiguration(17), QStringLiteral("30"));
        QCOMPARE(g.st.edicion().opcionServidor(), OpcionServidor::Primario);
    }

    void reglasDeCarga() {
        Fixture f;
        QStringList l = numeradas(25);
        l[0] = "otro";
        l[8] = "primario";
        l[9] = "secundario";
        l[12] = "1";
        l[16] = "2";
        l[17] = "abc";
        l[22] = "1 ";
        l[7] = "2\r1"; // a stray CR inside a line
        QVERIFY(escribe(f.ruta("odbc0.reg"), fs::comoTexto(l)));
        CargaConfiguracion(f.ctx);
        QCOMPARE(f.st.config().TxtConfiguration(0), QStringLiteral("secundario"));
        QCOMPARE(f.st.edicion().opcionServidor(), OpcionServidor::Secundario);
        QCOMPARE(f.st.config().TxtConfiguration(17), QStringLiteral("24"));
        QVERIFY(f.st.config().chk(slot::Pasivo));
        QVERIFY(!f.st.config().chk(slot::Firmar));
        QVERIFY(f.st.config().chk(slot::DepurarArchivos)); // the value of "1 " is 1
        QCOMPARE(f.st.config().TxtConfiguration(slot::Puerto), QStringLiteral("21"));
        QCOMPARE(f.st.config().TxtConfiguration(22), QStringLiteral("1 "));
    }

    void archivoFaltanteAbreLaEdicion() {
        Fixture f;
        f.dlg.responde(true);
        CargaConfiguracion(f.ctx);
        QCOMPARE(f.dlg.beeps, 2);
        QVERIFY(f.st.edicion().servicioVisible());
        QVERIFY(f.st.edicion().editando());
        QCOMPARE(f.st.edicion().captionConfigurar(), QStringLiteral("&Cerrar Edición"));
        QVERIFY(f.st.config().bloqueado(slot::FolioInferior) && f.st.config().bloqueado(slot::FolioSuperior));
        QVERIFY(!f.st.config().bloqueado(slot::Usuario));
        QCOMPARE(f.st.config().TxtConfiguration(slot::Usuario), QStringLiteral("User(1)"));
    }

    // A file that is there but cannot be read is no new patent: no edit
    // mode, and no save in this run puts the defaults in its place.
    void archivoIlegibleSeConserva_data() {
        QTest::addColumn<bool>("enlace");
        QTest::addRow("no read permission") << false;
        QTest::addRow("link to a share not mounted") << true;
    }
    void archivoIlegibleSeConserva() {
        QFETCH(bool, enlace);
        Fixture f;
        const QString ruta = f.ruta("odbc0.reg");
        const QString real = enlace ? f.ruta("compartida/odbc0.reg") : ruta;
        if (enlace)
            QVERIFY(QFile::link(real, ruta));
        else
            QVERIFY(escribe(ruta, fs::comoTexto(numeradas(25))));
        {
            std::optional<test::Ilegible> ilegible;
            if (!enlace)
                ilegible.emplace(ruta);
            CargaConfiguracion(f.ctx);
            QVERIFY(!f.st.edicion().editando());
            QCOMPARE(f.dlg.registros.size(), 1);
            QVERIFY(f.dlg.ultimo().contains(ruta));
            f.st.config().setSlot(slot::Usuario, "ftp4321");
            QVERIFY(!GrabaConfiguracion(f.ctx));
            QCOMPARE(f.dlg.registros.size(), 2);
        }
        // Readable again later in the run: what this run holds is still no
        // configuration to put over it.
        if (enlace)
            test::pon(real, "real\r\n");
        QVERIFY(!GrabaConfiguracion(f.ctx));
        QCOMPARE(test::lineas(ruta).value(0), enlace ? QStringLiteral("real") : QStringLiteral("L0"));
        QCOMPARE(QFileInfo(ruta).isSymLink(), enlace);
    }

    void edicionBloqueosYGuardado() {
        Fixture f;
        QVERIFY(f.st.config().bloqueado(slot::Usuario));
        QVERIFY(!f.st.config().bloqueado(slot::RutasAdicionales));
        f.dlg.responde(false);
        Menu_Configure(f.ctx); // No changes nothing
        QVERIFY(!f.st.edicion().editando());
        f.dlg.responde(true);
        Menu_Configure(f.ctx);
        QVERIFY(f.st.edicion().opcionesServidorHabilitadas());
        f.st.config().setConfiguracionModificada(false);
        clicChk(f.ctx, slot::DepurarArchivos, false);
        QCOMPARE(f.st.config().TxtConfiguration(slot::DepurarArchivos), QStringLiteral("0"));
        QVERIFY(f.st.config().ConfiguracionModificada());
        Menu_GuardaConf(f.ctx);
        QVERIFY(!f.st.config().ConfiguracionModificada());
        QVERIFY(f.st.edicion().editando()); // a save keeps edit mode
        QVERIFY(QFileInfo::exists(f.ruta("odbc0.reg")));
        Menu_Configure(f.ctx); // closing asks nothing
        QVERIFY(f.st.config().bloqueado(slot::RutasAdicionales));
        QVERIFY(!f.st.edicion().opcionesServidorHabilitadas());
        // Outside edit mode a click is undone from the slot.
        clicChk(f.ctx, slot::DepurarArchivos, true);
        QVERIFY(!f.st.config().chk(slot::DepurarArchivos));
        QCOMPARE(f.st.config().TxtConfiguration(slot::DepurarArchivos), QStringLiteral("0"));
    }

    void rutasAdicionalesAntesDeCerrarLaEdicion() {
        Fixture f;
        clicChk(f.ctx, slot::RutasAdicionales, true);
        QCOMPARE(f.st.config().TxtConfiguration(slot::RutasAdicionales), QStringLiteral("1"));
        // A non-numeric locked slot leaves the box as clicked...
        f.st.config().setSlot(slot::DepurarArchivos, "x");
        clicChk(f.ctx, slot::DepurarArchivos, false);
        QVERIFY(!f.st.config().chk(slot::DepurarArchivos));
        // ...but signing still needs its key files.
        clicChk(f.ctx, slot::Firmar, true);
        QVERIFY(!f.st.config().chk(slot::Firmar));
        QCOMPARE(f.st.config().TxtConfiguration(slot::Firmar), QStringLiteral("(16) No se usa"));
        QVERIFY(f.dlg.ultimo().contains("archivo KEY"));
    }

    void activarFirmaSinClaveNiArchivos() {
        Fixture f;
        f.dlg.responde(true);
        Menu_Configure(f.ctx);
        f.st.config().setSlot(slot::ContrasenaKey, "");
        clicChk(f.ctx, slot::Firmar, true);
        QVERIFY(!f.st.config().chk(slot::Firmar));
        QCOMPARE(f.st.config().TxtConfiguration(slot::Firmar), QStringLiteral("0"));
        QCOMPARE(f.dlg.registros.last().icono, Icono::Advertencia);
        QVERIFY(f.dlg.ultimo().startsWith("Para poder activar esta función es necesario que primero\r"));
        f.st.config().setSlot(slot::ContrasenaKey, "x");
        f.st.config().setSlot(slot::RutaKey, f.ruta("no.key"));
        f.st.config().setSlot(slot::RutaCer, f.ruta("a.cer"));
        clicChk(f.ctx, slot::Firmar, true);
        QVERIFY(f.dlg.ultimo().contains("archivo KEY"));
        fs::escribeAtomico(f.ruta("no.key"), "k");
        clicChk(f.ctx, slot::Firmar, true);
        QVERIFY(f.dlg.ultimo().contains("archivo CER"));
        QCOMPARE(f.st.config().TxtConfiguration(slot::Firmar), QStringLiteral("0"));
        fs::escribeAtomico(f.ruta("a.cer"), "c");
        const int antes = int(f.dlg.registros.size());
        clicChk(f.ctx, slot::Firmar, true);
        QCOMPARE(int(f.dlg.registros.size()), antes);
        QCOMPARE(f.st.config().TxtConfiguration(slot::Firmar), QStringLiteral("1"));
    }

    void lapsoEnMinutosYSegundos_data() {
        QTest::addColumn<QString>("min");
        QTest::addColumn<QString>("seg");
        QTest::addColumn<int>("periodo");
        QTest::addColumn<QString>("minBox");
        QTest::addColumn<QString>("segBox");
        QTest::addRow("5 and 60") << "5"
                                  << "60" << 360 << "6"
                                  << "0";
        QTest::addRow("minutes 6 refused") << "6"
                                           << "0" << 30 << "0"
                                           << "30";
        QTest::addRow("seconds 61 refused") << "0"
                                            << "61" << 30 << "0"
                                            << "30";
        QTest::addRow("empty refused") << ""
                                       << "10" << 30 << "0"
                                       << "30";
        QTest::addRow("text refused") << "a"
                                      << "10" << 30 << "0"
                                      << "30";
        QTest::addRow("2 and 5") << "2"
                                 << "5" << 125 << "2"
                                 << "5";
        QTest::addRow("1 and 0") << "1"
                                 << "0" << 60 << "1"
                                 << "0";
        QTest::addRow("half to even down") << "0"
                                           << "2.5" << 2 << "0"
                                           << "2";
        QTest::addRow("half to even up") << "0"
                                         << "3.5" << 4 << "0"
                                         << "4";
    }
    void lapsoEnMinutosYSegundos() {
        QFETCH(QString, min);
        QFETCH(QString, seg);
        QFETCH(int, periodo);
        QFETCH(QString, minBox);
        QFETCH(QString, segBox);
        Fixture f;
        SldControl_Change(f.st, 30);
        QCOMPARE(f.st.pantalla().etiqueta(Etiqueta::Minutos), QStringLiteral("0"));
        QCOMPARE(f.st.pantalla().etiqueta(Etiqueta::Segundos), QStringLiteral("30"));
        f.st.pantalla().setEtiqueta(Etiqueta::Minutos, min);
        f.st.pantalla().setEtiqueta(Etiqueta::Segundos, seg);
        AplicaLapso(f.ctx);
        QCOMPARE(f.st.config().periodo(), periodo);
        QCOMPARE(f.st.pantalla().etiqueta(Etiqueta::Minutos), minBox);
        QCOMPARE(f.st.pantalla().etiqueta(Etiqueta::Segundos), segBox);
        QCOMPARE(f.st.pantalla().progreso(), 1.0f);
    }

    void validaDir_data() {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<int>("windows");
        QTest::addColumn<int>("posix");
        QTest::addRow("drive") << "c:\\ENV" << 1 << 0;
        QTest::addRow("D") << "D:\\x" << 1 << 0;
        QTest::addRow("word") << "abc" << 1 << 0;
        QTest::addRow("unc") << "\\\\server\\share" << 0 << 0;
        QTest::addRow("digit") << "1:\\x" << 0 << 0;
        QTest::addRow("empty") << "" << 0 << 0;
        QTest::addRow("absolute") << "/srv/env" << 0 << 1;
        QTest::addRow("relative") << "env/x" << 1 << 0;
        QTest::addRow("n tilde") << QStringLiteral("ñ:\\x") << 0 << 0;
    }
    void validaDir() {
        QFETCH(QString, dir);
        QFETCH(int, windows);
        QFETCH(int, posix);
        QCOMPARE(int(ValidaDir(dir, Plataforma::Windows)), windows);
        QCOMPARE(int(ValidaDir(dir, Plataforma::Posix)), posix);
    }

    void revisaDir() {
        Fixture f;
        const QString env = f.carpeta("env"), rec = f.carpeta("rec");
        f.st.config().setSlot(slot::DirEnvio, env + "/");
        f.st.config().setSlot(slot::DirRecibo, rec + "//");
        f.st.config().setConfiguracionModificada(false);
        QCOMPARE(int(RevisaDir(f.ctx)), 0); // "rec/" names the folder too
        QCOMPARE(f.st.config().TxtConfiguration(slot::DirEnvio), env);
        QCOMPARE(f.st.config().TxtConfiguration(slot::DirRecibo), rec + "/");
        QVERIFY(f.st.config().ConfiguracionModificada());
        QVERIFY(f.dlg.registros.isEmpty());
        f.st.config().setSlot(slot::DirRecibo, f.ruta("falta"));
        QCOMPARE(int(RevisaDir(f.ctx)), 1);
        QVERIFY(f.dlg.ultimo().startsWith("ERROR: es imposible continuar, en la Configuración del Sistema"));
        QCOMPARE(f.dlg.registros.last().icono, Icono::Error);
        fs::escribeAtomico(f.ruta("archivo"), "");
        f.st.config().setSlot(slot::DirRecibo, f.ruta("archivo")); // a plain file is no folder
        QCOMPARE(int(RevisaDir(f.ctx)), 1);
        f.st.config().setSlot(slot::DirRecibo, "REC(4)");
        QCOMPARE(int(RevisaDir(f.ctx)), 1);
    }

    void revisaArchivosTipo_data() {
        QTest::addColumn<QString>("e");
        QTest::addColumn<QString>("r");
        QTest::addColumn<int>("res");
        QTest::addColumn<int>("items");
        QTest::addRow("agree") << "m,b,c"
                               << "m,r,c" << 1 << 3;
        QTest::addRow("fewer") << "m,b,c"
                               << "m,r" << 0 << 3;
        QTest::addRow("same items other commas") << "mb,c"
                                                 << "m,r,c" << 0 << 3;
        QTest::addRow("defaults") << "m,b,c,s,t,e,f,e"
                                  << "m,r,c,x,t,r,a,a" << 1 << 8;
        QTest::addRow("blank is an item") << "m, b"
                                          << "m,rc" << 1 << 3;
    }
    void revisaArchivosTipo() {
        QFETCH(QString, e);
        QFETCH(QString, r);
        QFETCH(int, res);
        QFETCH(int, items);
        Fixture f;
        f.st.config().setSlot(slot::LetrasValidacion, e);
        f.st.config().setSlot(slot::LetrasPago, r);
        QCOMPARE(int(RevisaArchivosTipo(f.ctx)), res);
        QCOMPARE(int(letrasDeTipo(e).size()), items);
        QCOMPARE(f.dlg.registros.size(), res == 1 ? 0 : 1);
    }

    void revisaRutas() {
        Fixture f;
        const QString a = f.carpeta("a"), b = f.carpeta("b");
        auto corre = [&](const QString& rutas, const QString& letras) {
            f.dlg.limpia();
            f.st.edicion().setPanel(Panel::Ninguno);
            return RevisaRutas(f.ctx, rutas, letras, Sentido::Envio);
        };
        const RevisionRutas buena = corre(a + "," + b, "m,b");
        QCOMPARE(buena.resultado, std::optional<qint16>(0));
        QCOMPARE(buena.rutas.carpetas, (QStringList{a, b}));
        QCOMPARE(buena.rutas.letras, (QStringList{"m", "b"}));
        QCOMPARE(f.st.edicion().panel(), Panel::Ninguno);

        const RevisionRutas vacia = corre(a + ",," + b, "m,b,c");
        QCOMPARE(vacia.resultado, std::optional<qint16>(1));
        QCOMPARE(f.dlg.textos(),
                 QStringList{"ERROR: Es imposible continuar, en la configuración de Rutas "
                             "Adicionales, al menos una de las Rutas de Envio Local esta vacia"});
        QVERIFY(vacia.rutas.carpetas.isEmpty() && vacia.rutas.letras.isEmpty());
        QCOMPARE(f.st.edicion().panel(), Panel::Rutas);

        QCOMPARE(corre(a + "," + f.ruta("falta"), "m,b").resultado, std::optional<qint16>(1));
        QVERIFY(f.dlg.ultimo().endsWith("Rutas de Envio Local no es valida"));

        QCOMPARE(corre(a + ",", "m,b").resultado, std::optional<qint16>(1)); // the last route is ","
        QCOMPARE(f.dlg.textos().size(), 1);
        QVERIFY(f.dlg.ultimo().endsWith("no es valida"));

        QCOMPARE(corre(",," + f.ruta("falta"), "m,b,c").resultado, std::optional<qint16>(1));
        QCOMPARE(f.dlg.textos().size(), 2); // empty first, then invalid
        QVERIFY(f.dlg.textos()[0].endsWith("esta vacia"));

        QCOMPARE(corre(a, "m,b").resultado, std::optional<qint16>(1));
        QCOMPARE(f.dlg.ultimo(),
                 QStringLiteral("ERROR: Es imposible continuar, en la configuración de Rutas "
                                "Adicionales, no coinciden el numero de Rutas de Envio Local con "
                                "los tipos de archivos"));
        QCOMPARE(f.st.edicion().panel(), Panel::Rutas);

        QCOMPARE(corre("", "m").resultado, std::optional<qint16>()); // nothing to check
        QVERIFY(f.dlg.registros.isEmpty());

        // The panel opens only while no other panel is shown.
        f.dlg.limpia();
        f.st.edicion().setPanel(Panel::Firma);
        RevisaRutas(f.ctx, a, "m,b", Sentido::Recibo);
        QCOMPARE(f.st.edicion().panel(), Panel::Firma);
        QVERIFY(f.dlg.ultimo().contains("Rutas de Recibo Local"));

        // Both directions: the record keeps what each check accepted, the
        // passes and the midnight purge work on it; a failing receive check
        // leaves the send routes it accepted and none to receive in.
        f.st.config().setSlot(slot::RutasEnvioLocal, a + "," + b);
        f.st.config().setSlot(slot::LetrasValidacion, "m,b");
        f.st.config().setSlot(slot::RutasReciboLocal, b);
        f.st.config().setSlot(slot::LetrasPago, "r");
        const auto todas = RevisaRutasAdicionales(f.ctx);
        QVERIFY(todas);
        QCOMPARE(todas->envio, buena.rutas);
        QCOMPARE(f.st.config().rutas(Sentido::Envio), buena.rutas);
        QCOMPARE(f.st.config().rutas(Sentido::Recibo), (RutasLocales{{b}, {"r"}}));
        f.st.config().setSlot(slot::RutasReciboLocal, f.ruta("falta"));
        QVERIFY(!RevisaRutasAdicionales(f.ctx));
        QCOMPARE(f.st.config().rutas(Sentido::Envio), buena.rutas);
        QCOMPARE(f.st.config().rutas(Sentido::Recibo), RutasLocales{});
    }
};

QTEST_GUILESS_MAIN(PruebaConfiguracion)
#include "test_configuracion.moc"

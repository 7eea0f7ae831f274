#include <QFile>
#include <QFileInfo>
#include <QTest>

#include "Archivos.h"
#include "DatosOficina.h"
#include "Fixture.h"
#include "platform/fs.h"
#include "records/ArchivosaEnviar.h"
#include "records/Avisos.h"
#include "records/Bitacora.h"

using namespace korva;
using namespace korva::test;

namespace {

// The office (DatosOficina.h) with no centre.
struct Oficina : Fixture {
    QString envio, recibo;
    Oficina() {
        const oficina::Carpetas c = oficina::describe(st, tmp.path());
        envio = c.envio;
        recibo = c.recibo;
    }
    QString archivo(const QString& nombre, const QDateTime& t) {
        const QString r = fs::une(envio, nombre);
        escribe(r, "x");
        QFile f(r);
        f.open(QIODevice::ReadWrite);
        f.setFileTime(t, QFileDevice::FileModificationTime);
        return r;
    }
};

} // namespace

class PruebaRegistros : public QObject {
    Q_OBJECT
private slots:
    // --- daily log -----------------------------------------------------------

    void nombreDelLogPorPatenteYDia() {
        QCOMPARE(nombreLog("4321", 7), QStringLiteral("43217.log"));
        QCOMPARE(nombreLog("4321", 200), QStringLiteral("4321200.log"));
        QCOMPARE(nombreLog("4321", 45), QStringLiteral("432145.log"));
    }

    void registraEnLogAgregaLineasYEntradas() {
        Oficina o;
        o.reloj.pon(QDateTime(QDate(2026, 2, 14), QTime(14, 5, 9)));
        QVERIFY(registraEnLog(o.ctx, EventoLog::Enviado, "m4321123.045"));
        o.reloj.avanza(60);
        QVERIFY(registraEnLog(o.ctx, EventoLog::Recibido, "m4321123.err"));
        QCOMPARE(lee(o.recibo + "/432145.log"),
                 QByteArray("E - m4321123.045 - 14:05:09\r\nR - m4321123.err - 14:06:09\r\n"));
        QCOMPARE(o.st.pantalla().lista(Lista::Enviados), QStringList{"m4321123.045 - 14:05:09"});
        QCOMPARE(o.st.pantalla().lista(Lista::Recibidos), QStringList{"m4321123.err - 14:06:09"});

        // The path follows the day held by the main window: after midnight, a new file.
        o.st.ciclo().setDiaJulianoActual(46);
        QVERIFY(registraEnLog(o.ctx, EventoLog::Enviado, "m4321124.046"));
        QVERIFY(lee(o.recibo + "/432146.log").startsWith("E - m4321124.046"));
        QCOMPARE(lee(o.recibo + "/432145.log").count('\n'), 2);

        // An unwritable log is reported to the caller; the list still shows the event.
        o.st.config().setSlot(slot::DirRecibo, o.ruta("no-existe"));
        QVERIFY(!registraEnLog(o.ctx, EventoLog::Enviado, "m4321125.046"));
        QCOMPARE(o.st.pantalla().lista(Lista::Enviados).size(), 3);
    }

    void longitudDelNombreAlLeerElLog_data() {
        QTest::addColumn<QString>("linea");
        QTest::addColumn<int>("largo");
        QTest::addRow("m") << "E - m4321123.045 - 09:15:00" << 12;
        QTest::addRow("a with . in 9th place") << "R - a4321123.045 - 09:15:00" << 12;
        QTest::addRow("a without .") << "R - a4321123045.045 - 09:15:00" << 15;
        QTest::addRow("A upper case") << "R - A4321123045.045 - 09:15:00" << 15;
        QTest::addRow("s") << "E - s4321001123.045 - 09:15:00" << 15;
        QTest::addRow("r never long") << "R - r4321123045.045 - 09:15:00" << 12;
        QTest::addRow("e") << "E - e14321123.045 - 09:15:00" << 12;
        QTest::addRow("too short for a 9th") << "R - a43" << 15;
    }

    void longitudDelNombreAlLeerElLog() {
        QFETCH(QString, linea);
        QFETCH(int, largo);
        QCOMPARE(longitudNombreLog(linea), largo);
    }

    void cargaBitacoraReconstruyeLasListas() {
        Oficina o;
        QVERIFY(escribe(o.recibo + "/432145.log", "E - m4321123.045 - 09:15:00\r\n"
                                                  "R - m4321123.045 - 09:20:41\r\n"
                                                  "R - a4321123045.045 - 09:21:00\r\n"
                                                  "R - a4321123.045 - 09:22:00\r\n"
                                                  "X - corta\r\n"
                                                  "E - s4321001123.045 - 10:00:00\r\n"
                                                  "E - m4321124.045 - 10:05:00\r\r\n")); // doubled CR
        o.st.pantalla().agrega(Lista::Enviados, "ya estaba");
        CargaBitacora(o.ctx);
        QCOMPARE(o.st.pantalla().lista(Lista::Enviados),
                 (QStringList{"ya estaba", "m4321123.045 - 09:15:00", "s4321001123.045 - 10:00:00",
                              "m4321124.045 - 10:05:00"}));
        QCOMPARE(o.st.pantalla().lista(Lista::Recibidos),
                 (QStringList{"m4321123.045 - 09:20:41", "a4321123045.045 - 09:21:00",
                              "a4321123.045 - 09:22:00", "X - corta"}));
        QCOMPARE(o.st.pantalla().evento(), QStringLiteral("Listo para Iniciar..."));
    }

    void cargaBitacoraSinLogOSinUnidad() {
        Oficina o;
        CargaBitacora(o.ctx);
        QVERIFY(o.st.pantalla().lista(Lista::Enviados).isEmpty());
        QCOMPARE(o.st.pantalla().evento(), QStringLiteral("Listo para Iniciar..."));

        // A folder not starting with a drive (a network path): nothing is read.
        Oficina p;
        QVERIFY(escribe(p.recibo + "/432145.log", "E - m4321123.045 - 09:15:00\r\n"));
        p.ctx.plataforma = Plataforma::Windows;
        p.st.config().setSlot(slot::DirRecibo, "\\\\servidor\\recibo");
        CargaBitacora(p.ctx);
        QVERIFY(p.st.pantalla().lista(Lista::Enviados).isEmpty());
        QCOMPARE(p.st.pantalla().evento(), QStringLiteral("Cargando Bitácora..."));
    }

    // --- sent-files register ---------------------------------------------------

    void bitacoraCoincideMismoNombreYMismaHora() {
        Oficina o;
        const QDateTime t(QDate(2026, 2, 14), QTime(9, 5, 7));
        QCOMPARE(lineaBitacora("m4321123.045", t), QStringLiteral("m4321123.045|14/02/2026 09:05:07"));
        QVERIFY(agregaBitacora(o.st, "m4321123.045", t));
        QVERIFY(agregaBitacora(o.st, "m4321124.045", t.addSecs(5)));
        QCOMPARE(lee(o.envio + "/bitacora"),
                 QByteArray("m4321123.045|14/02/2026 09:05:07\r\nm4321124.045|14/02/2026 09:05:12\r\n"));

        LstBitacora lst;
        lst.carga(o.st);
        QCOMPARE(lst.items().size(), 2);
        QVERIFY(lst.contiene("m4321123.045", t));
        QVERIFY(lst.contiene("m4321123.045", t.addMSecs(400))); // the register keeps whole seconds
        QVERIFY(!lst.contiene("m4321123.045", t.addSecs(1)));   // the file changed: send it again
        QVERIFY(!lst.contiene("m4321124.045", t));
        QVERIFY(!lst.contiene("M4321123.045", t)); // names compare exactly
        lst.agrega("m4321125.045", t);
        QVERIFY(lst.contiene("m4321125.045", t));
    }

    // A register cut short (a crash, a full disk): the next line is a line of
    // its own, so the register still knows the file was sent.
    void agregaTrasUnaLineaSinTerminar_data() {
        QTest::addColumn<QByteArray>("antes");
        QTest::addRow("cut mid-line") << QByteArray("m4321122.045|14/02/20");
        QTest::addRow("ends in a lone CR") << QByteArray("m4321122.045|14/02/2026 09:00:00\r");
        QTest::addRow("whole lines") << QByteArray("m4321122.045|14/02/2026 09:00:00\r\n");
        QTest::addRow("empty") << QByteArray();
    }
    void agregaTrasUnaLineaSinTerminar() {
        QFETCH(QByteArray, antes);
        Oficina o;
        const QDateTime t(QDate(2026, 2, 14), QTime(9, 5, 7));
        QVERIFY(escribe(o.envio + "/bitacora", antes));
        QVERIFY(agregaBitacora(o.st, "m4321123.045", t));
        LstBitacora lst;
        lst.carga(o.st);
        QVERIFY(lst.contiene("m4321123.045", t));
        const QByteArray despues = lee(o.envio + "/bitacora");
        QVERIFY(despues.endsWith("m4321123.045|14/02/2026 09:05:07\r\n"));
        QCOMPARE(despues.count("\r\n"),
                 antes.count("\r\n") + (antes.endsWith("\r\n") || antes.isEmpty() ? 1 : 2));
    }

    // --- notices -----------------------------------------------------------------

    void avisosGeneralesPorRenglon_data() {
        QTest::addColumn<QByteArray>("contenido");
        QTest::addColumn<QStringList>("avisos");
        QTest::addRow("LF only") << QByteArray("uno\ndos\ntres") << QStringList{"uno", "dos", "tres"};
        QTest::addRow("LF only, final LF")
            << QByteArray("uno\ndos\ntres\n") << QStringList{"uno", "dos", "tres"};
        QTest::addRow("CR LF") << QByteArray("uno\r\ndos\r\n") << QStringList{"uno", "dos"};
        QTest::addRow("lone CR") << QByteArray("uno\rdos") << QStringList{"uno", "dos"};
        QTest::addRow("empty piece kept") << QByteArray("uno\n\ndos") << QStringList{"uno", "", "dos"};
        QTest::addRow("empty CR LF line kept")
            << QByteArray("uno\r\n\r\ndos\r\n") << QStringList{"uno", "", "dos"};
        QTest::addRow("mixed") << QByteArray("a\nb\r\nc") << QStringList{"a", "b", "c"};
        QTest::addRow("code page") << QByteArray("Atenci\xf3n\r\n")
                                   << QStringList{QStringLiteral("Atención")};
        QTest::addRow("empty file") << QByteArray() << QStringList{};
    }

    void avisosGeneralesPorRenglon() {
        QFETCH(QByteArray, contenido);
        QFETCH(QStringList, avisos);
        QCOMPARE(avisosGenerales(contenido), avisos);
    }

    void textoDelAvisoParticular_data() {
        QTest::addColumn<QByteArray>("contenido");
        QTest::addColumn<QString>("etiqueta");
        QTest::addRow("LF lines, leading blank") << QByteArray("Estimado cliente\nsu cuenta vence hoy\n")
                                                 << " Estimado cliente su cuenta vence hoy";
        QTest::addRow("commas as written") << QByteArray("Estimado cliente, su saldo es de $1,500.00\r\n")
                                           << "Estimado cliente, su saldo es de $1,500.00";
        QTest::addRow("quotes as written")
            << QByteArray("\"Hola, cliente\", adios\r\n") << "\"Hola, cliente\", adios";
        QTest::addRow("CR LF lines after a blank")
            << QByteArray("linea uno\r\n  linea dos\r\n") << "linea uno linea dos";
        QTest::addRow("LF inside quotes") << QByteArray("\"a, b\nc\"") << " \"a, b c\"";
        QTest::addRow("empty pieces between LFs") << QByteArray("a\n\nb") << " a  b";
    }

    void textoDelAvisoParticular() {
        QFETCH(QByteArray, contenido);
        QFETCH(QString, etiqueta);
        QCOMPARE(avisoParticular(contenido), etiqueta);
    }

    void avisosDeLaCarpetaDeRecibo() {
        Oficina o;
        o.st.pantalla().setEtiqueta(Etiqueta::AvisoParticular, "anterior");
        CargaAvisos(o.ctx);
        QCOMPARE(o.st.pantalla().lista(Lista::Mensajes), QStringList{"No hay avisos"});
        QCOMPARE(o.st.pantalla().etiqueta(Etiqueta::Despliega),
                 QStringLiteral("avisos... ")); // until the next rotation
        QCOMPARE(o.st.pantalla().etiqueta(Etiqueta::AvisoParticular), QStringLiteral("anterior"));

        QVERIFY(escribe(o.recibo + "/aviso.gen", "uno\r\ndos\r\n"));
        QVERIFY(escribe(o.recibo + "/aviso.txt", "Estimado cliente\nsu cuenta vence hoy\n"));
        CargaAvisos(o.ctx);
        QCOMPARE(o.st.pantalla().lista(Lista::Mensajes), (QStringList{"uno", "dos"}));
        QCOMPARE(o.st.pantalla().etiqueta(Etiqueta::Despliega), QStringLiteral("uno"));
        QCOMPARE(o.st.pantalla().etiqueta(Etiqueta::AvisoParticular),
                 QStringLiteral(" Estimado cliente su cuenta vence hoy"));
        QCOMPARE(o.st.pantalla().evento(), QStringLiteral("Cargando Avisos Generales..."));
        // An urgent first notice is red from the moment it shows.
        QVERIFY(escribe(o.recibo + "/aviso.gen", "**urgente\r\ndos\r\n"));
        CargaAvisos(o.ctx);
        QCOMPARE(o.st.pantalla().etiqueta(Etiqueta::Despliega), QStringLiteral("**urgente"));
        QCOMPARE(o.st.pantalla().colorAviso(), ColorAviso::Rojo);

        // No drive: the list is emptied and nothing else is read.
        o.st.config().setSlot(slot::DirRecibo, "recibo");
        o.st.pantalla().setEtiqueta(Etiqueta::AvisoParticular, "anterior");
        CargaAvisos(o.ctx);
        QVERIFY(o.st.pantalla().lista(Lista::Mensajes).isEmpty());
        QCOMPARE(o.st.pantalla().etiqueta(Etiqueta::AvisoParticular), QStringLiteral("anterior"));
        RotaAvisos(o.st);
        QCOMPARE(o.st.pantalla().etiqueta(Etiqueta::Despliega), QString());
        QCOMPARE(o.st.pantalla().colorAviso(), ColorAviso::Azul);
    }

    void rotacionEnTurnoConColores() {
        Oficina o;
        o.st.pantalla().setLista(Lista::Mensajes, {"A", "**B", "C"});
        const QList<QPair<QString, ColorAviso>> esperado = {{"A", ColorAviso::Azul},
                                                            {"**B", ColorAviso::Rojo},
                                                            {"C", ColorAviso::Azul},
                                                            {"A", ColorAviso::Azul}};
        for (const auto& [texto, color] : esperado) {
            RotaAvisos(o.st);
            QCOMPARE(o.st.pantalla().etiqueta(Etiqueta::Despliega), texto);
            QCOMPARE(o.st.pantalla().colorAviso(), color);
        }
        // A shorter list after a new download: the index wraps instead of pointing past the end.
        o.st.pantalla().setIndiceAviso(2);
        o.st.pantalla().setLista(Lista::Mensajes, {"**solo"});
        RotaAvisos(o.st);
        QCOMPARE(o.st.pantalla().etiqueta(Etiqueta::Despliega), QString());
        RotaAvisos(o.st);
        QCOMPARE(o.st.pantalla().etiqueta(Etiqueta::Despliega), QStringLiteral("**solo"));
        QCOMPARE(o.st.pantalla().colorAviso(), ColorAviso::Rojo);
    }

    // --- manual send selection --------------------------------------------------

    void dosDeTresSeleccionados() {
        for (const bool tachar : {true, false}) {
            Oficina o;
            const QDateTime t(QDate(2026, 2, 14), QTime(8, 0, 0));
            QStringList envio{"m4321001.045", "m4321002.045", "m4321003.045"};
            for (const QString& n : envio)
                o.archivo(n, t);
            o.dlg.responde(tachar);
            o.dlg.guionEnvio = [](ArchivosaEnviar& f) {
                QCOMPARE(f.LstEnviar().size(), 3);
                QVERIFY(!f.seleccionado(0));
                f.setSeleccionado(0, true);
                f.setSeleccionado(2, true);
                QVERIFY(f.CmdEnviarArchivos_Click());
                QCOMPARE(f.LstNoEnviar(), QStringList{"m4321002.045"});
            };
            o.dlg.elige(o.ctx, envio);
            QCOMPARE(envio, (QStringList{"m4321001.045", "m4321003.045"}));
            QCOMPARE(o.dlg.registros.size(), 1);
            QCOMPARE(o.dlg.registros[0].texto,
                     QStringLiteral("¿Deseas borrar de la lista los archivos no seleccionados?"));
            QCOMPARE(o.dlg.registros[0].titulo, QStringLiteral("KORVA Centro de Prevalidacion"));
            LstBitacora lst;
            lst.carga(o.st);
            QCOMPARE(lst.contiene("m4321002.045", t), tachar);
            QCOMPARE(lst.items().size(), tachar ? 1 : 0);
            QCOMPARE(o.st.TxtActualizar(), QStringLiteral("0"));
        }
    }

    void ningunoSeleccionado() {
        Oficina o;
        const QDateTime t(QDate(2026, 2, 14), QTime(8, 0, 0));
        QStringList envio{"m4321001.045", "m4321002.045"};
        for (const QString& n : envio)
            o.archivo(n, t);
        // Back to the list first, then no, then strike everything off.
        o.dlg.responde(true);
        o.dlg.responde(false);
        o.dlg.responde(true);
        o.dlg.guionEnvio = [](ArchivosaEnviar& f) {
            QVERIFY(!f.CmdEnviarArchivos_Click());
            QVERIFY(!f.cerrada());
            QCOMPARE(f.LstEnviar().size(), 2);
            QVERIFY(f.CmdEnviarArchivos_Click());
        };
        o.dlg.elige(o.ctx, envio);
        QVERIFY(envio.isEmpty());
        QCOMPARE(o.dlg.textos().value(0),
                 QStringLiteral("No has seleccionado ningun archivo ¿Deseas volver a la "
                                "lista para seleccionar archivos?"));
        QCOMPARE(o.dlg.textos().size(), 3);
        LstBitacora lst;
        lst.carga(o.st);
        QVERIFY(lst.contiene("m4321001.045", t));
        QVERIFY(lst.contiene("m4321002.045", t));
    }

    void todosSeleccionadosNoPregunta() {
        Oficina o;
        QStringList envio{"m4321001.045", "m4321002.045"};
        o.dlg.guionEnvio = [](ArchivosaEnviar& f) {
            f.setSeleccionado(0, true);
            QCOMPARE(f.captionSelectAll(), QStringLiteral("&Todos"));
            f.CmdSelectAll_Click();
            QVERIFY(f.seleccionado(0) && f.seleccionado(1));
            QCOMPARE(f.captionSelectAll(), QStringLiteral("&Ninguno"));
            f.CmdSelectAll_Click();
            QVERIFY(!f.seleccionado(0) && !f.seleccionado(1));
            QCOMPARE(f.captionSelectAll(), QStringLiteral("&Todos"));
            f.CmdSelectAll_Click();
            QVERIFY(f.CmdEnviarArchivos_Click());
        };
        o.dlg.elige(o.ctx, envio);
        QCOMPARE(envio, (QStringList{"m4321001.045", "m4321002.045"}));
        QVERIFY(o.dlg.registros.isEmpty());
    }

    void actualizarCancelarYCerrar() {
        Oficina o;
        QStringList envio{"m4321001.045"};
        o.st.setTxtActualizar("1");
        o.dlg.guionEnvio = [&o](ArchivosaEnviar& f) {
            QCOMPARE(o.st.TxtActualizar(), QStringLiteral("0")); // cleared on opening
            f.setSeleccionado(0, true);
            QVERIFY(f.CmdActualizar_Click());
        };
        o.dlg.elige(o.ctx, envio);
        QVERIFY(envio.isEmpty());
        QCOMPARE(o.st.TxtActualizar(), QStringLiteral("1"));

        envio = QStringList{"m4321001.045"};
        o.dlg.guionEnvio = [](ArchivosaEnviar& f) { QVERIFY(f.CmdCancelar_Click()); };
        o.dlg.elige(o.ctx, envio);
        QVERIFY(envio.isEmpty());
        QCOMPARE(o.st.TxtActualizar(), QStringLiteral("0"));

        envio = QStringList{"m4321001.045"};
        o.dlg.guionEnvio = nullptr; // the close box
        o.dlg.elige(o.ctx, envio);
        QVERIFY(envio.isEmpty());
        QVERIFY(!fs::existeArchivo(o.envio + "/bitacora"));
    }

    void archivoDesaparecidoSeReportaYSeOmite() {
        Oficina o;
        const QDateTime t(QDate(2026, 2, 14), QTime(8, 0, 0));
        QStringList envio{"m4321001.045", "m4321002.045", "m4321003.045"};
        o.archivo("m4321001.045", t);
        o.archivo("m4321003.045", t);
        o.dlg.responde(true);
        o.dlg.guionEnvio = [](ArchivosaEnviar& f) {
            f.setSeleccionado(0, true);
            QVERIFY(f.CmdEnviarArchivos_Click());
            QCOMPARE(f.noEncontrados(), QStringList{"m4321002.045"});
        };
        o.dlg.elige(o.ctx, envio);
        QCOMPARE(envio, QStringList{"m4321001.045"});
        QVERIFY(o.dlg.textos().last().contains("m4321002.045"));
        QCOMPARE(lee(o.envio + "/bitacora"), QByteArray("m4321003.045|14/02/2026 08:00:00\r\n"));
    }
};

QTEST_GUILESS_MAIN(PruebaRegistros)
#include "test_registros.moc"

// Faults met while a cycle runs, against the simulated centre and the real
// client: whatever breaks, no file is lost, no part of a file sits under a
// final name, the broker is told, and a later cycle finishes the work alone.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "Archivos.h"
#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include "Oficina4321.h"
#include "comun/Transferencia.h"
#include "cycle/Ciclo.h"
#include "exchange/Descargas.h"
#include "platform/Latido.h"
#include "platform/fs.h"
#include "records/ArchivosaEnviar.h"
#include "records/Bitacora.h"

using namespace korva;
using namespace korva::test;

namespace {

const QString kEnviado = QStringLiteral("m4321123.045");
const QString kRespuesta = QStringLiteral("m4321123.err");

// Every file, hidden ones too: a download's temporary file is hidden.
QStringList todo(const QString& carpeta) {
    return QDir(carpeta).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}
// Random bytes, so a truncated copy can never compare equal.
QByteArray azar(qsizetype n) {
    QList<quint32> palabras((n + 3) / 4);
    QRandomGenerator g{quint32(n)};
    g.fillRange(palabras.data(), palabras.size());
    return QByteArray(reinterpret_cast<const char*>(palabras.constData()), n);
}
OpcionesCentro tls() {
    OpcionesCentro o;
    o.tls = true;
    return o;
}

// A full disk as the process meets it: every write past the limit fails
// (EFBIG rather than ENOSPC), for root too. Processes already running, such
// as the centre, keep their own limit.
class DiscoLleno {
public:
    explicit DiscoLleno(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &antes_);
        senal_ = std::signal(SIGXFSZ, SIG_IGN); // the write fails instead of ending the test
        rlimit r = antes_;
        r.rlim_cur = bytes;
        activo_ = setrlimit(RLIMIT_FSIZE, &r) == 0;
    }
    ~DiscoLleno() {
        setrlimit(RLIMIT_FSIZE, &antes_);
        std::signal(SIGXFSZ, senal_);
    }
    bool activo() const { return activo_; }

private:
    rlimit antes_{};
    void (*senal_)(int) = SIG_DFL;
    bool activo_ = false;
};

// A helper's failed check ends the test, not the helper alone.
#define SIGUE(paso)                                                                                          \
    do {                                                                                                     \
        paso;                                                                                                \
        if (QTest::currentTestFailed())                                                                      \
            return;                                                                                          \
    } while (0)

QString logDelDia(Oficina4321& o) { return o.recibo + QStringLiteral("/432145.log"); }

} // namespace

class PruebaFallas : public QObject {
    Q_OBJECT

    // The file to send is where the broker left it, and no trace says it went.
    static void sinEnviar(Oficina4321& o, const QByteArray& contenido) {
        QCOMPARE(lee(o.envio + "/" + kEnviado), contenido);
        QVERIFY(todo(o.envio + "/Pend").isEmpty());
        QVERIFY(todo(o.envio + "/Enviados").isEmpty());
        QVERIFY(!lee(o.envio + "/bitacora").contains(kEnviado.toLatin1()));
        QVERIFY(o.st().pantalla().lista(Lista::Enviados).isEmpty());
        QVERIFY(!QFile::exists(logDelDia(o)));
    }

    // A response awaited: still pending, nothing under its name in the
    // receive folder, not listed as received.
    static void sinRecibir(Oficina4321& o) {
        QCOMPARE(todo(o.envio + "/Pend"), QStringList{kEnviado});
        QVERIFY2(!todo(o.recibo).contains(kRespuesta), qPrintable(todo(o.recibo).join(' ')));
        for (const QString& n : todo(o.recibo))
            QVERIFY2(!n.startsWith(QLatin1Char('.')), qPrintable(n)); // no download left half-way
        QVERIFY(o.st().pantalla().lista(Lista::Recibidos).isEmpty());
        QCOMPARE(o.st().pantalla().lista(Lista::Pendientes).first(),
                 kEnviado + QStringLiteral(" - 14:03  En Espera"));
    }

    // The road of the file from the send folder to its response, in two
    // cycles against a healthy centre (its response is asked for from the
    // cycle after the upload).
    static void recupera(Oficina4321& o, CentroSimulado& c, const QByteArray& contenido) {
        EjecutaCiclo(o.ctx());
        QCOMPARE(lee(c.ruta("REC/" + kEnviado)), contenido);
        QCOMPARE(todo(o.envio + "/Pend"), QStringList{kEnviado});
        QCOMPARE(lee(o.envio + "/Enviados/" + kEnviado), contenido);
        EjecutaCiclo(o.ctx());
        QVERIFY(lee(o.recibo + "/" + kRespuesta).startsWith("KORVA Centro de Prevalidacion"));
        QVERIFY(todo(o.envio + "/Pend").isEmpty());
        QCOMPARE(o.st().pantalla().lista(Lista::Enviados).size(), 1);
        QCOMPARE(o.st().pantalla().lista(Lista::Recibidos).size(), 1);
        QCOMPARE(o.st().pantalla().lista(Lista::Pendientes), QStringList{"No hay Archivos Pedientes"});
        QCOMPARE(c.cuenta("STOR REC/" + kEnviado), 1);
        QVERIFY(!o.ftp->conectado());
    }

    // A pending file whose response waits on the centre, large enough to be
    // cut in the middle.
    static QByteArray esperaRespuesta(Oficina4321& o, CentroSimulado& c, qsizetype largo) {
        const QByteArray r = azar(largo);
        if (!pon(o.envio + "/Pend/" + kEnviado, "500|1|4321|\r\n") || !c.pon("ENV/" + kRespuesta, r))
            return {};
        return r;
    }

    static void recibeCompleta(Oficina4321& o, const QByteArray& respuesta) {
        EjecutaCiclo(o.ctx());
        QCOMPARE(lee(o.recibo + "/" + kRespuesta), respuesta);
        QVERIFY(todo(o.envio + "/Pend").isEmpty());
        QCOMPARE(o.st().pantalla().lista(Lista::Recibidos).size(), 1);
        QVERIFY(lee(logDelDia(o)).startsWith("R - " + kRespuesta.toLatin1()));
    }

private slots:
    void conexionRechazadaYCentroDeVuelta() {
        Oficina4321 o;
        {
            CentroSimulado c;
            QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
            o.conecta(c); // stopped at the end of this block: its port refuses
        }
        const QByteArray datos = "500|1|4321|\r\n";
        QVERIFY(pon(o.envio + "/" + kEnviado, datos));
        EjecutaCiclo(o.ctx());
        QCOMPARE(o.st().pantalla().evento(), QStringLiteral("ERROR al conectar- 25711"));
        QCOMPARE(o.ventana.codigos, QList<qint32>{25711});
        SIGUE(sinEnviar(o, datos));

        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        o.conecta(c);
        SIGUE(recupera(o, c, datos));
    }

    void contrasenaMalaYLuegoCorregida() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        o.st().config().setSlot(slot::ContrasenaFtp, QStringLiteral("mala"));
        const QByteArray datos = "500|1|4321|\r\n";
        QVERIFY(pon(o.envio + "/" + kEnviado, datos));
        EjecutaCiclo(o.ctx());
        QCOMPARE(o.st().pantalla().evento(), QStringLiteral("ERROR al conectar- 25741"));
        QCOMPARE(o.ventana.codigos, QList<qint32>{25741});
        QCOMPARE(c.cuenta("LOGIN"), 0);
        SIGUE(sinEnviar(o, datos));

        o.st().config().setSlot(slot::ContrasenaFtp, c.contrasena());
        SIGUE(recupera(o, c, datos));
    }

    // A refused login ends the cycle's transfers after one report: ten files
    // would be ten logins refused, and a centre may lock the account.
    void accesoRechazadoTerminaElCiclo() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        o.st().config().setSlot(slot::ContrasenaFtp, QStringLiteral("mala"));
        for (int i = 1; i <= 3; ++i) {
            QVERIFY(pon(o.envio + QStringLiteral("/m432110%1.045").arg(i), "500|1|4321|\r\n"));
            QVERIFY(pon(o.envio + QStringLiteral("/Pend/b432120%1.045").arg(i), "500|1|4321|\r\n"));
        }
        o.st().setCaptionInicio(QStringLiteral("&Detener")); // running, password changed since
        EjecutaCiclo(o.ctx());
        QCOMPARE(c.cuenta("PASS"), 1);
        QCOMPARE(o.ventana.codigos, QList<qint32>{25741});
        // Every cycle would be refused the same: the program stops and says why.
        QVERIFY(!o.st().iniciado());
        QVERIFY(o.ventana.fallas.last().contains(QStringLiteral("rechazó el usuario o la contraseña")));
    }

    // An upload the centre refuses is said by its name, in the window once a
    // run and to the broker's desktop, and tried again next cycle.
    void envioRechazadoSeInforma() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        QSignalSpy rechazos(&o.st(), &EstadoPrincipal::envioRechazado);
        QVERIFY(c.orden(QStringLiteral("rechaza-stor")));
        const QByteArray datos = "500|1|4321|\r\n";
        QVERIFY(pon(o.envio + "/" + kEnviado, datos));
        EjecutaCiclo(o.ctx());
        EjecutaCiclo(o.ctx());
        QCOMPARE(c.cuenta("STOR REC/" + kEnviado), 2);
        QCOMPARE(
            o.ventana.fallas,
            QStringList{"ERROR: el centro no aceptó " + kEnviado +
                        " (25753 El nombre del archivo especificado es invalido.); se enviará de nuevo en el "
                        "siguiente ciclo"});
        QCOMPARE(rechazos.size(), 2);
        SIGUE(sinEnviar(o, datos));
        QVERIFY(c.orden(QStringLiteral("acepta-stor")));
        EjecutaCiclo(o.ctx());
        QCOMPARE(lee(c.ruta("REC/" + kEnviado)), datos);
    }

    // The centre closes the idle session while the broker chooses in the
    // manual send window: a new session is opened once, and the choice goes.
    void sesionCerradaDuranteLaSeleccion() {
        CentroSimulado c(tls());
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        o.st().config().setChk(slot::EnvioAutomatico, false);
        QVERIFY(pon(o.envio + "/" + kEnviado, "500|1|4321|\r\n"));
        QCOMPARE(ConnectToHost(o.ctx()), 0); // the cycle's session, open before the window
        o.f.dlg.guionEnvio = [&](ArchivosaEnviar& v) {
            QVERIFY(c.orden(QStringLiteral("cierra-sesiones")));
            v.CmdSelectAll_Click();
            v.CmdEnviarArchivos_Click();
        };
        EjecutaCiclo(o.ctx());
        QCOMPARE(c.cuenta("STOR REC/" + kEnviado), 1);
        QVERIFY(o.ventana.codigos.isEmpty());
        QVERIFY(lee(o.envio + "/bitacora").contains(kEnviado.toLatin1()));
    }

    void centroCaeDuranteElEnvio() {
        Oficina4321 o;
        const QByteArray datos = azar(4 << 20);
        {
            CentroSimulado c;
            QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
            o.conecta(c);
            QVERIFY(pon(o.envio + "/" + kEnviado, datos));
            QVERIFY(c.orden(QStringLiteral("muere-subida 65536")));
            EjecutaCiclo(o.ctx());
            QTRY_VERIFY(!c.vivo());
            QVERIFY(QFileInfo(c.ruta("REC/" + kEnviado)).size() < datos.size()); // cut in the middle
        }
        // The lost connection is reported once; the status line names the
        // file that did not go, with the same code.
        QVERIFY2(QRegularExpression(QStringLiteral("^ERROR al enviar m4321123\\.045 - 257(16|24|15)$"))
                     .match(o.st().pantalla().evento())
                     .hasMatch(),
                 qPrintable(o.st().pantalla().evento()));
        QCOMPARE(o.ventana.codigos.size(), 1);
        QVERIFY(o.st().pantalla().evento().endsWith(QString::number(o.ventana.codigos.first())));
        QVERIFY(!o.ftp->conectado());
        SIGUE(sinEnviar(o, datos));

        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        o.conecta(c);
        SIGUE(recupera(o, c, datos));
    }

    void envioCortadoDaSuCodigo() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        QVERIFY(pon(o.envio + "/" + kEnviado, azar(4 << 20)));
        QCOMPARE(ConnectToHost(o.ctx()), 0);
        QVERIFY(c.orden(QStringLiteral("muere-subida 65536")));
        const qint16 rc = SendFile(o.ctx(), o.envio + "/" + kEnviado, "REC/" + kEnviado);
        // A write to a dead peer, or the dead peer's silence after the data.
        QVERIFY2(rc == 25716 || rc == 25724 || rc == 25715, qPrintable(QString::number(rc)));
        QVERIFY(!o.ftp->conectado());
    }

    void centroCaeDuranteLaDescarga() {
        Oficina4321 o;
        QByteArray respuesta;
        {
            CentroSimulado c;
            QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
            o.conecta(c);
            respuesta = esperaRespuesta(o, c, 4 << 20);
            QVERIFY(!respuesta.isEmpty());
            QVERIFY(c.orden(QStringLiteral("muere-tras 200000")));
            EjecutaCiclo(o.ctx());
            QTRY_VERIFY(!c.vivo());
        }
        QCOMPARE(o.st().pantalla().evento(), QStringLiteral("Pendiente - ") + kRespuesta);
        // A lost connection, unlike a response not there yet, is reported (once).
        QCOMPARE(o.ventana.codigos.size(), 1);
        QVERIFY2(QList<qint32>({25715, 25724}).contains(o.ventana.codigos.first()),
                 qPrintable(QString::number(o.ventana.codigos.first())));
        SIGUE(sinRecibir(o));

        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        QVERIFY(c.pon("ENV/" + kRespuesta, respuesta));
        o.conecta(c);
        SIGUE(recibeCompleta(o, respuesta));
    }

    void centroCaeDuranteElRegistro001() {
        const QStringList nombres{"m4321001.r001", "m4321002.r001", "m4321003.r001"};
        QList<QByteArray> datos{azar(3000), azar(4 << 20), azar(5000)};
        Oficina4321 o;
        o.st().config().setChk(slot::BajarRegistro001, true);
        {
            CentroSimulado c;
            QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
            o.conecta(c);
            for (int i = 0; i < nombres.size(); ++i)
                QVERIFY(c.pon("ENV/" + nombres[i], datos[i]));
            QVERIFY(c.orden(QStringLiteral("muere-tras 200000")));
            o.st().ciclo().setContadorRegistro001(61);
            EjecutaCiclo(o.ctx());
            QTRY_VERIFY(!c.vivo());
            for (int i = 0; i < nombres.size(); ++i)
                QCOMPARE(lee(c.ruta("ENV/" + nombres[i])), datos[i]); // none deleted on the centre
        }
        QCOMPARE(int(o.st().ciclo().ContadorRegistro001()), 0);
        QVERIFY(o.st().sesion().mostrarErrores());
        QVERIFY(o.ventana.codigos.isEmpty()); // the download runs without error windows
        QVERIFY2(o.st().pantalla().evento().startsWith(QStringLiteral("Esta pendiente el archivo - ")),
                 qPrintable(o.st().pantalla().evento()));
        QVERIFY(todo(o.recibo).isEmpty());
        // Whatever reached the staging folder is whole, and nothing is half-way.
        for (const QString& n : todo(o.envio + "/Pend")) {
            const qsizetype i = nombres.indexOf(n);
            QVERIFY2(i >= 0, qPrintable(n));
            QCOMPARE(lee(o.envio + "/Pend/" + n), datos[i]);
        }

        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        for (int i = 0; i < nombres.size(); ++i)
            QVERIFY(c.pon("ENV/" + nombres[i], datos[i]));
        o.conecta(c);
        o.st().ciclo().setContadorRegistro001(61);
        EjecutaCiclo(o.ctx());
        for (int i = 0; i < nombres.size(); ++i) {
            QCOMPARE(lee(o.recibo + "/" + nombres[i]), datos[i]);
            QVERIFY(!QFile::exists(c.ruta("ENV/" + nombres[i])));
        }
        QVERIFY(todo(o.envio + "/Pend").isEmpty());
        QCOMPARE(o.st().pantalla().lista(Lista::Pendientes), QStringList{"No hay Archivos Pedientes"});
    }

    void conexionDeDatosDetenida() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        const QByteArray respuesta = esperaRespuesta(o, c, 4 << 20);
        QVERIFY(!respuesta.isEmpty());
        QVERIFY(c.orden(QStringLiteral("pausa-tras 100000")));
        QElapsedTimer t;
        t.start();
        EjecutaCiclo(o.ctx());
        QVERIFY2(t.elapsed() < 10000, qPrintable(QString::number(t.elapsed()))); // the stall time-out, 3 s
        QCOMPARE(o.st().pantalla().evento(), QStringLiteral("Pendiente - ") + kRespuesta);
        QCOMPARE(ReceiveFile(o.ctx(), o.recibo + "/" + kRespuesta, "ENV/" + kRespuesta), 25717);
        DisconnectFromHost(o.ctx());
        SIGUE(sinRecibir(o));
        QVERIFY(c.vivo());

        // The same centre flowing again.
        QVERIFY(c.orden(QStringLiteral("pausa-tras")));
        SIGUE(recibeCompleta(o, respuesta));
    }

    // A response whose transfer stalls ends the cycle's transfers; the next
    // cycle begins after it, so the others are searched.
    void respuestaDetenidaNoFrenaALasDemas() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        for (int i = 1; i <= 3; ++i) {
            const QString n = QStringLiteral("m432110%1.045").arg(i);
            QVERIFY(pon(o.envio + "/Pend/" + n, "500|1|4321|\r\n"));
            QVERIFY(c.pon("ENV/" + n.left(8) + ".err", "respuesta"));
        }
        QVERIFY(c.orden(QStringLiteral("pausa-tras 0")));
        EjecutaCiclo(o.ctx());
        QCOMPARE(o.ventana.codigos, QList<qint32>{25717});
        const int antes = int(c.bitacora().size());
        EjecutaCiclo(o.ctx());
        QStringList pedidos;
        for (const QString& l : c.bitacora().mid(antes))
            if (l.startsWith("RETR "))
                pedidos << l;
        QCOMPARE(pedidos.value(0), QStringLiteral("RETR ENV/m4321102.err"));
        QVERIFY(c.orden(QStringLiteral("pausa-tras")));
        EjecutaCiclo(o.ctx());
        EjecutaCiclo(o.ctx());
        QVERIFY(todo(o.envio + "/Pend").isEmpty());
    }

    // A response too large to keep: said with its name once, and not
    // downloaded again every cycle.
    void respuestaDemasiadoGrandeNoSeVuelveAPedir() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        QVERIFY(!esperaRespuesta(o, c, 10).isEmpty());
        QFile remoto(c.ruta("ENV/" + kRespuesta));
        QVERIFY(remoto.open(QIODevice::ReadWrite) && remoto.resize(kDescargaMaxima + 1)); // sparse
        remoto.close();
        EjecutaCiclo(o.ctx());
        EjecutaCiclo(o.ctx());
        QCOMPARE(c.cuenta("RETR ENV/" + kRespuesta), 1);
        QCOMPARE(o.ventana.fallas.size(), 1);
        QVERIFY(o.ventana.fallas.first().contains(kRespuesta));
        QVERIFY(o.ventana.fallas.first().contains("excede el tamaño permitido"));
        SIGUE(sinRecibir(o));
    }

    // Once a session is encrypted its data goes encrypted or nothing goes;
    // whether it is encrypted is libcurl's to say, never a reply's code.
    void sesionCifradaONada_data() {
        QTest::addColumn<bool>("tls");
        QTest::addColumn<QString>("orden");
        QTest::addRow("centre refuses PROT P") << true << "rechaza-prot";
        QTest::addRow("plain centre answers PWD with 234") << false << "pwd-234";
    }
    void sesionCifradaONada() {
        QFETCH(bool, tls);
        QFETCH(QString, orden);
        OpcionesCentro oc;
        oc.tls = tls;
        CentroSimulado c(oc);
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        QVERIFY(c.orden(orden));
        const QByteArray datos = "500|1|4321|\r\n";
        QVERIFY(pon(o.envio + "/" + kEnviado, datos));
        EjecutaCiclo(o.ctx());
        const QString registro = QDir(o.ctx().carpetaPrograma).filePath(kArchivoCentrosTls);
        if (tls) {
            QCOMPARE(o.ventana.codigos, QList<qint32>{25797});
            QCOMPARE(c.cuenta("STOR"), 0);
            SIGUE(sinEnviar(o, datos));
            QVERIFY(lee(registro).startsWith("127.0.0.1 "));
            QCOMPARE(ConnectToHost(o.ctx()), 25797); // remembered: refused before any transfer
        } else {
            QCOMPARE(c.cuenta("STOR REC/" + kEnviado), 1);
            QVERIFY(!QFile::exists(registro));
            QCOMPARE(ConnectToHost(o.ctx()), 0);
            QVERIFY(!o.ftp->cifrado());
        }
    }

    // Ten responses awaited from a centre that goes silent: the cycle waits
    // out one time-out, logs in once, reports once, and the next cycle
    // fetches them all.
    void centroEnSilencioCuestaUnaEspera_data() {
        QTest::addColumn<QString>("calla");
        QTest::addColumn<QString>("habla");
        QTest::addRow("data connection") << "pausa-tras 0"
                                         << "pausa-tras";
        QTest::addRow("control connection") << "silencio"
                                            << "habla";
    }
    void centroEnSilencioCuestaUnaEspera() {
        QFETCH(QString, calla);
        QFETCH(QString, habla);
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        for (int i = 1; i <= 10; ++i) {
            const QString n = QStringLiteral("m4321%1.045").arg(100 + i);
            QVERIFY(pon(o.envio + "/Pend/" + n, "500|1|4321|\r\n"));
            QVERIFY(c.pon("ENV/" + n.left(8) + ".err", "respuesta"));
        }
        QCOMPARE(ConnectToHost(o.ctx()), 0);
        QVERIFY(c.orden(calla));
        QElapsedTimer t;
        t.start();
        EjecutaCiclo(o.ctx());
        const qint64 ms = t.elapsed();
        qInfo("one cycle against a silent centre, 10 pending, 3 s time-out: %lld ms", ms);
        QVERIFY2(ms < 4 * 3000, qPrintable(QString::number(ms))); // ten time-outs before
        QCOMPARE(c.cuenta("PASS"), 1);
        QCOMPARE(o.ventana.codigos, QList<qint32>{25717});
        QCOMPARE(en(o.envio + "/Pend").size(), 10);
        QVERIFY(en(o.recibo).isEmpty());

        QVERIFY(c.orden(habla));
        EjecutaCiclo(o.ctx());
        QVERIFY(en(o.envio + "/Pend").isEmpty());
        QCOMPARE(o.st().pantalla().lista(Lista::Recibidos).size(), 10);
    }

    void certificadoNoConfiableYLuegoCaInstalada() {
        CentroSimulado c(tls());
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        OpcionesCurl sinCA;
        sinCA.conexionMs = 3000;
        sinCA.estancadoS = 3;
        o.ftp = std::make_unique<ClienteFtpCurl>(sinCA);
        o.ctx().ftp = o.ftp.get();
        const QByteArray datos = "500|1|4321|\r\n";
        QVERIFY(pon(o.envio + "/" + kEnviado, datos));
        EjecutaCiclo(o.ctx());
        QCOMPARE(o.st().pantalla().evento(), QStringLiteral("ERROR al conectar- 25794"));
        QCOMPARE(o.ventana.codigos, QList<qint32>{25794});
        QCOMPARE(c.cuenta("USER"), 0); // no credentials over a link not trusted
        SIGUE(sinEnviar(o, datos));

        // The centre's CA in the program folder, as the program's own options read it.
        QVERIFY(QFile::copy(c.archivoCA(), QDir(o.ctx().carpetaPrograma).filePath(kArchivoCACentro)));
        OpcionesCurl delPrograma = ClienteFtpCurl::opcionesDelPrograma(o.ctx().carpetaPrograma);
        delPrograma.conexionMs = 3000;
        delPrograma.estancadoS = 3;
        o.ftp = std::make_unique<ClienteFtpCurl>(delPrograma);
        o.ctx().ftp = o.ftp.get();
        SIGUE(recupera(o, c, datos));
        QVERIFY(c.cuenta("AUTH") >= 1);
    }

    void centroQueDejaTlsNoRecibeLaContrasena() {
        CentroSimulado c(tls());
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        QVERIFY(pon(o.envio + "/" + kEnviado, "500|1|4321|\r\n"));
        EjecutaCiclo(o.ctx());
        QCOMPARE(c.cuenta("STOR REC/" + kEnviado), 1);

        // A later run, its response still awaited, meets a centre (or someone
        // in between) that answers AUTH with an error.
        QVERIFY(c.orden(QStringLiteral("rechaza-auth")));
        const int usuarios = c.cuenta("USER");
        o.conecta(c);
        EjecutaCiclo(o.ctx());
        QCOMPARE(o.ventana.codigos, QList<qint32>{25797});
        SIGUE(sinRecibir(o));
        QCOMPARE(ConnectToHost(o.ctx()), 25797);
        QCOMPARE(o.st().pantalla().evento(), QStringLiteral("ERROR al conectar- 25797"));
        QVERIFY(c.cuenta("AUTH") >= 2);
        QCOMPARE(c.cuenta("USER"), usuarios);

        // A centre that never offered TLS still works in plain FTP.
        CentroSimulado plano;
        QVERIFY2(plano.listo(), qPrintable(plano.diagnostico()));
        o.conecta(plano);
        QCOMPARE(ConnectToHost(o.ctx()), 0);
        QCOMPARE(o.st().pantalla().evento(),
                 QStringLiteral("Conexión Establecida... Sesión sin cifrar: el servidor no ofrece TLS"));
        DisconnectFromHost(o.ctx());

        QVERIFY(c.orden(QStringLiteral("acepta-auth")));
        o.conecta(c);
        EjecutaCiclo(o.ctx());
        QVERIFY(QFile::exists(o.recibo + "/" + kRespuesta));
    }

    // One odd name in the centre's general area is skipped and reported;
    // the notice listed after it arrives all the same.
    void nombresEnElAreaGeneral_data() {
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<qint64>("largo");
        QTest::addColumn<int>("codigo"); // 0: fetched like any notice
        QTest::addRow("no extension") << "LEEME" << qint64(40) << 0;
        QTest::addRow("name of 247") << QString(243, QLatin1Char('a')) + ".gen" << qint64(40) << 0;
        QTest::addRow("name of 248") << QString(244, QLatin1Char('a')) + ".gen" << qint64(40) << 25753;
        QTest::addRow("name of 255") << QString(251, QLatin1Char('a')) + ".gen" << qint64(40) << 25753;
        QTest::addRow("daily log") << "432145.log" << qint64(40) << 25753;
        QTest::addRow("patents list") << "usuarios.dat" << qint64(40) << 25753;
        QTest::addRow("configuration") << "ODBC3.reg" << qint64(40) << 25753;
        QTest::addRow("TLS record") << kArchivoCentrosTls << qint64(40) << 25753;
        QTest::addRow("register lines kept") << "atrasadas-0123456789ab.dat" << qint64(40) << 25753;
        QTest::addRow("64 MB") << "agrande.gen" << qint64(kDescargaMaxima) << 0;
        QTest::addRow("over 64 MB") << "agrande.gen" << qint64(kDescargaMaxima) + 1 << 25752;
    }
    void nombresEnElAreaGeneral() {
        QFETCH(QString, nombre);
        QFETCH(qint64, largo);
        QFETCH(int, codigo);
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        QVERIFY(c.pon("ENV/general/aviso.gen", "Aviso de hoy\r\n"));
        QFile remoto(c.ruta("ENV/general/" + nombre));
        QVERIFY(remoto.open(QIODevice::WriteOnly) && remoto.resize(largo)); // sparse: quick to serve
        remoto.close();
        const QString local = o.recibo + "/" + nombre;
        if (codigo == 25753)
            QVERIFY(pon(local, "propio"));

        ActualizaAvisos(o.ctx());
        QCOMPARE(lee(o.recibo + "/aviso.gen"), QByteArray("Aviso de hoy\r\n"));
        // Said by its name and why.
        QVERIFY(o.ventana.codigos.isEmpty());
        QCOMPARE(o.ventana.fallas.size(), codigo ? 1 : 0);
        if (codigo)
            QVERIFY(o.ventana.fallas.first().contains(nombre.left(20)) &&
                    o.ventana.fallas.first().contains(nombre.right(20)) &&
                    o.ventana.fallas.first().contains(QString::number(codigo)));
        if (codigo == 0)
            QCOMPARE(QFileInfo(local).size(), largo);
        else if (codigo == 25753)
            QCOMPARE(lee(local), QByteArray("propio"));
        else
            QVERIFY(!QFile::exists(local));
        for (const QString& n : todo(o.recibo))
            QVERIFY2(!n.startsWith(QLatin1Char('.')), qPrintable(n)); // no download left half-way
        DisconnectFromHost(o.ctx());
    }

    void carpetaDeReciboDeSoloLectura() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        const QByteArray respuesta = esperaRespuesta(o, c, 1000);
        QVERIFY(!respuesta.isEmpty());
        if (!soloLecturaReal(o.recibo, true))
            QSKIP("this file system keeps no immutable attribute, and root writes through permission bits");
        struct Quita {
            QString carpeta;
            ~Quita() { soloLecturaReal(carpeta, false); }
        } quita{o.recibo};
        QVERIFY(!QFile(o.recibo + "/prueba").open(QIODevice::WriteOnly));

        EjecutaCiclo(o.ctx());
        // Said, with its name and why, once in the window; searched again.
        const QString dicho = QStringLiteral("ERROR: no fue posible guardar la respuesta ") + kRespuesta +
                              " en " + o.recibo + "/" + kRespuesta + " (permiso denegado); sigue pendiente";
        QCOMPARE(o.st().pantalla().evento(), dicho);
        QCOMPARE(o.ventana.fallas, QStringList{dicho});
        EjecutaCiclo(o.ctx());
        QCOMPARE(o.ventana.fallas.size(), 1);
        QCOMPARE(ReceiveFile(o.ctx(), o.recibo + "/" + kRespuesta, "ENV/" + kRespuesta), 25737);
        DisconnectFromHost(o.ctx());
        SIGUE(sinRecibir(o));
        QVERIFY(todo(o.recibo).isEmpty());

        QVERIFY(soloLecturaReal(o.recibo, false));
        SIGUE(recibeCompleta(o, respuesta));
    }

    void discoLlenoDuranteLaDescarga() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        const QByteArray respuesta = esperaRespuesta(o, c, 1 << 20);
        QVERIFY(!respuesta.isEmpty());
        {
            DiscoLleno lleno(64 * 1024);
            QVERIFY(lleno.activo());
            EjecutaCiclo(o.ctx());
            QCOMPARE(o.ventana.fallas,
                     QStringList{QStringLiteral("ERROR: no fue posible guardar la respuesta ") + kRespuesta +
                                 " en " + o.recibo + "/" + kRespuesta +
                                 " (no hay espacio en el disco); sigue pendiente"});
            QCOMPARE(ReceiveFile(o.ctx(), o.recibo + "/" + kRespuesta, "ENV/" + kRespuesta), 25740);
            DisconnectFromHost(o.ctx());
        }
        SIGUE(sinRecibir(o));
        SIGUE(recibeCompleta(o, respuesta));
    }

    void discoLlenoRetieneElEnvio() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        const QByteArray datos = azar(256 * 1024);
        QVERIFY(pon(o.envio + "/" + kEnviado, datos));
        {
            DiscoLleno lleno(64 * 1024);
            QVERIFY(lleno.activo());
            EjecutaCiclo(o.ctx());
        }
        // Not sent without the Pend copy its response would be searched by.
        QCOMPARE(o.st().pantalla().evento(), QStringLiteral("ERROR: no fue posible copiar ") + kEnviado +
                                                 QStringLiteral(" a ") + o.envio +
                                                 QStringLiteral("/Pend (no hay espacio en el disco)"));
        QCOMPARE(c.cuenta("STOR REC/" + kEnviado), 0);
        QVERIFY(o.ventana.codigos.isEmpty());
        SIGUE(sinEnviar(o, datos)); // and no part of a copy under its final name, nor a leftover
        // Room again: sent once, and its response fetched.
        SIGUE(recupera(o, c, datos));
    }

    void bitacoraQueNoSeEscribeEnviaUnaVez_data() {
        QTest::addColumn<int>("falla");
        QTest::addColumn<int>("envios");    // uploads while the register cannot take the line
        QTest::addColumn<bool>("reinicia"); // the program killed and started again meanwhile
        QTest::addRow("read-only send folder") << 0 << 0 << false;
        QTest::addRow("register is a link") << 1 << 0 << false;
        QTest::addRow("disk full once sent") << 2 << 1 << false;
        QTest::addRow("disk full, program started again") << 2 << 1 << true;
        QTest::addRow("disk full, program folder read-only") << 3 << 1 << false;
    }
    void bitacoraQueNoSeEscribeEnviaUnaVez() {
        QFETCH(int, falla);
        QFETCH(int, envios);
        QFETCH(bool, reinicia);
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        QVERIFY(pon(o.envio + "/" + kEnviado, "500|1|4321|\r\n"));
        QVERIFY(QDir().mkpath(o.envio + "/Pend") && QDir().mkpath(o.envio + "/Enviados"));
        const QString registro = o.envio + "/bitacora", victima = o.f.ruta("victima");
        struct Quita {
            QString carpeta;
            ~Quita() { soloLecturaReal(carpeta, false); }
        } quita{o.envio}, quitaPrograma{o.ctx().carpetaPrograma};
        std::unique_ptr<DiscoLleno> lleno;
        if (falla == 0 && !soloLecturaReal(o.envio, true))
            QSKIP("this file system keeps no immutable attribute, and root writes through permission bits");
        if (falla == 1)
            QVERIFY(pon(victima, "victima") && QFile::link(victima, registro));
        if (falla == 3 && !soloLecturaReal(o.ctx().carpetaPrograma, true))
            QSKIP("this file system keeps no immutable attribute, and root writes through permission bits");
        if (falla >= 2) {
            QVERIFY(pon(registro, QByteArray(3000, 'x') + "\r\n")); // past the room left
            lleno = std::make_unique<DiscoLleno>(2048);
            QVERIFY(lleno->activo());
        }
        for (int i = 0; i < 4; ++i)
            EjecutaCiclo(o.ctx());
        if (reinicia) { // what the run held is gone; the start-up takes back what it kept
            // Another patent sending from the same folder keeps its lines apart.
            const QString usuario = o.st().config().TxtConfiguration(slot::Usuario);
            const QString propia = rutaAtrasadas(o.ctx());
            o.st().config().setSlot(slot::Usuario, QStringLiteral("a4322"));
            QVERIFY(rutaAtrasadas(o.ctx()) != propia);
            o.st().config().setSlot(slot::Usuario, usuario);
            o.st().atrasados().descarta();
            recuperaAtrasadas(o.ctx());
            EjecutaCiclo(o.ctx());
        }
        QCOMPARE(c.cuenta("STOR REC/" + kEnviado), envios);
        QVERIFY(!o.ventana.fallas.isEmpty());
        // Nowhere to keep the line: the broker is told what a restart would do.
        QCOMPARE(o.ventana.fallas.filter("se enviaría de nuevo").size(), falla == 3 ? 1 : 0);
        // The fault mended: sent once in all, and registered.
        lleno.reset();
        QVERIFY(falla != 3 || soloLecturaReal(o.ctx().carpetaPrograma, false));
        QVERIFY(falla != 0 || soloLecturaReal(o.envio, false));
        QVERIFY(falla != 1 || QFile::remove(registro));
        EjecutaCiclo(o.ctx());
        EjecutaCiclo(o.ctx());
        QCOMPARE(c.cuenta("STOR REC/" + kEnviado), 1);
        QVERIFY(lee(registro).contains(kEnviado.toLatin1()));
        QVERIFY(falla != 1 || lee(victima) == "victima");
        QVERIFY(!QFile::exists(rutaAtrasadas(o.ctx()))); // all written: nothing kept
    }

    void archivoAunEnEscrituraSeReenviaCompleto() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        const QString ruta = o.envio + "/" + kEnviado;
        QVERIFY(pon(ruta, "500|1|4321|\r\n", QDateTime(QDate(2026, 2, 14), QTime(9, 30, 0))));
        QVERIFY(c.orden(QStringLiteral("crece-al-subir ") + ruta)); // grows, same time, once sent
        EjecutaCiclo(o.ctx());
        // What went cut short is withdrawn, and its response never searched.
        QVERIFY(!QFile::exists(c.ruta("REC/" + kEnviado)));
        QCOMPARE(c.cuenta("DELE REC/" + kEnviado), 1);
        QVERIFY(todo(o.envio + "/Pend").isEmpty());
        QVERIFY(!lee(o.envio + "/bitacora").contains(kEnviado.toLatin1()));
        QCOMPARE(o.ventana.fallas.size(), 1);
        QVERIFY(o.ventana.fallas.first().contains(kEnviado));
        EjecutaCiclo(o.ctx());
        EjecutaCiclo(o.ctx());
        QCOMPARE(lee(c.ruta("REC/" + kEnviado)), QByteArray("500|1|4321|\r\nresto del archivo\r\n"));
        QCOMPARE(c.cuenta("STOR REC/" + kEnviado), 2);
    }

    // A file its writer finishes within the second the pass finds it: taken
    // only once quiet, so the whole file goes and is registered once.
    void archivoTerminadoJustoDespuesDeTomarlo() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        Latido latido;
        o.ctx().latido = &latido;
        o.ctx().msQuietud = 400;
        const QString ruta = o.envio + "/" + kEnviado;
        QVERIFY(pon(ruta, "500|1|4321|\r\n"));
        QTimer::singleShot(100, [&] {
            QFile f(ruta);
            QVERIFY(f.open(QIODevice::Append));
            f.write("800|fin|\r\n");
        });
        EjecutaCiclo(o.ctx());
        QCOMPARE(c.cuenta("STOR REC/" + kEnviado), 0);
        QVERIFY(!lee(o.envio + "/bitacora").contains(kEnviado.toLatin1()));
        EjecutaCiclo(o.ctx());
        QCOMPARE(lee(c.ruta("REC/" + kEnviado)), QByteArray("500|1|4321|\r\n800|fin|\r\n"));
        EjecutaCiclo(o.ctx());
        QCOMPARE(c.cuenta("STOR REC/" + kEnviado), 1);
    }

    // Stopped by the broker in the middle of an upload: the part that went
    // is withdrawn, so the centre has nothing cut short to answer, near or
    // distant (a login there takes seconds).
    void detenerAMitadDelEnvioRetiraLoSubido_data() {
        QTest::addColumn<QString>("retraso"); // of every reply
        QTest::addRow("near centre") << "0";
        QTest::addRow("distant centre") << "0.6";
    }
    void detenerAMitadDelEnvioRetiraLoSubido() {
        QFETCH(QString, retraso);
        OpcionesCentro oc;
        oc.argumentos = {QStringLiteral("--lento"), retraso};
        CentroSimulado c(oc);
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c, 15000);
        Latido latido;
        o.ctx().latido = &latido;
        o.ftp->setLatido(&latido);
        const QString local = o.envio + "/" + kEnviado;
        QVERIFY(pon(local, azar(32 << 20))); // more than the sockets buffer
        QVERIFY(c.orden(QStringLiteral("pausa-subida 65536")));
        QTimer vigia; // the stop once the centre holds part of the file
        QObject::connect(&vigia, &QTimer::timeout, [&] {
            if (QFileInfo(c.ruta("REC/" + kEnviado)).size() >= 65536)
                latido.cancela();
        });
        vigia.start(50);
        QCOMPARE(SendFile(o.ctx(), local, "REC/" + kEnviado), 25731);
        QCOMPARE(c.cuenta("DELE REC/" + kEnviado), 1);
        QVERIFY(!QFile::exists(c.ruta("REC/" + kEnviado)));
        QVERIFY(!o.ftp->conectado());
        QVERIFY(o.ventana.codigos.isEmpty()); // the broker's own stop
    }

    void envioCortadoDejaLaCopiaPendienteAnterior() {
        // The same name sent again (the broker rewrote it) while the first
        // send's response is still awaited.
        Oficina4321 o;
        QVERIFY(pon(o.envio + "/Pend/" + kEnviado, "primera version"));
        const QByteArray datos = azar(4 << 20);
        QVERIFY(pon(o.envio + "/" + kEnviado, datos));
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        o.conecta(c);
        QVERIFY(c.orden(QStringLiteral("muere-subida 65536")));
        EjecutaCiclo(o.ctx());
        QTRY_VERIFY(!c.vivo());
        QCOMPARE(todo(o.envio + "/Pend"), QStringList{kEnviado});
        QVERIFY(todo(o.envio + "/Enviados").isEmpty());
        QVERIFY(o.st().pantalla().lista(Lista::Enviados).isEmpty());
    }
};

QTEST_GUILESS_MAIN(PruebaFallas)
#include "test_fallas.moc"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTest>

#include "Archivos.h"
#include <memory>

#include "CentroSimulado.h"
#include "Fixture.h"
#include "VentanaErrorGrabadora.h"
#include "comun/Fallas.h"
#include "comun/Transferencia.h"
#include "platform/ClienteFtpCurl.h"
#include "platform/Soporte.h"

using namespace korva;
using namespace korva::test;

namespace {

// A run's state wired to the real libcurl client, its settings in the slots
// as the configuration record holds them.
struct Sesion {
    Fixture f;
    VentanaErrorGrabadora ventana;
    std::unique_ptr<ClienteFtpCurl> ftp;

    Sesion(const CentroSimulado& c, bool pasivo = true, bool confiaCA = true) {
        OpcionesCurl o = ClienteFtpCurl::opcionesDelPrograma(f.ctx.carpetaPrograma);
        o.archivoCA = confiaCA ? c.archivoCA() : QString();
        o.conexionMs = 3000;
        o.estancadoS = 3;
        ftp = std::make_unique<ClienteFtpCurl>(o);
        f.st.config().setSlot(slot::ServidorActual, QStringLiteral(" 127.0.0.1 "));
        f.st.config().setSlot(slot::Puerto, QString::number(c.puerto()) + QLatin1Char(' '));
        f.st.config().setSlot(slot::Usuario, c.usuario());
        f.st.config().setSlot(slot::ContrasenaFtp, c.contrasena());
        f.st.config().setChk(slot::Pasivo, pasivo);
        f.ctx.ftp = ftp.get();
        f.ctx.ventanaError = &ventana;
    }
    Contexto& ctx() { return f.ctx; }
    QString evento() const { return f.st.pantalla().evento(); }
};

OpcionesCentro opciones(bool tls, double retraso = 0, const QStringList& argumentos = {}) {
    OpcionesCentro o;
    o.tls = tls;
    o.retraso = retraso;
    o.argumentos = argumentos;
    return o;
}

quint16 puertoCerrado() {
    QTcpServer s;
    s.listen(QHostAddress::LocalHost);
    return s.serverPort(); // closed again when s goes
}

} // namespace

class PruebaTransferencia : public QObject {
    Q_OBJECT
private slots:
    void conectaUnaVezYReutiliza() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Sesion s(c);
        QCOMPARE(ConnectToHost(s.ctx()), 0);
        QCOMPARE(s.evento(),
                 QStringLiteral("Conexión Establecida... Sesión sin cifrar: el servidor no ofrece TLS"));
        QVERIFY(s.ftp->conectado());
        QVERIFY(!s.ftp->cifrado());
        QVERIFY(!QFile::exists(s.f.ruta(kArchivoCentrosTls)));

        // Open: no status text, settings not read again.
        s.f.st.pantalla().setEvento(QStringLiteral("x"));
        s.f.st.config().setSlot(slot::ContrasenaFtp, QStringLiteral("otra"));
        QCOMPARE(ConnectToHost(s.ctx()), 0);
        QCOMPARE(s.evento(), QStringLiteral("x"));

        const QString local = s.f.ruta(QStringLiteral("m4321123.045"));
        QVERIFY(escribe(local, "500|1|4321|\r\n"));
        QCOMPARE(SendFile(s.ctx(), local, QStringLiteral("REC/m4321123.045")), 0);
        QCOMPARE(ReceiveFile(s.ctx(), s.f.ruta(QStringLiteral("r.err")), QStringLiteral("ENV/m4321123.err")),
                 0);
        QCOMPARE(ReceiveFile(s.ctx(), s.f.ruta(QStringLiteral("no")), QStringLiteral("ENV/m4321999.err")),
                 25743);
        QVERIFY(c.pon(QStringLiteral("ENV/x.r001"), "1"));
        QCOMPARE(ReceiveMultipleFiles(s.ctx(), s.f.carpeta(QStringLiteral("st")), QStringLiteral("ENV"),
                                      QStringLiteral("*.r001")),
                 0);
        QCOMPARE(DeleteFiles(s.ctx(), QStringLiteral("ENV/x.r001")), 0);
        QCOMPARE(c.cuenta(QStringLiteral("LOGIN")), 1);
        QCOMPARE(c.cuenta(QStringLiteral("USER")), 1);
        QVERIFY(s.ventana.codigos.isEmpty());

        QCOMPARE(DisconnectFromHost(s.ctx()), 0);
        QVERIFY(!s.ftp->conectado());
        QTRY_COMPARE(c.cuenta(QStringLiteral("QUIT")), 1);
        // Closed: the next operation logs in again, with the changed password.
        QCOMPARE(ConnectToHost(s.ctx()), 25741);
        QCOMPARE(DisconnectFromHost(s.ctx()), 0);
    }

    void accesoFallidoEnCadaOperacion() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Sesion s(c);
        s.f.st.config().setSlot(slot::ContrasenaFtp, QStringLiteral("mala"));
        const QString local = s.f.ruta(QStringLiteral("m4321123.045"));
        QVERIFY(escribe(local, "x"));

        QCOMPARE(ConnectToHost(s.ctx()), 25741);
        QCOMPARE(s.evento(), QStringLiteral("ERROR al conectar- 25741"));
        QCOMPARE(SendFile(s.ctx(), local, QStringLiteral("REC/m4321123.045")), 25741);
        QCOMPARE(s.evento(), QStringLiteral("ERROR al conectar- 25741"));
        QCOMPARE(ReceiveFile(s.ctx(), local, QStringLiteral("ENV/m4321123.err")), 25741);
        QCOMPARE(s.evento(), QStringLiteral("ERROR en conexión "));
        QCOMPARE(ReceiveMultipleFiles(s.ctx(), s.f.tmp.path(), QStringLiteral("ENV"), QStringLiteral("*")),
                 25741);
        QCOMPARE(s.evento(), QStringLiteral("Error al conectar- 25741"));
        QCOMPARE(DeleteFiles(s.ctx(), QStringLiteral("ENV/x")), 25741);
        QCOMPARE(s.evento(), QStringLiteral("Error al conectar- 25741"));
        QCOMPARE(s.ventana.codigos, (QList<qint32>{25741, 25741, 25741, 25741, 25741}));
        QVERIFY(!s.ftp->conectado());
        QCOMPARE(c.cuenta(QStringLiteral("LOGIN")), 0);
        QCOMPARE(c.cuenta(QStringLiteral("STOR")), 0);

        s.f.st.sesion().setMostrarErrores(false);
        QCOMPARE(ConnectToHost(s.ctx()), 25741);
        QCOMPARE(s.ventana.codigos.size(), 5);
        QCOMPARE(DisconnectFromHost(s.ctx()), 0);
    }

    void servidoresInalcanzables() {
        CentroSimulado c; // only for its CA and user
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Sesion s(c);
        s.f.st.config().setSlot(slot::Puerto, QString::number(puertoCerrado()));
        QCOMPARE(ConnectToHost(s.ctx()), 25711);
        QCOMPARE(s.evento(), QStringLiteral("ERROR al conectar- 25711"));
        QCOMPARE(s.ventana.codigos, QList<qint32>{25711});
        reiniciaSesion(s.ctx()); // the next cycle tries again

        // A server that takes the connection and never greets: the stall
        // time-out ends it with a code instead of freezing the window.
        QTcpServer mudo;
        QVERIFY(mudo.listen(QHostAddress::LocalHost));
        s.f.st.config().setSlot(slot::Puerto, QString::number(mudo.serverPort()));
        QElapsedTimer t;
        t.start();
        QCOMPARE(ConnectToHost(s.ctx()), 25717);
        QVERIFY2(t.elapsed() < 8000, qPrintable(QString::number(t.elapsed())));
        reiniciaSesion(s.ctx());

        s.f.st.config().setSlot(slot::Puerto, QStringLiteral("puerto"));
        QCOMPARE(ConnectToHost(s.ctx()), 25707);
    }

    void enviaYRecibe_data() {
        QTest::addColumn<bool>("tls");
        QTest::addColumn<bool>("pasivo");
        QTest::addRow("plain passive") << false << true;
        QTest::addRow("plain active") << false << false;
        QTest::addRow("TLS passive") << true << true;
        QTest::addRow("TLS asked active") << true << false;
    }
    void enviaYRecibe() {
        QFETCH(bool, tls);
        QFETCH(bool, pasivo);
        CentroSimulado c(opciones(tls));
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Sesion s(c, pasivo);
        QByteArray grande(1 << 20, Qt::Uninitialized);
        QRandomGenerator gen(7);
        for (char& b : grande)
            b = char(gen.generate());
        const QString envio = s.f.carpeta(QStringLiteral("envio"));
        const QString recibo = s.f.carpeta(QStringLiteral("recibo"));
        QVERIFY(escribe(envio + QStringLiteral("/m4321123.045"), "500|1|4321|1230045|\r\n801|x|\r\n"));
        QVERIFY(escribe(envio + QStringLiteral("/grande.bin"), grande));
        QVERIFY(escribe(envio + QStringLiteral("/vacio"), {}));

        QCOMPARE(
            SendFile(s.ctx(), envio + QStringLiteral("/m4321123.045"), QStringLiteral("REC/m4321123.045")),
            0);
        QCOMPARE(s.evento(), QStringLiteral("Archivo Enviado.. "));
        QCOMPARE(s.ftp->cifrado(), tls);
        QCOMPARE(lee(c.ruta(QStringLiteral("REC/m4321123.045"))),
                 QByteArray("500|1|4321|1230045|\r\n801|x|\r\n"));
        QCOMPARE(SendFile(s.ctx(), envio + QStringLiteral("/grande.bin"), QStringLiteral("REC/grande.bin")),
                 0);
        QCOMPARE(SendFile(s.ctx(), envio + QStringLiteral("/vacio"), QStringLiteral("REC/vacio")), 0);
        QVERIFY(QFile::exists(c.ruta(QStringLiteral("REC/vacio"))));

        // The centre answers the upload under the name the response pass asks for.
        const QString respuesta = recibo + QStringLiteral("/m4321123.err");
        QTRY_VERIFY(QFile::exists(c.ruta(QStringLiteral("ENV/m4321123.err"))));
        QCOMPARE(ReceiveFile(s.ctx(), respuesta, QStringLiteral("ENV/m4321123.err")), 0);
        QCOMPARE(s.evento(), QStringLiteral("Recibido.. ") + respuesta);
        QVERIFY(lee(respuesta).contains("m4321123.045"));
        QVERIFY(QFileInfo(respuesta).permissions() & QFile::ReadOther);

        QVERIFY(c.pon(QStringLiteral("ENV/grande.bin"), grande));
        QCOMPARE(
            ReceiveFile(s.ctx(), recibo + QStringLiteral("/grande.bin"), QStringLiteral("ENV/grande.bin")),
            0);
        QVERIFY(lee(recibo + QStringLiteral("/grande.bin")) == grande);
        QVERIFY(c.pon(QStringLiteral("ENV/vacio.err"), {}));
        QCOMPARE(ReceiveFile(s.ctx(), recibo + QStringLiteral("/vacio.err"), QStringLiteral("ENV/vacio.err")),
                 0);
        QVERIFY(QFile::exists(recibo + QStringLiteral("/vacio.err")));
        QCOMPARE(QFileInfo(recibo + QStringLiteral("/vacio.err")).size(), 0);

        QCOMPARE(c.cuenta(QStringLiteral("LOGIN")), 1);
        // Active data connections do not work under TLS: passive is used instead.
        const bool datosPasivos = pasivo || tls;
        QCOMPARE(c.cuenta(datosPasivos ? QStringLiteral("EPSV") : QStringLiteral("EPRT")) +
                     c.cuenta(datosPasivos ? QStringLiteral("PASV") : QStringLiteral("PORT")),
                 c.cuenta(QStringLiteral("STOR")) + c.cuenta(QStringLiteral("RETR")));
        if (tls) {
            QCOMPARE(c.cuenta(QStringLiteral("AUTH")), 1);
            QCOMPARE(c.cuenta(QStringLiteral("PROT P")), 1);
        }
        QVERIFY(s.ventana.codigos.isEmpty());
        QCOMPARE(DisconnectFromHost(s.ctx()), 0);
    }

    void archivosFaltantesNoDejanRastro() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Sesion s(c);
        const QString recibo = s.f.carpeta(QStringLiteral("recibo"));
        // An earlier file of the same name survives a failed download.
        QVERIFY(escribe(recibo + QStringLiteral("/m4321999.err"), "anterior"));
        QCOMPARE(ReceiveFile(s.ctx(), recibo + QStringLiteral("/m4321999.err"),
                             QStringLiteral("ENV/m4321999.err")),
                 25743);
        QCOMPARE(s.evento(), QStringLiteral("Pendiente - m4321999.err"));
        QCOMPARE(lee(recibo + QStringLiteral("/m4321999.err")), QByteArray("anterior"));
        QCOMPARE(QDir(recibo).entryList(QDir::Files | QDir::Hidden), QStringList{"m4321999.err"});
        QVERIFY(s.ventana.codigos.isEmpty());

        // A 15-character name keeps its whole name in the text.
        QCOMPARE(ReceiveFile(s.ctx(), recibo + QStringLiteral("/x"), QStringLiteral("x43211230045001")),
                 25743);
        QCOMPARE(s.evento(), QStringLiteral("Pendiente - x43211230045001"));

        // Missing local file: refused before the server is asked.
        s.f.st.pantalla().setEvento(QStringLiteral("x"));
        QCOMPARE(SendFile(s.ctx(), s.f.ruta(QStringLiteral("falta.045")), QStringLiteral("REC/falta.045")),
                 25738);
        QCOMPARE(s.evento(), QStringLiteral("x"));
        // Target folder missing.
        QCOMPARE(ReceiveFile(s.ctx(), s.f.ruta(QStringLiteral("no/hay/a.err")), QStringLiteral("ENV/a.err")),
                 25737);
        // Remote folder missing on upload.
        QVERIFY(escribe(s.f.ruta(QStringLiteral("a")), "a"));
        QCOMPARE(SendFile(s.ctx(), s.f.ruta(QStringLiteral("a")), QStringLiteral("NOHAY/a")), 25751);

        // None of it cost the connection.
        QVERIFY(s.ftp->conectado());
        QCOMPARE(c.cuenta(QStringLiteral("STOR")), 1);
        QCOMPARE(c.cuenta(QStringLiteral("LOGIN")), 1);
        QVERIFY(s.ventana.codigos.isEmpty());
    }

    void recibePorMascara() {
        CentroSimulado c(opciones(false, 0,
                                  {"--aviso-gen", "Aviso general", "--server-dat", "127.0.0.2", "--r001",
                                   "m4321123.r001", "--r001", "m4321124.r001"}));
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Sesion s(c);
        QVERIFY(c.pon(QStringLiteral("ENV/m4321125.R001"), "mayusculas"));
        QVERIFY(c.pon(QStringLiteral("ENV/m4321123.err"), "respuesta"));
        const QString stage = s.f.carpeta(QStringLiteral("stage"));
        QCOMPARE(ReceiveMultipleFiles(s.ctx(), stage, QStringLiteral("ENV"), QStringLiteral("*.r001")), 0);
        QCOMPARE(s.evento(), QStringLiteral("Recibiendo Archivos"));
        QDir d(stage);
        QCOMPARE(d.entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{"m4321123.r001", "m4321124.r001"}));
        QVERIFY(lee(stage + QStringLiteral("/m4321123.r001")).startsWith("001|"));

        const QString recibo = s.f.carpeta(QStringLiteral("recibo"));
        QVERIFY(escribe(recibo + QStringLiteral("/aviso.gen"), "viejo"));
        QCOMPARE(ReceiveMultipleFiles(s.ctx(), recibo, QStringLiteral("ENV/general"), QStringLiteral("*.*")),
                 0);
        QCOMPARE(lee(recibo + QStringLiteral("/aviso.gen")), QByteArray("Aviso general\r\n"));
        QCOMPARE(lee(recibo + QStringLiteral("/server.dat")), QByteArray("127.0.0.2\r\n"));

        // Published while running.
        QVERIFY(c.orden(QStringLiteral("aviso.txt Aviso particular\nfolios.aut")));
        QCOMPARE(
            ReceiveMultipleFiles(s.ctx(), recibo, QStringLiteral("ENV/general/"), QStringLiteral("aviso.*")),
            0);
        QCOMPARE(lee(recibo + QStringLiteral("/aviso.txt")), QByteArray("Aviso particular\r\n"));
        QCOMPARE(
            ReceiveFile(s.ctx(), recibo + QStringLiteral("/folio.aut"), QStringLiteral("ENV/folios.aut")), 0);

        QVERIFY(s.ventana.codigos.isEmpty());
        QCOMPARE(ReceiveMultipleFiles(s.ctx(), stage, QStringLiteral("ENV"), QStringLiteral("*.zzz")), 25763);
        QCOMPARE(s.evento(), QStringLiteral("Esta pendiente el archivo - 25763"));
        QVERIFY(s.ventana.codigos.isEmpty()); // nothing waiting is no failure

        QCOMPARE(ReceiveMultipleFiles(s.ctx(), s.f.ruta(QStringLiteral("nohay")), QStringLiteral("ENV"),
                                      QStringLiteral("*.r001")),
                 25764);
        QCOMPARE(ReceiveMultipleFiles(s.ctx(), stage, QStringLiteral("NOHAY"), QStringLiteral("*")), 25743);
        QCOMPARE(s.ventana.codigos, (QList<qint32>{25764, 25743}));
        QVERIFY(s.ventana.fallas.last().endsWith(QStringLiteral(", archivo NOHAY"))); // where it failed
        QCOMPARE(c.cuenta(QStringLiteral("LOGIN")), 1);
    }

    void nombresHostilesEnElListado() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Sesion s(c);
        QVERIFY(c.pon(QStringLiteral("ENV/bueno.r001"), "bueno"));
        // The listing names files that would land outside the target folder.
        QVERIFY(c.orden(QStringLiteral("nlst-extra ../fuera.r001\nnlst-extra ..\\fuera.r001\n"
                                       "nlst-extra C:fuera.r001\nnlst-extra sub/fuera.r001")));
        const QString stage = s.f.carpeta(QStringLiteral("a/stage"));
        QCOMPARE(ReceiveMultipleFiles(s.ctx(), stage, QStringLiteral("ENV"), QStringLiteral("*.r001")), 0);
        // Reported, the file that is safe fetched.
        const QString dicho =
            QStringLiteral("Recibiendo Archivos, se quedaron en el centro: ../fuera.r001, "
                           "..\\fuera.r001, C:fuera.r001, sub/fuera.r001 (25753 El nombre del "
                           "archivo especificado es invalido.)");
        QCOMPARE(s.evento(), dicho);
        QCOMPARE(s.ventana.fallas, QStringList{dicho});
        QCOMPARE(QDir(stage).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{"bueno.r001"});
        QCOMPARE(QDir(s.f.ruta(QStringLiteral("a"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"stage"});
        QCOMPARE(c.cuenta(QStringLiteral("RETR")), 1);

        // Only hostile names match: refused, nothing fetched.
        QCOMPARE(ReceiveMultipleFiles(s.ctx(), stage, QStringLiteral("ENV"), QStringLiteral("*fuera.r001")),
                 25753);
        QCOMPARE(c.cuenta(QStringLiteral("RETR")), 1);
    }

    void borraArchivoRemoto() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Sesion s(c);
        QVERIFY(c.pon(QStringLiteral("ENV/m4321123.r001"), "1"));
        QCOMPARE(DeleteFiles(s.ctx(), QStringLiteral("ENV/m4321123.r001")), 0);
        QCOMPARE(s.evento(), QStringLiteral("Borrando archivo: ENV/m4321123.r001"));
        QVERIFY(!QFile::exists(c.ruta(QStringLiteral("ENV/m4321123.r001"))));
        QCOMPARE(c.cuenta(QStringLiteral("DELE ENV/m4321123.r001")), 1);

        QCOMPARE(DeleteFiles(s.ctx(), QStringLiteral("ENV/m4321123.r001")), 25743);
        QCOMPARE(s.evento(), QStringLiteral("No se pudo borrar el archivo - 25743"));
        QCOMPARE(s.ventana.codigos, QList<qint32>{25743});
        QVERIFY(s.ftp->conectado());
        QVERIFY(c.pon(QStringLiteral("ENV/otro.r001"), "1"));
        QCOMPARE(DeleteFiles(s.ctx(), QStringLiteral("ENV/otro.r001")), 0);
        QCOMPARE(c.cuenta(QStringLiteral("LOGIN")), 1);
    }

    void desconectarSinConexion() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Sesion s(c);
        s.f.st.pantalla().setEvento(QStringLiteral("x"));
        QCOMPARE(DisconnectFromHost(s.ctx()), 0);
        QCOMPARE(s.evento(), QStringLiteral("x"));
        QVERIFY(c.bitacora().isEmpty());
    }

    void servidorCaeDuranteLaDescarga() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Sesion s(c);
        QVERIFY(c.pon(QStringLiteral("ENV/m4321123.err"), QByteArray(4 << 20, 'x')));
        const QString recibo = s.f.carpeta(QStringLiteral("recibo"));
        QVERIFY(escribe(recibo + QStringLiteral("/m4321123.err"), "anterior"));
        QCOMPARE(ConnectToHost(s.ctx()), 0);
        QVERIFY(c.orden(QStringLiteral("muere-tras 200000")));
        const qint16 rc = ReceiveFile(s.ctx(), recibo + QStringLiteral("/m4321123.err"),
                                      QStringLiteral("ENV/m4321123.err"));
        QVERIFY2(rc == 25724 || rc == 25715, qPrintable(QString::number(rc)));
        QCOMPARE(s.evento(), QStringLiteral("Pendiente - m4321123.err"));
        QCOMPARE(lee(recibo + QStringLiteral("/m4321123.err")), QByteArray("anterior"));
        QCOMPARE(QDir(recibo).entryList(QDir::Files | QDir::Hidden), QStringList{"m4321123.err"});
        QVERIFY(!s.ftp->conectado());
        QTRY_VERIFY(!c.vivo());
        QCOMPARE(s.ventana.codigos, QList<qint32>{rc}); // reported once
        // The rest of the cycle is dropped at once: no new login, no window.
        QCOMPARE(SendFile(s.ctx(), recibo + QStringLiteral("/m4321123.err"), QStringLiteral("REC/x")), rc);
        QCOMPARE(ReceiveMultipleFiles(s.ctx(), recibo, QStringLiteral("ENV"), QStringLiteral("*")), rc);
        QCOMPARE(s.ventana.codigos.size(), 1);
        // The next cycle tries a new connection and reports its failure.
        QCOMPARE(DisconnectFromHost(s.ctx()), 0);
        QCOMPARE(ConnectToHost(s.ctx()), 25711);
    }

    void servidorCuelgaEntreOperaciones() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Sesion s(c);
        const QString local = s.f.ruta(QStringLiteral("m4321123.045"));
        QVERIFY(escribe(local, "x"));
        QCOMPARE(ConnectToHost(s.ctx()), 0);
        QVERIFY(c.orden(QStringLiteral("cierra-sesiones")));
        QTRY_COMPARE(c.cuenta(QStringLiteral("SESIONES-CERRADAS")), 1);
        // libcurl finds the cached connection dead and logs in afresh.
        QCOMPARE(SendFile(s.ctx(), local, QStringLiteral("REC/m4321123.045")), 0);
        QVERIFY(QFile::exists(c.ruta(QStringLiteral("REC/m4321123.045"))));
        QCOMPARE(c.cuenta(QStringLiteral("LOGIN")), 2);
    }

    void descargaDetenidaTerminaConCodigo() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Sesion s(c);
        QVERIFY(c.pon(QStringLiteral("ENV/m4321123.err"), QByteArray(4 << 20, 'x')));
        const QString recibo = s.f.carpeta(QStringLiteral("recibo"));
        QVERIFY(c.orden(QStringLiteral("pausa-tras 100000")));
        QElapsedTimer t;
        t.start();
        QCOMPARE(ReceiveFile(s.ctx(), recibo + QStringLiteral("/m4321123.err"),
                             QStringLiteral("ENV/m4321123.err")),
                 25717);
        QVERIFY2(t.elapsed() < 10000, qPrintable(QString::number(t.elapsed())));
        QVERIFY(QDir(recibo).isEmpty(QDir::Files | QDir::Hidden));
        QVERIFY(!s.ftp->conectado());
        QVERIFY(c.vivo());
        QCOMPARE(c.cuenta(QStringLiteral("LOGIN")), 1);
    }

    // The support log keeps each session's commands and replies, each
    // transfer and each failure, never the password; a month's files at most.
    void registroDeSoporte() {
        CentroSimulado c(opciones(true));
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Sesion s(c);
        const QString carpeta = soporte::carpeta(s.f.ctx.carpetaPrograma);
        QVERIFY(QDir().mkpath(carpeta) && escribe(carpeta + "/korvaval-2020-01-01.log", "viejo"));
        QVERIFY(escribe(carpeta + "/notas.txt", "del broker"));
        soporte::instala(s.f.ctx.carpetaPrograma);
        const QString local = s.f.ruta(QStringLiteral("m4321123.045"));
        QVERIFY(escribe(local, "500|\r\n"));
        QCOMPARE(SendFile(s.ctx(), local, QStringLiteral("REC/m4321123.045")), 0);
        // A transfer whose session the centre dropped is named all the same.
        QVERIFY(c.orden(QStringLiteral("cierra-sesiones")));
        c.detiene();
        QVERIFY(SendFile(s.ctx(), local, QStringLiteral("REC/m4321124.045")) != 0);
        reportaFalla(s.ctx(), QStringLiteral("ERROR: prueba de falla"));
        DisconnectFromHost(s.ctx());
        soporte::desinstala();
        const QStringList archivos = QDir(carpeta).entryList(QDir::Files);
        QCOMPARE(archivos, (QStringList{"korvaval-" + QDate::currentDate().toString("yyyy-MM-dd") + ".log",
                                        "notas.txt"}));
        const QString log = QString::fromUtf8(lee(carpeta + "/" + archivos.first()));
        for (const char* visto : {"[sesion] > USER a4321", "[sesion] > PASS ****", "[sesion] < 230",
                                  "[transferencia] REC/m4321123.045: 6 bytes enviados",
                                  "[transferencia] REC/m4321124.045: 0 bytes enviados",
                                  "ERROR [fallas] ERROR: prueba de falla", ", cifrada"})
            QVERIFY2(log.contains(QLatin1String(visto)), visto);
        QVERIFY(!log.contains(c.contrasena()));
    }

    void certificadoTlsYModoActivo() {
        CentroSimulado c(opciones(true));
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        {
            Sesion s(c, true, false);
            QCOMPARE(ConnectToHost(s.ctx()), 25794);
            QCOMPARE(s.evento(), QStringLiteral("ERROR al conectar- 25794"));
            QCOMPARE(s.ventana.codigos, QList<qint32>{25794});
            QCOMPARE(c.cuenta(QStringLiteral("USER")), 0); // no password over an untrusted link

            // The centre's CA placed in the program folder is trusted beside the system's.
            QVERIFY(QFile::copy(c.archivoCA(), s.f.ruta(kArchivoCACentro)));
            ClienteFtpCurl delPrograma(ClienteFtpCurl::opcionesDelPrograma(s.f.ctx.carpetaPrograma));
            s.ctx().ftp = &delPrograma;
            QCOMPARE(ConnectToHost(s.ctx()), 0);
            QVERIFY(delPrograma.cifrado());
            QCOMPARE(s.evento(), QStringLiteral("Conexión Establecida... "));
            QCOMPARE(lee(s.f.ruta(kArchivoCentrosTls)),
                     "127.0.0.1 " + QByteArray::number(c.puerto()) + "\r\n");
            QCOMPARE(DisconnectFromHost(s.ctx()), 0);
        }
        {
            // "Pasivo" unticked against a TLS centre: passive all the same,
            // said once when the connection opens.
            Sesion s(c, false);
            const QString local = s.f.ruta(QStringLiteral("a"));
            QVERIFY(escribe(local, "a"));
            QCOMPARE(ConnectToHost(s.ctx()), 0);
            QCOMPARE(s.evento(),
                     QStringLiteral("Conexión Establecida... Se usa modo pasivo: el modo activo no "
                                    "es posible con TLS"));
            QCOMPARE(SendFile(s.ctx(), local, QStringLiteral("REC/a")), 0);
            QCOMPARE(ReceiveFile(s.ctx(), s.f.ruta(QStringLiteral("b")), QStringLiteral("REC/a")), 0);
            QCOMPARE(lee(s.f.ruta(QStringLiteral("b"))), QByteArray("a"));
            QCOMPARE(c.cuenta(QStringLiteral("PORT")) + c.cuenta(QStringLiteral("EPRT")), 0);
        }
    }

    // Parsing the trusted certificates cost more than the transfers: one
    // reading serves every connection of the run until the bundle changes.
    void certificadosDeConfianzaSeLeenUnaVez() {
        CentroSimulado a(opciones(true)), b(opciones(true));
        QVERIFY2(a.listo() && b.listo(), qPrintable(a.diagnostico() + b.diagnostico()));
        Sesion s(a);
        const QString ca = s.f.ruta(kArchivoCACentro);
        QVERIFY(QFile::copy(a.archivoCA(), ca));
        const int antes = ClienteFtpCurl::lecturasConfianza();
        const QString local = s.f.ruta(QStringLiteral("m4321123.045"));
        QVERIFY(escribe(local, "500|\r\n"));
        for (int conexion = 0; conexion < 2; ++conexion) {
            ClienteFtpCurl ftp(ClienteFtpCurl::opcionesDelPrograma(s.f.ctx.carpetaPrograma));
            s.ctx().ftp = &ftp;
            QCOMPARE(SendFile(s.ctx(), local, QStringLiteral("REC/m4321123.045")), 0);
            QCOMPARE(ReceiveFile(s.ctx(), s.f.ruta(QStringLiteral("r")), QStringLiteral("REC/m4321123.045")),
                     0);
            QVERIFY(ftp.cifrado());
            QCOMPARE(DisconnectFromHost(s.ctx()), 0);
        }
        QCOMPARE(ClienteFtpCurl::lecturasConfianza() - antes, 1);

        // Another centre's bundle copied in while the program runs: it is
        // trusted from the next connection on, and the old one no longer.
        QVERIFY(QFile::remove(ca) && QFile::copy(b.archivoCA(), ca));
        ClienteFtpCurl ftp(ClienteFtpCurl::opcionesDelPrograma(s.f.ctx.carpetaPrograma));
        s.ctx().ftp = &ftp;
        QCOMPARE(ConnectToHost(s.ctx()), 25794);
        s.f.st.config().setSlot(slot::Puerto, QString::number(b.puerto()));
        QCOMPARE(ConnectToHost(s.ctx()), 0);
        QCOMPARE(DisconnectFromHost(s.ctx()), 0);
        QCOMPARE(ClienteFtpCurl::lecturasConfianza() - antes, 2);
    }

    void tlsImplicitoEnSuPuerto() {
        CentroSimulado c(opciones(false, 0, {"--tls-implicito"}));
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Sesion s(c);
        OpcionesCurl o;
        o.archivoCA = c.archivoCA();
        o.puertoImplicito = c.puerto(); // stands in for 990
        ClienteFtpCurl implicito(o);
        s.ctx().ftp = &implicito;
        const QString local = s.f.ruta(QStringLiteral("m4321123.045"));
        QVERIFY(escribe(local, "500|\r\n"));
        QCOMPARE(SendFile(s.ctx(), local, QStringLiteral("REC/m4321123.045")), 0);
        QVERIFY(implicito.cifrado());
        QCOMPARE(ReceiveFile(s.ctx(), s.f.ruta(QStringLiteral("r")), QStringLiteral("REC/m4321123.045")), 0);
        QCOMPARE(lee(s.f.ruta(QStringLiteral("r"))), QByteArray("500|\r\n"));
        QCOMPARE(c.cuenta(QStringLiteral("AUTH")), 0);
        QCOMPARE(c.cuenta(QStringLiteral("PROT P")), 1);
        QCOMPARE(DisconnectFromHost(s.ctx()), 0);
    }

    void centroRespondeCadaTipoDeEnvio() {
        CentroSimulado c(opciones(false, 1.0));
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Sesion s(c);
        const QList<QPair<QString, QString>> casos = {
            {"m4321123.045", "m4321123.err"},       {"c4321123.045", "c4321123.err"},
            {"t4321123.045", "t4321123.err"},       {"b4321123.045", "r4321123.045"},
            {"e4321123.045", "a4321123.045"},       {"ea4321123045", "ra4321123045"},
            {"s43211230045001", "x43211230045001"}, {"f43211230045001", "a43211230045001"},
        };
        for (const auto& [envio, respuesta] : casos) {
            QVERIFY(escribe(s.f.ruta(envio), "x"));
            QCOMPARE(SendFile(s.ctx(), s.f.ruta(envio), QStringLiteral("REC/") + envio), 0);
            if (envio == casos.first().first) // not before the delay
                QVERIFY(!QFile::exists(c.ruta(QStringLiteral("ENV/") + respuesta)));
        }
        for (const auto& [envio, respuesta] : casos)
            QTRY_VERIFY2(QFile::exists(c.ruta(QStringLiteral("ENV/") + respuesta)), qPrintable(respuesta));
    }
};

QTEST_GUILESS_MAIN(PruebaTransferencia)
#include "test_transferencia.moc"

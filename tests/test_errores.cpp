#include <QSet>
#include <QTest>
#include <curl/curl.h>

#include "comun/ModError.h"
#include "platform/ClienteFtpCurl.h"
#include "platform/FtpErrores.h"

using namespace korva;

class PruebaErrores : public QObject {
    Q_OBJECT
private slots:
    void codigosDeCurlEnLaTabla_data() {
        QTest::addColumn<int>("curl");
        QTest::addColumn<long>("respuesta");
        QTest::addColumn<int>("codigo");
        QTest::addRow("success") << int(CURLE_OK) << 226L << 0;
        QTest::addRow("bad login") << int(CURLE_LOGIN_DENIED) << 530L << 25741;
        QTest::addRow("refused") << int(CURLE_COULDNT_CONNECT) << 0L << 25711;
        QTest::addRow("host not found") << int(CURLE_COULDNT_RESOLVE_HOST) << 0L << 25712;
        QTest::addRow("no greeting") << int(CURLE_FTP_WEIRD_SERVER_REPLY) << 0L << 25742;
        QTest::addRow("greeting 421") << int(CURLE_FTP_WEIRD_SERVER_REPLY) << 421L << 25726;
        QTest::addRow("missing at SIZE") << int(CURLE_REMOTE_FILE_NOT_FOUND) << 550L << 25743;
        QTest::addRow("missing at RETR") << int(CURLE_FTP_COULDNT_RETR_FILE) << 550L << 25743;
        QTest::addRow("DELE missing") << int(CURLE_QUOTE_ERROR) << 550L << 25743;
        QTest::addRow("DELE busy") << int(CURLE_QUOTE_ERROR) << 450L << 25751;
        QTest::addRow("STOR denied") << int(CURLE_UPLOAD_FAILED) << 550L << 25751;
        QTest::addRow("STOR bad name") << int(CURLE_UPLOAD_FAILED) << 553L << 25753;
        QTest::addRow("CWD denied") << int(CURLE_REMOTE_ACCESS_DENIED) << 550L << 25751;
        QTest::addRow("disk full 552") << int(CURLE_UPLOAD_FAILED) << 552L << 25744;
        QTest::addRow("disk full 452") << int(CURLE_UPLOAD_FAILED) << 452L << 25744;
        QTest::addRow("disk full rc") << int(CURLE_REMOTE_DISK_FULL) << 0L << 25744;
        QTest::addRow("server hung up") << int(CURLE_GOT_NOTHING) << 0L << 25724;
        QTest::addRow("partial file") << int(CURLE_PARTIAL_FILE) << 150L << 25724;
        QTest::addRow("recv failure") << int(CURLE_RECV_ERROR) << 150L << 25715;
        QTest::addRow("send failure") << int(CURLE_SEND_ERROR) << 0L << 25716;
        QTest::addRow("local write") << int(CURLE_WRITE_ERROR) << 150L << 25740;
        QTest::addRow("local read") << int(CURLE_READ_ERROR) << 0L << 25739;
        QTest::addRow("local open") << int(CURLE_FILE_COULDNT_READ_FILE) << 0L << 25738;
        QTest::addRow("time-out") << int(CURLE_OPERATION_TIMEDOUT) << 0L << 25717;
        QTest::addRow("TLS handshake") << int(CURLE_SSL_CONNECT_ERROR) << 234L << 25795;
        QTest::addRow("certificate") << int(CURLE_PEER_FAILED_VERIFICATION) << 234L << 25794;
        QTest::addRow("TLS refused") << int(CURLE_USE_SSL_FAILED) << 500L << 25797;
        QTest::addRow("TLS required 534") << int(CURLE_LOGIN_DENIED) << 534L << 25797;
        QTest::addRow("data TLS 522") << int(CURLE_FTP_COULDNT_RETR_FILE) << 522L << 25797;
        QTest::addRow("no data connection") << int(CURLE_FTP_ACCEPT_FAILED) << 0L << 25728;
        QTest::addRow("unknown reply keeps result") << int(CURLE_RECV_ERROR) << 299L << 25715;
        QTest::addRow("unlisted result") << int(CURLE_TOO_MANY_REDIRECTS) << 0L << 25727;
    }
    void codigosDeCurlEnLaTabla() {
        QFETCH(int, curl);
        QFETCH(long, respuesta);
        QFETCH(int, codigo);
        QCOMPARE(codigoDeCurl(curl, respuesta), codigo);
    }

    // Rows are found first-match: a duplicate key would hide a row, and a
    // code without a text would show "Error sin descripción" to the broker.
    void filasDeLaTablaAlcanzablesYDescritas() {
        QSet<QPair<int, long>> vistas;
        for (const FilaError& f : tablaErrores()) {
            QVERIFY2(!vistas.contains({f.curl, f.respuesta}), qPrintable(QString::number(f.curl)));
            vistas.insert({f.curl, f.respuesta});
            QVERIFY2(MensajeError(f.codigo) != QStringLiteral("Error sin descripción"),
                     qPrintable(QString::number(f.codigo)));
        }
    }

    void mensajeError() {
        QCOMPARE(MensajeError(25743), QStringLiteral("El archivo remoto no esta disponible."));
        QCOMPARE(MensajeError(25709),
                 QStringLiteral("El descriptor del Socket envíado a la función es invalido."));
        // Trailing blanks belong to the texts.
        QCOMPARE(MensajeError(25763),
                 QStringLiteral("No concidio ningún archvios con las lista especificada (WildCard). "));
        QCOMPARE(MensajeError(25718),
                 QStringLiteral("Fin de datos corre en el Socket, transmisión completa. "));
        QVERIFY(MensajeError(25734).endsWith(QStringLiteral("invalido. ")));
        QVERIFY(MensajeError(25793).endsWith(QStringLiteral("credenciales del cliente. ")));
        QVERIFY(MensajeError(25794).endsWith(QStringLiteral("(es inseguro). ")));
        QCOMPARE(MensajeError(25704), MensajeError(25705));
        QCOMPARE(MensajeError(25712), MensajeError(25736));
        QVERIFY(MensajeError(25764).endsWith(QStringLiteral("Ej. c:\\KORVA\\env")));
        QVERIFY(MensajeError(25791).startsWith(QStringLiteral("No fue posible inicializar la interfase")));
        const QString sin = QStringLiteral("Error sin descripción");
        for (qint32 c : {0, -1, 25700, 25702, 25708, 25765, 25777, 25790, 25798, 65535})
            QCOMPARE(MensajeError(c), sin);
        int descritos = 0;
        for (qint32 c = 25600; c < 25900; ++c)
            descritos += MensajeError(c) != sin ? 1 : 0;
        QCOMPARE(descritos, 69);
    }

    void coincideConLaMascara_data() {
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QString>("mascara");
        QTest::addColumn<bool>("coincide");
        QTest::addRow("r001") << "m4321123.r001"
                              << "*.r001" << true;
        QTest::addRow("r001 upper case") << "m4321123.R001"
                                         << "*.r001" << false;
        QTest::addRow("r001 longer tail") << "m4321123.r0011"
                                          << "*.r001" << false;
        QTest::addRow("star dot star") << "aviso.gen"
                                       << "*.*" << true;
        QTest::addRow("star dot star is every file") << "LEEME"
                                                     << "*.*" << true;
        QTest::addRow("dot star needs dot") << "aviso"
                                            << "aviso.*" << false;
        QTest::addRow("star alone") << "x"
                                    << "*" << true;
        QTest::addRow("empty name") << ""
                                    << "*" << true;
        QTest::addRow("question mark") << "ab"
                                       << "a?" << true;
        QTest::addRow("question needs a char") << "a"
                                               << "a?" << false;
        QTest::addRow("backtracking") << "aXbXbc"
                                      << "a*b*c" << true;
        QTest::addRow("literal") << "server.dat"
                                 << "server.dat" << true;
        QTest::addRow("literal differs") << "server.da"
                                         << "server.dat" << false;
    }
    void coincideConLaMascara() {
        QFETCH(QString, nombre);
        QFETCH(QString, mascara);
        QFETCH(bool, coincide);
        QCOMPARE(ClienteFtpCurl::coincide(nombre, mascara), coincide);
    }

    void nombresSegurosDelServidor_data() {
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<bool>("seguro");
        QTest::addRow("response") << "m4321123.err" << true;
        QTest::addRow("blank and accent") << "aviso general ñ.txt" << true;
        QTest::addRow("parent") << "../x.r001" << false;
        QTest::addRow("dot dot") << ".." << false;
        QTest::addRow("dot") << "." << false;
        QTest::addRow("inner dot dot") << "a..r001" << false;
        QTest::addRow("slash") << "sub/x" << false;
        QTest::addRow("absolute") << "/etc/passwd" << false;
        QTest::addRow("backslash") << "..\\x" << false;
        QTest::addRow("drive") << "C:x.r001" << false;
        QTest::addRow("tab") << "a\tb" << false;
        QTest::addRow("newline") << "a\nb" << false;
        QTest::addRow("delete") << QString("a") + QChar(0x7f) << false;
        QTest::addRow("C1 control") << QString("a") + QChar(0x85) << false;
        QTest::addRow("line separator") << QString("aviso") + QChar(0x2028) + ".gen" << false;
        QTest::addRow("paragraph separator") << QString("aviso") + QChar(0x2029) + ".gen" << false;
        QTest::addRow("empty") << "" << false;
    }
    void nombresSegurosDelServidor() {
        QFETCH(QString, nombre);
        QFETCH(bool, seguro);
        QCOMPARE(ClienteFtpCurl::nombreSeguro(nombre), seguro);
    }
};

QTEST_GUILESS_MAIN(PruebaErrores)
#include "test_errores.moc"

// Printing against a real print system: a scheduler of the test's own on
// 127.0.0.1, with a queue that takes jobs, one that refuses them and one
// stopped by its administrator.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include "Archivos.h"
#include "Fixture.h"
#include "platform/ui/ImpresorasQt.h"
#include "records/Visor.h"
#include "records/ui/FrmArchivos.h"

#include <unistd.h>

using namespace korva;
using namespace korva::test;

namespace {

QString servidor; // host:port of the test's scheduler; empty when none could start

// A printers list the test changes while the viewer is closed; it records
// where each job went.
struct Cambiantes final : Impresoras {
    QStringList lista;
    QStringList impresas;
    QStringList nombres() const override { return lista; }
    Impresion imprime(const QString& impresora, const QStringList&) override {
        impresas << impresora;
        return {true, {}};
    }
};

} // namespace

class PruebaImpresion : public QObject {
    Q_OBJECT
private slots:
    // The list is read again when the viewer opens, and the job goes to the
    // printer shown, by its name.
    void impresoraElegidaPorSuNombre() {
        Fixture fx;
        Cambiantes impresoras;
        impresoras.lista = {"Contabilidad", "Aduana"};
        fx.ctx.impresoras = &impresoras;
        const QString recibo = fx.carpeta(QStringLiteral("recibo"));
        fx.st.config().setSlot(slot::DirRecibo, recibo);
        QVERIFY(pon(recibo + "/m4321123.err", "uno\r\n"));
        FrmArchivos frm(fx.ctx); // loaded hidden at start-up
        impresoras.lista = {"Nueva", "Contabilidad", "Aduana"};
        frm.abre(Lista::Recibidos, QStringLiteral("m4321123.err - 10:15:02"));
        QCOMPARE(frm.CboPrinters()->count(), 3);
        frm.CboPrinters()->setCurrentIndex(2);
        frm.CmdImprimir()->click();
        QCOMPARE(impresoras.impresas, QStringList{"Aduana"});
        // The one chosen stays chosen when the list changes again.
        frm.hide();
        impresoras.lista = {"Aduana", "Contabilidad"};
        frm.show();
        QCOMPARE(frm.CboPrinters()->currentText(), QStringLiteral("Aduana"));
    }

    // What the print system did with the job is what the broker reads.
    void respuestaDelSistemaDeImpresion_data() {
        QTest::addColumn<QString>("impresora");
        QTest::addColumn<bool>("aceptada");
        QTest::addColumn<QString>("dice");
        QTest::addRow("queue taking jobs") << "acepta" << true << "";
        QTest::addRow("queue refusing jobs") << "rechaza" << false << "no aceptó el trabajo";
        QTest::addRow("stopped queue") << "detenida" << true << "La impresora está detenida";
        QTest::addRow("printer gone") << "ya-no-existe" << false << "ya no existe";
    }
    void respuestaDelSistemaDeImpresion() {
        QFETCH(QString, impresora);
        QFETCH(bool, aceptada);
        QFETCH(QString, dice);
        if (servidor.isEmpty())
            QSKIP("no print scheduler here (cups-daemon, as root)");
        Fixture fx;
        ImpresorasQt impresoras;
        QVERIFY2(impresoras.nombres().contains(QStringLiteral("acepta")),
                 qPrintable(impresoras.nombres().join(',')));
        Visor v;
        v.CmdImprimir(fx.dlg, &impresoras, impresora);
        QCOMPARE(fx.dlg.registros.size(), 1);
        QCOMPARE(fx.dlg.registros[0].icono, aceptada ? Icono::Ninguno : Icono::Error);
        if (aceptada)
            QVERIFY(fx.dlg.ultimo().startsWith(QStringLiteral("Impresión ")));
        QVERIFY2(fx.dlg.ultimo().contains(dice), qPrintable(fx.dlg.ultimo()));
    }
};

namespace {

// The scheduler, on a free port of 127.0.0.1, its queues written before it
// starts; stopped when the test ends.
struct Planificador {
    QTemporaryDir dir;
    QProcess proc;
    bool arranca() {
        if (::geteuid() != 0 || !QFile::exists(QStringLiteral("/usr/sbin/cupsd")))
            return false;
        quint16 puerto = 0;
        {
            QTcpServer s;
            if (!s.listen(QHostAddress::LocalHost))
                return false;
            puerto = s.serverPort();
        }
        const QString d = dir.path();
        for (const char* sub : {"conf", "spool", "tmp", "cache", "state", "salida"})
            QDir().mkpath(d + "/" + sub);
        QFile::setPermissions(d + "/salida", QFile::Permissions(0x7777));
        QFile::setPermissions(d + "/tmp", QFile::Permissions(0x7777));
        const auto escribe = [](const QString& ruta, const QString& texto) {
            QFile f(ruta);
            return f.open(QIODevice::WriteOnly) && f.write(texto.toUtf8()) > 0;
        };
        QString archivos =
            QStringLiteral("ServerRoot %1/conf\nRequestRoot %1/spool\nTempDir %1/tmp\nCacheDir "
                           "%1/cache\nStateDir %1/state\nErrorLog %1/error_log\nAccessLog "
                           "%1/access_log\nPageLog %1/page_log\nFileDevice Yes\nUser lp\nGroup "
                           "lp\nSystemGroup root\n")
                .arg(d);
        QString conf =
            QStringLiteral("Listen 127.0.0.1:%1\nDefaultAuthType None\nWebInterface No\nBrowsing No\n"
                           "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n")
                .arg(puerto);
        QString colas;
        for (const auto& [nombre, estado, acepta] :
             {std::tuple{"acepta", "Idle", "Yes"}, {"rechaza", "Idle", "No"}, {"detenida", "Stopped", "Yes"}})
            colas +=
                QStringLiteral("<Printer %1>\nDeviceURI file://%2/salida/%1\nState %3\nAccepting %4\nShared "
                               "No\n</Printer>\n")
                    .arg(QLatin1String(nombre), d, QLatin1String(estado), QLatin1String(acepta));
        if (!escribe(d + "/conf/cups-files.conf", archivos) || !escribe(d + "/conf/cupsd.conf", conf) ||
            !escribe(d + "/conf/printers.conf", colas))
            return false;
        proc.start(QStringLiteral("/usr/sbin/cupsd"),
                   {QStringLiteral("-f"), QStringLiteral("-c"), d + "/conf/cupsd.conf", QStringLiteral("-s"),
                    d + "/conf/cups-files.conf"});
        if (!proc.waitForStarted(5000))
            return false;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 10000 && proc.state() == QProcess::Running) {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, puerto);
            if (s.waitForConnected(200)) {
                servidor = QStringLiteral("127.0.0.1:%1").arg(puerto);
                return true;
            }
            QThread::msleep(100);
        }
        return false;
    }
    ~Planificador() {
        if (proc.state() != QProcess::NotRunning) {
            proc.terminate();
            if (!proc.waitForFinished(5000))
                proc.kill();
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    Planificador planificador;
    // Before any of the print system's calls: they read it once.
    if (planificador.arranca())
        qputenv("CUPS_SERVER", servidor.toUtf8());
    else
        qputenv("CUPS_SERVER", "127.0.0.1:1"); // nobody's: no printer of this machine's own
    QApplication app(argc, argv);
    PruebaImpresion t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_impresion.moc"

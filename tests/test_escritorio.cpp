// What the broker is told outside the window, through a session bus of the
// test's own and a notification service of its own on it.
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include "Archivos.h"
#include "Oficina4321.h"
#include "OficinaEnvio.h"
#include "app/ui/Bandeja.h"
#include "cycle/Ciclo.h"

using namespace korva;
using namespace korva::test;

namespace {

QString direccionBus; // empty when no bus could be started

// The desktop's notification service, as the test's own.
class Servicio : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Aviso {
        QString titulo, texto;
        int urgencia;
    };
    QList<Aviso> recibidos;
public slots:
    uint Notify(const QString&, uint, const QString&, const QString& titulo, const QString& texto,
                const QStringList&, const QVariantMap& pistas, int) {
        recibidos.append({titulo, texto, pistas.value(QStringLiteral("urgency")).toInt()});
        return uint(recibidos.size());
    }
};

} // namespace

class PruebaEscritorio : public QObject {
    Q_OBJECT
private slots:
    // A rejected file, a refused upload, three cycles without the centre and
    // the first one back: each arrives once, through the service, on a
    // desktop without a tray.
    void notificacionesPorElServicio() {
        if (direccionBus.isEmpty())
            QSKIP("no session bus could be started here (dbus-daemon)");
        QVERIFY(!AvisosEscritorio::hayServicio());
        Servicio servicio;
        QDBusConnection bus = QDBusConnection::connectToBus(direccionBus, QStringLiteral("servicio"));
        QVERIFY(bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &servicio,
                                   QDBusConnection::ExportAllSlots));
        QVERIFY(bus.registerService(QStringLiteral("org.freedesktop.Notifications")));
        QTRY_VERIFY(AvisosEscritorio::hayServicio());

        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        AvisosEscritorio avisos(o.ctx(), nullptr);
        o.st().setCaptionInicio(QStringLiteral("&Detener"));
        QVERIFY(pon(o.envio + "/m4321124.044", "500|\r\n")); // yesterday's: JULIANO MAL
        EjecutaCiclo(o.ctx());
        QTRY_COMPARE(servicio.recibidos.size(), 1);
        QVERIFY(c.orden(QStringLiteral("rechaza-stor")));
        QVERIFY(pon(o.envio + "/m4321125.045", "500|\r\n"));
        EjecutaCiclo(o.ctx());
        QTRY_COMPARE(servicio.recibidos.size(), 2);
        quint16 muerto;
        {
            QTcpServer s;
            QVERIFY(s.listen(QHostAddress::LocalHost));
            muerto = s.serverPort();
        }
        const QString vivo = o.st().config().TxtConfiguration(slot::Puerto);
        o.st().config().setSlot(slot::Puerto, QString::number(muerto));
        for (int i = 0; i < 3; ++i)
            EjecutaCiclo(o.ctx());
        QTRY_COMPARE(servicio.recibidos.size(), 3);
        o.st().config().setSlot(slot::Puerto, vivo);
        QVERIFY(c.orden(QStringLiteral("acepta-stor")));
        EjecutaCiclo(o.ctx());
        QTRY_COMPARE(servicio.recibidos.size(), 4);
        QTest::qWait(200);
        QCOMPARE(servicio.recibidos.size(), 4);
        const auto& r = servicio.recibidos;
        QVERIFY2(r[0].texto.contains("m4321124.044: JULIANO MAL"), qPrintable(r[0].texto));
        QVERIFY2(r[1].texto.contains("m4321125.045: el centro no lo aceptó"), qPrintable(r[1].texto));
        QCOMPARE(r[2].titulo, QStringLiteral("Sin conexión con KORVA"));
        QCOMPARE(r[2].urgencia, 2);
        QCOMPARE(r[3].titulo, QStringLiteral("Conexión restablecida"));
        bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
        QDBusConnection::disconnectFromBus(QStringLiteral("servicio"));
    }

    // No service and no tray: nothing is told (and nothing waits on it).
    void sinServicioNiBandeja() {
        QTRY_VERIFY(!AvisosEscritorio::hayServicio());
        OficinaEnvio f;
        AvisosEscritorio avisos(f.ctx, nullptr);
        QSignalSpy entregados(&avisos, &AvisosEscritorio::entregado);
        f.st.setCaptionInicio(QStringLiteral("&Detener"));
        f.st.marcaCiclo(true);
        f.st.pantalla().agrega(Lista::Rechazados, QStringLiteral("m4321101.044 14:03  JULIANO MAL"));
        f.st.marcaCiclo(false);
        QCOMPARE(entregados.size(), 0);
    }
};

// A session bus of the test's own, for the whole run: none of the machine's
// services can be started on it (a notification daemon installed here).
int main(int argc, char** argv) {
    QTemporaryDir dir;
    const QString conf = dir.filePath(QStringLiteral("bus.conf"));
    {
        // The system's session configuration, without its service folders.
        QFile base(QStringLiteral("/usr/share/dbus-1/session.conf")), f(conf);
        if (!base.open(QIODevice::ReadOnly) || !f.open(QIODevice::WriteOnly))
            return 1;
        for (const QByteArray& linea : base.readAll().split('\n'))
            if (!linea.contains("servicedir") && !linea.contains("<include"))
                f.write(linea + '\n');
    }
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"),
              {QStringLiteral("--config-file=") + conf, QStringLiteral("--nofork"),
               QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    if (bus.waitForStarted(5000) && bus.waitForReadyRead(5000))
        direccionBus = QString::fromUtf8(bus.readLine()).trimmed();
    qputenv("DBUS_SESSION_BUS_ADDRESS",
            direccionBus.isEmpty() ? QByteArray("unix:path=/nonexistent") : direccionBus.toUtf8());
    int rc = 0;
    {
        QApplication app(argc, argv);
        PruebaEscritorio t;
        rc = QTest::qExec(&t, argc, argv);
    }
    bus.terminate();
    bus.waitForFinished(3000);
    return rc;
}

#include "test_escritorio.moc"

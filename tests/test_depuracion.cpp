#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTimer>

#include "Archivos.h"
#include "Fixture.h"
#include "VentanaErrorGrabadora.h"
#include "exchange/Listas.h"
#include "platform/fs.h"
#include "records/Depuracion.h"

using namespace korva;
using korva::test::Fixture;
using korva::test::lee;

namespace {
struct Carpetas {
    QString env, rec;
};
Carpetas prepara(Fixture& f, bool misma = false) {
    Carpetas c{f.carpeta("env"), misma ? f.carpeta("env") : f.carpeta("rec")};
    f.st.config().setSlot(slot::Usuario, "ftp4321");
    f.st.config().setSlot(slot::DirEnvio, c.env);
    f.st.config().setSlot(slot::DirRecibo, c.rec);
    f.st.ciclo().setDiaJulianoActual(46);
    return c;
}
void toca(const QString& carpeta, const QStringList& nombres) {
    QDir().mkpath(carpeta);
    for (const QString& n : nombres)
        fs::escribeAtomico(carpeta + "/" + n, n.toLatin1());
}
QStringList en(const QString& carpeta) {
    return QDir(carpeta).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}
} // namespace

class PruebaDepuracion : public QObject {
    Q_OBJECT
private slots:
    void caducidadEnEnviados_data() {
        QTest::addColumn<int>("hoy");
        QTest::addColumn<int>("dia");
        QTest::addColumn<bool>("borra");
        QTest::addRow("100: 80 goes") << 100 << 80 << true;
        QTest::addRow("100: 81 stays") << 100 << 81 << false;
        QTest::addRow("100: today stays") << 100 << 100 << false;
        QTest::addRow("100: later stays") << 100 << 300 << false;
        QTest::addRow("21: 1 goes") << 21 << 1 << true;
        QTest::addRow("21: 2 stays") << 21 << 2 << false;
        QTest::addRow("10: 9 stays") << 10 << 9 << false;
        QTest::addRow("10: 10 goes") << 10 << 10 << true;
        QTest::addRow("10: 356 goes") << 10 << 356 << true;
        QTest::addRow("10: 357 stays (last year)") << 10 << 357 << false;
        QTest::addRow("20: 366 goes") << 20 << 366 << true;
        QTest::addRow("1: 347 goes") << 1 << 347 << true;
        QTest::addRow("1: 348 stays") << 1 << 348 << false;
    }
    void caducidadEnEnviados() {
        QFETCH(int, hoy);
        QFETCH(int, dia);
        QFETCH(bool, borra);
        QCOMPARE(enviadoCaduco(dia, hoy), borra);
    }

    void posicionDeLaPatente() {
        QCOMPARE(patenteBase("ra4321123.045"), QStringLiteral("4321"));
        QCOMPARE(patenteBase("r4321123.045"), QStringLiteral("4321"));
        QCOMPARE(patenteBase("Eb4321123045"), QStringLiteral("4321"));
        QCOMPARE(patenteBase("ma4321123.04"), QStringLiteral("a432"));
        QCOMPARE(patenteBase("x"), QString());
        QCOMPARE(patenteRutaEnvio("ea4321123045"), QStringLiteral("4321"));
        QCOMPARE(patenteRutaEnvio("e4321567.045"), QStringLiteral("4321"));
        QCOMPARE(patenteRutaEnvio("ra4321123.045"), QStringLiteral("a432"));
    }

    void depuracionDeUnDiaNuevo() {
        Fixture f;
        const Carpetas c = prepara(f);
        toca(c.env,
             {"m4321123.045", "m4321123.046", "m1111123.045", "m4321124.045", "bitacora", ".oculto.045"});
        fs::ponSoloLectura(c.env + "/m4321124.045", true);
        toca(c.env + "/Pend", {"ra4321123.045", "r4321123.045", "m4321999.046"});
        toca(c.env + "/Rechaza", {"m4321000.001"});
        toca(c.env + "/Enviados", {"m1111001.026", "m4321001.027", "m4321001.046", "m4321001.err"});
        toca(c.rec, {"432145.log", "a4321123.045", "m4321123.err", "R4321123.045", "aviso.txt", "aviso.gen",
                     "x4321123xyz.046"});
        QDir(c.env).mkdir("m4321555.045"); // a folder is never touched
        QFile::link(c.rec + "/a4321123.045", c.env + "/m4321777.045");
        f.st.pantalla().setLista(Lista::Enviados, {"x"});
        f.st.pantalla().setLista(Lista::Recibidos, {"x"});
        f.st.pantalla().setLista(Lista::Rechazados, {"x"});
        f.st.pantalla().setLista(Lista::Pendientes, {"p"});
        Latido latido(0); // the window's timers fire during the purge
        f.ctx.latido = &latido;
        int turnos = 0;
        QTimer cuenta;
        QObject::connect(&cuenta, &QTimer::timeout, [&] { ++turnos; });
        cuenta.start(0);

        DepuraArchivos(f.ctx);

        QVERIFY(turnos > 0);
        QCOMPARE(en(c.env), (QStringList{".oculto.045", "m1111123.045", "m4321123.046", "m4321124.045"}));
        QVERIFY(QFileInfo(c.env + "/m4321555.045").isDir());
        QVERIFY(QFileInfo(c.env + "/m4321777.045").isSymLink());
        QCOMPARE(en(c.env + "/Pend"), QStringList{"m4321999.046"});
        QVERIFY(en(c.env + "/Rechaza").isEmpty());
        QCOMPARE(en(c.env + "/Enviados"), (QStringList{"m4321001.027", "m4321001.046", "m4321001.err"}));
        QCOMPARE(en(c.rec), (QStringList{"aviso.gen", "x4321123xyz.046"}));
        QCOMPARE(en(c.rec + "/Respalda"), (QStringList{"432145.log", "a4321123.045", "m4321123.err"}));
        QVERIFY(f.st.pantalla().lista(Lista::Enviados).isEmpty());
        QVERIFY(f.st.pantalla().lista(Lista::Recibidos).isEmpty());
        QVERIFY(f.st.pantalla().lista(Lista::Rechazados).isEmpty());
        QCOMPARE(f.st.pantalla().lista(Lista::Pendientes), QStringList{"p"});
        QCOMPARE(f.st.pantalla().evento(), QStringLiteral("Listo para iniciar"));
        QCOMPARE(f.dlg.punteros, (QList<Puntero>{Puntero::Ocupado, Puntero::Normal}));
    }

    // The day's log gone before its time (deleted, the receive folder
    // changed): the purge runs, and the register keeps today's lines, so
    // the day's files already sent do not go again.
    void registroConservaLoDeHoy() {
        Fixture f;
        const Carpetas c = prepara(f);
        QVERIFY(test::pon(c.env + "/bitacora", "m4321123.045|14/02/2026 08:00:00\r\n"
                                               "m4321123.046|14/02/2026 08:00:00\r\n"
                                               "m4321124.046|14/02/2026 08:05:00\r\n"));
        f.st.atrasados().agrega("m4321125.046|14/02/2026 09:00:00");
        f.st.atrasados().agrega("m4321125.045|13/02/2026 09:00:00");
        DepuraArchivos(f.ctx);
        QCOMPARE(test::lineas(c.env + "/bitacora"),
                 (QStringList{"m4321123.046|14/02/2026 08:00:00", "m4321124.046|14/02/2026 08:05:00"}));
        QCOMPARE(f.st.atrasados().lineas(), QStringList{"m4321125.046|14/02/2026 09:00:00"});
    }

    void depuracionYaHechaOCarpetaFaltante() {
        Fixture f;
        const Carpetas c = prepara(f);
        toca(c.env, {"m4321123.045"});
        toca(c.rec, {"432146.log"});
        f.st.pantalla().setLista(Lista::Enviados, {"x"});
        DepuraArchivos(f.ctx); // today's log exists: nothing at all
        QCOMPARE(en(c.env), QStringList{"m4321123.045"});
        QCOMPARE(f.st.pantalla().lista(Lista::Enviados), QStringList{"x"});
        QVERIFY(!QDir(c.rec + "/Respalda").exists());

        f.st.config().setSlot(slot::DirRecibo, f.ruta("falta"));
        DepuraArchivos(f.ctx); // folder check fails: its message, nothing else
        QCOMPARE(f.dlg.registros.size(), 1);
        QCOMPARE(f.dlg.punteros.last(), Puntero::Normal);
        QCOMPARE(en(c.env), QStringList{"m4321123.045"});
    }

    void mismaCarpetaConservaRespuestas_data() {
        QTest::addColumn<int>("escritura");
        QTest::addRow("one path") << 0;
        QTest::addRow("spelt with a double slash") << 1;
        QTest::addRow("receive folder a link to the send folder") << 2;
    }
    void mismaCarpetaConservaRespuestas() {
        QFETCH(int, escritura);
        Fixture f;
        const Carpetas c = prepara(f, true);
        if (escritura == 1)
            f.st.config().setSlot(slot::DirRecibo, f.tmp.path() + "//env");
        if (escritura == 2) {
            QVERIFY(QFile::link(c.env, f.ruta("rec")));
            f.st.config().setSlot(slot::DirRecibo, f.ruta("rec"));
        }
        toca(c.env, {"m4321123.045", "a4321123.045", "4321045.log"});
        DepuraArchivos(f.ctx);
        QVERIFY(en(c.env).isEmpty());
        QCOMPARE(en(c.env + "/Respalda"), (QStringList{"4321045.log", "a4321123.045"}));
    }

    // The receive folder named again among the additional routes (spelt
    // another way): its responses still get their copies before they go.
    void carpetaDeReciboTambienComoRuta() {
        Fixture f;
        const Carpetas c = prepara(f);
        f.st.config().setChk(slot::RutasAdicionales, true);
        f.st.config().setRutas(Sentido::Envio, {{f.carpeta("ruta")}, {}});
        f.st.config().setRutas(Sentido::Recibo, {{f.tmp.path() + "//rec"}, {}});
        toca(c.rec, {"m4321101.err", "r4321104.045"});
        DepuraArchivos(f.ctx);
        QVERIFY(en(c.rec).isEmpty());
        QCOMPARE(en(c.rec + "/Respalda"), (QStringList{"m4321101.err", "r4321104.045"}));
    }

    void enlacesNuncaSeSiguen() {
        Fixture f;
        const Carpetas c = prepara(f);
        const QString fuera = f.carpeta("fuera");
        toca(fuera, {"m4321123.045", "a4321124.045"});
        QFile::link(fuera + "/m4321123.045", c.env + "/m4321123.045");
        QFile::link(fuera + "/a4321124.045", c.rec + "/a4321124.045");
        toca(fuera, {"r4321125.045", "victima"});
        // A link where a backup copy goes: replaced, what it leads to untouched.
        fs::ponSoloLectura(fuera + "/victima", true);
        toca(c.rec, {"r4321126.045"});
        QDir().mkpath(c.rec + "/Respalda");
        QFile::link(fuera + "/victima", c.rec + "/Respalda/r4321126.045");
        korva::test::VentanaErrorGrabadora ventana;
        f.ctx.ventanaError = &ventana;
        // A Pend that leads elsewhere: the purge refuses it, and touches nothing.
        QFile::link(fuera, c.env + "/Pend");
        DepuraArchivos(f.ctx);
        QCOMPARE(f.dlg.registros.size(), 1);
        QVERIFY(f.dlg.ultimo().contains(c.env + "/Pend no es una carpeta del programa"));
        QCOMPARE(en(fuera), (QStringList{"a4321124.045", "m4321123.045", "r4321125.045", "victima"}));
        QVERIFY(QFile::exists(c.rec + "/r4321126.045"));
        QFile::remove(c.env + "/Pend");
        DepuraArchivos(f.ctx);
        QCOMPARE(en(fuera), (QStringList{"a4321124.045", "m4321123.045", "r4321125.045", "victima"}));
        QVERIFY(QFileInfo(c.env + "/m4321123.045").isSymLink());
        QVERIFY(QFileInfo(c.rec + "/a4321124.045").isSymLink());
        QVERIFY(!QFile::exists(c.rec + "/Respalda/a4321124.045"));
        QCOMPARE(lee(fuera + "/victima"), QByteArray("victima"));
        QVERIFY(fs::soloLectura(fuera + "/victima"));
        QVERIFY(!QFileInfo(c.rec + "/Respalda/r4321126.045").isSymLink());
        QCOMPARE(lee(c.rec + "/Respalda/r4321126.045"), QByteArray("r4321126.045"));
        QVERIFY(!QFile::exists(c.rec + "/r4321126.045"));
        QCOMPARE(ventana.fallas.size(), 1);
        QVERIFY(ventana.fallas.first().contains(c.rec + "/Respalda/r4321126.045"));
    }

    void copiaFallidaConservaLaRespuesta() {
        Fixture f;
        const Carpetas c = prepara(f);
        toca(c.rec, {"a4321123.045", "r4321123.045", "m4321123.045", "r4321124.045"});
        // A folder in the way makes the copy of one response fail; the broker
        // protects the copy of another.
        QDir().mkpath(c.rec + "/Respalda/a4321123.045");
        toca(c.rec + "/Respalda", {"r4321124.044"});
        QVERIFY(QFile::rename(c.rec + "/Respalda/r4321124.044", c.rec + "/Respalda/r4321124.045"));
        fs::ponSoloLectura(c.rec + "/Respalda/r4321124.045", true);
        DepuraArchivos(f.ctx);
        QCOMPARE(en(c.rec), (QStringList{"a4321123.045", "r4321124.045"}));
        QCOMPARE(en(c.rec + "/Respalda"), (QStringList{"r4321123.045", "r4321124.045"}));
        QCOMPARE(lee(c.rec + "/Respalda/r4321124.045"), QByteArray("r4321124.044"));
        QCOMPARE(f.st.pantalla().evento(), QStringLiteral("No fue posible depurar ") + c.rec +
                                               "/a4321123.045 (hay una carpeta con ese nombre), " + c.rec +
                                               "/r4321124.045 (su copia en Respalda es de solo lectura)");
        QCOMPARE(f.dlg.punteros.last(), Puntero::Normal);
    }

    void listasDePendientesYRechazados() {
        Fixture f;
        const Carpetas c = prepara(f);
        f.reloj.pon(QDateTime(QDate(2026, 2, 15), QTime(14, 5, 33)));
        ListaPendientes(f.ctx); // missing Pend: the placeholder
        QCOMPARE(f.st.pantalla().lista(Lista::Pendientes), QStringList{"No hay Archivos Pedientes"});
        QVERIFY(!f.st.pantalla().pendientesConArchivos());
        // A "registro 001" file staged in Pend is no file the broker sent.
        toca(c.env + "/Pend", {"m4321123.045", "m1111123.045", "m4321006.r001"});
        QDir(c.env + "/Pend").mkdir("m4321124.045");
        ListaPendientes(f.ctx);
        QCOMPARE(f.st.pantalla().lista(Lista::Pendientes), QStringList{"m4321123.045 - 14:05  En Espera"});
        QVERIFY(f.st.pantalla().pendientesConArchivos());
        ListaRechazados(f.ctx);
        QVERIFY(f.st.pantalla().lista(Lista::Rechazados).isEmpty());
        toca(c.env + "/Rechaza", {"m4321600.045", "m9999600.045"});
        ListaRechazados(f.ctx);
        QCOMPARE(f.st.pantalla().lista(Lista::Rechazados), QStringList{"m4321600.045 - RECHAZADO"});
        // A send folder that is no local path leaves both lists as they were.
        f.st.config().setSlot(slot::DirEnvio, "ENV(3)");
        ListaPendientes(f.ctx);
        ListaRechazados(f.ctx);
        QCOMPARE(f.st.pantalla().lista(Lista::Rechazados).size(), 1);
        QCOMPARE(f.st.pantalla().lista(Lista::Pendientes).size(), 1);
    }
};

QTEST_GUILESS_MAIN(PruebaDepuracion)
#include "test_depuracion.moc"

#include <QDir>
#include <QFile>

#include <QTest>
#include <sys/stat.h>

#include "Archivos.h"
#include "Fixture.h"
#include "VentanaErrorGrabadora.h"
#include "app/Arranque.h"
#include "config/ArchivoConfiguracion.h"
#include "cycle/Ciclo.h"
#include "platform/fs.h"

using namespace korva;
using korva::test::Fixture;

namespace {
// A saved configuration for position 0 with folders under the fixture.
void configura(Fixture& f, const QString& usuario, const QString& depurar, bool rutas) {
    f.st.config().setSlot(slot::Usuario, usuario);
    f.st.config().setSlot(slot::DirEnvio, f.carpeta("env"));
    f.st.config().setSlot(slot::DirRecibo, f.carpeta("rec"));
    f.st.config().setSlot(slot::DepurarArchivos, depurar);
    f.st.config().setSlot(slot::RutasAdicionales, rutas ? "1" : "0");
    f.st.config().setSlot(slot::RutasEnvioLocal, f.ruta("no-existe"));
    f.st.config().setSlot(slot::ServidorActual, f.st.config().TxtConfiguration(slot::ServidorPrimario));
    QVERIFY(GrabaConfiguracion(f.ctx));
}
} // namespace

class PruebaArranque : public QObject {
    Q_OBJECT
private slots:
    void arranqueYDepuracion_data() {
        QTest::addColumn<QString>("depurar");
        QTest::addColumn<bool>("purga");
        QTest::addRow("1 purges") << "1" << true;
        QTest::addRow("0 does not") << "0" << false;
        QTest::addRow("1 with a blank does not") << "1 " << false;
    }
    void arranqueYDepuracion() {
        QFETCH(QString, depurar);
        QFETCH(bool, purga);
        Fixture escrito;
        configura(escrito, "ftp4321", depurar, false);
        Fixture f;
        QFile::copy(escrito.ruta("odbc0.reg"), f.ruta("odbc0.reg"));
        QDir().mkpath(escrito.ruta("env/Pend"));
        fs::escribeAtomico(escrito.ruta("env/m4321123.044"), "old");
        f.reloj.pon(QDateTime(QDate(2026, 2, 14), QTime(8, 0, 0)));
        CargaForm1(f.ctx, 0);
        QCOMPARE(QFile::exists(escrito.ruta("env/m4321123.044")), !purga);
        QCOMPARE(f.st.pantalla().etiqueta(Etiqueta::Titulo),
                 QStringLiteral("KORVA Centro de Prevalidación         Patente  >>> 4321"));
        QCOMPARE(f.st.pantalla().etiqueta(Etiqueta::Patente), QStringLiteral("4321"));
        QCOMPARE(f.st.pantalla().etiqueta(Etiqueta::DiaJuliano), QStringLiteral("45"));
        QCOMPARE(f.st.pantalla().etiqueta(Etiqueta::Fecha),
                 QStringLiteral("14 feb 2026")); // Spanish under a C locale
        QCOMPARE(f.st.config().periodo(), 30);
        QVERIFY(!f.st.config().ConfiguracionModificada());
        QVERIFY(f.st.sesion().mostrarErrores());
        QCOMPARE(f.st.pantalla().lista(Lista::Pendientes), QStringList{"No hay Archivos Pedientes"});
        QVERIFY(f.dlg.registros.isEmpty()); // routes off: no route check
        QCOMPARE(f.st.pantalla().evento(),
                 QStringLiteral("Listo para Iniciar")); // nothing under way once started
    }

    void configuracionIncompletaNoSeUsa() {
        Fixture escrito;
        configura(escrito, "ftp4321", "1", false);
        fs::escribeAtomico(escrito.ruta("env/m4321123.044"), "old");
        Fixture f;
        QFile in(escrito.ruta("odbc0.reg"));
        QVERIFY(in.open(QIODevice::ReadOnly));
        const QList<QByteArray> lineas = in.readAll().split('\n');
        const QByteArray cortado = lineas.mid(0, 24).join('\n') + '\n'; // slot 24 lost
        fs::escribeAtomico(f.ruta("odbc0.reg"), cortado);
        fs::escribeAtomico(f.ruta("usuarios.dat"), "4321\r\n");
        f.reloj.pon(QDateTime(QDate(2026, 2, 14), QTime(8, 0, 0)));
        CargaForm1(f.ctx, 0);
        QVERIFY(f.st.config().configuracionNoLeida());
        QCOMPARE(f.st.pantalla().etiqueta(Etiqueta::Patente),
                 QStringLiteral("4321")); // not the defaults' "r(1)"
        QCOMPARE(f.dlg.registros.size(), 1);
        QVERIFY(f.dlg.ultimo().contains(QStringLiteral("incompleto (24 de 25 renglones)")));
        QVERIFY(QFile::exists(escrito.ruta("env/m4321123.044"))); // the purge's "1" was not taken
        f.dlg.limpia();
        Start_Button_Click(f.ctx);
        QCOMPARE(f.st.captionInicio(), QStringLiteral("&Iniciar"));
        QCOMPARE(f.dlg.registros.size(), 1);
        QVERIFY(!GrabaConfiguracion(f.ctx));
        QCOMPARE(korva::test::lee(f.ruta("odbc0.reg")), cortado);
    }

    // The program's own files as a FIFO or a link planted in their place are
    // reported, never waited on or read through; a Pend that leads elsewhere
    // stops the cycle before it copies or deletes anything there.
    void archivosPropiosSuplantadosSeReportan() {
        Fixture escrito;
        configura(escrito, "ftp4321", "0", false);
        Fixture f;
        QFile::copy(escrito.ruta("odbc0.reg"), f.ruta("odbc0.reg"));
        korva::test::VentanaErrorGrabadora ventana;
        f.ctx.ventanaError = &ventana;
        const auto fifo = [](const QString& r) {
            QCOMPARE(::mkfifo(QFile::encodeName(r).constData(), 0600), 0);
        };
        fifo(escrito.ruta("rec/432145.log"));
        fifo(escrito.ruta("env/bitacora"));
        fs::escribeAtomico(escrito.ruta("secreto"), "clave del otro");
        QVERIFY(QFile::setPermissions(escrito.ruta("secreto"), QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(QFile::link(escrito.ruta("secreto"), escrito.ruta("rec/aviso.txt")));
        f.reloj.pon(QDateTime(QDate(2026, 2, 14), QTime(8, 0, 0)));
        CargaForm1(f.ctx, 0);
        QCOMPARE(ventana.fallas,
                 (QStringList{"ERROR: no fue posible leer la bitácora " + escrito.ruta("rec/432145.log") +
                                  " (no es un archivo regular)",
                              "ERROR: no fue posible leer el aviso " + escrito.ruta("rec/aviso.txt") +
                                  " (es un enlace)"}));
        QVERIFY(f.st.pantalla().etiqueta(Etiqueta::AvisoParticular).isEmpty());

        fs::escribeAtomico(escrito.ruta("env/m4321123.045"), "500|1|4321|\r\n");
        EjecutaCiclo(f.ctx); // no centre: nothing could go anyway
        QVERIFY(
            ventana.fallas.last().startsWith("ERROR: no fue posible leer " + escrito.ruta("env/bitacora")));

        const QString fuera = escrito.carpeta("fuera");
        fs::escribeAtomico(fuera + "/m4321120.045", "del broker");
        QVERIFY(QDir().rmdir(escrito.ruta("env/Pend")) && QFile::link(fuera, escrito.ruta("env/Pend")));
        f.dlg.limpia();
        EjecutaCiclo(f.ctx);
        QVERIFY(f.dlg.ultimo().contains(escrito.ruta("env/Pend") + " no es una carpeta del programa"));
        QCOMPARE(QDir(fuera).entryList(QDir::Files), QStringList{"m4321120.045"});
    }

    void fallaAlDepurarQuedaTrasElArranque() {
        Fixture escrito;
        configura(escrito, "ftp4321", "1", false);
        fs::escribeAtomico(escrito.ruta("rec/a4321123.044"), "respuesta");
        QDir().mkpath(escrito.ruta("rec/Respalda/a4321123.044")); // its copy cannot be made
        Fixture f;
        QFile::copy(escrito.ruta("odbc0.reg"), f.ruta("odbc0.reg"));
        korva::test::VentanaErrorGrabadora ventana;
        f.ctx.ventanaError = &ventana;
        f.reloj.pon(QDateTime(QDate(2026, 2, 14), QTime(8, 0, 0)));
        CargaForm1(f.ctx, 0);
        QCOMPARE(ventana.fallas, QStringList{"No fue posible depurar " + escrito.ruta("rec/a4321123.044") +
                                             " (hay una carpeta con ese nombre)"});
        QVERIFY(ventana.codigos.isEmpty());
    }

    void rutasSeRevisanSiEstanMarcadas() {
        Fixture escrito;
        configura(escrito, "ab", "0", true);
        Fixture f;
        QFile::copy(escrito.ruta("odbc0.reg"), f.ruta("odbc0.reg"));
        CargaForm1(f.ctx, 0);
        QVERIFY(f.dlg.ultimo().contains("Rutas de Envio Local"));
        QCOMPARE(f.st.edicion().panel(), Panel::Rutas);
        QCOMPARE(f.st.pantalla().etiqueta(Etiqueta::Titulo),
                 QStringLiteral("KORVA Centro de Prevalidación         Patente  >>> ab"));
        QVERIFY(!f.st.config().ConfiguracionModificada());
    }

    void todosLosAvisosEnUnCuadro() {
        Fixture f;
        LblDespliega_DblClick(f.ctx);
        QCOMPARE(f.dlg.ultimo(), QString());
        f.st.pantalla().setLista(Lista::Mensajes, {"uno", "dos"});
        LblDespliega_DblClick(f.ctx);
        QCOMPARE(f.dlg.ultimo(), QStringLiteral("uno\rdos\r"));
        QCOMPARE(f.dlg.registros.last().icono, Icono::Ninguno);
    }
};

QTEST_GUILESS_MAIN(PruebaArranque)
#include "test_arranque.moc"

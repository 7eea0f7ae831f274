#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include "Archivos.h"
#include "Oficina4321.h"
#include "config/ArchivoConfiguracion.h"
#include "config/Edicion.h"
#include "config/Folios.h"
#include "platform/fs.h"

using namespace korva;
using namespace korva::test;

namespace {
// Lock state of every slot but the folio pair.
QList<bool> otrosBloqueos(const EstadoPrincipal& st) {
    QList<bool> b;
    for (int n = 0; n < EstadoConfiguracion::kSlots; ++n)
        if (n != slot::FolioInferior && n != slot::FolioSuperior)
            b << st.config().bloqueado(n);
    return b;
}
// Commands that named the authorization file (a missing one fails before RETR).
int pedidos(const CentroSimulado& c) {
    int n = 0;
    for (const QString& l : c.bitacora())
        n += l.contains(QStringLiteral("folios.aut"));
    return n;
}
bool foliosBloqueados(const EstadoPrincipal& st) {
    return st.config().bloqueado(slot::FolioInferior) && st.config().bloqueado(slot::FolioSuperior);
}
} // namespace

class PruebaFolios : public QObject {
    Q_OBJECT
private slots:
    void autorizacionPresente() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        QVERIFY(c.orden(QStringLiteral("folios.aut")));
        Oficina4321 o;
        o.conecta(c);
        const QList<bool> otros = otrosBloqueos(o.st());
        QVERIFY(foliosBloqueados(o.st()));
        QSignalSpy caption(&o.st().config(), &EstadoConfiguracion::foliosCambiado);
        o.f.dlg.responde(true);
        Menu_Folios(o.ctx());
        QCOMPARE(o.f.dlg.textos(), QStringList{kPreguntaFolios});
        QCOMPARE(o.f.dlg.registros.first().titulo, kTitulo);
        QVERIFY(!o.st().config().bloqueado(slot::FolioInferior));
        QVERIFY(!o.st().config().bloqueado(slot::FolioSuperior));
        QCOMPARE(otrosBloqueos(o.st()), otros); // only the folio pair, outside edit mode
        QVERIFY(!o.st().edicion().editando());
        QCOMPARE(o.st().config().captionFolios(), QStringLiteral("Guardar Cambios de Folios"));
        QCOMPARE(caption.count(), 1);
        QVERIFY(QDir(o.recibo).entryList(QDir::Files | QDir::Hidden).isEmpty()); // folio.aut gone
        QCOMPARE(c.cuenta("RETR"), 1);
        QVERIFY(!o.ftp->conectado());
        // The authorization stays on the server.
        QVERIFY(QFile::exists(c.ruta("ENV/folios.aut")));
        QCOMPARE(c.cuenta("DELE"), 0);

        // New limits, then the same entry saves and relocks.
        o.st().config().setSlot(slot::FolioInferior, QStringLiteral("100"));
        o.st().config().setSlot(slot::FolioSuperior, QStringLiteral("900"));
        Menu_Folios(o.ctx());
        QCOMPARE(o.f.dlg.registros.size(), 1); // no second question
        const QStringList lineas = test::lineas(rutaConfiguracion(o.ctx()));
        QCOMPARE(lineas.value(slot::FolioInferior), QStringLiteral("100"));
        QCOMPARE(lineas.value(slot::FolioSuperior), QStringLiteral("900"));
        QVERIFY(foliosBloqueados(o.st()));
        QVERIFY(!o.st().config().ConfiguracionModificada());
        QCOMPARE(o.st().config().captionFolios(), QStringLiteral("C&ambiar Folios"));
        QCOMPARE(c.cuenta("RETR"), 1); // saving talks to no server

        // While the file is there every new request is granted.
        o.f.dlg.responde(true);
        Menu_Folios(o.ctx());
        QVERIFY(o.st().config().foliosAutorizados());
        QCOMPARE(c.cuenta("RETR"), 2);
    }

    void guardaTambienEnEdicion() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        QVERIFY(c.orden(QStringLiteral("folios.aut")));
        Oficina4321 o;
        o.conecta(c);
        o.f.dlg.responde(true);
        Menu_Configure(o.ctx()); // edit mode: every slot open but the folios
        QVERIFY(foliosBloqueados(o.st()));
        o.f.dlg.responde(true);
        Menu_Folios(o.ctx());
        QVERIFY(!foliosBloqueados(o.st()));
        o.st().config().setSlot(slot::FolioSuperior, QStringLiteral("777"));
        Menu_Folios(o.ctx());
        QVERIFY(foliosBloqueados(o.st()));
        QVERIFY(o.st().edicion().editando());
        QVERIFY(!o.st().config().bloqueado(slot::DirEnvio)); // edit mode itself goes on
        QCOMPARE(test::lineas(rutaConfiguracion(o.ctx())).value(slot::FolioSuperior), QStringLiteral("777"));
    }

    void autorizacionAusente() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        o.f.dlg.responde(true);
        Menu_Folios(o.ctx());
        QCOMPARE(o.f.dlg.textos(), (QStringList{kPreguntaFolios, kAutorizacionNegada}));
        QCOMPARE(o.f.dlg.registros.last().icono, Icono::Error);
        QVERIFY(foliosBloqueados(o.st()));
        QVERIFY(!o.st().config().foliosAutorizados());
        QCOMPARE(o.st().config().captionFolios(), QStringLiteral("C&ambiar Folios"));
        QVERIFY(QDir(o.recibo).entryList(QDir::Files | QDir::Hidden).isEmpty());
        QVERIFY(pedidos(c) >= 1);
        QVERIFY(!o.ftp->conectado());
    }

    void sinServidorLaMismaNegativa() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        c.detiene(); // nobody listens on the port any more
        o.f.dlg.responde(true);
        Menu_Folios(o.ctx());
        // The transfer layer's own error window may open; the broker's box is the one denial.
        QCOMPARE(o.f.dlg.textos(), (QStringList{kPreguntaFolios, kAutorizacionNegada}));
        QVERIFY(foliosBloqueados(o.st()));
        QVERIFY(!o.st().config().foliosAutorizados());
    }

    void noNoContactaAlServidor() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        QVERIFY(c.orden(QStringLiteral("folios.aut")));
        Oficina4321 o;
        o.conecta(c);
        o.f.dlg.responde(false);
        Menu_Folios(o.ctx());
        QCOMPARE(o.f.dlg.registros.size(), 1);
        QVERIFY(foliosBloqueados(o.st()));
        QVERIFY(!o.st().config().foliosAutorizados());
        QVERIFY2(c.bitacora().isEmpty(), qPrintable(c.bitacora().join('\n')));
        QVERIFY(!QFile::exists(rutaConfiguracion(o.ctx())));
    }
};

QTEST_GUILESS_MAIN(PruebaFolios)
#include "test_folios.moc"

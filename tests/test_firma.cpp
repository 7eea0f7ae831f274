#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QProcess>
#include <QTest>
#include <cstring>
#include <functional>

#include "Archivos.h"
#include "Certificados.h"
#include "Oficina4321.h"
#include "cycle/EnvioValidacion.h"
#include "platform/BibliotecaFirma.h"
#include "platform/fs.h"
#include "signature/FirmaArchivo.h"

using namespace korva;
using namespace korva::test;

namespace {

const QByteArray kCurpA = "GOMA800101HDFRRN09";
const QByteArray kCurpB = "LOPE750615MJCPRR02";
const QByteArray kSerie = "30001000000500003416";

QString carpetaBuild() { return qEnvironmentVariable("KORVA_BUILD_DIR"); }

// A validation file with one pedimento per CURP given.
QByteArray validacion(const QList<QByteArray>& curps, const QByteArray& extra201 = {}) {
    QByteArray b = "201|4321|m4321123.045|\r\n" + extra201;
    int n = 0;
    for (const QByteArray& c : curps) {
        const QByteArray ped = QByteArray::number(6001230 + n++);
        b += "500|1|4321|" + ped + "|470|\r\n";
        b += "501|4321|" + ped + "|470|1|IMD|A1|0|12345|" + c + "|\r\n";
        b += "505|" + ped + "|FACT-" + QByteArray::number(n) + "|\r\n";
        b += "800|" + ped + "|1|||\r\n";
    }
    b += "801|m4321123.045|" + QByteArray::number(curps.size()) + "|" +
         QByteArray::number(curps.size() * 3 + 1) + "|470|\r\n";
    return b;
}

void campo(char* destino, size_t largo, const QByteArray& texto) {
    std::memset(destino, 0, largo);
    std::memcpy(destino, texto.constData(), std::min<size_t>(largo - 1, static_cast<size_t>(texto.size())));
}

// The signature library scripted, for result codes the real one cannot be
// made to give and to see what the program hands it.
class BibliotecaGuionada final : public BibliotecaFirma {
public:
    QString falta;
    qint32 busca = 0;
    QList<QByteArray> curps{kCurpA};
    qint32 genera = 0;
    int llamadasBusca = 0;
    int llamadasGenera = 0;
    QByteArray archivoRecibido;
    Firmantes recibidos{};

    QString disponible() override { return falta; }
    qint32 BuscaCurpsG(const QByteArray& archivo, quint8, Firmantes& f) override {
        ++llamadasBusca;
        archivoRecibido = archivo;
        for (int i = 0; i < curps.size() && i < 5; ++i)
            campo(f[i].Curp, sizeof f[i].Curp, curps[i]);
        return busca;
    }
    qint32 GeneraFirmaDigitalG(const QByteArray&, quint8, Firmantes& f) override {
        ++llamadasGenera;
        recibidos = f;
        return genera;
    }
};

} // namespace

class PruebaFirma : public QObject {
    Q_OBJECT

    Certificados* certs = nullptr;
    QTemporaryDir dir;
    QString key, keyPem, keyOtra, cer, cerPem, cerVencido, cerFuturo, cerOtra;
    std::unique_ptr<BibliotecaFirma> real;
    using Verifica = qint32 (*)(const char*, const char*);
    Verifica verificaFirmas = nullptr;
    QLibrary libVerifica;

    QString copia(const QString& nombre, const QByteArray& contenido) {
        const QString r = dir.filePath(nombre);
        QFile::remove(r);
        if (!escribe(r, contenido))
            qFatal("cannot write %s", qPrintable(r));
        return r;
    }

    void credenciales(Firmantes& f, const QString& k, const QString& c, const QByteArray& pass) {
        for (DatosFirmante& d : f) {
            if (d.Curp[0] == '\0')
                continue;
            campo(d.ArchivoKey, sizeof d.ArchivoKey, QFile::encodeName(k));
            campo(d.ArchivoCer, sizeof d.ArchivoCer, QFile::encodeName(c));
            campo(d.Contrasena, sizeof d.Contrasena, pass);
        }
    }

    void configura(Fixture& fx, const QString& k, const QString& c, const QString& pass) {
        fx.st.config().setSlot(slot::RutaKey, k);
        fx.st.config().setSlot(slot::RutaCer, c);
        fx.st.config().setSlot(slot::ContrasenaKey, pass);
    }

    qint32 verifica(const QString& archivo, const QString& certificado) {
        return verificaFirmas(QFile::encodeName(archivo).constData(),
                              QFile::encodeName(certificado).constData());
    }

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        certs = new Certificados;
        // The password as the program hands it over: code page bytes.
        const QByteArray pass1252 = QByteArray("Contrase\xf1"
                                               "a1");
        key = copia("agente.key", certs->llaveDer(false, pass1252));
        keyPem = copia("agente-key.pem", certs->llavePem(false, pass1252));
        keyOtra = copia("otro.key", certs->llaveDer(true, pass1252));
        const QByteArray der = certs->certificadoDer(false, -3600, 86400 * 365, kSerie, kCurpA);
        cer = copia("agente.cer", der);
        cerPem = copia("agente-cer.pem", certs->certificadoPem(der));
        cerVencido = copia("vencido.cer", certs->certificadoDer(false, -86400 * 400, -86400, kSerie, kCurpA));
        cerFuturo = copia("futuro.cer", certs->certificadoDer(false, 86400, 86400 * 365, kSerie, kCurpA));
        cerOtra =
            copia("otro.cer", certs->certificadoDer(true, -3600, 86400, "30001000000500009999", kCurpB));

        real = abreBibliotecaFirma(carpetaBuild());
        QCOMPARE(real->disponible(), QString());
        libVerifica.setFileName(QDir(carpetaBuild()).filePath("sgenc"));
        QVERIFY2(libVerifica.load(), qPrintable(libVerifica.errorString()));
        verificaFirmas = reinterpret_cast<Verifica>(libVerifica.resolve("SgencVerificaFirmas"));
        QVERIFY(verificaFirmas);
    }

    void cleanupTestCase() { delete certs; }

    // --- the library itself, loaded by name -----------------------------------

    void buscaCurpsFirmantesDistintosEnOrden() {
        Firmantes f{};
        const QString a = copia("m4321123.045", validacion({kCurpB, kCurpA, kCurpB, "NOESCURP"}));
        QCOMPARE(real->BuscaCurpsG(QFile::encodeName(a), 0, f), 0);
        QCOMPARE(QByteArray(f[0].Curp), kCurpB);
        QCOMPARE(QByteArray(f[1].Curp), kCurpA);
        QCOMPARE(f[0].Curp[18], '\0');
        for (int i = 2; i < 5; ++i)
            QCOMPARE(f[i].Curp[0], '\0');

        // No "501" record: any field of CURP form counts, at most five.
        QByteArray sin501 = "201|4321|c4321001.045|\r\n";
        const QList<QByteArray> seis = {"AAAA800101HDFRRN01", "BEBA800101HDFRRN02", "CICA800101HDFRRN03",
                                        "DODA800101HDFRRN04", "EUEA800101HDFRRN05", "FXFA800101HDFRRN06"};
        for (const QByteArray& c : seis)
            sin501 += "301|x|" + c + "|AAAA800101HDFRRN01|\r\n";
        Firmantes g{};
        QCOMPARE(real->BuscaCurpsG(QFile::encodeName(copia("c4321001.045", sin501)), 1, g), 0);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(QByteArray(g[i].Curp), seis[i]);

        // Near misses of the CURP form are not signers.
        const QByteArray casi =
            "301|GOMA801301HDFRRN09|GOMA800132HDFRRN09|GOMA800100HDFRRN09|GBMA800101HDFRRN09|"
            "GOMA800101ZDFRRN09|goma800101hdfrrn09|GOMA800101HDFRRN0|GOMA800101HDFRRN0X|"
            "GOMA800101HDFRRNA9|XXXX991231XZZZZZZ0|\r\n";
        Firmantes c{};
        QCOMPARE(real->BuscaCurpsG(QFile::encodeName(copia("c4321002.045", casi)), 1, c), 0);
        QCOMPARE(QByteArray(c[0].Curp), QByteArray("GOMA800101HDFRRNA9"));
        QCOMPARE(QByteArray(c[1].Curp), QByteArray("XXXX991231XZZZZZZ0"));
        QCOMPARE(c[2].Curp[0], '\0');

        Firmantes h{};
        QCOMPARE(real->BuscaCurpsG(QFile::encodeName(dir.filePath("no-existe.045")), 0, h), 1);
        QCOMPARE(real->BuscaCurpsG(QFile::encodeName(dir.path()), 0, h), 2);
        // A 501 whose field 10 is no CURP leaves the file without signers.
        QCOMPARE(real->BuscaCurpsG(
                     QFile::encodeName(copia("m4321124.045", validacion({"GOMA801301HDFRRN09"}))), 0, h),
                 3);
        QCOMPARE(h[0].Curp[0], '\0');
    }

    void firmaVerificadaYFirmarDosVecesDaLoMismo() {
        const QString a = copia("m4321125.045", validacion({kCurpA, kCurpA}));
        Firmantes f{};
        QCOMPARE(real->BuscaCurpsG(QFile::encodeName(a), 0, f), 0);
        credenciales(f, key, cer,
                     "Contrase\xf1"
                     "a1");
        QCOMPARE(real->GeneraFirmaDigitalG(QFile::encodeName(a), 0, f), 0);
        const QByteArray firmado = lee(a);
        const QList<QByteArray> lineas = firmado.split('\n');
        int firmas = 0;
        for (const QByteArray& l : lineas) {
            if (!l.startsWith("800|"))
                continue;
            const QList<QByteArray> c = l.trimmed().split('|');
            QCOMPARE(c.value(3).size(), 344); // 2048-bit RSA in base64
            QCOMPARE(c.value(4), kSerie);
            ++firmas;
        }
        QCOMPARE(firmas, 2);
        QVERIFY(firmado.endsWith("801|m4321123.045|2|7|470|\r\n"));
        QCOMPARE(verifica(a, cer), 0);
        QCOMPARE(verifica(a, cerOtra), 21);

        QCOMPARE(real->GeneraFirmaDigitalG(QFile::encodeName(a), 0, f), 0);
        QCOMPARE(lee(a), firmado);

        // The command-line checker agrees, and notices one changed byte.
        QProcess p;
        p.start(QDir(carpetaBuild()).filePath("sgenc-verify"), {a, cer});
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 0);
        QByteArray cambiado = firmado;
        cambiado.replace("FACT-2", "FACT-3");
        const QString b = copia("m4321126.045", cambiado);
        QCOMPARE(verifica(b, cer), 21);
        p.start(QDir(carpetaBuild()).filePath("sgenc-verify"), {b, cer});
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 1);
        // An unsigned file is not "verified".
        QCOMPARE(verifica(copia("m4321127.045", validacion({kCurpA})), cer), 20);
    }

    void llavesPemYArchivosSinPedimentos() {
        // Document type 1 carries no pedimentos: one trailing signature record.
        const QByteArray original = "201|4321|c4321001.045|\n301|" + kCurpA + "|x|\n";
        const QString a = copia("c4321001.045", original);
        Firmantes f{};
        QCOMPARE(real->BuscaCurpsG(QFile::encodeName(a), 1, f), 0);
        credenciales(f, keyPem, cerPem,
                     "Contrase\xf1"
                     "a1");
        QCOMPARE(real->GeneraFirmaDigitalG(QFile::encodeName(a), 1, f), 0);
        const QByteArray firmado = lee(a);
        QVERIFY(firmado.startsWith(original + "FIRMA|"));
        QVERIFY(firmado.endsWith("|" + kSerie + "\n"));
        QCOMPARE(verifica(a, cer), 0);
        QCOMPARE(real->GeneraFirmaDigitalG(QFile::encodeName(a), 1, f), 0);
        QCOMPARE(lee(a), firmado);
    }

    void cadaCodigoDeErrorDeUnaCausaReal() {
        struct Caso {
            const char* nombre;
            qint32 esperado;
            std::function<void(QString& archivo, quint8& tipo, Firmantes& f)> prepara;
        };
        const QByteArray bueno = validacion({kCurpA});
        auto con = [this](Firmantes& f, const QString& k, const QString& c, const QByteArray& p) {
            credenciales(f, k, c, p);
        };
        const QList<Caso> casos = {
            {"document type not signable", 10, [](QString&, quint8& t, Firmantes&) { t = 100; }},
            {"file gone", 1, [this](QString& a, quint8&, Firmantes&) { a = dir.filePath("ya-no.045"); }},
            {"file unreadable", 5, [this](QString& a, quint8&, Firmantes&) { a = dir.path(); }},
            {"KEY missing", 2,
             [&](QString&, quint8&, Firmantes& f) { con(f, dir.filePath("no.key"), cer, "x"); }},
            {"wrong password", 3, [&](QString&, quint8&, Firmantes& f) { con(f, key, cer, "Contrasena1"); }},
            {"KEY corrupt", 6,
             [&](QString&, quint8&, Firmantes& f) {
                 con(f, copia("basura.key", "no es una llave"), cer, "x");
             }},
            {"key of another certificate", 6,
             [&](QString&, quint8&, Firmantes& f) {
                 con(f, keyOtra, cer,
                     "Contrase\xf1"
                     "a1");
             }},
            {"CER missing", 11,
             [&](QString&, quint8&, Firmantes& f) {
                 con(f, key, dir.filePath("no.cer"),
                     "Contrase\xf1"
                     "a1");
             }},
            {"CER unreadable", 11,
             [&](QString&, quint8&, Firmantes& f) {
                 con(f, key, copia("basura.cer", "xx"),
                     "Contrase\xf1"
                     "a1");
             }},
            {"certificate expired", 12,
             [&](QString&, quint8&, Firmantes& f) {
                 con(f, key, cerVencido,
                     "Contrase\xf1"
                     "a1");
             }},
            {"certificate not yet valid", 12,
             [&](QString&, quint8&, Firmantes& f) {
                 con(f, key, cerFuturo,
                     "Contrase\xf1"
                     "a1");
             }},
            {"two 201 records", 13,
             [&](QString& a, quint8&, Firmantes&) {
                 a = copia("m4321130.045", validacion({kCurpA}, "201|otro|\r\n"));
             }},
            {"no record in use", 7, [](QString&, quint8&, Firmantes& f) { f = Firmantes{}; }},
            {"read-only file", 8,
             [](QString& a, quint8&, Firmantes&) { QVERIFY(fs::ponSoloLectura(a, true)); }},
        };
        for (const Caso& c : casos) {
            QString a = copia("m4321129.045", bueno);
            quint8 tipo = 0;
            Firmantes f{};
            QCOMPARE(real->BuscaCurpsG(QFile::encodeName(a), 0, f), 0);
            credenciales(f, key, cer,
                         "Contrase\xf1"
                         "a1");
            c.prepara(a, tipo, f);
            const QByteArray antes = lee(a);
            const qint32 rc = real->GeneraFirmaDigitalG(QFile::encodeName(a), tipo, f);
            QVERIFY2(rc == c.esperado, qPrintable(QStringLiteral("%1: %2").arg(c.nombre).arg(rc)));
            QVERIFY2(lee(a) == antes, c.nombre);
            fs::ponSoloLectura(dir.filePath("m4321129.045"), false);
        }
        for (const QString& n : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
            QVERIFY2(!fs::esTemporal(n), qPrintable(n)); // no temporary left behind

        // A folder where no temporary can be made (kernel files refuse new entries).
        if (fs::existeArchivo("/proc/version")) {
            Firmantes f{};
            campo(f[0].Curp, sizeof f[0].Curp, kCurpA);
            credenciales(f, key, cer,
                         "Contrase\xf1"
                         "a1");
            QCOMPARE(real->GeneraFirmaDigitalG("/proc/version", 0, f), 4);
        }
    }

    // --- FirmaArchivo --------------------------------------------------------

    void faltaKeyOArchivoNoLlamaALaBiblioteca() {
        Fixture fx;
        BibliotecaGuionada lib;
        fx.ctx.firma = &lib;
        const QString a = copia("m4321131.045", validacion({kCurpA}));
        configura(fx, dir.filePath("no.key"), cer, "x");
        QVERIFY(FirmaArchivo(fx.ctx, a, 0) != 0);
        QCOMPARE(fx.dlg.beeps, 1);
        QCOMPARE(fx.dlg.ultimo(),
                 QStringLiteral("ERROR, fue imposible generar la Firma Digital debido a que no se "
                                "encontró el archivo KEY."));
        QCOMPARE(fx.dlg.registros.last().icono, Icono::Error);
        QCOMPARE(fx.dlg.registros.last().titulo, QStringLiteral("KORVA Centro de Prevalidación"));
        QCOMPARE(fx.dlg.punteros, (QList<Puntero>{Puntero::Espera, Puntero::Normal}));

        fx.dlg.limpia();
        configura(fx, key, cer, "x");
        const QString ido = dir.filePath("m4321199.045");
        QVERIFY(FirmaArchivo(fx.ctx, ido, 0) != 0);
        QCOMPARE(fx.dlg.beeps, 1);
        QCOMPARE(fx.dlg.ultimo(), "ERROR, no se encontro el archivo '" + ido + "' fue movido o borrado.");
        QCOMPARE(lib.llamadasBusca, 0);
    }

    void bibliotecaFaltanteSeReportaSinCaerse() {
        Fixture fx;
        configura(fx, key, cer, "x");
        const QString a = copia("m4321132.045", validacion({kCurpA}));
        QVERIFY(FirmaArchivo(fx.ctx, a, 0) != 0); // no library given at all
        QVERIFY(fx.dlg.ultimo().startsWith("ERROR, fue imposible generar la Firma Digital"));

        fx.dlg.limpia();
        auto ausente = abreBibliotecaFirma(fx.carpeta("vacia"));
        fx.ctx.firma = ausente.get();
        QVERIFY(FirmaArchivo(fx.ctx, a, 0) != 0);
        QCOMPARE(fx.dlg.beeps, 1);
        QVERIFY2(fx.dlg.ultimo().contains("no se pudo cargar la biblioteca de firma"),
                 qPrintable(fx.dlg.ultimo()));
        QCOMPARE(fx.dlg.punteros.last(), Puntero::Normal);

        // A library by that name without the entry points.
        fx.dlg.limpia();
        const QString otra = fx.carpeta("otra");
        QVERIFY(
            QFile::copy(QDir(carpetaBuild()).filePath("libsgenc_sin_simbolos.so"), otra + "/libsgenc.so"));
        auto sinSimbolos = abreBibliotecaFirma(otra);
        fx.ctx.firma = sinSimbolos.get();
        QVERIFY(FirmaArchivo(fx.ctx, a, 0) != 0);
        QVERIFY2(fx.dlg.ultimo().contains("no tiene la función BuscaCurpsG"), qPrintable(fx.dlg.ultimo()));
        QCOMPARE(lee(a), validacion({kCurpA}));
    }

    void resultadosDeBusquedaYFirmantesEntregados() {
        Fixture fx;
        BibliotecaGuionada lib;
        fx.ctx.firma = &lib;
        configura(fx, key, cer, QStringLiteral("Contraseña1"));
        const QString a = copia("m4321133.045", validacion({kCurpA}));

        lib.busca = 1;
        QVERIFY(FirmaArchivo(fx.ctx, a, 0) != 0);
        QCOMPARE(fx.dlg.ultimo(), "ERROR, no se encontro el archivo '" + a + "' fue movido o borrado.");
        lib.busca = 2;
        QVERIFY(FirmaArchivo(fx.ctx, a, 0) != 0);
        QCOMPARE(fx.dlg.ultimo(), "ERROR, no se pudo leer el archivo '" + a + "'.");
        QCOMPARE(fx.dlg.beeps, 0);
        fx.dlg.limpia();
        lib.busca = 3;
        QCOMPARE(FirmaArchivo(fx.ctx, a, 0), 3); // silent
        QCOMPARE(fx.dlg.registros.size(), 0);
        QCOMPARE(lib.llamadasGenera, 0);

        lib.busca = 0;
        lib.curps = {kCurpA, kCurpB};
        QCOMPARE(FirmaArchivo(fx.ctx, a, 6), 0);
        QCOMPARE(lib.archivoRecibido, QFile::encodeName(a));
        QCOMPARE(fx.dlg.registros.size(), 0);
        for (int i = 0; i < 2; ++i) {
            const DatosFirmante& d = lib.recibidos[i];
            QCOMPARE(QByteArray(d.Curp), i == 0 ? kCurpA : kCurpB);
            const QByteArray k = QFile::encodeName(key);
            QCOMPARE(QByteArray(d.ArchivoKey, k.size() + 1), k + '\0');
            QCOMPARE(d.ArchivoKey[255], ' '); // blank-padded after the NUL
            QCOMPARE(QByteArray(d.ArchivoCer), QFile::encodeName(cer));
            QCOMPARE(QByteArray(d.Contrasena), QByteArray("Contrase\xf1"
                                                          "a1")); // code page bytes
        }
        const Firmantes vacio{};
        for (int i = 2; i < 5; ++i)
            QVERIFY(std::memcmp(&lib.recibidos[i], &vacio[i], sizeof(DatosFirmante)) == 0);

        // A path longer than its field is cut to it: no NUL, no overrun.
        configura(fx, key, QString(300, 'c'), QStringLiteral("x"));
        QCOMPARE(FirmaArchivo(fx.ctx, a, 0), 0);
        QCOMPARE(QByteArray(lib.recibidos[0].ArchivoCer, 256), QByteArray(256, 'c'));
    }

    void cadaResultadoDeFirmaTieneSuMensaje_data() {
        QTest::addColumn<int>("codigo");
        QTest::addColumn<QString>("texto");
        QTest::addRow("1") << 1 << "ERROR, el archivo '%1' fue movido o borrado.";
        QTest::addRow("2") << 2 << "ERROR, no se encontro el archivo key.";
        QTest::addRow("3")
            << 3
            << "ERROR, no fue posible desencriptar la llave privada es probable que la contraseña "
               "este incorrecta.";
        QTest::addRow("4") << 4 << "ERROR, no fue posible crear un archivo temporal.";
        QTest::addRow("5") << 5 << "No se pudo leer el archivo '%1'.";
        QTest::addRow("6")
            << 6
            << "ERROR, no fue posible encriptar la llave privada, probablemente el archivo key esta "
               "corrompido.";
        QTest::addRow("7") << 7 << "ERROR, esto ERROR no tiene descripción.";
        QTest::addRow("8") << 8 << "ERROR, no fue posible renombrar el archivo firmado.";
        QTest::addRow("10")
            << 10 << "ERROR, el tipo de documento que se pretende firmar no es un documento valido.";
        QTest::addRow("11") << 11
                            << "ERROR, no fue posible leer el certificado del Agente o Apoderado Aduanal.";
        QTest::addRow("12") << 12 << "ERROR, el certificado del Agente o Apoderado Aduanal esta vencido.";
        QTest::addRow("13") << 13
                            << "ERROR, el archivo contiene más de un registro 201, solo debe existir uno.";
        QTest::addRow("9 outside the table")
            << 9 << "ERROR, la biblioteca de firma no pudo firmar el archivo '%1' (código 9).";
        QTest::addRow("negative")
            << -4 << "ERROR, la biblioteca de firma no pudo firmar el archivo '%1' (código -4).";
    }

    void cadaResultadoDeFirmaTieneSuMensaje() {
        QFETCH(int, codigo);
        QFETCH(QString, texto);
        Fixture fx;
        BibliotecaGuionada lib;
        fx.ctx.firma = &lib;
        configura(fx, key, cer, "x");
        const QString a = copia("m4321134.045", validacion({kCurpA}));
        lib.genera = codigo;
        QVERIFY(FirmaArchivo(fx.ctx, a, 0) != 0);
        QCOMPARE(fx.dlg.registros.size(), 1);
        QCOMPARE(fx.dlg.ultimo(), QString(texto).replace(QStringLiteral("%1"), a));
        QCOMPARE(fx.dlg.registros.last().icono, Icono::Error);
        QCOMPARE(fx.dlg.beeps, 0);
        QCOMPARE(fx.dlg.punteros, (QList<Puntero>{Puntero::Espera, Puntero::Normal}));
    }

    // The outgoing pass against the centre, signing with the real library.
    void firmaDentroDeLaPasadaDeEnvio() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        o.ctx().firma = real.get();
        configura(o.f, key, cer, QStringLiteral("Contraseña1"));
        o.st().config().setChk(slot::Firmar, true);
        o.st().config().setSlot(slot::CaracteresRegistro500, QStringLiteral("22")); // the 201 line below
        o.st().config().setSlot(slot::ClavePrevalidador, QStringLiteral("999"));
        const QString ruta = o.f.carpeta("rutam");
        o.st().config().setChk(slot::RutasAdicionales, true);
        o.st().config().setRutas(Sentido::Envio, {{ruta}, {"m"}});
        const QDateTime t(QDate(2026, 2, 14), QTime(8, 0, 0));
        const QByteArray c1 = "201|4321|c4321124.045|\n301|" + kCurpA + "|x|\n";
        const QByteArray b = "500|1|4321|\r\n";
        const QByteArray dos201 = "201|4321|c4321125.044|\n201|otro|\n301|" + kCurpA + "|x|\n";
        QVERIFY(pon(o.envio + "/m4321123.045", validacion({kCurpA}), t));
        QVERIFY(pon(o.envio + "/c4321124.045", c1, t));
        QVERIFY(pon(o.envio + "/b4321126.045", b, t));
        QVERIFY(pon(o.envio + "/c4321125.044", dos201, t)); // its day is wrong too
        QVERIFY(pon(ruta + "/M4321128.045", validacion({kCurpA}), t));
        for (int i = 0; i < 3; ++i)
            EnviaArchivosValidacion(o.ctx());

        QCOMPARE(en(c.ruta("REC")),
                 (QStringList{"b4321126.045", "c4321124.045", "m4321123.045", "m4321128.045"}));
        QCOMPARE(c.cuenta("STOR"), 4); // each once, the route's upper-case one too
        // "m": the 801 rewritten with the prevalidator key, then signed.
        QVERIFY(lee(c.ruta("REC/m4321123.045")).endsWith("801|m4321123.045|1|4|999|\r\n"));
        QCOMPARE(verifica(c.ruta("REC/m4321123.045"), cer), 0);
        // "c": signed as it stood; "b": sent unsigned.
        QVERIFY(lee(c.ruta("REC/c4321124.045")).startsWith(c1 + "FIRMA|"));
        QCOMPARE(verifica(c.ruta("REC/c4321124.045"), cer), 0);
        QCOMPARE(lee(c.ruta("REC/b4321126.045")), b);
        // A signing failure: told, neither sent nor rejected, left as it was.
        QCOMPARE(o.f.dlg.ultimo(),
                 QStringLiteral("ERROR, el archivo contiene más de un registro 201, solo debe existir uno."));
        QCOMPARE(lee(o.envio + "/c4321125.044"), dos201);
        QVERIFY(o.st().pantalla().lista(Lista::Rechazados).isEmpty());
        // The signed file is handed back under the route's own name.
        const QByteArray firmado = lee(c.ruta("REC/m4321128.045"));
        QCOMPARE(verifica(c.ruta("REC/m4321128.045"), cer), 0);
        QCOMPARE(lee(ruta + "/M4321128.045"), firmado);
        QCOMPARE(lee(o.envio + "/M4321128.045"), firmado);
        // A signed file is registered as signed and as found: 3 signed + 1.
        QCOMPARE(lineas(o.envio + "/bitacora").size(), 7);

        // A pass that ended before the hand-back (killed, or the route is
        // read-only) leaves the route's original: no new file, never sent
        // again; the next pass hands the signed file back.
        QVERIFY(pon(ruta + "/M4321128.045", validacion({kCurpA}), t));
        EnviaArchivosValidacion(o.ctx());
        QCOMPARE(c.cuenta("STOR"), 4);
        QCOMPARE(lee(ruta + "/M4321128.045"), firmado);

        // The broker's next version, written into the route while the pass
        // signs another file, is never overwritten by the hand-back: it goes
        // in the next pass.
        QVERIFY(pon(o.envio + "/m4321129.045", validacion({kCurpA}), t));
        const QByteArray nueva = validacion({kCurpA, kCurpA}); // a second pedimento
        o.f.dlg.alPuntero = [&](Puntero p) {
            if (p == Puntero::Espera)
                QVERIFY(pon(ruta + "/M4321128.045", nueva, QDateTime::currentDateTime().addSecs(-60)));
        };
        EnviaArchivosValidacion(o.ctx());
        o.f.dlg.alPuntero = nullptr;
        QCOMPARE(c.cuenta("STOR"), 5);
        QCOMPARE(lee(ruta + "/M4321128.045"), nueva);
        EnviaArchivosValidacion(o.ctx());
        QCOMPARE(c.cuenta("STOR"), 6);
        QVERIFY(lee(c.ruta("REC/m4321128.045")).contains("|6001231|"));
        QCOMPARE(lee(ruta + "/M4321128.045"), lee(c.ruta("REC/m4321128.045")));
    }

    // The broker's software still writing when the pass takes the file: what
    // it writes after the pickup is never lost, the cut file never sent. A
    // read-only file is never rewritten or signed, and is said so once.
    void archivoEnEscrituraYDeSoloLectura() {
        CentroSimulado c;
        QVERIFY2(c.listo(), qPrintable(c.diagnostico()));
        Oficina4321 o;
        o.conecta(c);
        o.ctx().firma = real.get();
        configura(o.f, key, cer, QStringLiteral("Contraseña1"));
        o.st().config().setChk(slot::Firmar, true);
        o.st().config().setSlot(slot::CaracteresRegistro500, QStringLiteral("22"));
        const QDateTime t(QDate(2026, 2, 14), QTime(8, 0, 0));
        const QString m = o.envio + "/m4321123.045", ro = o.envio + "/m4321127.045";
        QVERIFY(pon(m, validacion({kCurpA}), t));
        QVERIFY(pon(ro, validacion({kCurpA}), t));
        QVERIFY(QFile::setPermissions(ro, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QFile escritor(m); // held open by the broker's software, as it writes
        QVERIFY(escritor.open(QIODevice::WriteOnly | QIODevice::Append));
        o.f.dlg.alPuntero = [&](Puntero p) {
            if (p == Puntero::Espera) {
                escritor.write("505|6001230|FACT-2|\r\n");
                escritor.flush();
            }
        };
        EnviaArchivosValidacion(o.ctx());
        EnviaArchivosValidacion(o.ctx());
        QCOMPARE(c.cuenta("STOR"), 0);
        // The file as its writer left it, with what it wrote after each pickup.
        QCOMPARE(lee(m), validacion({kCurpA}) + "505|6001230|FACT-2|\r\n505|6001230|FACT-2|\r\n");
        escritor.write("801|fin|\r\n");
        escritor.close();
        QVERIFY(lee(m).endsWith("505|6001230|FACT-2|\r\n801|fin|\r\n"));
        QVERIFY(o.ventana.fallas.contains(
            "m4321123.045 cambió mientras se firmaba; se enviará cuando esté completo"));
        QCOMPARE(lee(ro), validacion({kCurpA}));
        QVERIFY(fs::soloLectura(ro));
        QCOMPARE(o.ventana.fallas.count(
                     "ERROR: m4321127.045 es de solo lectura: no se firma ni se envía mientras lo sea"),
                 1);
        // Finished: signed and sent whole.
        o.f.dlg.alPuntero = {};
        EnviaArchivosValidacion(o.ctx());
        QCOMPARE(c.cuenta("STOR REC/m4321123.045"), 1);
        QVERIFY(lee(c.ruta("REC/m4321123.045")).contains("505|6001230|FACT-2|\r\n"));
        QCOMPARE(verifica(c.ruta("REC/m4321123.045"), cer), 0);
    }

    void firmaArchivoConLaBibliotecaReal() {
        Fixture fx;
        fx.ctx.firma = real.get();
        configura(fx, key, cer, QStringLiteral("Contraseña1"));
        const QString a = copia("m4321135.045", validacion({kCurpA, kCurpA}));
        QCOMPARE(FirmaArchivo(fx.ctx, a, 0), 0);
        QCOMPARE(fx.dlg.registros.size(), 0);
        const QByteArray firmado = lee(a);
        QProcess p;
        p.start(QDir(carpetaBuild()).filePath("sgenc-verify"), {a, cer});
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(FirmaArchivo(fx.ctx, a, 0), 0);
        QCOMPARE(lee(a), firmado);

        configura(fx, key, cer, QStringLiteral("Contrasena1"));
        QVERIFY(FirmaArchivo(fx.ctx, a, 0) != 0);
        QCOMPARE(fx.dlg.ultimo(),
                 QStringLiteral("ERROR, no fue posible desencriptar la llave privada es probable "
                                "que la contraseña este incorrecta."));
        configura(fx, key, cerVencido, QStringLiteral("Contraseña1"));
        QVERIFY(FirmaArchivo(fx.ctx, a, 0) != 0);
        QCOMPARE(fx.dlg.ultimo(),
                 QStringLiteral("ERROR, el certificado del Agente o Apoderado Aduanal esta vencido."));
        QCOMPARE(lee(a), firmado);
        // No signer in the file: silent, unsigned.
        fx.dlg.limpia();
        const QString sin = copia("m4321136.045", "201|x|\r\n801|x|\r\n");
        QCOMPARE(FirmaArchivo(fx.ctx, sin, 0), 3);
        QCOMPARE(fx.dlg.registros.size(), 0);
    }
};

QTEST_GUILESS_MAIN(PruebaFirma)
#include "test_firma.moc"

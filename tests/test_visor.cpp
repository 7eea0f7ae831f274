#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStringListModel>
#include <QTest>

#include "Archivos.h"
#include "Fixture.h"
#include "comun/EstadoPrincipal.h"
#include "platform/fs.h"
#include "platform/ui/ImpresorasQt.h"
#include "records/Visor.h"
#include "records/ui/FrmArchivos.h"

using namespace korva;
using namespace korva::test;

namespace {

QByteArray registro(int largo, char c = 'r') { return QByteArray(largo, c); }

QStringList todas(const Visor& v) {
    QStringList l;
    for (int i = 0; i < v.entradas(); ++i)
        l << v.entrada(i);
    return l;
}

QList<int> largos(const Visor& v) {
    QList<int> l;
    for (int i = 0; i < v.entradas(); ++i)
        l << int(v.entrada(i).size());
    return l;
}

// A viewer over a file written into the fixture's folder.
struct Abierto {
    Fixture fx;
    Visor v;
    QString carpeta = fx.carpeta(QStringLiteral("recibo"));
    void abre(const QByteArray& contenido, const QString& nombre = QStringLiteral("m4321123.err")) {
        QVERIFY(escribe(fs::une(carpeta, nombre), contenido));
        MuestraArchivo(fx.ctx, v, nombre, carpeta);
    }
};

const QString kMuyGrande = QStringLiteral("El registro es demasiado grande para presentarlo");

} // namespace

class PruebaVisor : public QObject {
    Q_OBJECT
private slots:
    // 10, 250 and 20 characters: five entries, two length cuts of record 2.
    void registroLargoSeCortaYSeNavega() {
        Abierto a;
        a.v.setTxtRegistro(QStringLiteral("7"));
        QSignalSpy mostrar(&a.v, &Visor::mostrar);
        a.abre(registro(10, 'a') + "\r\n" + registro(250, 'b') + "\r\n" + registro(20, 'c') + "\r\n");
        QCOMPARE(largos(a.v), QList<int>({10, 102, 102, 46, 20}));
        QCOMPARE(a.v.tabla(), QList<qint32>({2, 2}));
        QCOMPARE(mostrar.count(), 1);
        QCOMPARE(a.v.TxtRegistro(), QString());
        QCOMPARE(a.v.caption(), QStringLiteral("KORVAVal   -> Archivo 'm4321123.err' ubicado en '") +
                                    a.carpeta + QStringLiteral("'"));
        QCOMPARE(a.fx.st.pantalla().evento(), QStringLiteral("Cargando Archivo Respuesta ..."));
        QVERIFY(a.fx.dlg.registros.isEmpty());

        QSignalSpy selecciona(&a.v, &Visor::seleccionaEntrada);
        a.v.setTxtRegistro(QStringLiteral("3"));
        QCOMPARE(a.v.CmdRegistro(a.fx.dlg), 4);
        QCOMPARE(selecciona.takeFirst().at(0).toInt(), 4);
        a.v.setTxtRegistro(QStringLiteral(" 2 "));
        QCOMPARE(a.v.CmdRegistro(a.fx.dlg), 1);
        a.v.setTxtRegistro(QStringLiteral("1"));
        QCOMPARE(a.v.CmdRegistro(a.fx.dlg), 0);

        const QStringList esperado = {"1", "2", "2", "2", "3"};
        for (int L = 0; L < 5; ++L) {
            a.v.LstArchivos_Click(L);
            QCOMPARE(a.v.TxtRegistro(), esperado[L]);
        }

        QSignalSpy enfoca(&a.v, &Visor::enfocaRegistro);
        a.v.setTxtRegistro(QStringLiteral("4"));
        QCOMPARE(a.v.CmdRegistro(a.fx.dlg), -1);
        QCOMPARE(a.fx.dlg.ultimo(), QStringLiteral("El archivo contiene menos registros del número buscado, "
                                                   "proporcione un número menor a 3."));
        QCOMPARE(a.fx.dlg.registros.last().icono, Icono::Error);
        QCOMPARE(enfoca.count(), 1);
    }

    void registroNoValidoSeRechaza_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QString>("mensaje");
        const QString vacio =
            QStringLiteral("Favor de capturar el número del reglon en que desea posicionarse.");
        const QString invalido =
            QStringLiteral("Se capturo un valor invalido, debe capturar solo números enteros positivos.");
        QTest::addRow("empty") << "" << vacio;
        QTest::addRow("blanks") << "   " << vacio;
        QTest::addRow("letters") << "abc" << invalido;
        QTest::addRow("zero") << "0" << invalido;
        QTest::addRow("negative") << "-3" << invalido;
        QTest::addRow("fraction") << "1.5" << invalido;
        QTest::addRow("limit") << "32000"
                               << "El archivo contiene menos registros del número buscado, proporcione "
                                  "un número menor a 40000.";
    }
    void registroNoValidoSeRechaza() {
        QFETCH(QString, texto);
        QFETCH(QString, mensaje);
        Abierto a;
        a.abre(QByteArray("x\r\n").repeated(40000));
        QSignalSpy enfoca(&a.v, &Visor::enfocaRegistro);
        a.v.setTxtRegistro(texto);
        QCOMPARE(a.v.CmdRegistro(a.fx.dlg), -1);
        QCOMPARE(a.fx.dlg.ultimo(), mensaje);
        QCOMPARE(enfoca.count(), 1);
        a.v.setTxtRegistro(QStringLiteral("31999"));
        QCOMPARE(a.v.CmdRegistro(a.fx.dlg), 31998);
    }

    void cortesYSaltosDeLinea() {
        Abierto a;
        // 101 characters is still one entry; the cut comes after the 102nd.
        a.abre(registro(101) + "\r\n" + registro(102) + "\r\n" + registro(103) + "\r\n");
        // A record of exactly 102 is closed by length into one entry only:
        // no cut to count, so records after it are still found.
        QCOMPARE(largos(a.v), QList<int>({101, 102, 102, 1}));
        QCOMPARE(a.v.tabla(), QList<qint32>({3}));
        a.v.setTxtRegistro(QStringLiteral("3"));
        QCOMPARE(a.v.CmdRegistro(a.fx.dlg), 2);
        a.v.LstArchivos_Click(3);
        QCOMPARE(a.v.TxtRegistro(), QStringLiteral("3"));

        // Adjacent line feeds give an empty entry; lone CRs end records too.
        // Line-feed cuts are cuts of their record like length cuts.
        a.abre("ab\n\ncd\rsolo cr\r\nultimo");
        QCOMPARE(todas(a.v), QStringList({"ab", "", "cd", "solo cr", "ultimo"}));
        QCOMPARE(a.v.tabla(), QList<qint32>({1, 1}));

        // A file with no CR at all ends its records with bare LFs.
        a.abre("uno\n" + registro(150) + "\n\ntres\n");
        QCOMPARE(largos(a.v), QList<int>({3, 102, 48, 0, 4}));
        QCOMPARE(a.v.tabla(), QList<qint32>({2}));

        // The code page is decoded: 0xD1 is Ñ, 0x80 the euro sign.
        a.abre("PEDIMENTO \xD1 \x80\r\n");
        QCOMPARE(a.v.entrada(0), QStringLiteral("PEDIMENTO Ñ €"));
    }

    void registroDemasiadoGrande() {
        Abierto a;
        a.abre(registro(32000) + "\r\n" + registro(31999) + "\r\nfin\r\n");
        QCOMPARE(a.v.entrada(0), kMuyGrande);
        QCOMPARE(a.v.entrada(a.v.entradas() - 1), QStringLiteral("fin"));
        // 31999 characters make 314 entries, 313 cuts.
        QCOMPARE(a.v.entradas(), 1 + 314 + 1);
        QCOMPARE(a.v.tabla(), QList<qint32>(313, 2));
        a.v.setTxtRegistro(QStringLiteral("3"));
        QCOMPARE(a.v.entrada(a.v.CmdRegistro(a.fx.dlg)), QStringLiteral("fin"));

        // A bare-LF file of 32000 characters or more, as the centre's may be,
        // is cut at its line feeds; only a line that long is too large.
        a.abre(QByteArray("linea\n").repeated(6000));
        QCOMPARE(todas(a.v), QStringList(6000, QStringLiteral("linea")));
        a.abre("uno\n" + registro(32000) + "\ndos\n");
        QCOMPARE(todas(a.v), (QStringList{"uno", kMuyGrande, "dos"}));
    }

    // The byte scanner agrees with a plain character-by-character reading
    // on files of random records, line feeds and line ends.
    void lecturaRapidaCoincideConLaSencilla() {
        Abierto a;
        QRandomGenerator g(801);
        int cortes = 0;
        for (int vuelta = 0; vuelta < 300; ++vuelta) {
            QByteArray t;
            const int largo = int(g.bounded(vuelta < 150 ? 400 : 4000));
            // one byte in this many ends or breaks a line
            const int saltos = 1 + int(g.bounded(vuelta % 3 == 0 ? 400 : 60));
            for (int i = 0; i < largo; ++i) {
                const int r = int(g.bounded(saltos));
                t += r == 0 ? '\r' : r == 1 ? '\n' : char('a' + g.bounded(26));
            }
            a.abre(t);

            QStringList entradas;
            QList<qint32> tabla;
            const QString texto = QString::fromLatin1(t);
            int n = 1;
            int i = 0;
            const QChar cierre = texto.contains(QLatin1Char('\r')) ? QLatin1Char('\r') : QLatin1Char('\n');
            while (i < texto.size()) {
                int fin = texto.indexOf(cierre, i);
                if (fin < 0)
                    fin = int(texto.size());
                const QString reg = texto.mid(i, fin - i);
                if (!reg.contains(QLatin1Char('\n')) && reg.size() <= 100) {
                    entradas << reg;
                } else {
                    QString pendiente;
                    int cuenta = 0;
                    const qsizetype antes = entradas.size();
                    for (int k = 0; k < reg.size(); ++k) {
                        if (reg[k] == QLatin1Char('\n')) {
                            entradas << pendiente;
                            pendiente.clear();
                            cuenta = 0;
                        } else if (cuenta > 100) {
                            entradas << pendiente + reg[k];
                            pendiente.clear();
                            cuenta = 0;
                        } else {
                            pendiente += reg[k];
                            ++cuenta;
                        }
                    }
                    if (!pendiente.isEmpty())
                        entradas << pendiente;
                    for (qsizetype e = antes + 1; e < entradas.size(); ++e)
                        tabla << n;
                }
                ++n;
                i = fin + 1;
                if (cierre == QLatin1Char('\r') && fin < texto.size() && i < texto.size() &&
                    texto[i] == QLatin1Char('\n'))
                    ++i;
            }
            QCOMPARE(todas(a.v), entradas);
            QCOMPARE(a.v.tabla(), tabla);
            cortes += int(tabla.size());
        }
        QVERIFY(cortes > 100); // the length cuts were exercised too
    }

    // Large files take the large-page buffer; an empty one opens empty.
    void archivosGrandesYVacios() {
        Abierto a;
        QByteArray t;
        for (int i = 1; i <= 60000; ++i)
            t += "501|" + QByteArray::number(i) + "|" + registro(i % 50 == 0 ? 150 : 40, 'd') + "\r\n";
        QVERIFY(t.size() > 3 * 1024 * 1024);
        a.abre(t);
        QCOMPARE(a.v.entradas(), 60000 + 1200);
        QCOMPARE(a.v.entrada(0), QStringLiteral("501|1|") + QString(40, 'd'));
        QCOMPARE(a.v.entrada(a.v.entradas() - 2), QStringLiteral("501|60000|") + QString(92, 'd'));
        QCOMPARE(a.v.entrada(a.v.entradas() - 1), QString(58, 'd'));
        QCOMPARE(a.v.tabla().size(), 1200);
        a.v.setTxtRegistro(QStringLiteral("49"));
        QCOMPARE(a.v.entrada(a.v.CmdRegistro(a.fx.dlg)), QStringLiteral("501|49|") + QString(40, 'd'));
        a.v.setTxtRegistro(QStringLiteral("30000"));
        QCOMPARE(a.v.entrada(a.v.CmdRegistro(a.fx.dlg)), QStringLiteral("501|30000|") + QString(92, 'd'));

        QSignalSpy mostrar(&a.v, &Visor::mostrar);
        a.abre(QByteArray());
        QCOMPARE(a.v.entradas(), 0);
        QCOMPARE(mostrar.count(), 1);
        QVERIFY(a.fx.dlg.registros.isEmpty());
    }

    // A long record past record 100 still maps record numbers to entries.
    void registrosMasAllaDelCien() {
        Abierto a;
        QByteArray t;
        for (int i = 1; i <= 150; ++i)
            t += QByteArray::number(i) + "\r\n";
        t += registro(200) + "\r\nsiguiente\r\n";
        a.abre(t);
        QCOMPARE(a.v.tabla(), QList<qint32>({151}));
        a.v.setTxtRegistro(QStringLiteral("152"));
        const int i = a.v.CmdRegistro(a.fx.dlg);
        QCOMPARE(a.v.entrada(i), QStringLiteral("siguiente"));
        a.v.LstArchivos_Click(i);
        QCOMPARE(a.v.TxtRegistro(), QStringLiteral("152"));
    }

    void archivoQueNoEsta() {
        Abierto a;
        a.abre("algo\r\n");
        QSignalSpy mostrar(&a.v, &Visor::mostrar);
        MuestraArchivo(a.fx.ctx, a.v, QStringLiteral("m4321999.err"), a.carpeta);
        QCOMPARE(a.v.entradas(), 0);
        QCOMPARE(mostrar.count(), 0);
        QCOMPARE(a.fx.dlg.registros.size(), 1);
        QCOMPARE(a.fx.dlg.registros[0].icono, Icono::Error);
        QCOMPARE(a.fx.dlg.ultimo(),
                 QStringLiteral("No se encontro el Archivo 'm4321999.err' en el directorio '") + a.carpeta +
                     QStringLiteral("' ha sido borrado o movido."));
    }

    void entradaDeCadaLista_data() {
        QTest::addColumn<int>("lista");
        QTest::addColumn<QString>("entrada");
        QTest::addColumn<QString>("archivo");
        QTest::addColumn<QString>("carpeta");
        const int rec = int(Lista::Recibidos), env = int(Lista::Enviados);
        QTest::addRow("response") << rec << "m4321123.err - 10:15:02"
                                  << "m4321123.err"
                                  << "/recibo";
        QTest::addRow("a with a dot") << rec << "a4321123.045 - 10:15:02"
                                      << "a4321123.045"
                                      << "/recibo";
        QTest::addRow("long a") << rec << "A43210001234.045 - 10:15:02"
                                << "A43210001234.04"
                                << "/recibo";
        QTest::addRow("long x") << rec << "x432100012.3456 - 10:15:02"
                                << "x432100012.3456"
                                << "/recibo";
        QTest::addRow("s is short when received") << rec << "s43210001234.045 - 1"
                                                  << "s43210001234"
                                                  << "/recibo";
        QTest::addRow("sent") << env << "m4321123.045 - 10:00:00"
                              << "m4321123.045"
                              << "/envio/Enviados";
        QTest::addRow("sent s") << env << "s43210001234.045 - 10:00:00"
                                << "s43210001234.04"
                                << "/envio/Enviados";
        QTest::addRow("pending") << int(Lista::Pendientes) << "e4321123.045 En Espera"
                                 << "e4321123.045"
                                 << "/envio/Pend";
        QTest::addRow("rejected f") << int(Lista::Rechazados) << "f43210001234.045"
                                    << "f43210001234.04"
                                    << "/envio/Rechaza";
    }
    void entradaDeCadaLista() {
        QFETCH(int, lista);
        QFETCH(QString, entrada);
        QFETCH(QString, archivo);
        QFETCH(QString, carpeta);
        EstadoPrincipal st;
        st.config().setSlot(slot::DirEnvio, QStringLiteral("/envio"));
        st.config().setSlot(slot::DirRecibo, QStringLiteral("/recibo"));
        const ArchivoDeLista a = archivoDeEntrada(st, Lista(lista), entrada);
        QCOMPARE(a.Archivo, archivo);
        QCOMPARE(a.Directorio, carpeta);
    }

    void dobleClicAbreElArchivo() {
        Abierto a;
        const QString envio = a.fx.carpeta(QStringLiteral("envio/Pend"));
        a.fx.st.config().setSlot(slot::DirEnvio, a.fx.ruta(QStringLiteral("envio")));
        QVERIFY(escribe(fs::une(envio, QStringLiteral("m4321123.045")),
                        "500|1|4321|\r\n801|m4321123.045|1|1|\r\n"));
        abreEntrada(a.fx.ctx, a.v, Lista::Pendientes, QStringLiteral("m4321123.045 En Espera"));
        QCOMPARE(todas(a.v), QStringList({"500|1|4321|", "801|m4321123.045|1|1|"}));
        QVERIFY(a.fx.dlg.registros.isEmpty());

        // The placeholder of an empty pending list names no file.
        abreEntrada(a.fx.ctx, a.v, Lista::Pendientes,
                    QStringLiteral("No hay archivos pendientes de respuesta"));
        QCOMPARE(a.fx.dlg.ultimo(),
                 QStringLiteral("No se encontro el Archivo 'No hay archi' en el directorio '") +
                     fs::une(a.fx.ruta(QStringLiteral("envio")), QStringLiteral("Pend")) +
                     QStringLiteral("' ha sido borrado o movido."));
        QCOMPARE(a.v.entradas(), 0);
    }

    void imprimeEnArchivoPdf() {
        Abierto a;
        QByteArray t = "PRIMER REGISTRO\r\n";
        for (int i = 2; i <= 120; ++i)
            t += "REG" + QByteArray::number(i) + "\r\n";
        t += registro(150, 'z') + "\r\nULTIMO REGISTRO\r\n";
        a.abre(t);
        const QString pdf = a.fx.ruta(QStringLiteral("salida.pdf"));
        ImpresorasQt impresoras(pdf);
        a.v.CmdImprimir(a.fx.dlg, &impresoras, ImpresorasQt::kArchivoPdf);
        QCOMPARE(a.fx.dlg.registros.size(), 1);
        QCOMPARE(a.fx.dlg.registros[0].icono, Icono::Ninguno);
        QCOMPARE(a.fx.dlg.ultimo(), QStringLiteral("Impresión ") + a.v.caption() +
                                        QStringLiteral("\nEn la Impresora 'Archivo PDF'"));
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.read(5) == "%PDF-");
        f.close();

        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed: the printed text cannot be read back");
        QProcess p;
        p.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(p.waitForFinished(30000));
        QStringList lineas;
        for (const QString& l : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n')))
            if (!l.trimmed().isEmpty())
                lineas << l.trimmed().remove(QLatin1Char('\f'));
        lineas.removeAll(QString());
        QCOMPARE(lineas.first(), a.v.caption());
        QCOMPARE(lineas.at(1), QStringLiteral("PRIMER REGISTRO"));
        QCOMPARE(lineas.at(120), QStringLiteral("REG120"));
        QCOMPARE(lineas.at(121), QString(102, 'z'));
        QCOMPARE(lineas.at(122), QString(48, 'z'));
        QCOMPARE(lineas.at(123), QStringLiteral("ULTIMO REGISTRO"));
        QCOMPARE(lineas.last(), QStringLiteral("KORVA Centro de Prevalidación"));
        QCOMPARE(lineas.size(), 125);
    }

    void impresionQueNoSePuede() {
        Abierto a;
        a.abre("uno\r\n");
        ImpresorasQt impresoras(a.fx.ruta(QStringLiteral("no/existe/salida.pdf")));
        a.v.CmdImprimir(a.fx.dlg, &impresoras, QString());
        QCOMPARE(a.fx.dlg.ultimo(), QStringLiteral("Favor de selecionar la impresora a utilizar."));
        a.v.CmdImprimir(a.fx.dlg, &impresoras, ImpresorasQt::kArchivoPdf);
        QCOMPARE(
            a.fx.dlg.ultimo(),
            QStringLiteral("No fue posible imprimir verifique el estado de su impresora e intente nuevamente."
                           "\n(no fue posible preparar la impresión)"));
        QCOMPARE(a.fx.dlg.registros.last().icono, Icono::Error);
        QCOMPARE(a.fx.dlg.registros.size(), 2);
    }

    // Going to a record and clicking an entry agree with the file whatever
    // cut its records: past the 99th length cut, and at bare line feeds.
    void irYClicCoincidenConElArchivo_data() {
        QTest::addColumn<QByteArray>("contenido");
        QTest::addColumn<int>("registro");
        QTest::addColumn<QString>("primera"); // the record's first entry
        QTest::addColumn<int>("piezas");      // and how many it has
        QByteArray largos;
        for (int i = 1; i <= 300; ++i)
            largos += ("REG" + QByteArray::number(i)).leftJustified(150, '.') + "\r\n";
        QTest::addRow("past the 99th cut")
            << largos << 200 << QStringLiteral("REG200").leftJustified(102, '.') << 2;
        QTest::addRow("last of 300") << largos << 300 << QStringLiteral("REG300").leftJustified(102, '.')
                                     << 2;
        QTest::addRow("after line feeds")
            << QByteArray("r1\r\nr2a\nr2b\r\nr3") << 3 << QStringLiteral("r3") << 1;
        QTest::addRow("inside line feeds")
            << QByteArray("r1\r\nr2a\nr2b\r\nr3") << 2 << QStringLiteral("r2a") << 2;
        QTest::addRow("bare line feeds") << QByteArray("r1\nr2\nr3\nr4\n") << 3 << QStringLiteral("r3") << 1;
    }
    void irYClicCoincidenConElArchivo() {
        QFETCH(QByteArray, contenido);
        QFETCH(int, registro);
        QFETCH(QString, primera);
        QFETCH(int, piezas);
        Fixture fx;
        const QString recibo = fx.carpeta(QStringLiteral("recibo"));
        fx.st.config().setSlot(slot::DirRecibo, recibo);
        QVERIFY(escribe(fs::une(recibo, QStringLiteral("m4321123.err")), contenido));
        FrmArchivos frm(fx.ctx);
        frm.abre(Lista::Recibidos, QStringLiteral("m4321123.err - 10:15:02"));
        QTest::keyClicks(frm.TxtRegistro(), QString::number(registro));
        frm.CmdRegistro()->click();
        QVERIFY(fx.dlg.registros.isEmpty());
        const QModelIndex i = frm.LstArchivos()->currentIndex();
        QCOMPARE(i.data().toString(), primera);
        // Every entry of the record, clicked, names it; the ones around it do not.
        auto clic = [&](int fila) {
            const QModelIndex e = frm.LstArchivos()->model()->index(fila, 0);
            frm.LstArchivos()->scrollTo(e);
            QTest::mouseClick(frm.LstArchivos()->viewport(), Qt::LeftButton, {},
                              frm.LstArchivos()->visualRect(e).center());
            return frm.TxtRegistro()->text().toInt();
        };
        for (int k = 0; k < piezas; ++k)
            QCOMPARE(clic(i.row() + k), registro);
        if (i.row() + piezas < frm.LstArchivos()->model()->rowCount())
            QCOMPARE(clic(i.row() + piezas), registro + 1);
        if (i.row() > 0)
            QCOMPARE(clic(i.row() - 1), registro - 1);
    }

    // The window binds the model: shown on load, click, go-to, close.
    void ventanaDelVisor() {
        Fixture fx;
        ImpresorasQt impresoras(fx.ruta(QStringLiteral("v.pdf")));
        fx.ctx.impresoras = &impresoras;
        const QString recibo = fx.carpeta(QStringLiteral("recibo"));
        fx.st.config().setSlot(slot::DirRecibo, recibo);
        QVERIFY(escribe(fs::une(recibo, QStringLiteral("m4321123.err")),
                        "uno\r\n" + registro(250) + "\r\ntres\r\n"));
        FrmArchivos frm(fx.ctx);
        QVERIFY(!frm.isVisible());
        QVERIFY(frm.LstArchivos()->uniformItemSizes());
        QCOMPARE(frm.CboPrinters()->currentIndex(), -1);
        QCOMPARE(frm.CboPrinters()->placeholderText(), QStringLiteral("Impresora"));
        QCOMPARE(frm.CboPrinters()->itemText(frm.CboPrinters()->count() - 1), QStringLiteral("Archivo PDF"));

        frm.abre(Lista::Recibidos, QStringLiteral("m4321123.err - 10:15:02"));
        QVERIFY(frm.isVisible());
        QCOMPARE(frm.windowTitle(), frm.visor().caption());
        QCOMPARE(frm.LstArchivos()->model()->rowCount(), 5);

        const QRect r = frm.LstArchivos()->visualRect(frm.LstArchivos()->model()->index(2, 0));
        QTest::mouseClick(frm.LstArchivos()->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(frm.TxtRegistro()->text(), QStringLiteral("2"));

        frm.TxtRegistro()->clear();
        QTest::keyClicks(frm.TxtRegistro(), QStringLiteral("3"));
        frm.CmdRegistro()->click();
        QCOMPARE(frm.LstArchivos()->currentIndex().row(), 4);

        frm.CmdImprimir()->click();
        QCOMPARE(fx.dlg.ultimo(), QStringLiteral("Favor de selecionar la impresora a utilizar."));

        QSignalSpy cerrado(&frm, &FrmArchivos::cerrado);
        frm.CmdCerrar()->click();
        QVERIFY(!frm.isVisible());
        QCOMPARE(cerrado.count(), 1);
        QCOMPARE(frm.LstArchivos()->model()->rowCount(), 5);

        // A day list's view opens its entry's file on a double click.
        QStringListModel recibidos({QStringLiteral("m4321123.err - 10:15:02")});
        QListView vista;
        vista.setModel(&recibidos);
        frm.conectaLista(&vista, Lista::Recibidos);
        vista.show();
        frm.visor().limpia();
        const QPoint p = vista.visualRect(recibidos.index(0)).center();
        QTest::mouseClick(vista.viewport(), Qt::LeftButton, {}, p);
        QTest::mouseDClick(vista.viewport(), Qt::LeftButton, {}, p);
        QVERIFY(frm.isVisible());
        QCOMPARE(frm.visor().entradas(), 5);
    }
};

QTEST_MAIN(PruebaVisor)
#include "test_visor.moc"

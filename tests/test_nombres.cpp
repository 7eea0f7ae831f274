#include <QTest>

#include "Fixture.h"
#include "comun/Nombres.h"

using namespace korva;
using korva::test::Fixture;

class PruebaNombres : public QObject {
    Q_OBJECT
private slots:
    void formaDelNombre_data() {
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<int>("largo");
        QTest::addColumn<int>("ajuste");
        QTest::addColumn<QString>("patente");
        QTest::addColumn<QString>("folio");
        // name of every kind, with the folio and patent where the table puts them
        QTest::addRow("m default") << "m4321123.045" << 12 << 0 << "4321"
                                   << "123";
        QTest::addRow("b other letter") << "b4321123.045" << 12 << 0 << "4321"
                                        << "123";
        QTest::addRow("e 9th not dot") << "ea4321123045" << 12 << 1 << "4321"
                                       << "123";
        QTest::addRow("e 9th dot") << "e1234567.045" << 12 << 0 << "1234"
                                   << "567";
        QTest::addRow("E upper") << "Eb4321123045" << 12 << 1 << "4321"
                                 << "123";
        QTest::addRow("s") << "s4321xyz123.045" << 15 << -3 << "4321"
                           << "123";
        QTest::addRow("F") << "F4321xyz123.045" << 15 << -3 << "4321"
                           << "123";
        QTest::addRow("x") << "x4321123xyz.045" << 15 << -3 << "4321"
                           << "123";
        QTest::addRow("A") << "A4321123xyz.045" << 15 << -3 << "4321"
                           << "123";
        QTest::addRow("digit") << "74321123.045" << 12 << 0 << "4321"
                               << "123";
    }
    void formaDelNombre() {
        QFETCH(QString, nombre);
        QFETCH(int, largo);
        QFETCH(int, ajuste);
        QFETCH(QString, patente);
        QFETCH(QString, folio);
        const FormaNombre forma = preparaNombre(nombre);
        QCOMPARE(int(forma.LongitudNombre), largo);
        QCOMPARE(int(forma.AjustePrefijo), ajuste);
        QCOMPARE(patenteDe(nombre), patente);
        QCOMPARE(folioDe(nombre), folio);
        QCOMPARE(diaDe(nombre), QStringLiteral("045"));
    }

    void numLetrasExacto() {
        QCOMPARE(numLetras("e").LongitudNombre, qint16(12));
        QCOMPARE(numLetras("e").AjustePrefijo, qint16(1));
        for (const char* l : {"m", "b", "7", "", "ss", "ee"}) {
            QCOMPARE(numLetras(QString::fromLatin1(l)).LongitudNombre, qint16(12));
            QCOMPARE(numLetras(QString::fromLatin1(l)).AjustePrefijo, qint16(0));
        }
        QCOMPARE(numLetras("s").LongitudNombre, qint16(15));
        QCOMPARE(numLetras("s").AjustePrefijo, qint16(-3));
        // The prefix of e1234567.045 is e1234: its ninth character corrects it.
        QCOMPARE(prefijoDe("e1234567.045"), QStringLiteral("e1234"));
    }

    void diaJulianoDeLaFecha_data() {
        QTest::addColumn<QDateTime>("ahora");
        QTest::addColumn<int>("dia");
        QTest::addRow("1 jan") << QDateTime(QDate(2026, 1, 1), QTime(0, 0, 0)) << 1;
        QTest::addRow("1 feb 23:59:59") << QDateTime(QDate(2026, 2, 1), QTime(23, 59, 59)) << 32;
        QTest::addRow("31 dec common") << QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)) << 365;
        QTest::addRow("31 dec leap") << QDateTime(QDate(2028, 12, 31), QTime(12, 0, 0)) << 366;
        QTest::addRow("1 mar leap") << QDateTime(QDate(2024, 3, 1), QTime(0, 0, 1)) << 61;
    }
    void diaJulianoDeLaFecha() {
        QFETCH(QDateTime, ahora);
        QFETCH(int, dia);
        korva::test::RelojGuionado reloj(ahora);
        QCOMPARE(int(Get_Juliano(reloj)), dia);
    }

    void pruebasDeJulianoPatenteYFolio() {
        Fixture f;
        f.st.config().setSlot(slot::Usuario, "ftp4321");
        f.st.config().setSlot(slot::FolioInferior, "001");
        f.st.config().setSlot(slot::FolioSuperior, "500");
        f.st.ciclo().setDiaJulianoActual(45);
        auto prueba = [&](const QString& n) {
            return QList<bool>{pruebaJuliano(f.st, n), pruebaPatente(f.st, n), pruebaFolio(f.st, n)};
        };
        QCOMPARE(prueba("m4321123.045"), (QList<bool>{true, true, true}));
        QCOMPARE(prueba("m4321500.45"), (QList<bool>{false, true, true})); // ".45" is no day
        QCOMPARE(prueba("m4321000.ERR"), (QList<bool>{false, true, false}));
        QCOMPARE(prueba("m4321500.err"), (QList<bool>{false, true, true}));
        QCOMPARE(prueba("m9999123.046"), (QList<bool>{false, false, true}));
        f.st.config().setSlot(slot::FolioInferior, "1");
        QCOMPARE(prueba("m4321045.045"), (QList<bool>{true, true, false})); // "045" < "1" as text
        // Nothing reads past the end of short or empty names.
        for (const char* n : {"", "m", "4321", "m432", "e1234567", "s9999xyz12"})
            QCOMPARE(prueba(QString::fromLatin1(n)), (QList<bool>{false, false, false}));
    }

    void letrasDeTipoValidacion() {
        Fixture f;
        QVERIFY(esTipoValidacion(f.st, "M4321123.045"));
        QVERIFY(esTipoValidacion(f.st, "f4321xyz123.045"));
        QVERIFY(!esTipoValidacion(f.st, "r4321123.045"));
        QVERIFY(!esTipoValidacion(f.st, ",4321123.045"));
        QVERIFY(!esTipoValidacion(f.st, ""));
        f.st.config().setSlot(slot::LetrasValidacion, "M,B");
        QVERIFY(!esTipoValidacion(f.st, "m4321123.045")); // upper case in the slot never matches
    }

    void tipoDeDocumento_data() {
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<int>("tipo");
        QTest::addRow("m") << "m4321123.045" << 0;
        QTest::addRow("C upper") << "C4321123.045" << 1;
        QTest::addRow("t") << "t4321123.045" << 2;
        QTest::addRow("ea") << "ea4321123045" << 6;
        QTest::addRow("EB") << "EB4321123045" << 7;
        QTest::addRow("e other") << "e1234567.045" << 100;
        QTest::addRow("b") << "b4321123.045" << 100;
        QTest::addRow("empty") << "" << 100;
    }
    void tipoDeDocumento() {
        QFETCH(QString, nombre);
        QFETCH(int, tipo);
        QCOMPARE(int(TipoDocumento(nombre)), tipo);
    }
};

QTEST_GUILESS_MAIN(PruebaNombres)
#include "test_nombres.moc"

#include <QDir>
#include <QFile>
#include <QTest>

#include "Fixture.h"
#include "cycle/Registro801.h"
#include "platform/fs.h"

using namespace korva;
using korva::test::Fixture;

namespace {
const QByteArray k500 = "500|1|4321|1234567|470|"; // 23 characters
QByteArray r(const char* s) { return QByteArray(s); }
} // namespace

class PruebaRegistro801 : public QObject {
    Q_OBJECT
private slots:
    void reescritura801_data() {
        QTest::addColumn<QByteArray>("entrada");
        QTest::addColumn<double>("n");
        QTest::addColumn<QByteArray>("salida");
        const QByteArray cab = k500 + "X"; // 24: regular with N = 24
        QTest::addRow("regular 801 gets the key") << cab + "\r\n501|a\r\n801|a|b|c|d|e\r\n"
                                                  << 24.0 << cab + "\r\n501|a\r\n801|a|b|c|KEY|\r\n";
        QTest::addRow("regular N+8") << k500 + "123456789\r\nx\r\n" << 24.0 << k500 + "123456789\r\nx\r\n";
        QTest::addRow("one character line kept") << cab + "\r\nx\r\n" << 24.0 << cab + "\r\nx\r\n";
        QTest::addRow("801 with fewer fields") << cab + "\r\n801|a\r\n" << 24.0 << cab + "\r\n801|aKEY|\r\n";
        QTest::addRow("LF separated records")
            << r("500|x\n501|y\n801|a|b|c|d\n") << 24.0 << r("500|x\r\n501|y\r\n801|a|b|c|KEY|\r\n");
        QTest::addRow("801 in the middle of LF records keeps the rest")
            << r("500|x\n801|a|b|c|d|e\n999|z") << 24.0 << r("500|x\r\n801|a|b|c|KEY|\r\n999|z\r\n");
        QTest::addRow("not regular joins CR lines, pending written at the end")
            << r("ab\r\ncd\r\nef") << 24.0 << r("abcdef\r\n");
        QTest::addRow("not regular joins until 801")
            << r("ab\r\ncd\r\n801|1|2|3|4\r\n") << 24.0 << r("abcd801|1|2|3|KEY|\r\n");
        QTest::addRow("bare CR ends a line") << cab + "\r501|a\r" << 24.0 << cab + "\r\n501|a\r\n";
        QTest::addRow("empty file") << QByteArray() << 24.0 << QByteArray();
        QTest::addRow("empty lines of a regular file go") << cab + "\r\n\r\nx\r\n"
                                                          << 24.0 << cab + "\r\nx\r\n";
    }
    void reescritura801() {
        QFETCH(QByteArray, entrada);
        QFETCH(double, n);
        QFETCH(QByteArray, salida);
        QCOMPARE(reescribe801(entrada, n, "KEY"), salida);
    }

    void reescribeElArchivoEnSuLugar() {
        Fixture f;
        const QString a = f.ruta("m4321123.045");
        fs::escribeAtomico(a, k500 + "X\r\n801|m4321123.045|1|3|999|extra\r\n");
        f.st.config().setSlot(slot::ClavePrevalidador, "123");
        f.st.config().setSlot(slot::CaracteresRegistro500, "abc");
        PreparaRegistro801(f.st, a);
        QFile in(a);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QCOMPARE(in.readAll(), k500 + "X\r\n801|m4321123.045|1|3|123|\r\n");
        QCOMPARE(f.st.config().TxtConfiguration(slot::CaracteresRegistro500), QStringLiteral("24"));
        QCOMPARE(QDir(f.tmp.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no copy left behind
        PreparaRegistro801(f.st, f.ruta("missing")); // nothing to do, no crash
    }
};

QTEST_GUILESS_MAIN(PruebaRegistro801)
#include "test_registro801.moc"

#include "platform/Ansi.h"

#include <array>

namespace korva::ansi {
namespace {

// 0x80..0x9F of Windows-1252; 0 marks the five unassigned codes, which map
// to the C1 control of the same number as Windows itself does.
constexpr std::array<char16_t, 32> kAlto = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                            0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

QChar caracter(int c) {
    c &= 0xFF;
    if (c >= 0x80 && c <= 0x9F && kAlto[c - 0x80] != 0)
        return QChar(kAlto[c - 0x80]);
    return QChar(char16_t(c));
}

int codigo(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (int i = 0; i < 32; ++i)
        if (kAlto[i] == u || (kAlto[i] == 0 && u == 0x80 + i))
            return 0x80 + i;
    return '?';
}

QString decodifica(const QByteArray& bytes) {
    // Latin-1 is the code page but for 0x80..0x9F: convert in one go, then
    // mend those few characters.
    QString s = QString::fromLatin1(bytes);
    for (QChar& c : s)
        if (c.unicode() >= 0x80 && c.unicode() <= 0x9F)
            c = caracter(c.unicode());
    return s;
}

QByteArray codifica(const QString& texto) {
    QByteArray b;
    b.reserve(texto.size());
    for (QChar c : texto)
        b.append(static_cast<char>(codigo(c)));
    return b;
}

QStringList lineas(const QByteArray& bytes) {
    const QString texto = decodifica(bytes);
    QStringList out;
    qsizetype inicio = 0;
    const qsizetype n = texto.size();
    auto agrega = [&](qsizetype fin) {
        if (fin > inicio && texto.at(fin - 1) == QLatin1Char('\r'))
            --fin;
        out.append(texto.mid(inicio, fin - inicio));
    };
    for (qsizetype i = texto.indexOf(QLatin1Char('\n')); i >= 0;
         i = texto.indexOf(QLatin1Char('\n'), inicio)) {
        agrega(i);
        inicio = i + 1;
    }
    if (inicio < n)
        agrega(n);
    return out;
}

} // namespace korva::ansi

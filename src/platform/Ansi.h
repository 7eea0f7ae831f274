#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Files of the program are single-byte Windows-1252 text; memory is Unicode.
// The conversion happens here and nowhere else.
namespace korva::ansi {

QString decodifica(const QByteArray& bytes);
// Characters the code page cannot hold become "?".
QByteArray codifica(const QString& texto);

// Code of one character in the code page (0..255), or '?' when it has none.
int codigo(QChar c);
// The character whose code page code is c (0..255).
QChar caracter(int c);

// Splits file text into lines: CR LF or a bare LF end a line; a last line
// without an ending still counts.
QStringList lineas(const QByteArray& bytes);

} // namespace korva::ansi

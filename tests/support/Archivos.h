#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "platform/Files.h"

// Small file helpers of the tests.
namespace korva::test {

// A file's bytes; "<no existe>" when it cannot be read.
inline QByteArray lee(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<no existe>");
}

// Writes a whole file, making its folders; with a time, the file gets it as
// its modification time. False when the file could not be written.
inline bool pon(const QString& ruta, const QByteArray& datos, const QDateTime& t = {}) {
    QDir().mkpath(QFileInfo(ruta).path());
    if (!fs::escribeAtomico(ruta, datos))
        return false;
    if (!t.isValid())
        return true;
    QFile f(ruta);
    return f.open(QIODevice::ReadWrite) && f.setFileTime(t, QFileDevice::FileModificationTime);
}

// The plain files of a folder, by name.
inline QStringList en(const QString& carpeta) { return QDir(carpeta).entryList(QDir::Files, QDir::Name); }

} // namespace korva::test

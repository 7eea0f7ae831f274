#include "platform/CarpetaPrograma.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace korva {

QString carpetaPrograma() {
#ifdef Q_OS_WIN
    const QString c = QCoreApplication::applicationDirPath();
#else
    const QString c = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
#endif
    QDir().mkpath(c);
    return c;
}

QString carpetaBibliotecas() {
    const QString junto = QCoreApplication::applicationDirPath();
#ifndef Q_OS_WIN
    const QString instalada =
        QDir(junto).filePath(QStringLiteral("../") + QLatin1String(KORVA_DIR_BIBLIOTECAS));
    if (!QFileInfo::exists(QDir(junto).filePath(QStringLiteral("libsgenc.so"))) &&
        QFileInfo::exists(instalada))
        return QDir::cleanPath(instalada);
#endif
    return junto;
}

} // namespace korva

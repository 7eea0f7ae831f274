#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
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

} // namespace korva

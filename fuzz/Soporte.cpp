#include "Soporte.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace korva::fuzz {

void iniciaQt(int* argc, char*** argv) {
    static QCoreApplication* app = nullptr;
    if (!app)
        app = new QCoreApplication(*argc, *argv);
}

const QString& carpeta() {
    // In memory where the system has it: the configuration is saved with a
    // flush to disk, which would otherwise be most of each run.
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/korvafuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/korvafuzz-XXXXXX"));
    static const QString ruta = dir.path();
    return ruta;
}

} // namespace korva::fuzz

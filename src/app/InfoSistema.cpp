#include "app/InfoSistema.h"

#include <QDir>
#include <QStandardPaths>

namespace korva {

QStringList herramientasInfoSistema() {
#ifdef Q_OS_WIN
    return {QStringLiteral("msinfo32")};
#else
    // Graphical hardware and system summaries of the usual desktops.
    return {QStringLiteral("hardinfo"), QStringLiteral("hardinfo2"), QStringLiteral("kinfocenter"),
            QStringLiteral("lshw-gtk")};
#endif
}

QString buscaInfoSistema(const QString& ruta) {
    QStringList carpetas;
    if (!ruta.isNull())
        carpetas = ruta.split(QDir::listSeparator(), Qt::SkipEmptyParts);
    for (const QString& h : herramientasInfoSistema()) {
        const QString p = QStandardPaths::findExecutable(h, carpetas);
        if (!p.isEmpty())
            return p;
    }
    return {};
}

} // namespace korva

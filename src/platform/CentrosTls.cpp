#include "platform/CentrosTls.h"

#include <QFileInfo>

#include "platform/fs.h"

namespace korva::centrosTls {
namespace {

bool nombra(const QString& linea, const QString& host, int puerto) {
    const QStringList partes = linea.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return partes.size() == 2 && partes[0].compare(host.trimmed(), Qt::CaseInsensitive) == 0 &&
           partes[1].toInt() == puerto;
}

} // namespace

bool recordado(const QString& archivo, const QString& host, int puerto) {
    if (archivo.isEmpty() || !(QFileInfo::exists(archivo) || fs::esEnlace(archivo)))
        return false;
    bool ok = false;
    const QStringList lineas = fs::leeLineas(archivo, fs::limite::kConfiguracion, &ok);
    // A record that cannot be read (a link, a FIFO, damage) may name this
    // centre: TLS is required rather than the password risked.
    if (!ok)
        return true;
    for (const QString& l : lineas)
        if (nombra(l, host, puerto))
            return true;
    return false;
}

bool recuerda(const QString& archivo, const QString& host, int puerto) {
    if (archivo.isEmpty())
        return false;
    bool ok = true;
    QStringList lineas = QFileInfo::exists(archivo) || fs::esEnlace(archivo)
                             ? fs::leeLineas(archivo, fs::limite::kConfiguracion, &ok)
                             : QStringList();
    if (!ok)
        return false; // never rewritten from a list it could not read
    for (const QString& l : lineas)
        if (nombra(l, host, puerto))
            return true;
    lineas << host.trimmed().toLower() + QLatin1Char(' ') + QString::number(puerto);
    return fs::escribeAtomico(archivo, fs::comoTexto(lineas));
}

} // namespace korva::centrosTls

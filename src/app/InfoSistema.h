#pragma once

#include <QString>
#include <QStringList>

namespace korva {

// System information tools the about box may open, in order of preference.
QStringList herramientasInfoSistema();
// Full path of the first of them found on the search path (the PATH
// variable when none is given); empty when there is none.
QString buscaInfoSistema(const QString& ruta = QString());

} // namespace korva

#pragma once

#include <QFileInfo>
#include <QString>

#include "comun/EstadoPrincipal.h"
#include "platform/fs.h"

namespace korva::carpetas {

// The program's own folders inside the office's send and receive folders,
// always spelt so.
inline const QString kPend = QStringLiteral("Pend");
inline const QString kEnviados = QStringLiteral("Enviados");
inline const QString kRechaza = QStringLiteral("Rechaza");
inline const QString kRespalda = QStringLiteral("Respalda");

inline QString enEnvio(const EstadoPrincipal& st, const QString& sub, Plataforma p = kPlataforma) {
    return fs::une(st.config().TxtConfiguration(slot::DirEnvio), sub, p);
}
inline QString pend(const EstadoPrincipal& st, Plataforma p = kPlataforma) { return enEnvio(st, kPend, p); }
inline QString enviados(const EstadoPrincipal& st, Plataforma p = kPlataforma) {
    return enEnvio(st, kEnviados, p);
}
inline QString rechaza(const EstadoPrincipal& st, Plataforma p = kPlataforma) {
    return enEnvio(st, kRechaza, p);
}
inline QString respalda(const EstadoPrincipal& st, Plataforma p = kPlataforma) {
    return fs::une(st.config().TxtConfiguration(slot::DirRecibo), kRespalda, p);
}

// The broker chooses the send and receive folders, a link among them; the
// program's folders inside them are its own and never a link elsewhere
// (copies would be written and answered files deleted there). A folder not
// made yet is fine: it is made where it belongs.
inline bool propia(const QString& ruta) {
    return fs::esCarpetaReal(ruta) || !(fs::esEnlace(ruta) || QFileInfo::exists(ruta));
}

} // namespace korva::carpetas

#pragma once

#include <QLoggingCategory>
#include <QString>

// The support log: what a night's failures leave for whoever helps the
// broker next morning. One file a day in the program folder's "soporte"
// folder, kept 30 days; the daily log and the register keep their own formats.
Q_DECLARE_LOGGING_CATEGORY(lcFallas)        // the program's own errors and reports
Q_DECLARE_LOGGING_CATEGORY(lcSesion)        // each session's commands and replies
Q_DECLARE_LOGGING_CATEGORY(lcTransferencia) // each transfer: time, size, result

namespace korva::soporte {

inline constexpr int kDiasGuardados = 30;
inline const QString kCarpeta = QStringLiteral("soporte");

// Sends the messages of the categories above to the day's file in
// <carpetaPrograma>/soporte (others go where they went before) and removes
// the files older than kDiasGuardados days.
void instala(const QString& carpetaPrograma);
void desinstala();
QString carpeta(const QString& carpetaPrograma);

// A session line as the log keeps it: the password never written.
QString sinContrasena(const QString& linea);

} // namespace korva::soporte

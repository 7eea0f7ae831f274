#pragma once

#include <QString>

namespace korva {

struct Contexto;

// The transfer operations of the main window over its one connection. Each
// connects by itself when needed and returns 0 or a code of the error table,
// writing its status text to Evento.
qint16 InitializeFTPControl(Contexto& ctx);
qint32 ConnectToHost(Contexto& ctx);
qint16 SendFile(Contexto& ctx, const QString& strLocalFileName, const QString& strRemoteFileName);
qint16 ReceiveFile(Contexto& ctx, const QString& strLocalFileName, const QString& strRemoteFileName);
qint16 ReceiveMultipleFiles(Contexto& ctx, const QString& strLocalDir, const QString& strRemoteDir,
                            const QString& strFileMask);
qint16 DeleteFiles(Contexto& ctx, const QString& strFile);
qint16 DisconnectFromHost(Contexto& ctx);
// A new cycle or action may try the centre again after a session was found
// gone (DisconnectFromHost does the same).
void reiniciaSesion(Contexto& ctx);
// Transfers made while one lives raise no error window (a download whose
// files may well be absent); the switch is set back on every way out.
class SinVentanaDeErrores {
public:
    explicit SinVentanaDeErrores(Contexto& ctx);
    ~SinVentanaDeErrores();
    SinVentanaDeErrores(const SinVentanaDeErrores&) = delete;
    SinVentanaDeErrores& operator=(const SinVentanaDeErrores&) = delete;

private:
    Contexto& ctx_;
    bool antes_;
};
// Raises the error window while the session shows errors. Always 0.
qint16 Error(Contexto& ctx, qint32 CveError);

} // namespace korva

#pragma once

#include <QList>
#include <QString>

namespace korva {

// A listed file a download by mask left on the server, with the code that
// says why.
struct Omitido {
    QString nombre;
    qint32 codigo = 0;
};

// Settings of the transfer component, read by the next connect.
struct FtpAjustes {
    QString host;
    QString puerto = QStringLiteral("21");
    QString usuario;
    QString contrasena;
    bool pasivo = true;
};

// The file-transfer component of the main window. Every operation returns 0
// or a code of the error table (codigos::). Remote names are relative to the
// account's login folder, with "/" as separator.
class ClienteFtp {
public:
    virtual ~ClienteFtp() = default;

    FtpAjustes ajustes;

    // True while a logged-in control connection is open.
    virtual bool conectado() const = 0;
    virtual qint32 conecta() = 0;
    virtual qint32 desconecta() = 0;
    // Copies the remote file over the local path; the local file appears
    // complete or not at all.
    virtual qint32 recibe(const QString& local, const QString& remoto) = 0;
    virtual qint32 envia(const QString& local, const QString& remoto) = 0;
    // Copies every file of the remote folder whose name matches the mask
    // ("*" any run of characters, "?" one character; "*.*" every file) into
    // the local folder. A name that must not land there, or a file too large,
    // is left out and the others fetched (omitidos); 0 when any arrived.
    virtual qint32 recibeVarios(const QString& carpetaLocal, const QString& carpetaRemota,
                                const QString& mascara) = 0;
    virtual qint32 borra(const QString& remoto) = 0;
    // Deletes what a stopped upload left on the server: the stop stays in
    // force for everything else, so this runs on its own, briefly, over the
    // open session or a new one, and hangs up after.
    virtual qint32 retira(const QString& remoto) { return borra(remoto); }

    // What the open connection settled, for the status line.
    virtual bool cifrado() const { return false; }
    // Active data connections were asked for but passive ones are used.
    virtual bool pasivoImpuesto() const { return false; }
    // The files the last recibeVarios left out.
    virtual QList<Omitido> omitidos() const { return {}; }
    // A failure of the program's own files met by the last conecta that did
    // not stop it (the record of TLS centres not written); empty when none.
    virtual QString fallaLocal() const { return {}; }
};

} // namespace korva

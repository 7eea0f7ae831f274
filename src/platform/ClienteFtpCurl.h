#pragma once

#include <QString>
#include <memory>

#include "platform/ClienteFtp.h"

namespace korva {

class Latido;

// Name of the CA bundle a centre with a private CA ships; looked for in the
// program folder and trusted beside the system's store.
inline const QString kArchivoCACentro = QStringLiteral("ca-centro.pem");

// The centres that have completed TLS, one "host port" line each, in the
// program folder: a remembered centre is never again logged into without
// TLS. Deleting a line forgets that centre.
inline const QString kArchivoCentrosTls = QStringLiteral("centros-tls.dat");

// No response or notice of the centre is near this size: a larger download
// is refused.
inline constexpr qint64 kDescargaMaxima = qint64(64) << 20;

struct OpcionesCurl {
    QString archivoCA;         // PEM bundle trusted beside the system store; may be empty
    QString archivoCentrosTls; // the record of centres that completed TLS; empty keeps none
    int conexionMs = 15000;    // TCP connect and login
    int estancadoS = 60;       // no byte and no reply for this long ends the operation
    int puertoImplicito = 990; // the port that means TLS from the first byte
};

// The transfer component over libcurl. One easy handle per connection, so the
// control connection and its TLS session serve every operation until
// desconecta; each operation runs through a private multi handle polled every
// millisecond (the easy interface of this libcurl stalls about a second on a
// share of transfers). Explicit TLS whenever the server offers it, port 990
// implicit TLS, TLS 1.2 at most; passive data connections under TLS.
class ClienteFtpCurl final : public ClienteFtp {
public:
    explicit ClienteFtpCurl(OpcionesCurl opciones = {});
    // The program's own options: the centre's CA bundle from the program folder.
    static OpcionesCurl opcionesDelPrograma(const QString& carpetaPrograma);
    ~ClienteFtpCurl() override;

    bool conectado() const override;
    qint32 conecta() override;
    qint32 desconecta() override;
    qint32 recibe(const QString& local, const QString& remoto) override;
    qint32 envia(const QString& local, const QString& remoto) override;
    qint32 retira(const QString& remoto) override;
    qint32 recibeVarios(const QString& carpetaLocal, const QString& carpetaRemota,
                        const QString& mascara) override;
    qint32 borra(const QString& remoto) override;

    // Called while an operation waits on the network; none: it just waits.
    void setLatido(Latido* latido);

    // True when the open connection negotiated TLS.
    bool cifrado() const override;
    // Active data connections under TLS hang in this libcurl, so a TLS
    // session always opens passive ones.
    bool pasivoImpuesto() const override;
    QList<Omitido> omitidos() const override;
    QString fallaLocal() const override;
    // How many times this run has read the trusted certificates.
    static int lecturasConfianza();

    // The names of a listing (NLST, one a line) that the mask takes and that
    // may become local files; each name the mask took and that was refused
    // (hostile, one of the program's own, too long for its temporary) is added
    // to *omitidos.
    static QStringList nombresDelListado(const QByteArray& lista, const QString& remota,
                                         const QString& mascara, QList<Omitido>* omitidos);
    // A name a listing may hand us that must never become a local path.
    static bool nombreSeguro(const QString& nombre);
    // The program's own files (the daily log, the patents list and its
    // journal, configuration files and their locks, the register, the
    // trusted CA, the TLS record), which the centre never replaces.
    static bool nombrePropio(const QString& nombre);
    // "*" any run of characters, "?" one character, the rest literal; "*.*"
    // is every file, names without a dot too, as on the broker's desktop.
    static bool coincide(const QString& nombre, const QString& mascara);

private:
    qint32 recibeUnaVez(const QString& local, const QString& remoto);
    qint32 enviaUnaVez(const QString& local, const QString& remoto);
    qint32 borraUnaVez(const QString& remoto);
    qint32 recibeVariosUnaVez(const QString& carpetaLocal, const QString& carpetaRemota,
                              const QString& mascara);

    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace korva

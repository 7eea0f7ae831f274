#include "platform/ClienteFtpCurl.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <algorithm>
#include <cstring>
#include <curl/curl.h>
#include <filesystem>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include "platform/CentrosTls.h"
#include "platform/FtpErrores.h"
#include "platform/Latido.h"
#include "platform/Soporte.h"
#include "platform/fs.h"

namespace korva {
namespace {

using namespace codigos;

void inicializaCurl() {
    static const bool hecho = [] { return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; }();
    (void)hecho;
}

// The trusted certificates: the system's store as libcurl was built to find
// it, plus the centre's bundle when the program folder holds one. Parsing
// them costs more than a transfer, so they are read once and the one store
// is handed to every TLS connection, control and data, of every client; a
// bundle replaced on disk is read again at the next connection.
int lecturas = 0;

struct Confianza {
    QString archivo;
    bool existe = false;
    qint64 tamano = -1;
    std::filesystem::file_time_type hora{};
    X509_STORE* almacen = nullptr;

    bool sirvePara(const QString& ruta) const {
        std::error_code ec;
        const std::filesystem::path p(ruta.toStdU16String());
        const bool hay = !ruta.isEmpty() && std::filesystem::is_regular_file(p, ec);
        if (almacen == nullptr || ruta != archivo || hay != existe)
            return false;
        return !hay || (qint64(std::filesystem::file_size(p, ec)) == tamano &&
                        std::filesystem::last_write_time(p, ec) == hora);
    }
};

// Parsing the system's bundle is the longest step of a first connection: the
// window turns between its certificates.
bool cargaPem(X509_STORE* almacen, const QString& ruta, Latido* latido, bool propio) {
    QByteArray pem;
    // The centre's bundle is the program's own file: never through a link,
    // and bounded. The system's store is the system's.
    if (propio) {
        if (!fs::lee(ruta, qint64(16) << 20, &pem))
            return false;
    } else {
        QFile f(ruta);
        if (!f.open(QIODevice::ReadOnly))
            return false;
        pem = f.read(qint64(64) << 20);
    }
    BIO* bio = BIO_new_mem_buf(pem.constData(), int(pem.size()));
    if (!bio)
        return false;
    int cargados = 0;
    while (X509* x = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr)) {
        cargados += X509_STORE_add_cert(almacen, x) == 1;
        X509_free(x);
        if (latido)
            latido->late();
    }
    ERR_clear_error(); // the end of the bundle reads as an error
    BIO_free(bio);
    return cargados > 0;
}

// The store for this bundle, with a reference for the caller; null only when
// memory ran out.
X509_STORE* almacenConfianza(const QString& archivoCA, Latido* latido) {
    static Confianza vigente;
    if (!vigente.sirvePara(archivoCA)) {
        X509_STORE* almacen = X509_STORE_new();
        if (!almacen)
            return nullptr;
        ++lecturas;
        const curl_version_info_data* v = curl_version_info(CURLVERSION_NOW);
        const QString sistema = (v && v->cainfo) ? QString::fromLocal8Bit(v->cainfo)
                                                 : QStringLiteral("/etc/ssl/certs/ca-certificates.crt");
        cargaPem(almacen, sistema, latido, false);
        if (v && v->capath)
            X509_STORE_load_path(almacen, v->capath);
        Confianza nueva;
        nueva.archivo = archivoCA;
        std::error_code ec;
        const std::filesystem::path p(archivoCA.toStdU16String());
        nueva.existe = !archivoCA.isEmpty() && std::filesystem::is_regular_file(p, ec);
        if (nueva.existe) {
            nueva.tamano = qint64(std::filesystem::file_size(p, ec));
            nueva.hora = std::filesystem::last_write_time(p, ec);
            cargaPem(almacen, archivoCA, latido, true);
        }
        // As libcurl does with its own store: an intermediate in the bundle
        // is trusted as an anchor.
        X509_STORE_set_flags(almacen, X509_V_FLAG_PARTIAL_CHAIN);
        ERR_clear_error();
        if (vigente.almacen)
            X509_STORE_free(vigente.almacen); // connections still open keep theirs
        nueva.almacen = almacen;
        vigente = nueva;
    }
    X509_STORE_up_ref(vigente.almacen);
    return vigente.almacen;
}

// After these the control connection is known to be usable still; after any
// other failure it is dropped, so the next operation logs in afresh.
bool conexionSigue(CURLcode rc) {
    switch (rc) {
    case CURLE_OK:
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_FTP_COULDNT_RETR_FILE:
    case CURLE_QUOTE_ERROR:
    case CURLE_UPLOAD_FAILED:
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_REMOTE_DISK_FULL:
    case CURLE_FILESIZE_EXCEEDED:
        return true;
    default:
        return false;
    }
}

using fs::kLargoNombreMaximo;

// How long the centre's goodbye is awaited.
constexpr int kAdiosS = 3;
// Connecting and logging in again to withdraw a stopped upload.
constexpr int kRetiroMs = 10000;

// A download lands through the program's one atomic replace: the broker's
// software sees the old file or the new one, never part of it, and the
// response is on the disk before its pending copy is let go.
struct Descarga {
    fs::Reemplazo archivo;
    bool abierto = false;
    bool falloApertura = false;
    bool falloEscritura = false;
    bool excedido = false;
    qint64 escritos = 0;
    Latido* latido = nullptr;
    explicit Descarga(const QString& ruta) : archivo(ruta) {}
    bool abre() {
        abierto = archivo.abre();
        return abierto;
    }
    bool confirma() { return archivo.confirma(fs::Sincroniza::Si); }
};

// The temporary file is opened with the first byte, so a missing remote file
// leaves nothing behind.
size_t escribeDescarga(char* datos, size_t, size_t n, void* p) {
    auto* d = static_cast<Descarga*>(p);
    // A large transfer's data may all pass in one call of libcurl's.
    if (d->latido)
        d->latido->late();
    d->escritos += qint64(n);
    if (d->escritos > kDescargaMaxima) {
        d->excedido = true;
        return 0;
    }
    if (!d->abierto) {
        if (!d->abre()) {
            d->falloApertura = true;
            return 0;
        }
    }
    if (d->archivo.escribe(datos, qint64(n)))
        return n;
    d->falloEscritura = true;
    return 0;
}

size_t escribeMemoria(char* datos, size_t, size_t n, void* p) {
    auto* b = static_cast<QByteArray*>(p);
    if (b->size() + qsizetype(n) > (16 << 20))
        return 0; // a listing this large is not a folder of the centre
    b->append(datos, qsizetype(n));
    return n;
}

size_t descarta(char*, size_t, size_t n, void*) { return n; }

struct Subida {
    QFile archivo;
    bool falloLectura = false;
    Latido* latido = nullptr;
    explicit Subida(const QString& ruta) : archivo(ruta) {}
};

size_t leeSubida(char* datos, size_t, size_t n, void* p) {
    auto* s = static_cast<Subida*>(p);
    if (s->latido) // as for a download
        s->latido->late();
    const qint64 r = s->archivo.read(datos, qint64(n));
    // The file's end is the last call before the wait for the centre's
    // closing reply, which this libcurl awaits without returning.
    if (s->latido && (r == 0 || s->archivo.atEnd()))
        s->latido->turno();
    if (r < 0) {
        s->falloLectura = true;
        return CURL_READFUNC_ABORT;
    }
    return size_t(r);
}

// What the control connection settled, as libcurl reports it while it talks.
struct EstadoSesion {
    bool cifrado = false;       // the control connection runs over TLS
    bool esperaProt = false;    // PROT P sent, its reply not yet read
    bool protRechazado = false; // the data connections would go in clear
};

int depura(CURL* easy, curl_infotype tipo, char* datos, size_t n, void* p) {
    auto* s = static_cast<EstadoSesion*>(p);
    // The session's commands and replies for the support log, the password
    // never written.
    if ((tipo == CURLINFO_HEADER_OUT || tipo == CURLINFO_HEADER_IN) && lcSesion().isInfoEnabled())
        qCInfo(lcSesion).noquote() << (tipo == CURLINFO_HEADER_OUT ? "> " : "< ") +
                                          soporte::sinContrasena(
                                              QString::fromUtf8(datos, qsizetype(n)).trimmed());
    if (tipo == CURLINFO_HEADER_OUT && n >= 6 && std::memcmp(datos, "PROT P", 6) == 0) {
        s->esperaProt = true;
    } else if (tipo == CURLINFO_HEADER_IN) {
        // libcurl's own TLS state, never a reply's text: a plain server may
        // answer anything with any code.
        curl_tlssessioninfo* tls = nullptr;
        if (curl_easy_getinfo(easy, CURLINFO_TLS_SSL_PTR, &tls) == CURLE_OK && tls && tls->internals)
            s->cifrado = true;
        // The last line of the reply to PROT P ("534 ...").
        if (s->esperaProt && n >= 4 && datos[3] == ' ') {
            s->esperaProt = false;
            s->protRechazado = datos[0] != '2';
        }
    }
    return 0;
}

QByteArray escapaRuta(CURL* easy, const QString& ruta) {
    QByteArray out;
    const QStringList partes = ruta.split(QLatin1Char('/'));
    for (int i = 0; i < partes.size(); ++i) {
        if (i)
            out += '/';
        const QByteArray u = partes[i].toUtf8();
        char* e = curl_easy_escape(easy, u.constData(), int(u.size()));
        if (e) {
            out += e;
            curl_free(e);
        }
    }
    return out;
}

} // namespace

struct ClienteFtpCurl::Impl {
    OpcionesCurl opciones;
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    bool conectado = false;
    EstadoSesion sesion;
    bool pasivo = true;
    bool pasivoImpuesto = false;
    QList<Omitido> omitidos; // of the last download by mask
    QString fallaLocal;      // of the last connect
    bool sinDatos = false;   // the last failure moved none of its data
    bool reintentando = false;
    bool sinCancelar = false; // a withdrawal the broker's stop itself asked for
    QByteArray base;          // scheme://host:port/
    curl_slist* postquote = nullptr;
    X509_STORE* confianza = nullptr; // this connection's reference to the run's store
    char errbuf[CURL_ERROR_SIZE] = {};
    Latido* latido = nullptr;

    ~Impl() { cierra(); }

    void cierra() {
        // Cleaning the multi handle closes its cached connection with QUIT.
        if (easy)
            curl_easy_cleanup(easy);
        if (multi)
            curl_multi_cleanup(multi);
        easy = nullptr;
        multi = nullptr;
        conectado = false;
        sesion = {};
        pasivoImpuesto = false;
        if (postquote)
            curl_slist_free_all(postquote);
        postquote = nullptr;
        if (confianza)
            X509_STORE_free(confianza);
        confianza = nullptr;
    }

    CURLcode ejecuta() {
        errbuf[0] = 0;
        if (curl_multi_add_handle(multi, easy) != CURLM_OK)
            return CURLE_FAILED_INIT;
        CURLcode rc = CURLE_OK;
        bool hecho = false;
        int sinSockets = 0;
        while (!hecho) {
            int activos = 0;
            if (curl_multi_perform(multi, &activos) != CURLM_OK) {
                rc = CURLE_FAILED_INIT;
                break;
            }
            int pendientes = 0;
            while (CURLMsg* m = curl_multi_info_read(multi, &pendientes)) {
                if (m->msg == CURLMSG_DONE && m->easy_handle == easy) {
                    rc = m->data.result;
                    hecho = true;
                }
            }
            if (hecho)
                break;
            // After the passive-mode reply this libcurl returns before it
            // opens the data connection, with no socket to wait on: a poll
            // would sleep its whole millisecond on every transfer. Run it
            // again at once, a few times, before waiting on a timer.
            fd_set r, w, x;
            FD_ZERO(&r);
            FD_ZERO(&w);
            FD_ZERO(&x);
            int maximo = -1;
            curl_multi_fdset(multi, &r, &w, &x, &maximo);
            if (maximo < 0 && ++sinSockets <= 8)
                continue;
            sinSockets = 0;
            curl_multi_poll(multi, nullptr, 0, 1, nullptr);
            // The window lives while the network is awaited, and the broker
            // may stop the transfer: it is abandoned, nothing kept of it.
            if (latido) {
                latido->late();
                if (latido->cancelado() && !sinCancelar) {
                    rc = CURLE_ABORTED_BY_CALLBACK;
                    break;
                }
            }
        }
        curl_multi_remove_handle(multi, easy);
        return rc;
    }

    long respuesta() const {
        long r = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &r);
        return r;
    }

    // Maps a failure and drops the connection when it may be gone.
    qint32 falla(CURLcode rc) {
        const qint32 c = codigoDeCurl(rc, respuesta());
        curl_off_t subidos = 0, bajados = 0;
        curl_easy_getinfo(easy, CURLINFO_SIZE_UPLOAD_T, &subidos);
        curl_easy_getinfo(easy, CURLINFO_SIZE_DOWNLOAD_T, &bajados);
        sinDatos = subidos == 0 && bajados == 0;
        if (!conexionSigue(rc))
            cierra();
        return c;
    }

    // The centre closed the session while it was idle (its own time-out, the
    // broker long at the manual selection): the operation failed on the
    // control connection before any of its data moved. Worth one new
    // session; a silence is not (it would be waited out twice).
    bool cerradaInactiva(qint32 codigo) const {
        switch (codigo) {
        case LecturaFallida:
        case EscrituraFallida:
        case ServidorCerroConexion:
        case ServidorNoDisponible:
            return sinDatos && !reintentando;
        default:
            return false;
        }
    }

    void operacion(const QByteArray& ruta) {
        const QByteArray url = base + ruta;
        curl_easy_setopt(easy, CURLOPT_URL, url.constData());
        curl_easy_setopt(easy, CURLOPT_NOBODY, 0L);
        curl_easy_setopt(easy, CURLOPT_UPLOAD, 0L);
        curl_easy_setopt(easy, CURLOPT_DIRLISTONLY, 0L);
        curl_easy_setopt(easy, CURLOPT_POSTQUOTE, nullptr);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, descarta);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, nullptr);
    }

    // Called by libcurl before every TLS handshake of this connection; a plain
    // session never reads the certificates.
    static CURLcode ponConfianza(CURL*, void* contexto, void* p) {
        auto* yo = static_cast<Impl*>(p);
        if (!yo->confianza)
            yo->confianza = almacenConfianza(yo->opciones.archivoCA, yo->latido);
        if (!yo->confianza)
            return CURLE_OUT_OF_MEMORY;
        SSL_CTX* ctx = static_cast<SSL_CTX*>(contexto);
        SSL_CTX_set1_cert_store(ctx, yo->confianza);
        SSL_CTX_set_ex_data(ctx, indiceCliente(), yo);
        SSL_CTX_set_info_callback(ctx, Impl::pasoTls);
        return CURLE_OK;
    }

    // This libcurl awaits the control connection's handshake without
    // returning (two round trips): the window turns at each of its steps.
    // Only inside a handshake: a close may come while the client is being
    // destroyed, when no turn may run.
    static void pasoTls(const SSL* ssl, int donde, int) {
        if (!(donde & SSL_CB_LOOP) || !SSL_in_init(ssl))
            return;
        auto* yo = static_cast<Impl*>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), indiceCliente()));
        if (yo && yo->latido)
            yo->latido->late();
    }

    // An operation, and once more on a new session when the centre had closed
    // the idle one under it.
    template <class F> qint32 conReintento(ClienteFtpCurl* cliente, const QString& remoto, F&& op) {
        const qint32 c = op();
        anota(c, remoto);
        if (c == Ninguno || !cerradaInactiva(c))
            return c;
        reintentando = true;
        qint32 r = cliente->conecta();
        if (r == Ninguno) {
            r = op();
            anota(r, remoto);
        }
        reintentando = false;
        return r;
    }

    // Each transfer in the support log: what, how much, how long, its result.
    // Named by the operation itself: a session lost before the transfer
    // began leaves libcurl without the name.
    void anota(qint32 codigo, const QString& remoto) {
        if (!lcTransferencia().isInfoEnabled())
            return;
        curl_off_t subidos = 0, bajados = 0, microsegundos = 0;
        if (easy) {
            curl_easy_getinfo(easy, CURLINFO_SIZE_UPLOAD_T, &subidos);
            curl_easy_getinfo(easy, CURLINFO_SIZE_DOWNLOAD_T, &bajados);
            curl_easy_getinfo(easy, CURLINFO_TOTAL_TIME_T, &microsegundos);
        }
        qCInfo(lcTransferencia).noquote()
            << QStringLiteral("%1: %2 bytes enviados, %3 recibidos, %4 ms, resultado %5")
                   .arg(remoto)
                   .arg(subidos)
                   .arg(bajados)
                   .arg(microsegundos / 1000)
                   .arg(codigo);
    }

    // The session's options, set once per connection: time-outs, TLS (only
    // encrypted when `soloCifrado`), the run's trust store, the progress
    // and debug hooks, the data connection's mode.
    void ajusta(CURL* e, const QString& usuario, const QString& contrasena, bool soloCifrado) {
        curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "ftp,ftps");
        curl_easy_setopt(e, CURLOPT_ERRORBUFFER, errbuf);
        // libcurl keeps its own copies of the strings it is given.
        const QByteArray u = usuario.trimmed().toUtf8(), c = contrasena.trimmed().toUtf8();
        curl_easy_setopt(e, CURLOPT_USERNAME, u.constData());
        curl_easy_setopt(e, CURLOPT_PASSWORD, c.constData());
        curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, long(opciones.conexionMs));
        curl_easy_setopt(e, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(opciones.estancadoS));
        curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, long(opciones.estancadoS));
        curl_easy_setopt(e, CURLOPT_TCP_KEEPALIVE, 1L);
        // Paths go whole in each command: fewer round trips than a CWD per folder.
        curl_easy_setopt(e, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_NOCWD));
        curl_easy_setopt(e, CURLOPT_USE_SSL, long(soloCifrado ? CURLUSESSL_ALL : CURLUSESSL_TRY));
        curl_easy_setopt(e, CURLOPT_FTPSSLAUTH, long(CURLFTPAUTH_TLS)); // no AUTH SSL round trip first
        // Servers that demand session reuse on data connections fail some TLS 1.3 transfers.
        curl_easy_setopt(e, CURLOPT_SSLVERSION,
                         long(CURL_SSLVERSION_TLSv1_2) | long(CURL_SSLVERSION_MAX_TLSv1_2));
        curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, 2L);
        // libcurl loads nothing itself: the run's store is handed to each
        // connection instead.
        curl_easy_setopt(e, CURLOPT_CAINFO, nullptr);
        curl_easy_setopt(e, CURLOPT_CAPATH, nullptr);
        curl_easy_setopt(e, CURLOPT_SSL_CTX_FUNCTION, Impl::ponConfianza);
        curl_easy_setopt(e, CURLOPT_SSL_CTX_DATA, this);
        curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, Impl::progreso);
        curl_easy_setopt(e, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(e, CURLOPT_DEBUGFUNCTION, depura);
        curl_easy_setopt(e, CURLOPT_DEBUGDATA, &sesion);
        curl_easy_setopt(e, CURLOPT_VERBOSE, 1L);
        curl_easy_setopt(e, CURLOPT_FTPPORT, pasivo ? nullptr : "-");
        // No SIZE before RETR: a missing file fails at RETR all the same, and a
        // download costs one round trip less.
        curl_easy_setopt(e, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    }

    // Called by libcurl inside the waits it makes without returning (a
    // reply awaited, the goodbye): the window turns, and a stop asked for
    // ends the wait.
    static int progreso(void* p, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        auto* yo = static_cast<Impl*>(p);
        if (!yo->latido)
            return 0;
        yo->latido->late();
        return yo->latido->cancelado() && !yo->sinCancelar ? 1 : 0;
    }

    static int indiceCliente() {
        static const int i = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
        return i;
    }
};

ClienteFtpCurl::ClienteFtpCurl(OpcionesCurl opciones) : d(std::make_unique<Impl>()) {
    inicializaCurl();
    d->opciones = std::move(opciones);
}

ClienteFtpCurl::~ClienteFtpCurl() = default;

OpcionesCurl ClienteFtpCurl::opcionesDelPrograma(const QString& carpetaPrograma) {
    OpcionesCurl o;
    o.archivoCA = QDir(carpetaPrograma).filePath(kArchivoCACentro);
    o.archivoCentrosTls = QDir(carpetaPrograma).filePath(kArchivoCentrosTls);
    return o;
}

void ClienteFtpCurl::setLatido(Latido* latido) { d->latido = latido; }

bool ClienteFtpCurl::conectado() const { return d->conectado; }
bool ClienteFtpCurl::cifrado() const { return d->sesion.cifrado; }
bool ClienteFtpCurl::pasivoImpuesto() const { return d->pasivoImpuesto; }
QList<Omitido> ClienteFtpCurl::omitidos() const { return d->omitidos; }
QString ClienteFtpCurl::fallaLocal() const { return d->fallaLocal; }
int ClienteFtpCurl::lecturasConfianza() { return lecturas; }

qint32 ClienteFtpCurl::conecta() {
    d->cierra();
    d->fallaLocal.clear();
    const QString host = ajustes.host.trimmed();
    bool ok = false;
    const int puerto = ajustes.puerto.trimmed().toInt(&ok);
    if (host.isEmpty() || !ok || puerto <= 0 || puerto > 65535)
        return ParametrosInvalidos;
    d->pasivo = ajustes.pasivo;
    const bool implicito = puerto == d->opciones.puertoImplicito;
    const QString h = host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    d->base = (implicito ? QByteArrayLiteral("ftps://") : QByteArrayLiteral("ftp://")) + h.toUtf8() + ':' +
              QByteArray::number(puerto) + '/';

    d->multi = curl_multi_init();
    d->easy = curl_easy_init();
    if (!d->multi || !d->easy) {
        d->cierra();
        return RedNoInicializada;
    }
    CURL* e = d->easy;
    // TLS whenever offered; a centre that once completed it is refused
    // without it, before USER, rather than sent the password in clear.
    const bool recordado = !implicito && centrosTls::recordado(d->opciones.archivoCentrosTls, host, puerto);
    d->ajusta(e, ajustes.usuario, ajustes.contrasena, implicito || recordado);

    // Logging in is a body-less request for the login folder.
    d->operacion({});
    curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
    const CURLcode rc = d->ejecuta();
    if (rc != CURLE_OK) {
        const qint32 c = codigoDeCurl(rc, d->respuesta());
        d->cierra();
        return c;
    }
    if (d->sesion.cifrado && !implicito && !recordado &&
        !centrosTls::recuerda(d->opciones.archivoCentrosTls, host, puerto))
        d->fallaLocal = QStringLiteral("no fue posible registrar el centro en ") +
                        d->opciones.archivoCentrosTls + QStringLiteral(" (") + fs::ultimaCausa() +
                        QLatin1Char(')');
    // Once the session is encrypted its data goes encrypted too, or nothing
    // goes: a centre that refuses PROT P would receive every file in clear.
    if (d->sesion.cifrado && d->sesion.protRechazado) {
        d->cierra();
        return TlsInaceptable;
    }
    // Known only now under explicit TLS; the login itself opened no data connection.
    if (d->sesion.cifrado && !d->pasivo) {
        curl_easy_setopt(e, CURLOPT_FTPPORT, nullptr);
        d->pasivo = true;
        d->pasivoImpuesto = true;
    }
    d->conectado = true;
    return Ninguno;
}

qint32 ClienteFtpCurl::desconecta() {
    if (d->conectado && d->easy) {
        // QUIT goes as a command of this client's own, so its reply is
        // awaited a few seconds at most with the window turning: libcurl's
        // QUIT when the handle is cleaned waits out the whole response
        // time-out in one block against a centre gone silent.
        d->operacion({});
        curl_easy_setopt(d->easy, CURLOPT_NOBODY, 1L);
        curl_easy_setopt(d->easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(kAdiosS));
        curl_slist* adios = curl_slist_append(nullptr, "QUIT");
        curl_easy_setopt(d->easy, CURLOPT_QUOTE, adios);
        d->ejecuta();
        curl_easy_setopt(d->easy, CURLOPT_QUOTE, nullptr);
        curl_slist_free_all(adios);
    }
    d->cierra();
    return Ninguno;
}

qint32 ClienteFtpCurl::recibe(const QString& local, const QString& remoto) {
    return d->conReintento(this, remoto, [&] { return recibeUnaVez(local, remoto); });
}

qint32 ClienteFtpCurl::recibeUnaVez(const QString& local, const QString& remoto) {
    if (!d->conectado)
        return NoIngresado;
    if (!QFileInfo(QFileInfo(local).absolutePath()).isDir())
        return ArchivoLocalNoCreado;
    Descarga des(local);
    des.latido = d->latido;
    d->operacion(escapaRuta(d->easy, remoto));
    curl_easy_setopt(d->easy, CURLOPT_WRITEFUNCTION, escribeDescarga);
    curl_easy_setopt(d->easy, CURLOPT_WRITEDATA, &des);
    const CURLcode rc = d->ejecuta();
    if (rc != CURLE_OK) {
        if (des.excedido) {
            d->cierra(); // the transfer was cut: the control connection is not to be trusted
            return ArchivoExcedeAlmacenaje;
        }
        if (des.falloApertura) {
            if (!conexionSigue(rc))
                d->cierra();
            return ArchivoLocalNoCreado;
        }
        return d->falla(rc);
    }
    // An empty remote file never reaches the write callback.
    if (!des.abierto && !des.abre())
        return ArchivoLocalNoCreado;
    return des.confirma() ? Ninguno : ArchivoLocalNoEscrito;
}

qint32 ClienteFtpCurl::envia(const QString& local, const QString& remoto) {
    return d->conReintento(this, remoto, [&] { return enviaUnaVez(local, remoto); });
}

qint32 ClienteFtpCurl::enviaUnaVez(const QString& local, const QString& remoto) {
    if (!d->conectado)
        return NoIngresado;
    Subida sub(local);
    if (!fs::abreLectura(sub.archivo))
        return ArchivoLocalNoAbierto;
    sub.latido = d->latido;
    d->operacion(escapaRuta(d->easy, remoto));
    curl_easy_setopt(d->easy, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(d->easy, CURLOPT_READFUNCTION, leeSubida);
    curl_easy_setopt(d->easy, CURLOPT_READDATA, &sub);
    curl_easy_setopt(d->easy, CURLOPT_INFILESIZE_LARGE, curl_off_t(sub.archivo.size()));
    const CURLcode rc = d->ejecuta();
    curl_easy_setopt(d->easy, CURLOPT_UPLOAD, 0L);
    if (rc == CURLE_OK)
        return Ninguno;
    if (sub.falloLectura) {
        d->cierra();
        return ArchivoLocalNoLeido;
    }
    return d->falla(rc);
}

qint32 ClienteFtpCurl::recibeVarios(const QString& carpetaLocal, const QString& carpetaRemota,
                                    const QString& mascara) {
    return d->conReintento(this, carpetaRemota + QLatin1Char('/') + mascara,
                           [&] { return recibeVariosUnaVez(carpetaLocal, carpetaRemota, mascara); });
}

qint32 ClienteFtpCurl::recibeVariosUnaVez(const QString& carpetaLocal, const QString& carpetaRemota,
                                          const QString& mascara) {
    d->omitidos.clear();
    if (!d->conectado)
        return NoIngresado;
    if (!QFileInfo(carpetaLocal).isDir())
        return CarpetaLocalInvalida;
    QString remota = carpetaRemota;
    while (remota.endsWith(QLatin1Char('/')))
        remota.chop(1);

    QByteArray lista;
    d->operacion(remota.isEmpty() ? QByteArray() : escapaRuta(d->easy, remota) + '/');
    curl_easy_setopt(d->easy, CURLOPT_DIRLISTONLY, 1L);
    curl_easy_setopt(d->easy, CURLOPT_WRITEFUNCTION, escribeMemoria);
    curl_easy_setopt(d->easy, CURLOPT_WRITEDATA, &lista);
    const CURLcode rc = d->ejecuta();
    curl_easy_setopt(d->easy, CURLOPT_DIRLISTONLY, 0L);
    if (rc != CURLE_OK)
        return d->falla(rc);

    const QStringList nombres = nombresDelListado(lista, remota, mascara, &d->omitidos);
    bool alguno = false;
    for (const QString& n : nombres) {
        // A download cut off for its size took the connection with it.
        if (!d->conectado)
            if (const qint32 c = conecta())
                return c;
        const QString r = remota.isEmpty() ? n : remota + QLatin1Char('/') + n;
        const qint32 c = recibe(QDir(carpetaLocal).filePath(n), r);
        // A sub-folder that matches, or a file gone since the listing.
        if (c == ArchivoRemotoNoDisponible)
            continue;
        if (c == ArchivoExcedeAlmacenaje) {
            d->omitidos.append({n, c});
            continue;
        }
        if (c != Ninguno)
            return c;
        alguno = true;
    }
    if (alguno)
        return Ninguno;
    return d->omitidos.isEmpty() ? SinCoincidencias : d->omitidos.first().codigo;
}

qint32 ClienteFtpCurl::borra(const QString& remoto) {
    return d->conReintento(this, remoto, [&] { return borraUnaVez(remoto); });
}

qint32 ClienteFtpCurl::borraUnaVez(const QString& remoto) {
    if (!d->conectado)
        return NoIngresado;
    // DELE goes after the transfer step: QUOTE would run before it and
    // CUSTOMREQUEST never sends it.
    d->operacion({});
    curl_easy_setopt(d->easy, CURLOPT_NOBODY, 1L);
    if (d->postquote)
        curl_slist_free_all(d->postquote);
    d->postquote = curl_slist_append(nullptr, ("DELE " + remoto.toUtf8()).constData());
    curl_easy_setopt(d->easy, CURLOPT_POSTQUOTE, d->postquote);
    const CURLcode rc = d->ejecuta();
    if (d->easy)
        curl_easy_setopt(d->easy, CURLOPT_POSTQUOTE, nullptr);
    return rc == CURLE_OK ? Ninguno : d->falla(rc);
}

qint32 ClienteFtpCurl::retira(const QString& remoto) {
    // The window keeps turning, but the stop that asked for this does not
    // end it; a distant centre gets the time a login takes there, a dead
    // one a bounded wait.
    const OpcionesCurl opciones = d->opciones;
    d->sinCancelar = true;
    d->opciones.conexionMs = std::min(opciones.conexionMs, kRetiroMs);
    d->opciones.estancadoS = std::min(opciones.estancadoS, kRetiroMs / 2000);
    qint32 c = d->conectado ? Ninguno : conecta();
    if (c == Ninguno) {
        curl_easy_setopt(d->easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(d->opciones.estancadoS));
        c = borraUnaVez(remoto);
    }
    desconecta();
    d->sinCancelar = false;
    d->opciones = opciones;
    return c;
}

QStringList ClienteFtpCurl::nombresDelListado(const QByteArray& lista, const QString& remota,
                                              const QString& mascara, QList<Omitido>* omitidos) {
    QStringList nombres;
    for (QByteArray linea : lista.split('\n')) {
        if (linea.endsWith('\r'))
            linea.chop(1);
        if (linea.isEmpty())
            continue;
        QString n = QString::fromUtf8(linea);
        // Some servers answer NLST of a folder with the folder in each name.
        if (!remota.isEmpty() && n.startsWith(remota + QLatin1Char('/')))
            n = n.mid(remota.size() + 1);
        if (!coincide(n, mascara))
            continue;
        if (!nombreSeguro(n) || nombrePropio(n) || QFile::encodeName(n).size() > kLargoNombreMaximo) {
            if (omitidos)
                omitidos->append({n, NombreInvalido});
            continue;
        }
        nombres << n;
    }
    return nombres;
}

bool ClienteFtpCurl::nombreSeguro(const QString& n) {
    if (n.isEmpty() || n == QLatin1String(".") || n.contains(QLatin1String("..")))
        return false;
    for (QChar c : n) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':'))
            return false;
        // Line and paragraph separators end a line as a control does: such a
        // name would break its entry in the lists.
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c.category() == QChar::Other_Control ||
            c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph)
            return false;
    }
    return true;
}

bool ClienteFtpCurl::nombrePropio(const QString& n) {
    static const QRegularExpression propios(
        QStringLiteral("^([0-9]+\\.log|usuarios\\.(dat|mov)|odbc.*\\.(reg|lock)|bitacora|atrasadas-[0-9a-f]+"
                       "\\.dat|%1|%2)$")
            .arg(QRegularExpression::escape(kArchivoCACentro),
                 QRegularExpression::escape(kArchivoCentrosTls)),
        QRegularExpression::CaseInsensitiveOption);
    return propios.match(n).hasMatch();
}

bool ClienteFtpCurl::coincide(const QString& nombre, const QString& mascara) {
    if (mascara == QLatin1String("*.*"))
        return true;
    // Iterative glob with one backtrack point: linear in practice.
    qsizetype n = 0, m = 0, estrella = -1, marca = 0;
    while (n < nombre.size()) {
        if (m < mascara.size() && (mascara[m] == QLatin1Char('?') || mascara[m] == nombre[n])) {
            ++n;
            ++m;
        } else if (m < mascara.size() && mascara[m] == QLatin1Char('*')) {
            estrella = m++;
            marca = n;
        } else if (estrella >= 0) {
            m = estrella + 1;
            n = ++marca;
        } else {
            return false;
        }
    }
    while (m < mascara.size() && mascara[m] == QLatin1Char('*'))
        ++m;
    return m == mascara.size();
}

} // namespace korva

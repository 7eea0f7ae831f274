#include "platform/FtpErrores.h"

#include <curl/curl.h>

namespace korva {
namespace {

using namespace codigos;

constexpr int kCualquiera = -1;

// clang-format off
constexpr FilaError kTabla[] = {
    // A reply that names the condition more precisely than libcurl's result.
    {CURLE_FTP_COULDNT_RETR_FILE,    550, ArchivoRemotoNoDisponible},
    {CURLE_REMOTE_FILE_NOT_FOUND,    550, ArchivoRemotoNoDisponible},
    {CURLE_QUOTE_ERROR,              550, ArchivoRemotoNoDisponible},
    {CURLE_QUOTE_ERROR,              450, ArchivoRemotoSinAcceso},
    {CURLE_QUOTE_ERROR,              553, NombreInvalido},
    {CURLE_UPLOAD_FAILED,            553, NombreInvalido},
    {CURLE_UPLOAD_FAILED,            550, ArchivoRemotoSinAcceso},
    {CURLE_FTP_WEIRD_SERVER_REPLY,   421, ServidorNoDisponible},
    {CURLE_QUOTE_ERROR,              500, ComandoInvalido},
    {CURLE_QUOTE_ERROR,              501, ArgumentosInvalidos},
    {CURLE_QUOTE_ERROR,              502, ComandoNoHabilitado},
    {CURLE_QUOTE_ERROR,              504, ComandoNoHabilitado},
    {CURLE_QUOTE_ERROR,              503, SecuenciaInvalida},
    {CURLE_QUOTE_ERROR,              532, CuentaRequerida},
    // Replies that mean one thing whatever command drew them.
    {kCualquiera,                    452, DiscoRemotoLleno},
    {kCualquiera,                    552, DiscoRemotoLleno},
    {kCualquiera,                    522, TlsInaceptable},
    {kCualquiera,                    534, TlsInaceptable},
    {kCualquiera,                    425, ConexionDatosFallida},
    // The result alone.
    {CURLE_FAILED_INIT,                0, RedNoInicializada},
    {CURLE_UNSUPPORTED_PROTOCOL,       0, OperacionNoPosible},
    {CURLE_URL_MALFORMAT,              0, ParametrosInvalidos},
    {CURLE_BAD_FUNCTION_ARGUMENT,      0, ParametrosInvalidos},
    {CURLE_COULDNT_RESOLVE_HOST,       0, ServidorNoResuelto},
    {CURLE_COULDNT_CONNECT,            0, ConexionRechazada},
    {CURLE_FTP_WEIRD_SERVER_REPLY,     0, ControlNoAbierto},
    {CURLE_REMOTE_ACCESS_DENIED,       0, ArchivoRemotoSinAcceso},
    {CURLE_FTP_ACCEPT_FAILED,          0, ConexionDatosFallida},
    {CURLE_FTP_WEIRD_PASS_REPLY,       0, AccesoDenegado},
    {CURLE_FTP_ACCEPT_TIMEOUT,         0, TiempoAgotado},
    {CURLE_FTP_WEIRD_PASV_REPLY,       0, ConexionDatosFallida},
    {CURLE_FTP_WEIRD_227_FORMAT,       0, ConexionDatosFallida},
    {CURLE_FTP_CANT_GET_HOST,          0, ConexionDatosFallida},
    {CURLE_FTP_COULDNT_SET_TYPE,       0, RespuestaInesperada},
    {CURLE_PARTIAL_FILE,               0, ServidorCerroConexion},
    {CURLE_FTP_COULDNT_RETR_FILE,      0, ArchivoRemotoSinAcceso},
    {CURLE_QUOTE_ERROR,                0, RespuestaInesperada},
    {CURLE_WRITE_ERROR,                0, ArchivoLocalNoEscrito},
    {CURLE_UPLOAD_FAILED,              0, ArchivoRemotoSinAcceso},
    {CURLE_READ_ERROR,                 0, ArchivoLocalNoLeido},
    {CURLE_OUT_OF_MEMORY,              0, MemoriaInsuficiente},
    {CURLE_OPERATION_TIMEDOUT,         0, TiempoAgotado},
    {CURLE_FTP_PORT_FAILED,            0, ConexionDatosFallida},
    {CURLE_FTP_COULDNT_USE_REST,       0, ReinicioNoPosible},
    {CURLE_RANGE_ERROR,                0, ReinicioNoPosible},
    {CURLE_SSL_CONNECT_ERROR,          0, TlsFallido},
    {CURLE_BAD_DOWNLOAD_RESUME,        0, ReinicioNoPosible},
    {CURLE_FILE_COULDNT_READ_FILE,     0, ArchivoLocalNoAbierto},
    {CURLE_ABORTED_BY_CALLBACK,        0, Cancelada},
    {CURLE_GOT_NOTHING,                0, ServidorCerroConexion},
    {CURLE_SSL_ENGINE_NOTFOUND,        0, InterfaseSeguraFallida},
    {CURLE_SSL_ENGINE_SETFAILED,       0, InterfaseSeguraFallida},
    {CURLE_SEND_ERROR,                 0, EscrituraFallida},
    {CURLE_RECV_ERROR,                 0, LecturaFallida},
    {CURLE_SSL_CERTPROBLEM,            0, CredencialesCliente},
    {CURLE_SSL_CIPHER,                 0, TlsFallido},
    {CURLE_PEER_FAILED_VERIFICATION,   0, CertificadoNoValidado},
    {CURLE_FILESIZE_EXCEEDED,          0, ArchivoExcedeAlmacenaje},
    {CURLE_USE_SSL_FAILED,             0, TlsInaceptable},
    {CURLE_SEND_FAIL_REWIND,           0, ArchivoLocalNoLeido},
    {CURLE_SSL_ENGINE_INITFAILED,      0, InterfaseSeguraFallida},
    {CURLE_LOGIN_DENIED,               0, AccesoDenegado},
    {CURLE_REMOTE_DISK_FULL,           0, DiscoRemotoLleno},
    {CURLE_REMOTE_FILE_EXISTS,         0, NombreInvalido},
    {CURLE_SSL_CACERT_BADFILE,         0, ContextoSeguroFallido},
    {CURLE_REMOTE_FILE_NOT_FOUND,      0, ArchivoRemotoNoDisponible},
    {CURLE_SSL_SHUTDOWN_FAILED,        0, TlsFallido},
    {CURLE_SSL_CRL_BADFILE,            0, ContextoSeguroFallido},
    {CURLE_SSL_ISSUER_ERROR,           0, CertificadoNoValidado},
    {CURLE_FTP_PRET_FAILED,            0, ComandoNoHabilitado},
    {CURLE_FTP_BAD_FILE_LIST,          0, ListaNoAnalizable},
    {CURLE_CHUNK_FAILED,               0, ListaNoAnalizable},
    {CURLE_SSL_PINNEDPUBKEYNOTMATCH,   0, CertificadoNoValidado},
    {CURLE_SSL_INVALIDCERTSTATUS,      0, CertificadoNoValidado},
};
// clang-format on

} // namespace

std::span<const FilaError> tablaErrores() { return kTabla; }

qint32 codigoDeCurl(int resultadoCurl, long respuestaFtp) {
    if (resultadoCurl == CURLE_OK)
        return Ninguno;
    if (respuestaFtp != 0) {
        for (const auto& f : kTabla)
            if (f.curl == resultadoCurl && f.respuesta == respuestaFtp)
                return f.codigo;
        for (const auto& f : kTabla)
            if (f.curl == kCualquiera && f.respuesta == respuestaFtp)
                return f.codigo;
    }
    for (const auto& f : kTabla)
        if (f.curl == resultadoCurl && f.respuesta == 0)
            return f.codigo;
    return ProblemaDesconocido;
}

bool sesionPerdidaCon(qint32 codigo) {
    switch (codigo) {
    case ConexionRechazada:
    case ServidorNoResuelto:
    case LecturaFallida:
    case EscrituraFallida:
    case TiempoAgotado:
    case ServidorCerroConexion:
    case ServidorNoDisponible:
    case ControlNoAbierto:
        return true;
    default:
        return false;
    }
}

} // namespace korva

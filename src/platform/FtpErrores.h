#pragma once

#include <QtGlobal>
#include <span>

namespace korva {

// Codes of the error table the broker reads (texts in exchange/ModError).
namespace codigos {
enum : qint32 {
    Ninguno = 0,
    RedNoInicializada = 25701,
    MemoriaInsuficiente = 25706,
    ParametrosInvalidos = 25707,
    ConexionRechazada = 25711,
    ServidorNoResuelto = 25712,
    LecturaFallida = 25715,
    EscrituraFallida = 25716,
    TiempoAgotado = 25717,
    ServidorCerroConexion = 25724,
    ServidorNoDisponible = 25726,
    ProblemaDesconocido = 25727,
    ConexionDatosFallida = 25728,
    Cancelada = 25731,
    ArchivoLocalNoCreado = 25737,
    ArchivoLocalNoAbierto = 25738,
    ArchivoLocalNoLeido = 25739,
    ArchivoLocalNoEscrito = 25740,
    AccesoDenegado = 25741,
    ControlNoAbierto = 25742,
    ArchivoRemotoNoDisponible = 25743,
    DiscoRemotoLleno = 25744,
    ComandoInvalido = 25745,
    ArgumentosInvalidos = 25746,
    ComandoNoHabilitado = 25747,
    SecuenciaInvalida = 25748,
    NoIngresado = 25749,
    CuentaRequerida = 25750,
    ArchivoRemotoSinAcceso = 25751,
    ArchivoExcedeAlmacenaje = 25752,
    NombreInvalido = 25753,
    RespuestaInesperada = 25754,
    ReinicioNoPosible = 25755,
    ListaNoAnalizable = 25758,
    OperacionNoPosible = 25760,
    SinCoincidencias = 25763,
    CarpetaLocalInvalida = 25764,
    InterfaseSeguraFallida = 25791,
    ContextoSeguroFallido = 25792,
    CredencialesCliente = 25793,
    CertificadoNoValidado = 25794,
    TlsFallido = 25795,
    ConexionDatosNoPosible = 25796,
    TlsInaceptable = 25797,
};
}

// One row of the translation from a libcurl result and the server's last
// FTP reply onto the table. curl -1 or respuesta 0 mean "any".
struct FilaError {
    int curl;
    long respuesta;
    qint32 codigo;
};

std::span<const FilaError> tablaErrores();

// Most specific row first: result and reply, then the reply alone, then the
// result alone; anything else is an unknown server problem.
qint32 codigoDeCurl(int resultadoCurl, long respuestaFtp);

// A transfer that failed with this code leaves no session with the centre
// worth trying again at once: a time-out, a connection lost, refused or
// closed by the server. A missing file, a refused name or a local file
// problem leave the session as it was.
bool sesionPerdidaCon(qint32 codigo);

} // namespace korva

#include "comun/RegistroConfiguracion.h"

#include <array>

namespace korva::registro {
namespace {

struct Definicion {
    const char* nombre;
    const char* omision;
    const char* etiqueta;
    const char* ayuda;
};

// clang-format off
const std::array<Definicion, 25> kSlots = {{
    {"ServidorActual", "Host(0)", "Host:", "Dirección IP del Host de LURMA"},
    {"Usuario", "User(1)", "Usuario:", "Usuario autorizado para validar"},
    {"ContrasenaFtp", "Contraseña", "Password:", "Contraseña"},
    {"DirEnvio", "ENV(3)", "Dir. Envio:", "Directorio de Envio se recomienda que sea un directorio env Ej. c:\\LURMA\\env    "},
    {"DirRecibo", "REC(4)", "Dir. Recepción:", "Directorio de Recepción se recomienda que sea un directorio rec Ej. c:\\LURMA\\rec"},
    {"FolioInferior", "Inferior(5)", "Folio Inferior:", "Folio inferior permitido para enviar a validar"},
    {"FolioSuperior", "Superior(6)", "Folio Superior:", "Folio Superior permitido para enviar a validar"},
    {"Puerto", "21", "Puerto:", "Puerto por el cual se da la salida a Internet al servicio de FTP"},
    {"ServidorPrimario", "Host(8)", "Primario:", "Dirección IP del Host de LURMA"},
    {"ServidorSecundario", "Host(9)", "Secundario:", "Dirección IP del Host de LURMA"},
    {"LetrasValidacion", "m,b,c,s,t,e,f,e", "Enviar:", "Primer letra de los archivos de Validación"},
    {"LetrasPago", "m,r,c,x,t,r,a,a", "Recibir:", "Primer letra de los archivos de Pago Electrónico"},
    {"Pasivo", "1", "Pasivo:", "Host(12) Campo que no se usa Dirección IP del Host de LURMA"},
    {"RutaKey", "Archivo KEY (13)", "Archivo KEY:", "Ruta y nombre del Archivo KEY (De la FIEL)"},
    {"RutaCer", "Archivo CER (14)", "Archivo CER:", "Ruta y Nombre del Archivo CER (Certificado de la FIEL)"},
    {"ContrasenaKey", "Contraseña(15)", "Contraseña:", "Usuario autorizado para validar"},
    {"Firmar", "(16) No se usa", "Firmar:", "Usuario autorizado para validar"},
    {"CaracteresRegistro500", "24", "Caracteres del Registros 500:", "Caracteres Registro 500"},
    {"EnvioAutomatico", "1", "Envio Automático:", "Host(18) Campo que no se usa Envio Automatico"},
    {"RutasAdicionales", "Rutas(19)", "Rutas Adicionales:", ""},
    {"RutasEnvioLocal", "ENV(20)", "Envio Local:", "Rutas de Envio Local"},
    {"RutasReciboLocal", "REC(21)", "Recibo Local:", "Rutas de Recibo Local"},
    {"DepurarArchivos", "1", "Depurar:", "Host(22) Campo que no se usa Depurar Archivos"},
    {"BajarRegistro001", "0", "Registro 001:", "Host(18) Campo que no se usa Envio Automatico"},
    {"ClavePrevalidador", "000", "Clave Prevalidador:", "Clave del Prevalidador"},
}};
// clang-format on

const Definicion* def(int n) { return (n >= 0 && n < 25) ? &kSlots[n] : nullptr; }

} // namespace

QString porOmision(int n) { return def(n) ? QString::fromUtf8(def(n)->omision) : QString(); }
QString nombre(int n) { return def(n) ? QString::fromUtf8(def(n)->nombre) : QString(); }
QString ayuda(int n) { return def(n) ? QString::fromUtf8(def(n)->ayuda) : QString(); }
QString etiqueta(int n) { return def(n) ? QString::fromUtf8(def(n)->etiqueta) : QString(); }
bool enmascarado(int n) { return n == 2 || n == 15; }
int longitudMaxima(int n) { return n == 24 ? 3 : 0; }

} // namespace korva::registro

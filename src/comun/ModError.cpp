#include "comun/ModError.h"

#include <QHash>
#include <algorithm>

namespace korva {
namespace {

// clang-format off
const QHash<qint32, QString>& tabla() {
    static const QHash<qint32, QString> t = {
        {25701, QStringLiteral("No fue posible inicializar el substema de Red.")},
        {25703, QStringLiteral("No se encontro la Libreria que envía información al Processo.")},
        {25704, QStringLiteral("La libreria enviada al Proceso es Invalida.")},
        {25705, QStringLiteral("La libreria enviada al Proceso es Invalida.")},
        {25706, QStringLiteral("Fallo la Asignación de Memoria, Reinicie su Computadora en intente nuevamente si el error continua comuniquese con su personal encargado del equipo de computo.")},
        {25707, QStringLiteral("Los parametros enviados al proceso son invalidos.")},
        {25709, QStringLiteral("El descriptor del Socket envíado a la función es invalido.")},
        {25710, QStringLiteral("No se puede acceptar la conexión de servidor, verifique comunicación en el boton de Conexión.")},
        {25711, QStringLiteral("No se puede establecer la conexión con el servidor (no se encontro el Servidor), verifique comunicación en el boton de Conexión.")},
        {25712, QStringLiteral("No se pudo determinar la dirección del Servidor, error en la comunicación, verifique comunicación en el boton de Conexión.")},
        {25713, QStringLiteral("No se fue posible establecer la comunicación vía Socket")},
        {25714, QStringLiteral("No se pudo escuchar las conecciones.")},
        {25715, QStringLiteral("La lectura de datos del servidor fallo, intente nuevamente. Detenga el Proceso (boton Detener) e Inicie nuevamente.")},
        {25716, QStringLiteral("La escritura de datos del servidor fallo, intente nuevamente. Detenga el Proceso (boton Detener) e Inicie nuevamente.")},
        {25717, QStringLiteral("La Operación fallo debe ser reintentada.")},
        {25718, QStringLiteral("Fin de datos corre en el Socket, transmisión completa. ")},
        {25719, QStringLiteral("Buffer interno tuvo un sobre flujo de memoria, cierre todos los programas reinicie la computadora en intente nuevamente, si el problema continua contacte a su proveedor de sistemas.")},
        {25720, QStringLiteral("El proceso ha sido bloqueado, intente nuevamente.")},
        {25721, QStringLiteral("El proceso ejecutado No ha sido bloqueado.")},
        {25722, QStringLiteral("La operación esta esperando respuesta del servidor, espere.")},
        {25723, QStringLiteral("No se pudo establecer sincronización con el servidor, reinicie suu sistema e intente nuevamente.")},
        {25724, QStringLiteral("El servidor Remoto ha cerrado la conexión, intente nuevamente. Detenga el Proceso (boton Detener) e Inicie nuevamente. Si este error persiste comuniquese a KORVA.")},
        {25725, QStringLiteral("El servidor Remoto no esta listo, espere unos minutos he intente nuevamente. Detenga el Proceso (boton Detener) e Inicie nuevamente.")},
        {25726, QStringLiteral("El servidor Remoto no esta disponible, verifique comunicación en el boton de Conexión.")},
        {25727, QStringLiteral("Existe un problema desconocido con el servidor, verifique comunicación en el boton de Conexión.")},
        {25728, QStringLiteral("No se pudo crear la conexión de datos.")},
        {25729, QStringLiteral("La conexión de datos ha sido establecida.")},
        {25730, QStringLiteral("La conexión de datos ha sido cerrada.")},
        {25731, QStringLiteral("La operación ha sido cancelada por el usuario.")},
        {25732, QStringLiteral("La conexión de datos es solo de lectura.")},
        {25733, QStringLiteral("La conexión de datos es solo de escritura.")},
        {25734, QStringLiteral("El tipo de archivo especificado es invalido. ")},
        {25735, QStringLiteral("La conexión de datos es pasiva.")},
        {25736, QStringLiteral("No se pudo determinar la dirección del Servidor, error en la comunicación, verifique comunicación en el boton de Conexión.")},
        {25737, QStringLiteral("No fue posible crear un archivo local.")},
        {25738, QStringLiteral("No fue posible abrir el archivo local.")},
        {25739, QStringLiteral("No fue posible leer el archivo local.")},
        {25740, QStringLiteral("No fue posible escribir en el archivo local.")},
        {25741, QStringLiteral("No fue posible entrar al Servidor de KORVA, el usuario o contraseña no son validos, o el servicio ha sido cerrado, verifique la comunicación en el boton de Conexión. Si el error persiste comuniquese a KORVA.")},
        {25742, QStringLiteral("No fue posible abrir la conexión con el servidor, verifique comunicación en el boton de Conexión. Si el error persiste comuniquese a KORVA.")},
        {25743, QStringLiteral("El archivo remoto no esta disponible.")},
        {25744, QStringLiteral("No hay espacio Suficiente para almacenar datos en el servidor, es necesario hacer una depuración, si el error persiste comuniquese a KORVA.")},
        {25745, QStringLiteral("El comando especificado es invalido.")},
        {25746, QStringLiteral("Los argumentos del comando especificado son invalidos.")},
        {25747, QStringLiteral("El comando no esta habilitado en el servidor.")},
        {25748, QStringLiteral("Secuencia del Comando invalida.")},
        {25749, QStringLiteral("El usuario no ha ingresado al sistema.")},
        {25750, QStringLiteral("Se requiere una cuenta para el amacenamiento de archvios.")},
        {25751, QStringLiteral("No fue posible accesar al archivo del servidor.")},
        {25752, QStringLiteral("El archivo excede la cantidad de almacenaje disponible.")},
        {25753, QStringLiteral("El nombre del archivo especificado es invalido.")},
        {25754, QStringLiteral("El servidor respondio con un codigo de resultado inesperado.")},
        {25755, QStringLiteral("No fue posible reiniciar la transferncia del archivo en este servidor, , verifique comunicación en el boton de Conexión.")},
        {25756, QStringLiteral("Tipo de Servidor desconocido.")},
        {25757, QStringLiteral("El servidor no regreso la lista de archivos.")},
        {25758, QStringLiteral("No fue posible análizar la lista de archivos.")},
        {25759, QStringLiteral("Fin de la lista de archivos.")},
        {25760, QStringLiteral("La operación no puede ser ejecutada en este servidor.")},
        {25761, QStringLiteral("El tipo de servidor de Internet (Proxy) especificado es invalido, contecte a su Adminstrador de Red.")},
        {25762, QStringLiteral("No fue posible accesar al servidor de Interner (Proxy), verifique el usuario y passwd e intente nuevamente, si el error persiste contacte a su Administrador de Red.")},
        {25763, QStringLiteral("No concidio ningún archvios con las lista especificada (WildCard). ")},
        {25764, QStringLiteral("El directorio o ruta local que se especificó es invalido o no puede ser accesado, verifique que la ruta sea correcta, si esta en red asegurese de estar conectado, si el error persiste contecte a su personal de Informática. Ej. c:\\KORVA\\env")},
        {25791, QStringLiteral("No fue posible inicializar la interfase segura para este proceso, reinicie su sistema e intente nuevamente, si el error persiste comuniquese a KORVA.")},
        {25792, QStringLiteral("No fue posible inicializar el contexto seguro para este proceso, reinicie su sistema e intente nuevamente, si el error persiste comuniquese a KORVA.")},
        {25793, QStringLiteral("No fue posible abrir el certificado o credenciales del cliente. ")},
        {25794, QStringLiteral("No fue posible validar el certificado del servidor (es inseguro). ")},
        {25795, QStringLiteral("La comunicación TLS or SSL a fallado, intente nuevamente si el error persiste comuniquese a KORVA.")},
        {25796, QStringLiteral("La conexión de datos no puede se abierta con la configuración actual.")},
        {25797, QStringLiteral("La negociación TLS es inaceptable, puede ser porque es requerida la seción TLS.")},
    };
    return t;
}
// clang-format on

} // namespace

QString MensajeError(qint32 codigo) { return tabla().value(codigo, QStringLiteral("Error sin descripción")); }

QList<qint32> CodigosDeError() {
    QList<qint32> c = tabla().keys();
    std::sort(c.begin(), c.end());
    return c;
}

} // namespace korva

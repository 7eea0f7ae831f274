#pragma once

#include <QString>

namespace korva {

struct Contexto;

// "C&ambiar Folios" (Menu_Folios). Idle: asks, looks for the centre's
// authorization ENV/folios.aut and, when it is there, unlocks slots 5 and 6
// alone. Unlocked ("Guardar Cambios de Folios"): saves the configuration and
// locks them again. The caption is EstadoConfiguracion::captionFolios().
void Menu_Folios(Contexto& ctx);

inline const QString kArchivoAutorizacion = QStringLiteral("ENV/folios.aut");
inline const QString kCopiaAutorizacion = QStringLiteral("folio.aut");
inline const QString kPreguntaFolios = QStringLiteral(
    "Esta opción busca la autorización para modificar los folios de los archivos, esto solo servira si "
    "KORVA ha autorizado el cambio de folio. Desea continuar?");
inline const QString kAutorizacionNegada = QStringLiteral(
    "Autorización Negada, para realizar cualquier cambio en la configuración es necesario consultarlo con "
    "KORVA.");

} // namespace korva

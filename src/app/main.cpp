// Builds the real ports and opens the patent selection window; nothing else.
#include <QApplication>
#include <memory>

#include "app/ui/Bandeja.h"
#include "app/ui/DialogosQt.h"
#include "app/ui/Form1.h"
#include "app/ui/FrmEntrada.h"
#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "platform/BibliotecaFirma.h"
#include "platform/Candado.h"
#include "platform/CarpetaPrograma.h"
#include "platform/ClienteFtpCurl.h"
#include "platform/Eco.h"
#include "platform/Idioma.h"
#include "platform/Latido.h"
#include "platform/Reloj.h"
#include "platform/Soporte.h"
#include "platform/Texto.h"
#include "platform/Version.h"
#include "platform/ui/ImpresorasQt.h"
#include "records/ui/FrmArchivosaEnviar.h"
#include "records/ui/FrmMessage.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KORVAVal"));
    QApplication::setApplicationVersion(QLatin1String(korva::kVersionPrograma));
    // Spanish whatever the machine's locale: Qt's own texts and numbers too.
    QLocale::setDefault(korva::idioma());
    korva::cargaTraduccionesQt();

    korva::DialogosQt dialogos;
    korva::RelojSistema reloj;
    korva::EstadoPrincipal estado;
    korva::Contexto ctx{estado, dialogos, reloj, korva::carpetaPrograma()};
    korva::soporte::instala(ctx.carpetaPrograma);

    korva::ClienteFtpCurl ftp(korva::ClienteFtpCurl::opcionesDelPrograma(ctx.carpetaPrograma));
    korva::VentanaErrorQt ventanaError;
    auto firma = korva::abreBibliotecaFirma(korva::carpetaBibliotecas());
    korva::Latido latido;
    ctx.latido = &latido;
    ftp.setLatido(&latido);
    ctx.ftp = &ftp;
    ctx.ventanaError = &ventanaError;
    korva::SeleccionEnvioQt seleccion;
    ctx.seleccion = &seleccion;
    ctx.firma = firma.get();
    auto eco = korva::creaEcoSistema();
    ctx.eco = eco.get();
    korva::ImpresorasQt impresoras;
    ctx.impresoras = &impresoras;

    korva::ponIdentidadEscritorio();
    std::unique_ptr<korva::Form1> principal;
    std::unique_ptr<korva::Bandeja> bandeja;
    std::unique_ptr<korva::AvisosEscritorio> avisos;
    auto* entrada = new korva::FrmEntrada(dialogos, ctx.carpetaPrograma);
    entrada->setAttribute(Qt::WA_DeleteOnClose);
    korva::CandadoPatente candado;
    QObject::connect(entrada, &korva::FrmEntrada::entrar, [&](int posicion) {
        if (!candado.toma(ctx.carpetaPrograma, posicion)) {
            const QStringList claves = entrada->patentes().claves();
            dialogos.error(
                candado.deOtraVentana()
                    ? korva::Texto::tr("La patente ") + claves.value(posicion) +
                          korva::Texto::tr(" ya está abierta en otra ventana de KORVAVal en este equipo. Use "
                                           "esa ventana o elija otra patente.")
                    : korva::Texto::tr("No es posible abrir la patente ") + claves.value(posicion) +
                          korva::Texto::tr(": la carpeta del programa ") + ctx.carpetaPrograma +
                          korva::Texto::tr(" no admite escritura (solo lectura o disco lleno)."));
            return;
        }
        principal = std::make_unique<korva::Form1>(ctx, posicion);
        principal->show();
        bandeja = korva::Bandeja::siHay(ctx, *principal);
        avisos = std::make_unique<korva::AvisosEscritorio>(ctx, bandeja.get());
        entrada->close();
    });
    entrada->show();
    const int rc = app.exec();
    avisos.reset();
    bandeja.reset();
    principal.reset();
    korva::soporte::desinstala();
    return rc;
}

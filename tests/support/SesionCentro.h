#pragma once

#include <memory>

#include "CentroSimulado.h"
#include "Fixture.h"
#include "VentanaErrorGrabadora.h"
#include "platform/ClienteFtpCurl.h"

namespace korva::test {

// A run's state wired to the real libcurl client against a simulated centre,
// with the send and receive folders of patent 4321 under the fixture's folder.
struct Oficina4321 {
    Fixture f;
    VentanaErrorGrabadora ventana;
    std::unique_ptr<ClienteFtpCurl> ftp;
    QString envio, recibo;

    Oficina4321() {
        envio = f.carpeta("env");
        recibo = f.carpeta("rec");
        f.st.setSlot(slot::Usuario, QStringLiteral("a4321"));
        f.st.setSlot(slot::DirEnvio, envio);
        f.st.setSlot(slot::DirRecibo, recibo);
        f.st.setSlot(slot::FolioInferior, QStringLiteral("001"));
        f.st.setSlot(slot::FolioSuperior, QStringLiteral("500"));
        f.st.setChk(slot::EnvioAutomatico, true);
        f.st.setChk(slot::Firmar, false);
        f.st.ciclo().setDiaJulianoActual(45);
        f.reloj.pon(QDateTime(QDate(2026, 2, 14), QTime(14, 3, 7)));
        f.ctx.ventanaError = &ventana;
    }
    // Points the connection settings at a centre (a new client each time).
    // Short time-outs by default, for quick tests; a distant centre needs the program's.
    void conecta(const CentroSimulado& c, int conexionMs = 3000) {
        OpcionesCurl o = ClienteFtpCurl::opcionesDelPrograma(f.ctx.carpetaPrograma);
        o.archivoCA = c.archivoCA();
        o.conexionMs = conexionMs;
        o.estancadoS = 3;
        ftp = std::make_unique<ClienteFtpCurl>(o);
        f.st.setSlot(slot::ServidorActual, QStringLiteral("127.0.0.1"));
        f.st.setSlot(slot::Puerto, QString::number(c.puerto()));
        f.st.setSlot(slot::ContrasenaFtp, c.contrasena());
        f.st.setChk(slot::Pasivo, true);
        f.ctx.ftp = ftp.get();
    }
    Contexto& ctx() { return f.ctx; }
    MainState& st() { return f.st; }
};

} // namespace korva::test

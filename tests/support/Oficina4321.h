#pragma once

#include <memory>

#include "CentroSimulado.h"
#include "DatosOficina.h"
#include "Fixture.h"
#include "VentanaErrorGrabadora.h"
#include "platform/ClienteFtpCurl.h"

namespace korva::test {

// The office (DatosOficina.h) wired to the real libcurl client against a
// simulated centre, sending without asking and without signing.
struct Oficina4321 {
    Fixture f;
    VentanaErrorGrabadora ventana;
    std::unique_ptr<ClienteFtpCurl> ftp;
    QString envio, recibo;

    Oficina4321() {
        const oficina::Carpetas c = oficina::describe(f.st, f.tmp.path());
        envio = c.envio;
        recibo = c.recibo;
        f.st.config().setChk(slot::EnvioAutomatico, true);
        f.st.config().setChk(slot::Firmar, false);
        f.reloj.pon(oficina::hoy());
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
        f.st.config().setSlot(slot::ServidorActual, QStringLiteral("127.0.0.1"));
        f.st.config().setSlot(slot::Puerto, QString::number(c.puerto()));
        f.st.config().setSlot(slot::ContrasenaFtp, c.contrasena());
        f.st.config().setChk(slot::Pasivo, true);
        f.ctx.ftp = ftp.get();
    }
    Contexto& ctx() { return f.ctx; }
    EstadoPrincipal& st() { return f.st; }
};

} // namespace korva::test

#pragma once

#include <QString>

#include "platform/Latido.h"
#include "platform/fs.h"

namespace korva {

class EstadoPrincipal;
class Dialogos;
class Reloj;
class ClienteFtp;
class VentanaError;
class BibliotecaFirma;
class Eco;
class Impresoras;
class SeleccionEnvio;

// What a procedure of the main window reaches: the run's state and the ports.
// main.cpp builds it with the real ports; tests with scripted ones.
struct Contexto {
    EstadoPrincipal& st;
    Dialogos& dlg;
    Reloj& reloj;
    QString carpetaPrograma;
    Plataforma plataforma = kPlataforma;
    ClienteFtp* ftp = nullptr;
    VentanaError* ventanaError = nullptr;
    BibliotecaFirma* firma = nullptr;    // loaded by name; null when none was given
    Eco* eco = nullptr;                  // echo component of the diagnostics page
    Impresoras* impresoras = nullptr;    // the machine's printers, for the viewer
    SeleccionEnvio* seleccion = nullptr; // the manual send choice; none: nothing is sent unasked
    Latido* latido = nullptr;            // lets the window live through long work; none: it blocks
    // How long a file of the send folder must have gone unwritten before it
    // is taken: the broker's software may still be writing it.
    int msQuietud = kMsQuietud;
    static constexpr int kMsQuietud = 2000;

    // Long work calls this between its steps.
    void late() const {
        if (latido)
            latido->late();
    }
    // Long work is under way beneath the caller: only the window may move.
    bool bajoTrabajo() const { return latido && latido->enTurno(); }
    // The broker asked the work to stop.
    bool cancelado() const { return latido && latido->cancelado(); }
};

} // namespace korva

#pragma once

#include <QString>

#include "platform/Files.h"
#include "platform/Latido.h"

namespace korva {

class MainState;
class Dialogs;
class Clock;
class FtpClient;
class VentanaError;
class SignatureLibrary;
class Eco;
class Impresoras;

// What a procedure of the main window reaches: the run's state and the ports.
// main.cpp builds it with the real ports; tests with scripted ones.
struct Contexto {
    MainState& st;
    Dialogs& dlg;
    Clock& reloj;
    QString carpetaPrograma;
    Plataforma plataforma = kPlataforma;
    FtpClient* ftp = nullptr;
    VentanaError* ventanaError = nullptr;
    SignatureLibrary* firma = nullptr; // loaded by name; null when none was given
    Eco* eco = nullptr;                // echo component of the diagnostics page
    Impresoras* impresoras = nullptr;  // the machine's printers, for the viewer
    Latido* latido = nullptr;          // lets the window live through long work; none: it blocks
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

#pragma once

#include <QString>

#include "platform/Files.h"

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
};

} // namespace korva

#pragma once

#include <QString>

// The 25 slots of a patent's configuration: default text, caption and help.
namespace korva::registro {

QString porOmision(int n); // the text a slot holds before any file is read
QString nombre(int n);     // the slot's name, e.g. "DirEnvio"
QString ayuda(int n);      // help text (tooltip); empty when none
QString etiqueta(int n);   // caption beside the slot's box
bool enmascarado(int n);   // entered with "*" (the two passwords)
int longitudMaxima(int n); // 0 when unlimited

} // namespace korva::registro

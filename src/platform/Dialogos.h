#pragma once

#include <QString>

namespace korva {

// Title every message box of the program carries.
inline const QString kTitulo = QStringLiteral("KORVA Centro de Prevalidación");

enum class Icono { Ninguno, Informacion, Advertencia, Error, Pregunta };

// Mouse pointer shapes of busy work: arrow with hourglass during a cycle,
// start, stop, purge and backup; hourglass while signing.
enum class Puntero { Normal, Ocupado, Espera };

// Every message box goes through here, so tests answer them by script.
class Dialogos {
public:
    virtual ~Dialogos() = default;

    // A message with an OK button; returns when the user dismisses it.
    virtual void mensaje(Icono icono, const QString& texto, const QString& titulo) = 0;
    // A Yes/No question; true only on Yes.
    virtual bool pregunta(const QString& texto, const QString& titulo) = 0;
    // A question whose Yes deletes or replaces something: No is its default
    // button, so Enter keeps.
    virtual bool preguntaBorrar(const QString& texto, const QString& titulo = kTitulo) {
        return pregunta(texto, titulo);
    }
    virtual void beep() = 0;
    virtual void puntero(Puntero p) = 0;

    void error(const QString& texto, const QString& titulo = kTitulo) {
        mensaje(Icono::Error, texto, titulo);
    }
    void advertencia(const QString& texto, const QString& titulo = kTitulo) {
        mensaje(Icono::Advertencia, texto, titulo);
    }
    void informacion(const QString& texto, const QString& titulo = kTitulo) {
        mensaje(Icono::Informacion, texto, titulo);
    }
    bool pregunta(const QString& texto) { return pregunta(texto, kTitulo); }
};

} // namespace korva

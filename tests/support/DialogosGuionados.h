#pragma once

#include <QList>
#include <QQueue>
#include <QString>
#include <functional>

#include "comun/SeleccionEnvio.h"
#include "platform/Dialogos.h"

namespace korva {
class ArchivosaEnviar;
}

namespace korva::test {

// Records every message box and answers questions from a queue. A question
// nobody told it to expect fails the test that caused it.
class DialogosGuionados final : public Dialogos, public SeleccionEnvio {
public:
    struct Registro {
        Icono icono;
        QString texto;
        QString titulo;
        bool esPregunta = false;
        bool noPorOmision = false; // a question that deletes: Enter answers No
    };

    void mensaje(Icono icono, const QString& texto, const QString& titulo) override;
    bool pregunta(const QString& texto, const QString& titulo) override;
    using Dialogos::pregunta;
    bool preguntaBorrar(const QString& texto, const QString& titulo) override {
        const bool si = pregunta(texto, titulo);
        registros.last().noPorOmision = true;
        return si;
    }
    void beep() override { ++beeps; }
    void puntero(Puntero p) override {
        punteros.append(p);
        if (alPuntero)
            alPuntero(p);
    }
    // Runs whenever the program changes the pointer (signing begins with the
    // hourglass): a test acts in the middle of the work.
    std::function<void(Puntero)> alPuntero;
    // Runs the real selection logic; the script clicks in it. Without a
    // script the window is closed by its close box.
    void elige(Contexto& ctx, QStringList& LstSendFiles) override;
    std::function<void(ArchivosaEnviar&)> guionEnvio;
    int seleccionesAbiertas = 0;

    void responde(bool si) { respuestas.enqueue(si); }

    QList<Registro> registros;
    QQueue<bool> respuestas;
    int beeps = 0;
    QList<Puntero> punteros;
    bool inesperada = false;

    QStringList textos() const;
    QString ultimo() const { return registros.isEmpty() ? QString() : registros.last().texto; }
    void limpia() {
        registros.clear();
        beeps = 0;
    }
};

} // namespace korva::test

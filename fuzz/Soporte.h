#pragma once

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "Archivos.h"
#include "platform/Dialogos.h"

// What every fuzz target shares: the Qt application object, a program folder
// of its own and message boxes that nobody answers.
namespace korva::fuzz {

// Creates the QCoreApplication once; call from LLVMFuzzerInitialize.
void iniciaQt(int* argc, char*** argv);

// A temporary folder made once per process and removed at exit.
const QString& carpeta();

// The file helpers the tests use: lee gives "<no existe>" for a file it
// cannot read.
using test::escribe;
using test::lee;

// Message boxes are counted and dropped; every question gets one answer,
// No unless told.
class DialogosMudos final : public Dialogos {
public:
    void mensaje(Icono, const QString&, const QString&) override { ++mensajes; }
    bool pregunta(const QString&, const QString&) override { return respuesta; }
    bool respuesta = false;
    using Dialogos::pregunta;
    void beep() override {}
    void puntero(Puntero) override {}
    int mensajes = 0;
};

} // namespace korva::fuzz

// A property that failed: the input that broke it is what libFuzzer keeps.
#define FUZZ_CHECK(cond)                                                                                     \
    do {                                                                                                     \
        if (!(cond)) {                                                                                       \
            std::fprintf(stderr, "%s:%d: falla %s\n", __FILE__, __LINE__, #cond);                            \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

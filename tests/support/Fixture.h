#pragma once

#include <QDir>
#include <QTemporaryDir>

#include "DialogosGuionados.h"
#include "RelojGuionado.h"
#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"

namespace korva::test {

// A run's state with scripted ports over its own temporary program folder.
struct Fixture {
    QTemporaryDir tmp;
    EstadoPrincipal st;
    DialogosGuionados dlg;
    RelojGuionado reloj;
    Contexto ctx = contexto();

    // The tests write each file whole before the pass that takes it; the
    // wait for a quiet file has tests of its own.
    Contexto contexto() {
        Contexto c{st, dlg, reloj, tmp.path()};
        c.msQuietud = 0;
        c.seleccion = &dlg;
        return c;
    }

    QString ruta(const QString& rel) const { return tmp.filePath(rel); }
    QString carpeta(const QString& rel) const {
        QDir().mkpath(tmp.filePath(rel));
        return tmp.filePath(rel);
    }
};

} // namespace korva::test

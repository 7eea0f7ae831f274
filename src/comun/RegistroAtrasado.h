#pragma once

#include <QString>
#include <QStringList>

namespace korva {

// Register lines of files sent in this run that the register could not
// take (a full disk): read with it, so they are not sent again, and written
// to it as soon as it takes lines again. Written by the records folder
// (the register's own) only.
class RegistroAtrasado {
public:
    bool vacio() const { return lineas_.isEmpty(); }
    const QStringList& lineas() const { return lineas_; }
    void agrega(const QString& linea) { lineas_ << linea; }
    // Hands the lines to `escribe` in order while it takes them.
    template <class F> void entrega(F escribe) {
        while (!lineas_.isEmpty() && escribe(lineas_.first()))
            lineas_.removeFirst();
    }
    void descarta() { lineas_.clear(); }

private:
    QStringList lineas_;
};

} // namespace korva

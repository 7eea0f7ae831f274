#pragma once

#include "platform/Impresoras.h"

namespace korva {

// The machine's printers through the print system. Given a PDF file name, a
// last entry "Archivo PDF" writes the printout to that file instead.
class ImpresorasQt final : public Impresoras {
public:
    explicit ImpresorasQt(QString archivoPdf = {});
    QStringList nombres() const override;
    bool imprime(int posicion, const QStringList& lineas) override;

private:
    QString pdf_;
};

} // namespace korva

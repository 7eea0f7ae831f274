#pragma once

#include "platform/Impresoras.h"

class QPrinter;

namespace korva {

// The machine's printers through the print system. The printout is drawn as
// PDF and handed to the print system, whose answer is read back: a queue
// that refuses jobs, one that holds them, a job it aborted. Given a PDF file
// name, a last entry "Archivo PDF" writes the printout to that file instead.
class ImpresorasQt final : public Impresoras {
public:
    explicit ImpresorasQt(QString archivoPdf = {});
    QStringList nombres() const override;
    Impresion imprime(const QString& impresora, const QStringList& lineas) override;

    static inline const QString kArchivoPdf = QStringLiteral("Archivo PDF");

private:
    QString pdf_;
};

} // namespace korva

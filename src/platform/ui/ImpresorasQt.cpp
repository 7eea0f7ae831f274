#include "platform/ui/ImpresorasQt.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace korva {

ImpresorasQt::ImpresorasQt(QString archivoPdf) : pdf_(std::move(archivoPdf)) {}

QStringList ImpresorasQt::nombres() const {
    QStringList n = QPrinterInfo::availablePrinterNames();
    if (!pdf_.isEmpty())
        n << QStringLiteral("Archivo PDF");
    return n;
}

bool ImpresorasQt::imprime(int posicion, const QStringList& lineas) {
    const QStringList n = nombres();
    if (posicion < 0 || posicion >= n.size())
        return false;
    QPrinter printer(QPrinter::HighResolution);
    if (!pdf_.isEmpty() && posicion == n.size() - 1) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf_);
    } else {
        const QPrinterInfo info = QPrinterInfo::printerInfo(n.at(posicion));
        if (info.isNull())
            return false;
        printer.setPrinterName(info.printerName());
        if (!printer.isValid())
            return false;
    }
    printer.setDocName(QStringLiteral("KORVAVal"));
    QPainter p;
    if (!p.begin(&printer))
        return false;
    // Records are fixed-width: a 102-character piece fits the page at 8 points.
    QFont letra(QStringLiteral("Courier"), 8);
    letra.setStyleHint(QFont::TypeWriter);
    letra.setFixedPitch(true);
    p.setFont(letra);
    const QFontMetrics fm(p.font(), p.device());
    const int alto = fm.lineSpacing();
    const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
    const int limite = area.height();
    int y = fm.ascent();
    for (const QString& l : lineas) {
        if (y > limite) {
            if (!printer.newPage())
                return false;
            y = fm.ascent();
        }
        p.drawText(0, y, l);
        y += alto;
    }
    return p.end();
}

} // namespace korva

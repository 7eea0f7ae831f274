#include "platform/ui/ImpresorasQt.h"
#include "platform/Texto.h"

#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>

#ifdef KORVA_CUPS
#include <cups/cups.h>
#endif

namespace korva {

namespace {

// Draws the lines on the printer, a page at a time.
bool dibuja(QPrinter& printer, const QStringList& lineas) {
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

#ifdef KORVA_CUPS
QString opcion(const cups_dest_t* d, const char* nombre) {
    return QString::fromUtf8(cupsGetOption(nombre, d->num_options, d->options));
}

// Hands the PDF to the print system and reads back what it did.
Impresion imprimeEnCups(const QString& impresora, const QString& pdf) {
    const QByteArray nombre = impresora.toUtf8();
    cups_dest_t* d = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nombre.constData(), nullptr);
    if (!d)
        return {false, Texto::tr("la impresora '") + impresora + Texto::tr("' ya no existe")};
    const QString mensaje = opcion(d, "printer-state-message");
    const bool detenida = opcion(d, "printer-state") == QLatin1String("5");
    cupsFreeDests(1, d);
    const int trabajo = cupsPrintFile2(CUPS_HTTP_DEFAULT, nombre.constData(),
                                       QFile::encodeName(pdf).constData(), "KORVAVal", 0, nullptr);
    if (trabajo == 0)
        return {false, Texto::tr("el sistema de impresión no aceptó el trabajo: ") +
                           QString::fromUtf8(cupsLastErrorString())};
    ipp_jstate_t estado = IPP_JSTATE_PENDING;
    cups_job_t* trabajos = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &trabajos, nombre.constData(), 0, CUPS_WHICHJOBS_ALL);
    for (int i = 0; i < n; ++i)
        if (trabajos[i].id == trabajo)
            estado = trabajos[i].state;
    cupsFreeJobs(n, trabajos);
    const QString numero = QStringLiteral("trabajo %1").arg(trabajo);
    switch (estado) {
    case IPP_JSTATE_ABORTED:
    case IPP_JSTATE_CANCELED:
        return {false, Texto::tr("el sistema de impresión canceló el ") + numero +
                           (mensaje.isEmpty() ? QString() : QStringLiteral(": ") + mensaje)};
    case IPP_JSTATE_HELD:
    case IPP_JSTATE_STOPPED:
        return {true, Texto::tr("El ") + numero + Texto::tr(" quedó en espera")};
    default:
        if (detenida)
            return {true,
                    Texto::tr("La impresora está detenida: el ") + numero +
                        Texto::tr(" espera a que se reanude") +
                        (mensaje.isEmpty() ? QString() : QStringLiteral(" (") + mensaje + QLatin1Char(')'))};
        return {true, {}};
    }
}
#endif

} // namespace

ImpresorasQt::ImpresorasQt(QString archivoPdf) : pdf_(std::move(archivoPdf)) {}

QStringList ImpresorasQt::nombres() const {
    QStringList n = QPrinterInfo::availablePrinterNames();
    if (!pdf_.isEmpty())
        n << kArchivoPdf;
    return n;
}

Impresion ImpresorasQt::imprime(const QString& impresora, const QStringList& lineas) {
    const QString noSePudo = QStringLiteral("no fue posible preparar la impresión");
    if (!pdf_.isEmpty() && impresora == kArchivoPdf) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf_);
        return dibuja(printer, lineas) ? Impresion{true, {}} : Impresion{false, noSePudo};
    }
    const QPrinterInfo info = QPrinterInfo::printerInfo(impresora);
    if (info.isNull())
        return {false, Texto::tr("la impresora '") + impresora + Texto::tr("' ya no existe")};
#ifdef KORVA_CUPS
    // Drawn as PDF, then handed over by name: the print system's answer
    // about this very job is read back.
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("korvaval.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    if (!dir.isValid() || !dibuja(printer, lineas))
        return {false, noSePudo};
    return imprimeEnCups(info.printerName(), pdf);
#else
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(info.printerName());
    if (!printer.isValid())
        return {false, noSePudo};
    return dibuja(printer, lineas) ? Impresion{true, {}} : Impresion{false, noSePudo};
#endif
}

} // namespace korva

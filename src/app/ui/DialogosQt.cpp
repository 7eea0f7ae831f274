#include "app/ui/DialogosQt.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

#include "platform/Soporte.h"

namespace korva {

namespace {
QMessageBox::Icon icono(Icono i) {
    switch (i) {
    case Icono::Informacion:
        return QMessageBox::Information;
    case Icono::Advertencia:
        return QMessageBox::Warning;
    case Icono::Error:
        return QMessageBox::Critical;
    case Icono::Pregunta:
        return QMessageBox::Question;
    case Icono::Ninguno:
        break;
    }
    return QMessageBox::NoIcon;
}
// The program's texts break their lines with CR; a label shows only LF as a
// line break on every style.
QString conSaltos(QString t) {
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}
} // namespace

bool cargaTraduccionesQt() {
    auto* t = new QTranslator(QCoreApplication::instance());
    if (!t->load(QStringLiteral("qtbase_es"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete t;
        return false;
    }
    QCoreApplication::installTranslator(t);
    return true;
}

void DialogosQt::mensaje(Icono i, const QString& texto, const QString& titulo) {
    if (i == Icono::Error)
        qCWarning(lcFallas).noquote() << texto;
    QMessageBox box(icono(i), titulo, conSaltos(texto), QMessageBox::Ok, QApplication::activeWindow());
    // Texts hold file names and the centre's notices: never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

namespace {
bool preguntaCon(const QString& texto, const QString& titulo, QMessageBox::StandardButton omision) {
    QMessageBox box(QMessageBox::Question, titulo, conSaltos(texto), QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(omision);
    return box.exec() == QMessageBox::Yes;
}
} // namespace

bool DialogosQt::pregunta(const QString& texto, const QString& titulo) {
    return preguntaCon(texto, titulo, QMessageBox::Yes);
}

bool DialogosQt::preguntaBorrar(const QString& texto, const QString& titulo) {
    return preguntaCon(texto, titulo, QMessageBox::No);
}

void DialogosQt::beep() { QApplication::beep(); }

void DialogosQt::puntero(Puntero p) {
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    if (p == Puntero::Ocupado)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else if (p == Puntero::Espera)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

} // namespace korva

#pragma once

#include <QDialog>

#include "platform/Version.h"

class QPushButton;
class QTextBrowser;

namespace korva {

class Dialogos;

// The about box: title, version, description, and a button that opens the
// system's information tool where one is installed.
class AcercaDe final : public QDialog {
    Q_OBJECT
public:
    // rutaBusqueda: folders to look for the tool in (default: PATH).
    explicit AcercaDe(Dialogos& dlg, QWidget* parent = nullptr, const QString& rutaBusqueda = QString());

    static QString version() { return QStringLiteral("Versión ") + QLatin1String(kVersionPrograma); }
    QPushButton* CmdSysInfo() const { return sysInfo_; }
    QPushButton* CmdOK() const { return ok_; }
    QTextBrowser* TxtLicencia() const { return licencia_; }

    // Opens the tool; says so when there is none or it does not start.
    void abreInfoSistema();

private:
    Dialogos& dlg_;
    QString ruta_;
    QPushButton* sysInfo_;
    QPushButton* ok_;
    QTextBrowser* licencia_;
};

} // namespace korva

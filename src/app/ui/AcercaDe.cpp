#include "app/ui/AcercaDe.h"
#include "platform/Texto.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "app/InfoSistema.h"
#include "platform/Dialogos.h"
#include "platform/Terceros.h"

namespace korva {

AcercaDe::AcercaDe(Dialogos& dlg, QWidget* parent, const QString& rutaBusqueda)
    : QDialog(parent), dlg_(dlg), ruta_(rutaBusqueda) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(Texto::tr("Acerca de KORVAVal"));
    setMinimumWidth(420);
    auto* titulo = new QLabel(Texto::tr("<b>KORVAVal</b>"));
    titulo->setObjectName(QStringLiteral("lblTitle"));
    auto* version = new QLabel(AcercaDe::version());
    version->setObjectName(QStringLiteral("lblVersion"));
    auto* descripcion = new QLabel(Texto::tr(
        "Envía los archivos de validación y de pago electrónico a KORVA Centro de Prevalidación, recibe sus "
        "respuestas y avisos, y lleva la bitácora diaria de lo enviado y lo recibido."));
    descripcion->setObjectName(QStringLiteral("lblDescription"));
    descripcion->setWordWrap(true);
    // The licence and the notices of the software it runs on.
    QString avisos =
        QStringLiteral("<p><b>Licencia</b><br>© 2026 KORVAVal. Todos los derechos reservados. El "
                       "programa se entrega a la oficina del agente aduanal que lo usa; no se "
                       "concede ningún otro permiso de copia, modificación o distribución.</p>"
                       "<p><b>Software de terceros</b></p><ul>");
    for (const Tercero& t : terceros())
        avisos += Texto::tr("<li>%1 %2: %3</li>")
                      .arg(t.nombre.toHtmlEscaped(), t.version.toHtmlEscaped(), t.licencia.toHtmlEscaped());
    avisos += Texto::tr("</ul>");
    licencia_ = new QTextBrowser;
    licencia_->setObjectName(QStringLiteral("txtLicense"));
    licencia_->setAccessibleName(Texto::tr("Licencia y software de terceros"));
    licencia_->setHtml(avisos);
    licencia_->setMaximumHeight(170);
    ok_ = new QPushButton(Texto::tr("Aceptar"));
    ok_->setObjectName(QStringLiteral("cmdOK"));
    ok_->setDefault(true);
    sysInfo_ = new QPushButton(Texto::tr("&Info. del Sistema..."));
    sysInfo_->setObjectName(QStringLiteral("cmdSysInfo"));
    const QString herramienta = buscaInfoSistema(ruta_);
    sysInfo_->setToolTip(herramienta.isEmpty()
                             ? Texto::tr("No hay una herramienta de información del sistema instalada")
                             : Texto::tr("Abre ") + QFileInfo(herramienta).fileName());

    auto* raiz = new QVBoxLayout(this);
    raiz->addWidget(titulo);
    raiz->addWidget(version);
    raiz->addWidget(descripcion);
    raiz->addWidget(licencia_);
    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(ok_);
    botones->addWidget(sysInfo_);
    raiz->addLayout(botones);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(sysInfo_, &QPushButton::clicked, this, &AcercaDe::abreInfoSistema);
}

void AcercaDe::abreInfoSistema() {
    const QString herramienta = buscaInfoSistema(ruta_);
    if (herramienta.isEmpty()) {
        dlg_.informacion(Texto::tr("La información del sistema no está disponible en este momento: no se "
                                   "encontró ninguna herramienta de información del sistema instalada."));
        return;
    }
    if (!QProcess::startDetached(herramienta, {}))
        dlg_.error(Texto::tr("No fue posible abrir la información del sistema (") +
                   QFileInfo(herramienta).fileName() + QStringLiteral(")."));
}

} // namespace korva

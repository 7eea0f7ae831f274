#include "app/ui/Manual.h"
#include "platform/Texto.h"

#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "comun/ModError.h"

namespace korva {

QString Manual::html() {
    QFile f(QStringLiteral(":/manual.html"));
    QString texto = f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    QString tabla =
        QStringLiteral("<h2 id=\"tabla\">Textos de error</h2><table border=\"1\" cellpadding=\"3\">");
    for (qint32 c : CodigosDeError())
        tabla +=
            QStringLiteral("<tr><td>%1</td><td>%2</td></tr>").arg(c).arg(MensajeError(c).toHtmlEscaped());
    tabla += QStringLiteral("</table>");
    texto.replace(QStringLiteral("</body>"), tabla + QStringLiteral("</body>"));
    return texto;
}

Manual::Manual(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmManual"));
    setWindowTitle(Texto::tr("Manual de KORVAVal"));
    setAccessibleName(Texto::tr("Manual de KORVAVal"));
    texto_ = new QTextBrowser;
    texto_->setObjectName(QStringLiteral("TxtManual"));
    texto_->setAccessibleName(Texto::tr("Texto del manual"));
    texto_->setOpenLinks(false);
    texto_->setHtml(html());
    auto* cerrar = new QPushButton(Texto::tr("&Cerrar"));
    cerrar->setObjectName(QStringLiteral("CmdCerrarManual"));
    connect(cerrar, &QPushButton::clicked, this, &QDialog::close);
    auto* v = new QVBoxLayout(this);
    v->addWidget(texto_);
    v->addWidget(cerrar, 0, Qt::AlignRight);
    resize(720, 560);
}

Manual* Manual::abre(QWidget* parent) {
    static QPointer<Manual> abierto;
    if (!abierto) {
        abierto = new Manual(parent);
        abierto->setAttribute(Qt::WA_DeleteOnClose);
    }
    abierto->show();
    abierto->raise();
    abierto->activateWindow();
    return abierto;
}

} // namespace korva

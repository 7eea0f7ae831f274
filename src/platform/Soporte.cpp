#include "platform/Soporte.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>

#include "platform/fs.h"

// Quiet unless the support log is installed: the sessions are many lines.
Q_LOGGING_CATEGORY(lcFallas, "korva.fallas", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSesion, "korva.sesion", QtWarningMsg)
Q_LOGGING_CATEGORY(lcTransferencia, "korva.transferencia", QtWarningMsg)

namespace korva::soporte {

namespace {

struct Registro {
    QString carpeta;
    QDate dia;
    fs::Anexo archivo;
    QtMessageHandler anterior = nullptr;
    bool escribiendo = false;
};
Registro* registro = nullptr;

QString nombreDelDia(const QDate& d) {
    return QStringLiteral("korvaval-") + d.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".log");
}

void maneja(QtMsgType tipo, const QMessageLogContext& contexto, const QString& texto) {
    const bool nuestro = contexto.category && qstrncmp(contexto.category, "korva.", 6) == 0;
    if (!registro || !nuestro || registro->escribiendo) {
        if (registro && registro->anterior)
            registro->anterior(tipo, contexto, texto);
        return;
    }
    registro->escribiendo = true; // a failure to write never logs itself
    const QDateTime ahora = QDateTime::currentDateTime();
    if (ahora.date() != registro->dia || !registro->archivo.abierto()) {
        registro->dia = ahora.date();
        fs::creaCarpeta(registro->carpeta);
        registro->archivo.abre(fs::une(registro->carpeta, nombreDelDia(registro->dia)));
    }
    const char* nivel =
        tipo == QtWarningMsg || tipo == QtCriticalMsg || tipo == QtFatalMsg ? "ERROR" : "INFO";
    registro->archivo.agrega(ahora.toString(QStringLiteral("HH:mm:ss.zzz")) + QLatin1Char(' ') +
                             QLatin1String(nivel) + QStringLiteral(" [") +
                             QLatin1String(contexto.category + 6) + QStringLiteral("] ") +
                             sinContrasena(texto));
    registro->escribiendo = false;
}

} // namespace

QString carpeta(const QString& carpetaPrograma) { return fs::une(carpetaPrograma, kCarpeta); }

QString sinContrasena(const QString& linea) {
    static const QRegularExpression pass(QStringLiteral("^(\\s*PASS)\\s.*$"),
                                         QRegularExpression::CaseInsensitiveOption |
                                             QRegularExpression::MultilineOption);
    QString s = linea;
    s.replace(pass, QStringLiteral("\\1 ****"));
    return s;
}

void instala(const QString& carpetaPrograma) {
    desinstala();
    registro = new Registro;
    registro->carpeta = carpeta(carpetaPrograma);
    // Older than the days kept: gone at start.
    static const QRegularExpression nombre(QStringLiteral("^korvaval-(\\d{4}-\\d{2}-\\d{2})\\.log$"));
    const QDate limite = QDate::currentDate().addDays(-kDiasGuardados);
    for (const fs::Entrada& e : fs::lista(registro->carpeta)) {
        const auto m = nombre.match(e.nombre);
        if (e.regular && m.hasMatch() &&
            QDate::fromString(m.captured(1), QStringLiteral("yyyy-MM-dd")) < limite)
            fs::borra(fs::une(registro->carpeta, e.nombre));
    }
    registro->anterior = qInstallMessageHandler(maneja);
    QLoggingCategory::setFilterRules(QStringLiteral("korva.*=true"));
}

void desinstala() {
    if (!registro)
        return;
    qInstallMessageHandler(registro->anterior);
    QLoggingCategory::setFilterRules({});
    delete registro;
    registro = nullptr;
}

} // namespace korva::soporte

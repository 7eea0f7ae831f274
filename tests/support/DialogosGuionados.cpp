#include "DialogosGuionados.h"

#include <QTest>

#include "records/ArchivosaEnviar.h"

namespace korva::test {

void DialogosGuionados::mensaje(Icono icono, const QString& texto, const QString& titulo) {
    registros.append({icono, texto, titulo, false});
}

bool DialogosGuionados::pregunta(const QString& texto, const QString& titulo) {
    registros.append({Icono::Pregunta, texto, titulo, true});
    if (respuestas.isEmpty()) {
        inesperada = true;
        QTest::qFail(qPrintable(QStringLiteral("unexpected question: ") + texto), __FILE__, __LINE__);
        return false;
    }
    return respuestas.dequeue();
}

QStringList DialogosGuionados::textos() const {
    QStringList t;
    for (const auto& r : registros)
        t << r.texto;
    return t;
}

void DialogosGuionados::elige(Contexto& ctx, QStringList& LstSendFiles) {
    ++seleccionesAbiertas;
    ArchivosaEnviar frm(ctx, LstSendFiles);
    if (guionEnvio)
        guionEnvio(frm);
    frm.cierra();
}

} // namespace korva::test

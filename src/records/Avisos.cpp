#include "records/Avisos.h"

#include <QFileInfo>

#include "app/Contexto.h"
#include "app/MainState.h"
#include "config/Revisiones.h"
#include "platform/Ansi.h"
#include "platform/Files.h"
#include "records/Bitacora.h"
#include "records/Fallas.h"

namespace korva {

namespace {

constexpr QChar kCR = QLatin1Char('\r');
constexpr QChar kLF = QLatin1Char('\n');

// Lines as the notice files are read: ended by CR LF or a lone CR; a bare LF
// stays inside the line. Nothing follows the last line end.
QStringList lineasCR(const QString& texto) {
    QStringList out;
    QString actual;
    bool abierta = false;
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const QChar c = texto.at(i);
        if (c == kCR) {
            out.append(actual);
            actual.clear();
            abierta = false;
            if (i + 1 < texto.size() && texto.at(i + 1) == kLF)
                ++i;
        } else {
            actual.append(c);
            abierta = true;
        }
    }
    if (abierta)
        out.append(actual);
    return out;
}

bool hay(const QString& ruta) { return QFileInfo::exists(ruta) || fs::esEnlace(ruta); }

// A notice is the centre's text: never what a link planted in its place
// leads to, nor a FIFO the window would wait on.
bool leeAviso(Contexto& ctx, const QString& ruta, QByteArray* contenido) {
    if (fs::lee(ruta, fs::limite::kAviso, contenido))
        return true;
    reportaFalla(ctx, QStringLiteral("ERROR: no fue posible leer el aviso ") + ruta + QStringLiteral(" (") +
                          fs::ultimaCausa() + QLatin1Char(')'));
    return false;
}

} // namespace

QStringList avisosGenerales(const QByteArray& contenido) {
    QStringList avisos;
    for (const QString& linea : lineasCR(ansi::decodifica(contenido))) {
        if (!linea.contains(kLF)) {
            avisos.append(linea);
            continue;
        }
        QString pendiente;
        for (const QChar c : linea) {
            if (c == kLF) {
                avisos.append(pendiente);
                pendiente.clear();
            } else {
                pendiente.append(c);
            }
        }
        if (!pendiente.isEmpty())
            avisos.append(pendiente);
    }
    return avisos;
}

QString avisoParticular(const QByteArray& contenido) {
    const QString texto = ansi::decodifica(contenido);
    // Items: end at a comma or a line end (CR LF or CR); leading blanks are
    // skipped; a quoted item may hold commas, and what follows its closing
    // quote up to the next separator is dropped.
    QStringList items;
    qsizetype i = 0;
    const qsizetype n = texto.size();
    while (i < n) {
        while (i < n && (texto.at(i) == QLatin1Char(' ') || texto.at(i) == QLatin1Char('\t')))
            ++i;
        QString item;
        if (i < n && texto.at(i) == QLatin1Char('"')) {
            ++i;
            while (i < n && texto.at(i) != QLatin1Char('"'))
                item.append(texto.at(i++));
            while (i < n && texto.at(i) != QLatin1Char(',') && texto.at(i) != kCR)
                ++i;
        } else {
            while (i < n && texto.at(i) != QLatin1Char(',') && texto.at(i) != kCR)
                item.append(texto.at(i++));
        }
        if (i < n) {
            if (texto.at(i) == kCR && i + 1 < n && texto.at(i + 1) == kLF)
                ++i;
            ++i;
        }
        items.append(item);
    }

    QString etiqueta;
    for (const QString& item : items) {
        if (!item.contains(kLF)) {
            etiqueta += item;
            continue;
        }
        QString pendiente = QStringLiteral(" ");
        for (const QChar c : item) {
            if (c == kLF) {
                etiqueta += pendiente;
                pendiente = QStringLiteral(" ");
            } else {
                pendiente.append(c);
            }
        }
        if (pendiente.size() > 1)
            etiqueta += pendiente;
    }
    return etiqueta;
}

void CargaAvisos(Contexto& ctx) {
    ctx.st.vacia(Lista::Mensajes);
    ctx.st.setEvento(QStringLiteral("Cargando Avisos Generales..."));
    const QString carpeta = ctx.st.TxtConfiguration(slot::DirRecibo);
    if (ValidaDir(carpeta, ctx.plataforma) != 1)
        return;
    const QString ruta = fs::une(carpeta, QStringLiteral("aviso.gen"));
    QByteArray contenido;
    if (!hay(ruta)) {
        ctx.st.setLista(Lista::Mensajes, {QStringLiteral("No hay avisos")});
    } else {
        const QStringList avisos = leeAviso(ctx, ruta, &contenido) ? avisosGenerales(contenido) : QStringList();
        ctx.st.setLista(Lista::Mensajes, avisos);
        ctx.st.setEtiqueta(Etiqueta::Despliega, avisos.value(0));
    }
    CargaAvisoParticular(ctx);
}

void CargaAvisoParticular(Contexto& ctx) {
    const QString ruta = fs::une(ctx.st.TxtConfiguration(slot::DirRecibo), QStringLiteral("aviso.txt"));
    if (!hay(ruta))
        return;
    QByteArray contenido;
    ctx.st.setEtiqueta(Etiqueta::AvisoParticular,
                       leeAviso(ctx, ruta, &contenido) ? avisoParticular(contenido) : QString());
}

void RotaAvisos(Contexto& ctx) {
    const QStringList& avisos = ctx.st.lista(Lista::Mensajes);
    const QString texto = avisos.value(ctx.st.IndiceAviso);
    if (ctx.st.IndiceAviso < avisos.size() - 1)
        ++ctx.st.IndiceAviso;
    else
        ctx.st.IndiceAviso = 0;
    // The colour first, so a window repainting on the text sees the right one.
    ctx.st.setColorAviso(texto.startsWith(QStringLiteral("**")) ? ColorAviso::Rojo : ColorAviso::Azul);
    ctx.st.setEtiqueta(Etiqueta::Despliega, texto);
}

} // namespace korva

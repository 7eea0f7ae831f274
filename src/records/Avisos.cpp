#include "records/Avisos.h"
#include "platform/Texto.h"

#include <QFileInfo>

#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "comun/Fallas.h"
#include "config/Revisiones.h"
#include "platform/Ansi.h"
#include "platform/fs.h"
#include "records/Bitacora.h"

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
    reportaFalla(ctx, Texto::tr("ERROR: no fue posible leer el aviso ") + ruta + QStringLiteral(" (") +
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
    // The centre's text as written, commas and quotes included, on one
    // running line: each line (ended by CR LF or CR) follows the previous one
    // after one blank, its leading blanks skipped; a line holding line feeds
    // is cut at them, each piece after one blank.
    QString etiqueta;
    for (const QString& linea : lineasCR(ansi::decodifica(contenido))) {
        qsizetype i = 0;
        while (i < linea.size() && (linea.at(i) == QLatin1Char(' ') || linea.at(i) == QLatin1Char('\t')))
            ++i;
        const QString item = linea.mid(i);
        if (!item.contains(kLF)) {
            if (!item.isEmpty() && !etiqueta.isEmpty() && !etiqueta.endsWith(QLatin1Char(' ')))
                etiqueta += QLatin1Char(' ');
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

namespace {

// A notice on the notice line: "**" notices in red. The colour first, so a
// window repainting on the text sees the right one.
void muestraAviso(Pantalla& pantalla, const QString& texto) {
    pantalla.setColorAviso(texto.startsWith(QStringLiteral("**")) ? ColorAviso::Rojo : ColorAviso::Azul);
    pantalla.setEtiqueta(Etiqueta::Despliega, texto);
}

} // namespace

void CargaAvisos(Contexto& ctx) {
    ctx.st.pantalla().vacia(Lista::Mensajes);
    ctx.st.pantalla().setEvento(Texto::tr("Cargando Avisos Generales..."));
    const QString carpeta = ctx.st.config().TxtConfiguration(slot::DirRecibo);
    if (ValidaDir(carpeta, ctx.plataforma) != 1)
        return;
    const QString ruta = fs::une(carpeta, QStringLiteral("aviso.gen"));
    QByteArray contenido;
    if (!hay(ruta)) {
        ctx.st.pantalla().setLista(Lista::Mensajes, {QStringLiteral("No hay avisos")});
    } else {
        const QStringList avisos =
            leeAviso(ctx, ruta, &contenido) ? avisosGenerales(contenido) : QStringList();
        ctx.st.pantalla().setLista(Lista::Mensajes, avisos);
        muestraAviso(ctx.st.pantalla(), avisos.value(0));
    }
    CargaAvisoParticular(ctx);
}

void CargaAvisoParticular(Contexto& ctx, SinAviso sinAviso) {
    const QString ruta =
        fs::une(ctx.st.config().TxtConfiguration(slot::DirRecibo), QStringLiteral("aviso.txt"));
    if (!hay(ruta)) {
        if (sinAviso == SinAviso::Borra)
            ctx.st.pantalla().setEtiqueta(Etiqueta::AvisoParticular, {});
        return;
    }
    QByteArray contenido;
    ctx.st.pantalla().setEtiqueta(Etiqueta::AvisoParticular,
                                  leeAviso(ctx, ruta, &contenido) ? avisoParticular(contenido) : QString());
}

void RotaAvisos(EstadoPrincipal& st) {
    const QStringList& avisos = st.pantalla().lista(Lista::Mensajes);
    const QString texto = avisos.value(st.pantalla().IndiceAviso());
    if (st.pantalla().IndiceAviso() < avisos.size() - 1)
        st.pantalla().setIndiceAviso(st.pantalla().IndiceAviso() + 1);
    else
        st.pantalla().setIndiceAviso(0);
    muestraAviso(st.pantalla(), texto);
}

} // namespace korva

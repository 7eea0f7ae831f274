#include "signature/FirmaArchivo.h"
#include "platform/Texto.h"

#include <QFile>
#include <cstring>

#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "platform/Ansi.h"
#include "platform/BibliotecaFirma.h"
#include "platform/Dialogos.h"
#include "platform/fs.h"

namespace korva {

namespace {

// What a dismissed OK box gives back: never 0, so the caller sees a failure.
constexpr qint32 kRespuestaMensaje = 1;

// Text + NUL, cut to the field and blank-padded, as the library expects.
template <size_t N> void llenaCampo(char (&campo)[N], const QByteArray& texto) {
    QByteArray b = texto;
    b.append('\0');
    b = b.left(static_cast<qsizetype>(N));
    std::memset(campo, ' ', N);
    std::memcpy(campo, b.constData(), static_cast<size_t>(b.size()));
}

// Paths cross in the file system's own single-byte form; the password in
// the code page, as the key was protected with.
QByteArray rutaNativa(const QString& ruta) { return QFile::encodeName(ruta); }

qint32 avisa(Contexto& ctx, const QString& texto) {
    ctx.dlg.error(texto);
    return kRespuestaMensaje;
}

qint32 firma(Contexto& ctx, const QString& archivo, quint8 tipo) {
    const QString key = ctx.st.config().TxtConfiguration(slot::RutaKey);
    const QString cer = ctx.st.config().TxtConfiguration(slot::RutaCer);
    const QString contrasena = ctx.st.config().TxtConfiguration(slot::ContrasenaKey);

    if (!fs::existeArchivo(key)) {
        ctx.dlg.beep();
        return avisa(ctx, Texto::tr("ERROR, fue imposible generar la Firma Digital debido a que no se "
                                    "encontró el archivo KEY."));
    }
    const QString movido = QStringLiteral("ERROR, no se encontro el archivo '") + archivo +
                           QStringLiteral("' fue movido o borrado.");
    if (!fs::existeArchivo(archivo)) {
        ctx.dlg.beep();
        return avisa(ctx, movido);
    }
    const QString falta =
        ctx.firma ? ctx.firma->disponible() : QStringLiteral("no hay biblioteca de firma instalada");
    if (!falta.isEmpty()) {
        ctx.dlg.beep();
        return avisa(ctx, Texto::tr("ERROR, fue imposible generar la Firma Digital: ") + falta + '.');
    }

    Firmantes firmantes{};
    const QByteArray ruta = rutaNativa(archivo);
    const qint32 busca = ctx.firma->BuscaCurpsG(ruta, tipo, firmantes);
    if (busca == 1)
        return avisa(ctx, movido);
    if (busca == 2)
        return avisa(ctx, Texto::tr("ERROR, no se pudo leer el archivo '") + archivo + QStringLiteral("'."));
    if (busca != 0)
        return busca;

    for (DatosFirmante& d : firmantes) {
        if (d.Curp[0] == '\0')
            continue;
        llenaCampo(d.ArchivoKey, rutaNativa(key));
        llenaCampo(d.ArchivoCer, rutaNativa(cer));
        llenaCampo(d.Contrasena, ansi::codifica(contrasena));
    }
    const qint32 genera = ctx.firma->GeneraFirmaDigitalG(ruta, tipo, firmantes);
    if (genera == 0)
        return 0;
    return avisa(ctx, textoErrorFirma(genera, archivo));
}

} // namespace

QString textoErrorFirma(qint32 codigo, const QString& archivo) {
    switch (codigo) {
    case 1:
        return QStringLiteral("ERROR, el archivo '") + archivo + QStringLiteral("' fue movido o borrado.");
    case 2:
        return QStringLiteral("ERROR, no se encontro el archivo key.");
    case 3:
        return QStringLiteral("ERROR, no fue posible desencriptar la llave privada es probable que la "
                              "contraseña este incorrecta.");
    case 4:
        return QStringLiteral("ERROR, no fue posible crear un archivo temporal.");
    case 5:
        return QStringLiteral("No se pudo leer el archivo '") + archivo + QStringLiteral("'.");
    case 6:
        return QStringLiteral("ERROR, no fue posible encriptar la llave privada, probablemente el archivo "
                              "key esta corrompido.");
    case 7:
        return QStringLiteral("ERROR, esto ERROR no tiene descripción.");
    case 8:
        return QStringLiteral("ERROR, no fue posible renombrar el archivo firmado.");
    case 10:
        return QStringLiteral(
            "ERROR, el tipo de documento que se pretende firmar no es un documento valido.");
    case 11:
        return QStringLiteral("ERROR, no fue posible leer el certificado del Agente o Apoderado Aduanal.");
    case 12:
        return QStringLiteral("ERROR, el certificado del Agente o Apoderado Aduanal esta vencido.");
    case 13:
        return QStringLiteral("ERROR, el archivo contiene más de un registro 201, solo debe existir uno.");
    default:
        return QStringLiteral("ERROR, la biblioteca de firma no pudo firmar el archivo '%1' (código %2).")
            .arg(archivo)
            .arg(codigo);
    }
}

qint32 FirmaArchivo(Contexto& ctx, const QString& ArchivoFirmar, quint8 ArchivoTipo) {
    ctx.dlg.puntero(Puntero::Espera);
    const qint32 resultado = firma(ctx, ArchivoFirmar, ArchivoTipo);
    ctx.dlg.puntero(Puntero::Normal);
    return resultado;
}

} // namespace korva

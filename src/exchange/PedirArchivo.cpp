#include "exchange/PedirArchivo.h"
#include "platform/Texto.h"

#include <QFileInfo>

#include "comun/Carpetas.h"
#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "exchange/Listas.h"
#include "platform/Dialogos.h"
#include "platform/fs.h"

namespace korva {

namespace {

bool empiezaConE(const QString& s) { return s.startsWith(QLatin1Char('e'), Qt::CaseInsensitive); }

// A folio is digits only: a sign, blank, point or exponent would give a name
// the centre never answers.
bool soloDigitos(const QString& s) {
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

QString carpetaPend(const Contexto& ctx) { return carpetas::pend(ctx.st, ctx.plataforma); }

QString noPropia(const QString& archivo, const QString& pend) {
    return QStringLiteral("Error. No fue posible crear la solicitud ") + archivo + QStringLiteral(": ") +
           pend +
           QStringLiteral(" no es una carpeta del programa (es un enlace o un archivo); quítela para que el "
                          "programa cree la suya.");
}

} // namespace

QStringList PedirArchivo::letras(const QString& LetrasValidacion) {
    QStringList out;
    for (QChar c : LetrasValidacion) {
        if (c == QLatin1Char(','))
            continue;
        if (c == QLatin1Char('e') || c == QLatin1Char('E'))
            out << QString(c) + QLatin1Char('a') << QString(c) + QLatin1Char('b');
        else
            out << QString(c);
    }
    return out;
}

QString PedirArchivo::nombre(const QString& letra, const QString& patente, const QString& folio,
                             const QString& dia) {
    const int valor = dia.trimmed().toInt();
    const QString dia3 = valor < 10    ? QStringLiteral("00") + dia
                         : valor < 100 ? QStringLiteral("0") + dia
                                       : dia;
    if (empiezaConE(letra))
        return letra + patente + folio + dia3;
    return letra + patente + folio + QLatin1Char('.') + dia3;
}

PedirArchivo::PedirArchivo(Contexto& ctx) : ctx_(ctx) {
    cboLetra_ = letras(ctx.st.config().TxtConfiguration(slot::LetrasValidacion));
    indice_ = cboLetra_.isEmpty() ? -1 : 0;
}

void PedirArchivo::setListIndex(int i) {
    if (i >= -1 && i < cboLetra_.size())
        indice_ = i;
}

void PedirArchivo::setTxtFolio(const QString& texto) { folio_ = texto.left(largo_); }

void PedirArchivo::CboLetra_LostFocus() {
    largo_ = letra() == QLatin1String("s") ? 6 : 3;
    folio_ = folio_.left(largo_);
}

bool PedirArchivo::CmdAceptar_Click() {
    EstadoPrincipal& st = ctx_.st;
    const QString l = letra();
    if (l == QLatin1String("s") && folio_.size() != 6) {
        ctx_.dlg.mensaje(Icono::Ninguno,
                         Texto::tr("Error. El número de archivo de Sagarpa solicitado no es valido, debe "
                                   "capturar el número de OISA seguido del número de folio del archivo."),
                         kTituloPrograma);
        return false;
    }
    if (!soloDigitos(folio_)) {
        ctx_.dlg.error(Texto::tr("Error. El folio del Archivo debe ser un valor numérico."));
        return false;
    }
    // Compared as text, character by character, as the folio bounds are kept.
    if (folio_ < st.config().TxtConfiguration(slot::FolioInferior) ||
        folio_ > st.config().TxtConfiguration(slot::FolioSuperior)) {
        ctx_.dlg.error(
            Texto::tr("Error. El folio Solicitado con esta dentro del rango de folios autorizados."));
        return false;
    }
    // A shorter folio makes a name the centre never answers, searched every
    // cycle from then on.
    if (folio_.size() != largo_) {
        ctx_.dlg.error(Texto::tr("Error. El folio del Archivo debe tener %1 dígitos.").arg(largo_));
        return false;
    }
    const QString pend = carpetaPend(ctx_);
    const QString dia = st.pantalla().etiqueta(Etiqueta::DiaJuliano);
    const QString archivo = nombre(l, st.config().patente(), folio_, dia);
    if (!carpetas::propia(pend)) {
        ctx_.dlg.error(noPropia(archivo, pend));
        return false;
    }
    if (!fs::existeCarpeta(pend))
        fs::creaCarpeta(pend);
    const QString ruta = fs::une(pend, archivo, ctx_.plataforma);
    // The request is an empty file; a failure must not read as a request placed.
    if (!fs::escribeAtomico(ruta, QByteArray())) {
        ctx_.dlg.error(Texto::tr("Error. No fue posible crear el archivo ") + ruta + QStringLiteral(" (") +
                       fs::ultimaCausa() + QStringLiteral(")."));
        return false;
    }
    creado_ = ruta;
    ctx_.dlg.mensaje(Icono::Ninguno,
                     Texto::tr("Se buscará respuesta del archivo ") + l + st.config().patente() + folio_ +
                         (empiezaConE(l) ? QString() : QStringLiteral(".")) + dia +
                         Texto::tr(". Espere el siguiente ciclo para ver los resultados."),
                     kTitulo);
    return true;
}

EliminarBusqueda::EliminarBusqueda(Contexto& ctx) : ctx_(ctx) { carga(); }

QString EliminarBusqueda::carpetaPendientes() const { return carpetaPend(ctx_); }

void EliminarBusqueda::carga() {
    lstFiles_.clear();
    const QString patente = ctx_.st.config().patente();
    const QString pend = carpetaPendientes();
    if (!carpetas::propia(pend))
        return;
    for (const fs::Entrada& e : fs::lista(pend)) {
        if (e.carpeta || (e.enlace && QFileInfo(fs::une(pend, e.nombre, ctx_.plataforma)).isDir()) ||
            !esEnvioPendiente(e.nombre))
            continue;
        // The patent sits at characters 3 to 6 of every "e" name, whatever
        // its 9th character; at 2 to 5 of the others.
        const int n = empiezaConE(e.nombre) ? 6 : 5;
        if (e.nombre.left(n).right(4) != patente)
            continue;
        lstFiles_ << e.nombre;
        habilitado_ = true;
    }
}

void EliminarBusqueda::CmdEliminar_Click(int seleccion) {
    const QString nombre = lstFiles_.value(seleccion);
    if (nombre.isEmpty())
        return;
    const QString ruta = fs::une(carpetaPendientes(), nombre, ctx_.plataforma);
    // The delete itself ignores the read-only mark; the search is cancelled
    // only when the file is really gone.
    if (fs::soloLectura(ruta) || !fs::borra(ruta)) {
        ctx_.dlg.error(Texto::tr("No fue posible cancelar la busqueda del archivo ") + nombre +
                       Texto::tr(": no se pudo borrar ") + ruta + QLatin1Char('.'));
    } else {
        ctx_.dlg.mensaje(Icono::Ninguno,
                         Texto::tr("La busqueda del archivo ") + nombre + Texto::tr(" ha sido cancelada"),
                         kTitulo);
    }
    carga();
}

} // namespace korva

#include "config/ArchivoConfiguracion.h"
#include "platform/Texto.h"

#include <QFileInfo>
#include <cmath>

#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "config/Edicion.h"
#include "platform/Ansi.h"
#include "platform/Dialogos.h"
#include "platform/Host.h"
#include "platform/fs.h"

namespace korva {

namespace {

bool esNumero(const QString& s) {
    bool ok = false;
    s.trimmed().toDouble(&ok);
    return ok;
}

// A slot box is single-line: a line break would shift every later line.
QString unaLinea(QString s) {
    s.remove(QLatin1Char('\r'));
    s.remove(QLatin1Char('\n'));
    return s;
}

} // namespace

QString rutaConfiguracion(const QString& carpetaPrograma, int posicion) {
    return fs::une(carpetaPrograma, QStringLiteral("odbc%1.reg").arg(posicion));
}

QString rutaConfiguracion(const Contexto& ctx) {
    return rutaConfiguracion(ctx.carpetaPrograma, ctx.st.config().IndicePatente());
}

namespace clave {

QString revuelve(const QString& texto) {
    QString out;
    for (qsizetype i = texto.size() - 1; i >= 0; --i)
        out += QLatin1Char('|') + QString::number(ansi::codigo(texto.at(i)) * 20 + 6);
    return out;
}

QString desenreda(const QString& linea) {
    QString out;
    QString digitos;
    for (qsizetype i = linea.size() - 1; i >= 0; --i) {
        const QChar c = linea.at(i);
        if (c != QLatin1Char('|')) {
            digitos.prepend(c);
            continue;
        }
        bool ok = !digitos.isEmpty() && digitos.size() <= 9;
        for (QChar d : digitos)
            ok = ok && d >= QLatin1Char('0') && d <= QLatin1Char('9');
        const long valor = ok ? digitos.toLong() : -1;
        const long codigo = ok ? std::lround((valor - 6) / 20.0) : -1;
        out += (codigo >= 0 && codigo <= 255) ? ansi::caracter(int(codigo)) : QChar('?');
        digitos.clear();
    }
    return out;
}

} // namespace clave

void CargaConfiguracion(Contexto& ctx) {
    EstadoPrincipal& st = ctx.st;
    st.pantalla().setEvento(Texto::tr("Cargando configuración..."));
    bool leido = false;
    const QString ruta = rutaConfiguracion(ctx);
    const QStringList lineas = fs::leeLineas(ruta, fs::limite::kConfiguracion, &leido);
    const QString causa = fs::ultimaCausa();
    const QFileInfo fi(ruta);
    // Not a new patent: its configuration is there but out of reach, or cut
    // short by a crash or a copy. Its defaults are no configuration to act
    // on (the purge's "1" would empty the day's folders) or to save over it.
    const bool presente = fi.exists() || fi.isSymLink();
    if ((!leido && presente) || (leido && lineas.size() < EstadoConfiguracion::kSlots)) {
        st.config().setConfiguracionNoLeida(true);
        const QString motivo = leido ? QStringLiteral("está incompleto (%1 de %2 renglones)")
                                           .arg(lineas.size())
                                           .arg(EstadoConfiguracion::kSlots)
                                     : QStringLiteral("no se pudo leer (") + causa + QLatin1Char(')');
        ctx.dlg.error(Texto::tr("El archivo de configuración ") + ruta + QLatin1Char(' ') + motivo +
                      Texto::tr("; revise sus permisos o recupere la configuración del respaldo. Se muestran "
                                "los valores por omisión, no se hará nada con ellos y la configuración no "
                                "se grabará mientras la patente esté abierta."));
        return;
    }
    if (!leido) {
        ctx.dlg.beep();
        ctx.dlg.beep();
        st.edicion().setServicioVisible(true);
        Menu_Configure(ctx);
        return;
    }
    for (int n = 0; n < EstadoConfiguracion::kSlots && n < lineas.size(); ++n) {
        // A slot is one line: a stray CR inside a hand-edited line is dropped
        // on load as it would be on save, so a flag reads the same after both.
        const QString linea = unaLinea(lineas.at(n));
        if (n == slot::ContrasenaFtp || n == slot::ContrasenaKey) {
            st.config().setSlot(n, clave::desenreda(linea));
            continue;
        }
        st.config().setSlot(n, linea);
        if (std::find(EstadoConfiguracion::kSlotsBandera.begin(), EstadoConfiguracion::kSlotsBandera.end(),
                      n) != EstadoConfiguracion::kSlotsBandera.end()) {
            bool ok = false;
            const double v = linea.trimmed().toDouble(&ok);
            st.config().setChk(n, ok && v == 1.0);
        }
        if (n == slot::CaracteresRegistro500 && !esNumero(linea))
            st.config().setSlot(n, QStringLiteral("24"));
    }
    if (!esNumero(st.config().TxtConfiguration(slot::CaracteresRegistro500)))
        st.config().setSlot(slot::CaracteresRegistro500, QStringLiteral("24"));
    // One option is always shown selected: the secondary when slot 0 is not
    // the primary's address (which copies slot 9), else the primary.
    if (st.config().TxtConfiguration(slot::ServidorActual) !=
        st.config().TxtConfiguration(slot::ServidorPrimario))
        seleccionaServidor(ctx.st, OpcionServidor::Secundario);
    else
        seleccionaServidor(ctx.st, OpcionServidor::Primario);
    st.pantalla().setEtiqueta(Etiqueta::LocalName, host::nombre());
    st.pantalla().setEtiqueta(Etiqueta::LocalAddress, host::direccion());
    st.pantalla().setProgreso(0);
    st.pantalla().setEvento(Texto::tr("Listo para Iniciar"));
}

void abrePatente(Contexto& ctx, int posicion) {
    ctx.st.config().setIndicePatente(static_cast<quint8>(posicion));
    CargaConfiguracion(ctx);
}

void patenteAbierta(EstadoPrincipal& st, const QString& patente) {
    muestraPatente(st, patente);
    st.config().setConfiguracionModificada(false);
}

void marcaRecuperada(EstadoPrincipal& st) {
    st.config().setConfiguracionRecuperada(true);
    st.config().setConfiguracionModificada(false);
}

double caracteresRegistro500(EstadoPrincipal& st) {
    bool ok = false;
    const double n = st.config().TxtConfiguration(slot::CaracteresRegistro500).trimmed().toDouble(&ok);
    if (ok)
        return n;
    st.config().setSlot(slot::CaracteresRegistro500, QStringLiteral("24"));
    return 24;
}

bool GrabaConfiguracion(Contexto& ctx) {
    EstadoPrincipal& st = ctx.st;
    if (st.config().configuracionNoLeida()) {
        ctx.dlg.error(Texto::tr("No se grabó la configuración: el archivo ") + rutaConfiguracion(ctx) +
                      Texto::tr(" no se pudo leer al abrir la patente y se reemplazaría con los valores "
                                "por omisión. Revise sus permisos y abra de nuevo la patente."));
        return false;
    }
    if (st.config().configuracionRecuperada()) {
        ctx.dlg.error(Texto::tr("No se grabó la configuración: se recuperó del respaldo y la que se muestra "
                                "es la anterior. Abra de nuevo la patente."));
        return false;
    }
    st.pantalla().setEvento(Texto::tr("Grabando configuración..."));
    QStringList lineas;
    for (int n = 0; n < EstadoConfiguracion::kSlots; ++n) {
        const QString& t = st.config().TxtConfiguration(n);
        lineas << ((n == slot::ContrasenaFtp || n == slot::ContrasenaKey) ? clave::revuelve(unaLinea(t))
                                                                          : unaLinea(t));
    }
    lineas << unaLinea(st.pantalla().etiqueta(Etiqueta::LocalName))
           << unaLinea(st.pantalla().etiqueta(Etiqueta::LocalAddress)) << kVersion;
    const QString ruta = rutaConfiguracion(ctx);
    if (!fs::escribeAtomico(ruta, fs::comoTexto(lineas), true)) {
        ctx.dlg.error(Texto::tr("No fue posible grabar la configuración en ") + ruta + QStringLiteral(" (") +
                      fs::ultimaCausa() + Texto::tr("). La configuración anterior no se modificó."));
        return false;
    }
    // The files already go by the saved user: the patent shown follows it.
    muestraPatente(st, st.config().patente());
    st.config().setConfiguracionModificada(false);
    return true;
}

void muestraPatente(EstadoPrincipal& st, const QString& patente) {
    st.pantalla().setEtiqueta(Etiqueta::Patente, patente);
    st.pantalla().setEtiqueta(Etiqueta::Titulo,
                              kTituloVentana + QStringLiteral("         Patente  >>> ") + patente);
}

} // namespace korva

#include "app/Patentes.h"
#include "comun/Carpetas.h"
#include "platform/Texto.h"

#include <QDateTime>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include "platform/Candado.h"
#include "platform/Dialogos.h"
#include "platform/fs.h"

namespace korva {

namespace {
const QString kUsuarios = QStringLiteral("usuarios.dat");
const QString kDiario = QStringLiteral("usuarios.mov");

// A list that is there, even as a name that cannot be opened, is never
// taken for a first start.
bool presente(const QString& ruta) {
    const QFileInfo fi(ruta);
    return fi.exists() || fi.isSymLink();
}

QString ilegible(const QString& ruta) {
    return QStringLiteral("No fue posible leer el archivo de patentes ") + ruta + QStringLiteral(" (") +
           fs::ultimaCausa() +
           QStringLiteral("); revise sus permisos. Mientras no se pueda leer no se crearán, moverán ni "
                          "eliminarán patentes.");
}
} // namespace

Patentes::Patentes(Dialogos& dlg, QString carpeta) : dlg_(dlg), carpeta_(std::move(carpeta)) {
    ocupada = [this](int i) { return CandadoPatente::ocupada(carpeta_, i); };
}

QString Patentes::rutaUsuarios() const { return fs::une(carpeta_, kUsuarios); }

QString Patentes::rutaConfiguracion(int i) const {
    return fs::une(carpeta_, QStringLiteral("odbc%1.reg").arg(i));
}

void Patentes::carga() {
    quitaTemporales();
    {
        // A window holding the lock is in the middle of its own change and
        // finishes its journal itself.
        const CandadoLista candado(carpeta_);
        if (candado.tomado())
            recupera();
    }
    claves_.clear();
    seleccion_ = -1;
    if (!presente(rutaUsuarios())) {
        altura_ = kAlturaPrimera;
        botones_ = false;
    } else {
        bool leido = false;
        claves_ = fs::leeLineas(rutaUsuarios(), fs::limite::kConfiguracion, &leido);
        if (!leido)
            dlg_.error(ilegible(rutaUsuarios()));
        seleccion_ = int(claves_.size()) - 1;
    }
    PatenteCambiada = false;
}

bool Patentes::abreLista(const CandadoLista& candado, QStringList& actual) {
    if (!candado.tomado()) {
        dlg_.error(candado.deOtraVentana()
                       ? Texto::tr("Otra ventana de KORVAVal está modificando la lista de patentes; intente "
                                   "de nuevo en un momento.")
                       : Texto::tr("No es posible usar la lista de patentes: la carpeta del programa ") +
                             QFileInfo(rutaUsuarios()).path() +
                             Texto::tr(" no admite escritura (solo lectura o disco lleno)."));
        return false;
    }
    if (!recupera())
        return false;
    actual.clear();
    if (!presente(rutaUsuarios()))
        return true;
    bool leido = false;
    actual = fs::leeLineas(rutaUsuarios(), fs::limite::kConfiguracion, &leido);
    if (!leido)
        dlg_.error(ilegible(rutaUsuarios()));
    return leido;
}

bool Patentes::sigueIgual(const QStringList& actual) {
    if (actual == claves_)
        return true;
    dlg_.error(Texto::tr("La lista de patentes cambió en otra ventana de KORVAVal; revise la patente "
                         "elegida e intente de nuevo."));
    claves_ = actual;
    seleccion_ = int(claves_.size()) - 1;
    PatenteCambiada = false;
    return false;
}

void Patentes::selecciona(int i) {
    if (i < -1 || i >= claves_.size())
        return;
    seleccion_ = i;
    PatenteCambiada = true;
}

void Patentes::editaClave(const QString& texto) {
    clave_ = texto.left(kLargoClave);
    aceptar_ = true;
}

int Patentes::entrar() {
    if (seleccion_ < 0) {
        dlg_.error(Texto::tr("Selecione Patente"));
        return -1;
    }
    // The list as it is now, not as this window last read it: another window
    // may have reordered it, and a position names a configuration file.
    {
        const QString clave = claves_.at(seleccion_);
        const CandadoLista candado(carpeta_);
        QStringList actual;
        if (!abreLista(candado, actual))
            return -1;
        if (actual != claves_) {
            const int donde = actual.value(seleccion_) == clave ? seleccion_ : int(actual.indexOf(clave));
            const bool cambiada = PatenteCambiada;
            claves_ = actual;
            if (donde < 0) {
                seleccion_ = int(claves_.size()) - 1;
                PatenteCambiada = false;
                dlg_.error(Texto::tr("La patente ") + clave +
                           Texto::tr(" ya no está en la lista de patentes; otra ventana de KORVAVal la "
                                     "eliminó. Elija de nuevo."));
                return -1;
            }
            seleccion_ = donde;
            PatenteCambiada = cambiada;
        }
    }
    if (seleccion_ >= kMaximo) {
        dlg_.error(Texto::tr("La patente ") + claves_.at(seleccion_) +
                   Texto::tr(" ocupa el lugar %1 de la lista de patentes y solo se pueden abrir las "
                             "primeras %2; elimine las patentes que ya no use.")
                       .arg(seleccion_ + 1)
                       .arg(kMaximo));
        return -1;
    }
    if (seleccion_ != claves_.size() - 1 && PatenteCambiada && !ReordenaPatentes())
        return -1;
    return seleccion_;
}

bool Patentes::ReordenaPatentes() {
    const int s = seleccion_;
    const int l = int(claves_.size()) - 1;
    if (s < 0 || s == l)
        return true;
    const CandadoLista candado(carpeta_);
    QStringList actual;
    if (!abreLista(candado, actual) || !sigueIgual(actual))
        return false;
    // A last place beyond what a configuration file can have, a missing
    // file, a file already in the exchange's spare place (no patent's, but
    // not ours to overwrite), or a patent open in another window: the
    // patents keep their places and entering goes on with the chosen one.
    const int temporal = int(claves_.size());
    if (l >= kMaximo || !fs::existeArchivo(rutaConfiguracion(s)) ||
        !fs::existeArchivo(rutaConfiguracion(l)) || fs::existeArchivo(rutaConfiguracion(temporal)))
        return true;
    if (ocupada(s) || ocupada(l))
        return true;
    QStringList nuevas = claves_;
    nuevas.swapItemsAt(s, l);
    if (!ejecuta(nuevas, {{'M', s, temporal}, {'M', l, s}, {'M', temporal, l}}))
        return true;
    claves_ = nuevas;
    seleccion_ = l;
    return true;
}

void Patentes::crear() { altura_ = kAlturaCrear; }

bool Patentes::aceptar() {
    if (clave_.isEmpty()) {
        dlg_.error(
            Texto::tr("No es posible crear un usuario si no se proporciona la clave para referenciarlo."));
        return false;
    }
    const CandadoLista candado(carpeta_);
    QStringList actual;
    if (!abreLista(candado, actual))
        return false;
    if (actual.size() >= kMaximo) {
        dlg_.error(Texto::tr("No es posible crear más de %1 patentes en esta instalación.").arg(kMaximo));
        return false;
    }
    // Appended to the list as it is now, not as it was when the window
    // opened: a patent another window created meanwhile stays.
    QStringList nuevas = actual;
    nuevas << clave_;
    // A configuration file left at the new place (a restore of a shorter
    // list, an old installation) is another account's: never adopted.
    const QString suelto = rutaConfiguracion(int(actual.size()));
    if (fs::existeArchivo(suelto) || fs::esEnlace(suelto)) {
        const QString aparte = apartaSuelto(int(actual.size()));
        if (aparte.isEmpty()) {
            dlg_.error(Texto::tr("No fue posible crear la patente: ya hay un archivo de configuración en ") +
                       suelto + Texto::tr(" y no se pudo apartar (") + fs::ultimaCausa() +
                       QStringLiteral(")."));
            return false;
        }
        dlg_.informacion(Texto::tr("Había un archivo de configuración sin patente en ") + suelto +
                         Texto::tr("; se guardó en ") + aparte +
                         Texto::tr(" y la patente nueva empieza sin configuración."));
    }
    if (!escribeUsuarios(nuevas)) {
        dlg_.error(Texto::tr("No fue posible escribir el archivo de patentes ") + rutaUsuarios());
        return false;
    }
    claves_ = nuevas;
    seleccion_ = int(claves_.size()) - 1;
    botones_ = true;
    altura_ = kAlturaCerrada;
    return true;
}

void Patentes::eliminar() {
    const int s = seleccion_;
    const QString clave = (s >= 0 && s < claves_.size()) ? claves_.at(s) : QString();
    if (!dlg_.preguntaBorrar(Texto::tr("Precaución al borrar la patente: ") + clave +
                                 Texto::tr(" se eliminará el archivo de configuración que corresponde a la "
                                           "patente. Desea continuar?"),
                             kTitulo + Texto::tr("  - Confirmar")))
        return;
    if (s < 0) {
        carga();
        return;
    }
    {
        const CandadoLista candado(carpeta_);
        QStringList actual;
        if (!abreLista(candado, actual) || !sigueIgual(actual))
            return;
        for (int i = s; i < claves_.size(); ++i) {
            if (ocupada(i)) {
                dlg_.error(Texto::tr("No es posible eliminar la patente ") + clave +
                           Texto::tr(" mientras la patente ") + claves_.at(i) +
                           Texto::tr(" está abierta en otra ventana de KORVAVal; ciérrela e intente de "
                                     "nuevo."));
                return;
            }
        }
        QStringList nuevas = claves_;
        nuevas.removeAt(s);
        QList<Movimiento> pasos{{'D', s, -1}};
        for (int i = s + 1; i < claves_.size(); ++i)
            if (fs::existeArchivo(rutaConfiguracion(i)))
                pasos.append({'M', i, i - 1});
        ejecuta(nuevas, pasos);
    }
    carga();
}

QString Patentes::apartaSuelto(int posicion) {
    const QString carpeta = fs::une(fs::une(carpeta_, carpetas::kRespalda), QStringLiteral("sin-patente"));
    if (!fs::creaCarpeta(carpeta))
        return {};
    QString destino = fs::une(carpeta, QStringLiteral("odbc%1.reg").arg(posicion));
    for (int n = 1; QFileInfo::exists(destino) || fs::esEnlace(destino); ++n)
        destino = fs::une(carpeta, QStringLiteral("odbc%1.reg.%2").arg(posicion).arg(n));
    const QString ruta = rutaConfiguracion(posicion);
    // A link there leads to no file of ours: only the link goes.
    if (fs::esEnlace(ruta))
        return fs::borra(ruta) ? ruta : QString();
    return fs::renombra(ruta, destino) ? destino : QString();
}

void Patentes::quitaTemporales() {
    // Left by a program killed while it wrote: ours by their names, and old
    // enough that no running window is still writing them.
    static const QRegularExpression antiguos(
        QStringLiteral("^(usuarios\\.(dat|mov)|odbc\\d+\\.reg|centros-tls\\.dat)\\.[A-Za-z0-9]{6}$"));
    const qint64 ahora = QDateTime::currentSecsSinceEpoch();
    for (const fs::Entrada& e : fs::lista(carpeta_)) {
        if (!e.regular || ahora - e.segundos < kEdadTemporal)
            continue;
        if (fs::esTemporal(e.nombre) || antiguos.match(e.nombre).hasMatch())
            fs::borra(fs::une(carpeta_, e.nombre));
    }
}

bool Patentes::escribeUsuarios(const QStringList& claves) {
    const QString ruta = rutaUsuarios();
    if (fs::existeArchivo(ruta))
        fs::ponSoloLectura(ruta, false);
    const bool ok = fs::escribeAtomico(ruta, fs::comoTexto(claves));
    fs::ponSoloLectura(ruta, true);
    return ok;
}

bool Patentes::escribeDiario(const QStringList& nuevas, const QList<Movimiento>& pasos) {
    QStringList lineas;
    lineas << QString::number(nuevas.size());
    lineas << nuevas;
    for (const Movimiento& m : pasos)
        lineas << QStringLiteral("%1 %2 %3").arg(QChar(m.tipo)).arg(m.de).arg(m.a);
    return fs::escribeAtomico(fs::une(carpeta_, kDiario), fs::comoTexto(lineas));
}

bool Patentes::ejecuta(const QStringList& nuevas, QList<Movimiento> pasos) {
    if (!escribeDiario(nuevas, pasos)) {
        dlg_.error(Texto::tr("No fue posible escribir en la carpeta del programa ") + carpeta_ +
                   Texto::tr("; las patentes no se modificaron."));
        return false;
    }
    bool ok = escribeUsuarios(nuevas);
    // Each step is dropped from the journal once done; a step whose source is
    // gone was done before a stop and is skipped.
    while (ok && !pasos.isEmpty()) {
        const Movimiento m = pasos.first();
        const QString de = rutaConfiguracion(m.de);
        if (fs::existeArchivo(de))
            ok = m.tipo == 'D' ? fs::borra(de) : fs::renombra(de, rutaConfiguracion(m.a));
        if (ok) {
            pasos.removeFirst();
            ok = pasos.isEmpty() || escribeDiario(nuevas, pasos);
        }
    }
    if (!ok) {
        dlg_.error(Texto::tr("No fue posible mover los archivos de configuración en ") + carpeta_ +
                   Texto::tr("; se terminará de hacer la próxima vez que se abra el programa."));
        return false;
    }
    fs::borra(fs::une(carpeta_, kDiario));
    return true;
}

std::optional<Patentes::Diario> Patentes::leeDiario(const QStringList& l) {
    bool ok = !l.isEmpty();
    const int n = ok ? l.first().toInt(&ok) : 0;
    if (!ok || n < 0 || l.size() - 1 < n)
        return std::nullopt;
    Diario d{l.mid(1, n), {}};
    for (qsizetype i = 1 + n; i < l.size(); ++i) {
        const QStringList p = l.at(i).split(QLatin1Char(' '));
        if (p.size() != 3 || (p[0] != QLatin1String("M") && p[0] != QLatin1String("D")))
            return std::nullopt;
        bool okDe = false, okA = false;
        const Movimiento m{p[0] == QLatin1String("M") ? 'M' : 'D', p[1].toInt(&okDe), p[2].toInt(&okA)};
        // The program moves files only among the new list's places and the
        // spare one past it; anything else would rename or delete a file no
        // step of its own could name.
        const auto dentro = [n](int i) { return i >= 0 && i <= n; };
        if (!okDe || !okA || !dentro(m.de) || (m.tipo == 'M' ? !dentro(m.a) : m.a != -1))
            return std::nullopt;
        d.pasos.append(m);
    }
    return d;
}

bool Patentes::movimientosPosibles(const Diario& d) const {
    // Replayed over the files there now: a step whose source is gone was done
    // before the stop, and no step of the program renames onto a file.
    const int n = int(d.claves.size());
    QSet<int> hay;
    for (int i = 0; i <= n; ++i)
        if (fs::existeArchivo(rutaConfiguracion(i)))
            hay.insert(i);
    for (const Movimiento& m : d.pasos) {
        if (!hay.remove(m.de))
            continue;
        if (m.tipo == 'M') {
            if (hay.contains(m.a))
                return false;
            hay.insert(m.a);
        }
    }
    return true;
}

bool Patentes::recupera() {
    const QString ruta = fs::une(carpeta_, kDiario);
    if (!presente(ruta))
        return true;
    bool leido = false;
    const QStringList l = fs::leeLineas(ruta, fs::limite::kConfiguracion, &leido);
    const std::optional<Diario> d = leido ? leeDiario(l) : std::nullopt;
    if (!d || !movimientosPosibles(*d)) {
        // A damaged journal: leave it for the engineer, touch nothing.
        dlg_.error(Texto::tr("El archivo ") + ruta +
                   Texto::tr(" está dañado; revise los archivos de configuración antes de continuar."));
        return false;
    }
    return ejecuta(d->claves, d->pasos);
}

} // namespace korva

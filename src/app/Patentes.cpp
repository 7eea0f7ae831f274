#include "app/Patentes.h"

#include <filesystem>

#include "app/Candado.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"

namespace korva {

namespace {
const QString kUsuarios = QStringLiteral("usuarios.dat");
const QString kDiario = QStringLiteral("usuarios.mov");

bool renombra(const QString& de, const QString& a) {
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(de.toStdU16String()),
                            std::filesystem::path(a.toStdU16String()), ec);
    return !ec;
}
} // namespace

Patentes::Patentes(Dialogs& dlg, QString carpeta) : dlg_(dlg), carpeta_(std::move(carpeta)) {
    ocupada = [this](int i) { return CandadoPatente::ocupada(carpeta_, i); };
}

QString Patentes::rutaUsuarios() const { return fs::une(carpeta_, kUsuarios); }

QString Patentes::rutaConfiguracion(int i) const {
    return fs::une(carpeta_, QStringLiteral("odbc%1.reg").arg(i));
}

void Patentes::carga() {
    recupera();
    claves_.clear();
    seleccion_ = -1;
    if (!fs::existeArchivo(rutaUsuarios())) {
        altura_ = kAlturaPrimera;
        botones_ = false;
    } else {
        claves_ = fs::leeLineas(rutaUsuarios());
        seleccion_ = int(claves_.size()) - 1;
    }
    PatenteCambiada = false;
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
        dlg_.error(QStringLiteral("Selecione Patente"));
        return -1;
    }
    if (seleccion_ != claves_.size() - 1 && PatenteCambiada)
        ReordenaPatentes();
    return seleccion_;
}

void Patentes::ReordenaPatentes() {
    const int s = seleccion_;
    const int l = int(claves_.size()) - 1;
    if (s < 0 || s == l || !fs::existeArchivo(rutaConfiguracion(s)) ||
        !fs::existeArchivo(rutaConfiguracion(l)))
        return;
    // A patent open in another window keeps its place: entering goes on
    // with the chosen position, as when a file is missing.
    if (ocupada(s) || ocupada(l))
        return;
    QStringList nuevas = claves_;
    nuevas.swapItemsAt(s, l);
    const int temporal = int(claves_.size());
    if (!ejecuta(nuevas, {{'M', s, temporal}, {'M', l, s}, {'M', temporal, l}}))
        return;
    claves_ = nuevas;
    seleccion_ = l;
}

void Patentes::crear() { altura_ = kAlturaCrear; }

bool Patentes::aceptar() {
    if (clave_.isEmpty()) {
        dlg_.error(QStringLiteral(
            "No es posible crear un usuario si no se proporciona la clave para referenciarlo."));
        return false;
    }
    if (claves_.size() >= kMaximo) {
        dlg_.error(
            QStringLiteral("No es posible crear más de %1 patentes en esta instalación.").arg(kMaximo));
        return false;
    }
    QStringList nuevas = claves_;
    nuevas << clave_;
    if (!escribeUsuarios(nuevas)) {
        dlg_.error(QStringLiteral("No fue posible escribir el archivo de patentes ") + rutaUsuarios());
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
    if (!dlg_.pregunta(QStringLiteral("Precaución al borrar la patente: ") + clave +
                           QStringLiteral(" se eliminará el archivo de configuración que corresponde a la "
                                          "patente. Desea continuar?"),
                       kTitulo + QStringLiteral("  - Confirmar")))
        return;
    if (s < 0) {
        carga();
        return;
    }
    for (int i = s; i < claves_.size(); ++i) {
        if (ocupada(i)) {
            dlg_.error(
                QStringLiteral("No es posible eliminar la patente ") + clave +
                QStringLiteral(" mientras la patente ") + claves_.at(i) +
                QStringLiteral(" está abierta en otra ventana de KORVAVal; ciérrela e intente de nuevo."));
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
    carga();
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
        dlg_.error(QStringLiteral("No fue posible escribir en la carpeta del programa ") + carpeta_ +
                   QStringLiteral("; las patentes no se modificaron."));
        return false;
    }
    bool ok = escribeUsuarios(nuevas);
    // Each step is dropped from the journal once done; a step whose source is
    // gone was done before a stop and is skipped.
    while (ok && !pasos.isEmpty()) {
        const Movimiento m = pasos.first();
        const QString de = rutaConfiguracion(m.de);
        if (fs::existeArchivo(de))
            ok = m.tipo == 'D' ? fs::borra(de) : renombra(de, rutaConfiguracion(m.a));
        if (ok) {
            pasos.removeFirst();
            ok = pasos.isEmpty() || escribeDiario(nuevas, pasos);
        }
    }
    if (!ok) {
        dlg_.error(QStringLiteral("No fue posible mover los archivos de configuración en ") + carpeta_ +
                   QStringLiteral("; se terminará de hacer la próxima vez que se abra el programa."));
        return false;
    }
    fs::borra(fs::une(carpeta_, kDiario));
    return true;
}

void Patentes::recupera() {
    const QString ruta = fs::une(carpeta_, kDiario);
    if (!fs::existeArchivo(ruta))
        return;
    const QStringList l = fs::leeLineas(ruta);
    bool ok = !l.isEmpty();
    const int n = ok ? l.first().toInt(&ok) : 0;
    ok = ok && n >= 0 && l.size() >= 1 + n;
    QList<Movimiento> pasos;
    for (int i = 1 + n; ok && i < l.size(); ++i) {
        const QStringList p = l.at(i).split(QLatin1Char(' '));
        ok = p.size() == 3 && (p[0] == QLatin1String("M") || p[0] == QLatin1String("D"));
        if (ok)
            pasos.append({p[0] == QLatin1String("M") ? 'M' : 'D', p[1].toInt(), p[2].toInt()});
    }
    if (!ok) {
        // Unreadable journal: leave it for the engineer, touch nothing.
        dlg_.error(QStringLiteral("El archivo ") + ruta +
                   QStringLiteral(" está dañado; revise los archivos de configuración antes de continuar."));
        return;
    }
    ejecuta(l.mid(1, n), pasos);
}

} // namespace korva

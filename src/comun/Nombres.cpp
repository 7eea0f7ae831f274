#include "comun/Nombres.h"

#include "comun/EstadoPrincipal.h"
#include "platform/Reloj.h"

namespace korva {

FormaNombre numLetras(const QString& Letra) {
    if (Letra == QLatin1String("E") || Letra == QLatin1String("e"))
        return {12, 1};
    static const QStringList largos = {"S", "s", "x", "X", "f", "F", "a", "A"};
    if (largos.contains(Letra))
        return {15, -3};
    return {12, 0};
}

qint16 Get_Juliano(const Reloj& reloj) {
    const QDateTime ahora = reloj.ahora();
    const QDate enero(ahora.date().year(), 1, 1);
    return static_cast<qint16>(enero.daysTo(ahora.date()) + 1);
}

FormaNombre preparaNombre(const QString& nombre) {
    FormaNombre f = numLetras(nombre.left(1));
    if (nombre.size() >= 9 && nombre.at(8) == QLatin1Char('.') && f.AjustePrefijo == 1)
        f.AjustePrefijo = 0;
    return f;
}

QString prefijoDe(const QString& nombre) {
    const FormaNombre f = preparaNombre(nombre);
    const int largo = f.LongitudNombre + f.AjustePrefijo - 7;
    if (largo < 5 || nombre.size() < largo)
        return {};
    return nombre.left(largo);
}

QString patenteDe(const QString& nombre) {
    const QString p = prefijoDe(nombre);
    return p.isEmpty() ? QString() : p.right(4);
}

QString folioDe(const QString& nombre) {
    const FormaNombre f = preparaNombre(nombre);
    const int k = nombre.startsWith(QLatin1Char('S'), Qt::CaseInsensitive) ||
                          nombre.startsWith(QLatin1Char('F'), Qt::CaseInsensitive)
                      ? 3
                      : 0;
    const int fin = f.LongitudNombre + f.AjustePrefijo + k - 4; // 1-based, inclusive
    if (fin < 3 || nombre.size() < fin)
        return {};
    return nombre.mid(fin - 3, 3);
}

QString diaDe(const QString& nombre) { return nombre.size() < 3 ? QString() : nombre.right(3); }

bool pruebaJuliano(const EstadoPrincipal& st, const QString& nombre) {
    const QString d = diaDe(nombre);
    bool ok = false;
    const int n = d.toInt(&ok);
    return ok && n == st.ciclo().DiaJulianoActual();
}

bool pruebaPatente(const EstadoPrincipal& st, const QString& nombre) {
    const QString p = patenteDe(nombre);
    return !p.isEmpty() && p == st.config().patente();
}

bool pruebaFolio(const EstadoPrincipal& st, const QString& nombre) {
    const QString f = folioDe(nombre);
    if (f.size() != 3)
        return false;
    // Compared as text, by character codes: "045" lies below "1".
    return f.compare(st.config().TxtConfiguration(slot::FolioInferior)) >= 0 &&
           f.compare(st.config().TxtConfiguration(slot::FolioSuperior)) <= 0;
}

bool esTipoValidacion(const EstadoPrincipal& st, const QString& nombre) {
    if (nombre.isEmpty())
        return false;
    const QChar letra = nombre.at(0).toLower();
    for (QChar c : st.config().TxtConfiguration(slot::LetrasValidacion))
        if (c != QLatin1Char(',') && c == letra)
            return true;
    return false;
}

quint8 TipoDocumento(const QString& nombre) {
    const QString n = nombre.toLower();
    if (n.startsWith(QLatin1Char('m')))
        return 0;
    if (n.startsWith(QLatin1Char('c')))
        return 1;
    if (n.startsWith(QLatin1Char('t')))
        return 2;
    if (n.startsWith(QLatin1String("ea")))
        return 6;
    if (n.startsWith(QLatin1String("eb")))
        return 7;
    return kNoFirmable;
}

} // namespace korva

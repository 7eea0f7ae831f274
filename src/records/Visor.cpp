#include "records/Visor.h"
#include "platform/Texto.h"

#include <QFile>
#include <QFileInfo>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <algorithm>
#include <cmath>
#include <cstring>

#include "comun/Carpetas.h"
#include "comun/Contexto.h"
#include "comun/Nombres.h"
#include "platform/Ansi.h"
#include "platform/Dialogos.h"
#include "platform/Impresoras.h"
#include "platform/fs.h"

namespace korva {
namespace {

constexpr qint64 kArchivoMaximo = qint64(1) << 30;

const QString kDemasiadoGrande = QStringLiteral("El registro es demasiado grande para presentarlo");

// First CR or LF in [p, fin), or fin. One pass finds both the end of a
// record and whether it holds line feeds, sixteen bytes at a time.
const char* siguienteCorte(const char* p, const char* fin) {
#ifdef __SSE2__
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; fin - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int m = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
        if (m)
            return p + __builtin_ctz(unsigned(m));
    }
#endif
    for (; p < fin; ++p)
        if (*p == '\r' || *p == '\n')
            return p;
    return fin;
}

} // namespace

Visor::Visor(QObject* parent) : QAbstractListModel(parent) {}

int Visor::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : entradas(); }

QVariant Visor::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= entradas())
        return {};
    return entrada(index.row());
}

QString Visor::entrada(int i) const {
    const Pieza& p = piezas_.at(i);
    if (p.inicio < 0)
        return kDemasiadoGrande;
    return ansi::decodifica(QByteArray::fromRawData(archivo_.datos() + p.inicio, p.largo));
}

QList<qint32> Visor::tabla() const { return QList<qint32>(tabla_.begin(), tabla_.end()); }

void Visor::setTxtRegistro(const QString& t) {
    if (t == registro_)
        return;
    registro_ = t;
    emit registroCambiado();
}

void Visor::setCaption(const QString& c) {
    caption_ = c;
    emit captionCambiado();
}

void Visor::limpia() {
    beginResetModel();
    piezas_ = {};
    archivo_.libera();
    endResetModel();
}

namespace {

void cortaRegistro(const char* t, qint32 ini, qint32 fin, bool conSaltos, qint32 n,
                   std::vector<Visor::Pieza>& piezas, Visor::Arreglo& arreglo) {
    const qint32 largo = fin - ini;
    // The size that is too large to show is a line's: a file whose lines end
    // in bare line feeds, as the centre's may, is cut at them whatever its size.
    if (!conSaltos && largo >= Visor::kRegistroMaximo) {
        piezas.push_back({-1, 0});
        return;
    }
    if (!conSaltos && largo <= Visor::kLargoEntrada) {
        piezas.push_back({ini, largo});
        return;
    }
    // Line feeds end an entry and are dropped; otherwise an entry closes
    // after its 102nd character.
    const size_t antes = piezas.size();
    qint32 pendiente = ini;
    qint32 linea = ini;         // where the line in hand began
    size_t piezasLinea = antes; // entries before it
    const auto cierraLinea = [&](qint32 i) {
        if (i - linea >= Visor::kRegistroMaximo) {
            piezas.resize(piezasLinea);
            piezas.push_back({-1, 0});
        }
        linea = i + 1;
        piezasLinea = piezas.size();
    };
    int cuenta = 0;
    for (qint32 i = ini; i < fin; ++i) {
        if (t[i] == '\n') {
            piezas.push_back({pendiente, i - pendiente});
            cierraLinea(i);
            pendiente = i + 1;
            cuenta = 0;
        } else if (cuenta > Visor::kLargoEntrada) {
            piezas.push_back({pendiente, i + 1 - pendiente});
            pendiente = i + 1;
            cuenta = 0;
        } else {
            ++cuenta;
        }
    }
    if (pendiente < fin)
        piezas.push_back({pendiente, fin - pendiente});
    if (conSaltos && linea < fin)
        cierraLinea(fin);
    // Every entry after the record's first is one cut, whatever made it.
    arreglo.insert(arreglo.end(), piezas.size() - antes - 1, n);
}

} // namespace

void Visor::cortaEntradas(const char* t, qint32 total, std::vector<Pieza>& piezas, Arreglo& arreglo) {
    piezas = {};
    arreglo = {};
    qint32 n = 1;
    piezas.reserve(size_t(total / 48));
    qint32 ini = 0;
    // Records end at CR LF or a lone CR; a bare LF stays inside its record,
    // unless the file has no CR at all: one written with bare LFs ends each
    // record with one. The code page keeps CR and LF as single bytes, so the
    // cuts are found in the bytes themselves.
    const bool soloSaltos = total > 0 && !std::memchr(t, '\r', size_t(total));
    while (ini < total) {
        const char* corte = siguienteCorte(t + ini, t + total);
        const bool conSaltos = !soloSaltos && corte < t + total && *corte == '\n';
        if (conSaltos) {
            const void* cr = std::memchr(corte, '\r', size_t(t + total - corte));
            corte = cr ? static_cast<const char*>(cr) : t + total;
        }
        const qint32 fin = qint32(corte - t);
        if (!conSaltos && fin - ini <= kLargoEntrada)
            piezas.push_back({ini, fin - ini}); // the common record: one entry as it is
        else
            cortaRegistro(t, ini, fin, conSaltos, n, piezas, arreglo);
        ++n;
        ini = fin + 1;
        if (!soloSaltos && fin < total && ini < total && t[ini] == '\n')
            ++ini;
    }
}

void Visor::carga(ArchivoEnMemoria archivo, Arreglo& arreglo) {
    beginResetModel();
    archivo_ = std::move(archivo);
    cortaEntradas(archivo_.datos(), qint32(archivo_.tamano()), piezas_, arreglo);
    endResetModel();
}

void Visor::RecibeArreglos(const Arreglo& arreglo) {
    tabla_ = arreglo;
    setTxtRegistro(QString());
}

int Visor::CmdRegistro(Dialogos& dlg) {
    const QString texto = registro_.trimmed();
    if (texto.isEmpty()) {
        dlg.error(Texto::tr("Favor de capturar el número del reglon en que desea posicionarse."));
        emit enfocaRegistro();
        return -1;
    }
    bool numero = false;
    const double valor = texto.toDouble(&numero);
    if (!numero || valor <= 0 || valor != std::floor(valor)) {
        dlg.error(Texto::tr("Se capturo un valor invalido, debe capturar solo números enteros positivos."));
        emit enfocaRegistro();
        return -1;
    }
    // Entries before record r: r - 1 records and the cuts of those records.
    const qint64 cortes =
        std::lower_bound(tabla_.begin(), tabla_.end(), valor, [](qint32 t, double r) { return t < r; }) -
        tabla_.begin();
    const qint64 m = qint64(entradas()) - cortes;
    if (valor >= kRegistroMaximo || valor > double(m)) {
        dlg.error(Texto::tr("El archivo contiene menos registros del número buscado, proporcione un número "
                            "menor a ") +
                  QString::number(m) + QStringLiteral("."));
        emit enfocaRegistro();
        return -1;
    }
    const int i = int(int(valor) - 1 + cortes);
    emit seleccionaEntrada(i);
    return i;
}

void Visor::LstArchivos_Click(int L) {
    // The cuts before entry L are the first j of the table with T(j) + j <= L
    // (T(j) + j grows strictly, so the count is found by halving).
    qint64 lo = 0, hi = qint64(tabla_.size());
    while (lo < hi) {
        const qint64 mitad = (lo + hi) / 2;
        if (tabla_[size_t(mitad)] + mitad <= L)
            lo = mitad + 1;
        else
            hi = mitad;
    }
    setTxtRegistro(QString::number(L - lo + 1));
}

QStringList Visor::lineasImpresion() const {
    QStringList l;
    l.reserve(entradas() + 4);
    // The caption and the closing line each carry a CR of their own, which
    // the printout shows as an empty line.
    l << caption_ << QString();
    for (int i = 0; i < entradas(); ++i)
        l << entrada(i);
    l << QString() << kTitulo;
    return l;
}

void Visor::CmdImprimir(Dialogos& dlg, Impresoras* impresoras, const QString& impresora) {
    if (impresora.isEmpty()) {
        dlg.error(Texto::tr("Favor de selecionar la impresora a utilizar."));
        return;
    }
    // The printer shown, by its name: the list may have changed since it was read.
    const Impresion r = impresoras ? impresoras->imprime(impresora, lineasImpresion()) : Impresion{};
    if (!r.aceptada) {
        dlg.error(
            Texto::tr("No fue posible imprimir verifique el estado de su impresora e intente nuevamente.") +
            (r.informe.isEmpty() ? QString() : Texto::tr("\n(") + r.informe + QLatin1Char(')')));
        return;
    }
    dlg.mensaje(Icono::Ninguno,
                Texto::tr("Impresión ") + caption_ + QLatin1Char('\n') + Texto::tr("En la Impresora '") +
                    impresora + QLatin1Char('\'') +
                    (r.informe.isEmpty() ? QString() : QLatin1Char('\n') + r.informe),
                kTitulo);
}

void MuestraArchivo(Contexto& ctx, Visor& visor, const QString& Archivo, const QString& Directorio) {
    ctx.st.pantalla().setEvento(Texto::tr("Cargando Archivo Respuesta ..."));
    visor.limpia();
    const QString ruta = fs::rutaSinMayusculas(Directorio, Archivo, ctx.plataforma);
    if (Archivo.isEmpty() || !fs::existeArchivo(ruta)) {
        ctx.dlg.error(Texto::tr("No se encontro el Archivo '") + Archivo + Texto::tr("' en el directorio '") +
                      Directorio + Texto::tr("' ha sido borrado o movido."));
        return;
    }
    ArchivoEnMemoria archivo;
    // Entry positions are 32-bit: a file of a gigabyte or more is refused as
    // unreadable rather than shown cut short.
    if (QFileInfo(ruta).size() >= kArchivoMaximo || !archivo.lee(ruta) ||
        archivo.tamano() >= kArchivoMaximo) {
        ctx.dlg.error(Texto::tr("No fue posible leer el Archivo '") + Archivo +
                      Texto::tr("' en el directorio '") + Directorio + QStringLiteral("'."));
        return;
    }
    Visor::Arreglo arreglo;
    visor.carga(std::move(archivo), arreglo);
    visor.setCaption(QStringLiteral("KORVAVal   -> Archivo '") + Archivo + QStringLiteral("' ubicado en '") +
                     Directorio + QLatin1Char('\''));
    emit visor.mostrar();
    visor.RecibeArreglos(arreglo);
}

ArchivoDeLista archivoDeEntrada(EstadoPrincipal& st, Lista lista, const QString& entrada) {
    int largo = 12;
    ArchivoDeLista a;
    switch (lista) {
    case Lista::Recibidos: {
        const QChar c = entrada.isEmpty() ? QChar() : entrada.at(0);
        const bool larga = QStringLiteral("xXaA").contains(c) && !entrada.isEmpty() &&
                           (entrada.size() < 9 || entrada.at(8) != QLatin1Char('.'));
        largo = larga ? 15 : 12;
        a.Directorio = st.config().TxtConfiguration(slot::DirRecibo);
        break;
    }
    case Lista::Enviados:
        a.Directorio = carpetas::enviados(st);
        largo = numLetras(entrada.left(1)).LongitudNombre;
        break;
    case Lista::Pendientes:
        a.Directorio = carpetas::pend(st);
        largo = numLetras(entrada.left(1)).LongitudNombre;
        break;
    case Lista::Rechazados:
        a.Directorio = carpetas::rechaza(st);
        largo = numLetras(entrada.left(1)).LongitudNombre;
        break;
    default:
        return {};
    }
    a.Archivo = entrada.left(largo);
    return a;
}

void abreEntrada(Contexto& ctx, Visor& visor, Lista lista, const QString& entrada) {
    const ArchivoDeLista a = archivoDeEntrada(ctx.st, lista, entrada);
    if (a.Directorio.isEmpty() && a.Archivo.isEmpty())
        return;
    MuestraArchivo(ctx, visor, a.Archivo, a.Directorio);
}

} // namespace korva

#include "cycle/Registro801.h"

#include "comun/EstadoPrincipal.h"
#include "config/ArchivoConfiguracion.h"
#include "platform/Ansi.h"
#include "platform/fs.h"

namespace korva {

namespace {

// Lines as the file is read: a CR or CR LF ends one; a lone LF stays inside.
QList<QByteArray> lineasCR(const QByteArray& b) {
    QList<QByteArray> out;
    qsizetype inicio = 0;
    for (qsizetype i = 0; i < b.size(); ++i) {
        if (b[i] != '\r')
            continue;
        out << b.mid(inicio, i - inicio);
        if (i + 1 < b.size() && b[i + 1] == '\n')
            ++i;
        inicio = i + 1;
    }
    if (inicio < b.size())
        out << b.mid(inicio);
    return out;
}

} // namespace

QByteArray reescribe801(const QByteArray& contenido, double caracteres500, const QByteArray& clave) {
    const QList<QByteArray> lineas = lineasCR(contenido);
    const QByteArray primera = lineas.isEmpty() ? QByteArray() : lineas.first();
    const bool regular = !primera.contains('\n') && !primera.contains('\r') &&
                         (primera.size() == caracteres500 || primera.size() == caracteres500 + 8);
    QByteArray salida;
    QByteArray pendiente;
    auto escribe = [&] {
        if (!pendiente.isEmpty())
            salida += pendiente + "\r\n";
        pendiente.clear();
    };
    for (const QByteArray& linea : lineas) {
        qsizetype i = 0;
        while (i <= linea.size()) {
            qsizetype fin = i;
            while (fin < linea.size() && linea[fin] != '\n' && linea[fin] != '\r')
                ++fin;
            const bool corte = fin < linea.size();
            if (linea.mid(i, 4) == "801|") {
                // Up to the fourth "|", then the key; the rest of the record
                // goes. The record ends at an LF too, so the records after it
                // in a LF-separated file are kept.
                qsizetype p = i, barras = 0;
                while (p < fin && barras < 4) {
                    if (linea[p] == '|')
                        ++barras;
                    ++p;
                }
                pendiente += linea.mid(i, p - i) + clave + "|";
                escribe();
            } else {
                pendiente += linea.mid(i, fin - i);
                if (corte || regular)
                    escribe();
            }
            if (!corte)
                break;
            i = fin + 1;
        }
    }
    // Text still pending at the end is a record too: never lost.
    escribe();
    return salida;
}

bool PreparaRegistro801(EstadoPrincipal& st, const QString& Archivo) {
    const double n = caracteresRegistro500(st);
    QByteArray contenido;
    if (!fs::lee(Archivo, fs::limite::kArchivo, &contenido))
        return false;
    const QByteArray nuevo =
        reescribe801(contenido, n, ansi::codifica(st.config().TxtConfiguration(slot::ClavePrevalidador)));
    return nuevo == contenido || fs::escribeAtomico(Archivo, nuevo);
}

} // namespace korva

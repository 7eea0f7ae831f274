// The patents journal usuarios.mov as found at start-up, whatever its bytes:
// the reader, and the recovery it drives over real configuration files. The
// first input byte says which of odbc0.reg to odbc7.reg are there; the rest
// is the journal.
#include <QDir>
#include <QFile>
#include <QMap>

#include "Soporte.h"
#include "app/Patentes.h"
#include "platform/Ansi.h"
#include "platform/fs.h"

using namespace korva;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::iniciaQt(argc, argv);
    return 0;
}

namespace {

// Every file of the folder with its bytes, the journal's lock aside.
QMap<QString, QByteArray> foto(const QString& carpeta) {
    QMap<QString, QByteArray> m;
    for (const QString& n : QDir(carpeta).entryList(QDir::Files | QDir::Hidden))
        if (!n.endsWith(QLatin1String(".lock")))
            m.insert(n, fuzz::lee(QDir(carpeta).filePath(n)));
    return m;
}

bool igual(const Patentes::Diario& x, const Patentes::Diario& y) {
    if (x.claves != y.claves || x.pasos.size() != y.pasos.size())
        return false;
    for (qsizetype i = 0; i < x.pasos.size(); ++i)
        if (x.pasos[i].tipo != y.pasos[i].tipo || x.pasos[i].de != y.pasos[i].de ||
            x.pasos[i].a != y.pasos[i].a)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const QByteArray diario(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    const std::optional<Patentes::Diario> d = Patentes::leeDiario(ansi::lineas(diario));

    // A journal accepted names only places of the new list and the spare one
    // past it, and reads back the same once written in the program's form.
    int n = -1;
    bool borra = false;
    if (d) {
        n = int(d->claves.size());
        QStringList escrito{QString::number(n)};
        escrito << d->claves;
        for (const Patentes::Movimiento& m : d->pasos) {
            FUZZ_CHECK(m.de >= 0 && m.de <= n);
            FUZZ_CHECK(m.tipo == 'M' ? m.a >= 0 && m.a <= n : m.tipo == 'D' && m.a == -1);
            borra = borra || m.tipo == 'D';
            escrito << QStringLiteral("%1 %2 %3").arg(QChar(m.tipo)).arg(m.de).arg(m.a);
        }
        const auto otra = Patentes::leeDiario(ansi::lineas(fs::comoTexto(escrito)));
        FUZZ_CHECK(otra && igual(*d, *otra));
    }

    // The recovery at the window's load, over files that each hold their own
    // place's name.
    const QString carpeta = fuzz::carpeta() + QStringLiteral("/diario");
    QDir(carpeta).removeRecursively();
    FUZZ_CHECK(QDir().mkpath(carpeta));
    static fuzz::DialogosMudos mudos;
    const Patentes p(mudos, carpeta); // for its paths
    for (int i = 0; i < 8; ++i)
        if (data[0] & (1 << i))
            FUZZ_CHECK(fs::escribeAtomico(p.rutaConfiguracion(i), "P" + QByteArray::number(i)));
    FUZZ_CHECK(fs::escribeAtomico(p.rutaUsuarios(), "antes\r\n"));
    FUZZ_CHECK(fs::escribeAtomico(carpeta + QStringLiteral("/usuarios.mov"), diario));
    const QMap<QString, QByteArray> antes = foto(carpeta);

    fuzz::DialogosMudos dlg;
    Patentes q(dlg, carpeta);
    q.carga();
    const QMap<QString, QByteArray> despues = foto(carpeta);
    if (dlg.mensajes > 0) {
        // Refused: the journal stays for the engineer, nothing was touched.
        FUZZ_CHECK(despues == antes);
        return 0;
    }
    FUZZ_CHECK(d);
    FUZZ_CHECK(!despues.contains(QStringLiteral("usuarios.mov")));
    FUZZ_CHECK(fs::leeLineas(p.rutaUsuarios(), fs::limite::kRegistro) == d->claves);
    // Files move only among the journal's places; a configuration is never
    // doubled, and one is gone only where the journal deletes.
    QMap<QByteArray, int> veces;
    for (auto it = despues.cbegin(); it != despues.cend(); ++it) {
        if (!it.key().startsWith(QLatin1String("odbc")))
            continue;
        bool ok = false;
        const int i = it.key().mid(4, it.key().size() - 8).toInt(&ok);
        FUZZ_CHECK(ok && it.key().endsWith(QLatin1String(".reg")));
        if (i > n)
            FUZZ_CHECK(antes.value(it.key()) == it.value());
        ++veces[it.value()];
    }
    for (auto it = veces.cbegin(); it != veces.cend(); ++it)
        FUZZ_CHECK(it.value() == 1);
    for (auto it = antes.cbegin(); it != antes.cend(); ++it)
        if (it.key().startsWith(QLatin1String("odbc")) && !veces.contains(it.value()))
            FUZZ_CHECK(borra);
    return 0;
}

#include <QDir>
#include <QLibrary>

#include "platform/BibliotecaFirma.h"

namespace korva {

namespace {

#if defined(Q_OS_WIN)
#define KORVA_STDCALL __stdcall
#else
#define KORVA_STDCALL
#endif

using FuncionFirma = qint32(KORVA_STDCALL*)(const char*, quint8, DatosFirmante*);

// 32-bit Windows exports carry the decorated standard-call names.
QFunctionPointer resuelve(QLibrary& lib, const char* nombre, const char* decorado) {
    if (QFunctionPointer f = lib.resolve(nombre))
        return f;
    return lib.resolve(decorado);
}

class BibliotecaFirmaCargada final : public BibliotecaFirma {
public:
    explicit BibliotecaFirmaCargada(const QString& ruta) : lib_(ruta) {}

    QString disponible() override {
        if (busca_ && genera_)
            return {};
        if (!lib_.isLoaded() && !lib_.load())
            return QStringLiteral("no se pudo cargar la biblioteca de firma (%1): %2")
                .arg(lib_.fileName(), lib_.errorString());
        busca_ = reinterpret_cast<FuncionFirma>(resuelve(lib_, "BuscaCurpsG", "_BuscaCurpsG@12"));
        genera_ =
            reinterpret_cast<FuncionFirma>(resuelve(lib_, "GeneraFirmaDigitalG", "_GeneraFirmaDigitalG@12"));
        if (!busca_ || !genera_) {
            const QString falta =
                !busca_ ? QStringLiteral("BuscaCurpsG") : QStringLiteral("GeneraFirmaDigitalG");
            busca_ = genera_ = nullptr;
            return QStringLiteral("la biblioteca de firma (%1) no tiene la función %2")
                .arg(lib_.fileName(), falta);
        }
        return {};
    }

    qint32 BuscaCurpsG(const QByteArray& archivo, quint8 tipo, Firmantes& f) override {
        if (!disponible().isEmpty())
            return -1;
        return busca_(archivo.constData(), tipo, f.data());
    }

    qint32 GeneraFirmaDigitalG(const QByteArray& archivo, quint8 tipo, Firmantes& f) override {
        if (!disponible().isEmpty())
            return -1;
        return genera_(archivo.constData(), tipo, f.data());
    }

private:
    QLibrary lib_;
    FuncionFirma busca_ = nullptr;
    FuncionFirma genera_ = nullptr;
};

} // namespace

std::unique_ptr<BibliotecaFirma> abreBibliotecaFirma(const QString& carpeta) {
#if defined(Q_OS_WIN)
    const QString nombre = QStringLiteral("sgenc32");
#else
    const QString nombre = QStringLiteral("sgenc");
#endif
    // QLibrary adds the platform's prefix and suffix (libsgenc.so, sgenc32.dll).
    return std::make_unique<BibliotecaFirmaCargada>(QDir(carpeta).filePath(nombre));
}

} // namespace korva

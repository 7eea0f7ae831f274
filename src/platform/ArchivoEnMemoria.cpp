#include "platform/ArchivoEnMemoria.h"

#include "platform/fs.h"

#include <QFile>
#include <cstdlib>
#include <utility>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace korva {
namespace {

constexpr size_t kPaginaGrande = size_t(2) << 20;

char* reserva(qint64 tamano) {
    const size_t n = size_t(tamano > 0 ? tamano : 1);
#ifdef Q_OS_LINUX
    if (n >= kPaginaGrande) {
        const size_t redondeado = (n + kPaginaGrande - 1) / kPaginaGrande * kPaginaGrande;
        void* p = std::aligned_alloc(kPaginaGrande, redondeado);
        if (p)
            ::madvise(p, redondeado, MADV_HUGEPAGE);
        return static_cast<char*>(p);
    }
#endif
    return static_cast<char*>(std::malloc(n));
}

} // namespace

ArchivoEnMemoria::~ArchivoEnMemoria() { libera(); }

ArchivoEnMemoria::ArchivoEnMemoria(ArchivoEnMemoria&& o) noexcept
    : datos_(std::exchange(o.datos_, nullptr)), tamano_(std::exchange(o.tamano_, 0)) {}

ArchivoEnMemoria& ArchivoEnMemoria::operator=(ArchivoEnMemoria&& o) noexcept {
    if (this != &o) {
        libera();
        datos_ = std::exchange(o.datos_, nullptr);
        tamano_ = std::exchange(o.tamano_, 0);
    }
    return *this;
}

void ArchivoEnMemoria::libera() {
    std::free(datos_);
    datos_ = nullptr;
    tamano_ = 0;
}

bool ArchivoEnMemoria::lee(const QString& ruta) {
    libera();
    // A plain file, never through a link planted in the office's folders.
    QFile f(ruta);
    if (!fs::abreLectura(f))
        return false;
    const qint64 tamano = f.size();
    char* p = reserva(tamano);
    if (!p)
        return false;
    qint64 leidos = 0;
    while (leidos < tamano) {
        const qint64 r = f.read(p + leidos, tamano - leidos);
        if (r <= 0)
            break;
        leidos += r;
    }
    // A file that changed size while read is taken as far as it was read.
    if (leidos < tamano && f.error() != QFileDevice::NoError) {
        std::free(p);
        return false;
    }
    datos_ = p;
    tamano_ = leidos;
    return true;
}

} // namespace korva

#pragma once

#include <QString>
#include <cstddef>

namespace korva {

// A whole file read into one buffer. Where the system offers large pages the
// buffer asks for them: a file of many megabytes is then read without
// thousands of page faults, which is most of the time of opening it.
class ArchivoEnMemoria {
public:
    ArchivoEnMemoria() = default;
    ~ArchivoEnMemoria();
    ArchivoEnMemoria(const ArchivoEnMemoria&) = delete;
    ArchivoEnMemoria& operator=(const ArchivoEnMemoria&) = delete;
    ArchivoEnMemoria(ArchivoEnMemoria&& o) noexcept;
    ArchivoEnMemoria& operator=(ArchivoEnMemoria&& o) noexcept;

    // False when the file cannot be read whole; the buffer is then empty.
    bool lee(const QString& ruta);
    void libera();

    const char* datos() const { return datos_; }
    qint64 tamano() const { return tamano_; }

private:
    char* datos_ = nullptr;
    qint64 tamano_ = 0;
};

} // namespace korva

#pragma once

#include <QString>
#include <memory>

class QLockFile;

namespace korva {

// One KORVAVal per patent of a program folder: the running instance holds
// odbc<n>.lock beside the configuration file. A crashed instance leaves no
// stale lock: the file names its process, and a lock whose process is gone
// is taken over.
class CandadoPatente {
public:
    CandadoPatente();
    ~CandadoPatente();

    // False when another running instance holds that patent, or the
    // program folder refuses the lock file (deOtraVentana() tells which).
    bool toma(const QString& carpetaPrograma, int posicion);
    void suelta();
    bool tomado() const;
    bool deOtraVentana() const { return deOtraVentana_; }

    // Whether another running instance holds the patent at that position.
    static bool ocupada(const QString& carpetaPrograma, int posicion);

private:
    std::unique_ptr<QLockFile> lock_;
    bool deOtraVentana_ = false;
};

// Held while a selection window changes the patents list (usuarios.lock):
// reading the list, finishing an interrupted move and writing it back are
// one step for every window of the program folder.
class CandadoLista {
public:
    explicit CandadoLista(const QString& carpetaPrograma);
    ~CandadoLista();
    bool tomado() const;
    // Not taken because another window holds it; otherwise the program
    // folder refused the lock file (read-only, full).
    bool deOtraVentana() const;

private:
    std::unique_ptr<QLockFile> lock_;
};

} // namespace korva

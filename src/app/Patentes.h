#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace korva {

class CandadoLista;
class Dialogos;

// The patents list usuarios.dat and the configuration files that follow it:
// the state and actions behind the patent selection window.
//
// Reordering and deleting move configuration files. They run from a journal
// (usuarios.mov: the new list, then the file moves still to do) so that a
// stop half-way is finished on the next start instead of losing a file or
// leaving a configuration under another patent's position. Every change
// reads the list afresh under the list lock (CandadoLista), so two selection
// windows open together never write over each other's change.
class Patentes {
public:
    static constexpr int kMaximo = 256; // the position is one byte
    static constexpr int kLargoClave = 15;
    static constexpr int kAlturaCerrada = 1620;
    static constexpr int kAlturaPrimera = 2925;
    static constexpr int kAlturaCrear = 2910;

    Patentes(Dialogos& dlg, QString carpeta);

    // Load of the window: finishes an interrupted move, then reads the list.
    void carga();

    const QStringList& claves() const { return claves_; }
    int seleccion() const { return seleccion_; }
    void selecciona(int i); // the user picks an entry
    bool PatenteCambiada = false;

    int altura() const { return altura_; }
    bool expandido() const { return altura_ != kAlturaCerrada; }
    bool botonesHabilitados() const { return botones_; } // Entrar, Crear, Eliminar
    bool aceptarHabilitado() const { return aceptar_; }
    const QString& TxtPatente() const { return clave_; }
    void editaClave(const QString& texto); // typing in the key box

    // "&Entrar": the position to open the main window with, or -1 (refused).
    // Only positions a configuration file can have are handed over.
    int entrar();
    // False when entering must stop: the list changed in another window (it
    // is shown afresh) or could not be read. A reorder that cannot be made
    // (a file missing, a patent open elsewhere) lets entering go on.
    bool ReordenaPatentes();
    void crear();    // "C&rear Patente"
    bool aceptar();  // "&Aceptar": true when the patent was created
    void eliminar(); // "E&liminar Patente" (asks first)

    // Whether another running instance holds a position; such a patent's
    // configuration file must not be moved under it.
    std::function<bool(int)> ocupada;

    QString rutaUsuarios() const;
    QString rutaConfiguracion(int i) const;

    struct Movimiento {
        char tipo; // 'M' rename from -> to, 'D' delete from
        int de;
        int a;
    };
    // The journal as read back: the new list and the moves still to do.
    struct Diario {
        QStringList claves;
        QList<Movimiento> pasos;
    };
    // Reads usuarios.mov. Only what the program writes is accepted: the
    // count of keys, then "M de a" or "D de -1" with every position inside
    // the new list or the spare place just past it.
    static std::optional<Diario> leeDiario(const QStringList& lineas);

    // A temporary younger than this may belong to a write still running.
    static constexpr qint64 kEdadTemporal = 600;

private:
    QString apartaSuelto(int posicion);
    void quitaTemporales();
    bool escribeUsuarios(const QStringList& claves);
    bool ejecuta(const QStringList& nuevas, QList<Movimiento> pasos);
    bool escribeDiario(const QStringList& nuevas, const QList<Movimiento>& pasos);
    bool recupera();
    bool abreLista(const CandadoLista& candado, QStringList& actual);
    bool sigueIgual(const QStringList& actual);
    bool movimientosPosibles(const Diario& d) const;

    Dialogos& dlg_;
    QString carpeta_;
    QStringList claves_;
    int seleccion_ = -1;
    int altura_ = kAlturaCerrada;
    bool botones_ = true;
    bool aceptar_ = false;
    QString clave_;
};

} // namespace korva

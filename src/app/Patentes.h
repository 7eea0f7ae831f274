#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace korva {

class Dialogs;

// The patents list usuarios.dat and the configuration files that follow it:
// the state and actions behind the patent selection window.
//
// Reordering and deleting move configuration files. They run from a journal
// (usuarios.mov: the new list, then the file moves still to do) so that a
// stop half-way is finished on the next start instead of losing a file or
// leaving a configuration under another patent's position.
class Patentes {
public:
    static constexpr int kMaximo = 256; // the position is one byte
    static constexpr int kLargoClave = 15;
    static constexpr int kAlturaCerrada = 1620;
    static constexpr int kAlturaPrimera = 2925;
    static constexpr int kAlturaCrear = 2910;

    Patentes(Dialogs& dlg, QString carpeta);

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
    int entrar();
    void ReordenaPatentes();
    void crear();    // "C&rear Patente"
    bool aceptar();  // "&Aceptar": true when the patent was created
    void eliminar(); // "E&liminar Patente" (asks first)

    // Whether another running instance holds a position; such a patent's
    // configuration file must not be moved under it.
    std::function<bool(int)> ocupada;

    QString rutaUsuarios() const;
    QString rutaConfiguracion(int i) const;

private:
    struct Movimiento {
        char tipo; // 'M' rename from -> to, 'D' delete from
        int de;
        int a;
    };
    bool escribeUsuarios(const QStringList& claves);
    bool ejecuta(const QStringList& nuevas, QList<Movimiento> pasos);
    bool escribeDiario(const QStringList& nuevas, const QList<Movimiento>& pasos);
    void recupera();

    Dialogs& dlg_;
    QString carpeta_;
    QStringList claves_;
    int seleccion_ = -1;
    int altura_ = kAlturaCerrada;
    bool botones_ = true;
    bool aceptar_ = false;
    QString clave_;
};

} // namespace korva

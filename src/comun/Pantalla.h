#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>

namespace korva {

inline const QString kTituloVentana = QStringLiteral("KORVA Centro de Prevalidación");

// Lists of the main window: the four day lists the broker watches and the
// notices.
enum class Lista { Enviados, Recibidos, Pendientes, Rechazados, Mensajes, Cuenta_ };

// Labels and one-line texts of the main window.
enum class Etiqueta {
    Evento,
    Titulo,
    Fecha,
    DiaJuliano,
    Hora,
    Patente,
    Despliega,
    AvisoParticular,
    LocalName,
    LocalAddress,
    Minutos, // the period editor's boxes
    Segundos,
    Cuenta_
};

// Colours of the notice line: notices beginning with "**" stand out in red
// on the window background, the others are dark blue on the button face.
enum class ColorAviso { Azul, Rojo };

// The day's display: the lists, the labels and the status line, the
// progress bar, the notice line's turn and colour. Written by the
// procedures that report; the windows show it.
class Pantalla : public QObject {
    Q_OBJECT
public:
    Pantalla();

    const QStringList& lista(Lista l) const { return listas_.at(static_cast<int>(l)); }
    void setLista(Lista l, const QStringList& items);
    void agrega(Lista l, const QString& item);
    void vacia(Lista l) { setLista(l, {}); }

    const QString& etiqueta(Etiqueta e) const { return etiquetas_.at(static_cast<int>(e)); }
    void setEtiqueta(Etiqueta e, const QString& texto);
    // The status line: replaced whole, no history.
    const QString& evento() const { return etiqueta(Etiqueta::Evento); }
    void setEvento(const QString& texto) { setEtiqueta(Etiqueta::Evento, texto); }

    // The progress bar (0 to 100); fractional as the countdown steps it.
    float progreso() const { return progreso_; }
    void setProgreso(float v);

    // Notice now on the notice line; 0 when the window loads.
    int IndiceAviso() const { return IndiceAviso_; }
    void setIndiceAviso(int i) { IndiceAviso_ = i; }
    ColorAviso colorAviso() const { return colorAviso_; }
    void setColorAviso(ColorAviso c);

    // LstPendientes holds files (tool-tip background) or the placeholder
    // (window background).
    bool pendientesConArchivos() const { return pendientesConArchivos_; }
    void setPendientesConArchivos(bool a) { pendientesConArchivos_ = a; }

    // The page of the tab control the window must show.
    void muestraPagina(int indice) { emit paginaSolicitada(indice); }
    // The newest line of each day list in view.
    void seleccionaUltimos() { emit ultimosSolicitados(); }

signals:
    void listaCambiada(korva::Lista l);
    void etiquetaCambiada(korva::Etiqueta e);
    void progresoCambiado(float v);
    void colorAvisoCambiado();
    void paginaSolicitada(int indice);
    void ultimosSolicitados();

private:
    std::array<QStringList, static_cast<int>(Lista::Cuenta_)> listas_;
    std::array<QString, static_cast<int>(Etiqueta::Cuenta_)> etiquetas_;
    float progreso_ = 0;
    int IndiceAviso_ = 0;
    ColorAviso colorAviso_ = ColorAviso::Azul;
    bool pendientesConArchivos_ = false;
};

} // namespace korva

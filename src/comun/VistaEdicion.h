#pragma once

#include <QObject>
#include <QString>

namespace korva {

enum class Panel { Ninguno, Servidor, Firma, Rutas };
enum class OpcionServidor { Ninguna, Primario, Secundario };

// The configuration page's editing view: edit mode, the open panel, the
// server option and whether it may be chosen, the service toggle. Written by
// the configuration editing; the page and the main window follow it.
class VistaEdicion : public QObject {
    Q_OBJECT
public:
    // Edit mode: the menu entry reads "&Cerrar Edición" while it is on.
    bool editando() const { return editando_; }
    void setEditando(bool e);
    QString captionConfigurar() const;

    OpcionServidor opcionServidor() const { return servidor_; }
    void setOpcionServidor(OpcionServidor o);
    bool opcionesServidorHabilitadas() const { return opcionesHabilitadas_; }
    void setOpcionesServidorHabilitadas(bool h);

    Panel panel() const { return panel_; }
    void setPanel(Panel p);
    // Slots 0, 2 and 17 and their captions (the service toggle).
    bool servicioVisible() const { return servicioVisible_; }
    void setServicioVisible(bool v);

signals:
    void vistaCambiada();

private:
    bool editando_ = false;
    bool opcionesHabilitadas_ = false;
    bool servicioVisible_ = false;
    OpcionServidor servidor_ = OpcionServidor::Ninguna;
    Panel panel_ = Panel::Ninguno;
};

} // namespace korva

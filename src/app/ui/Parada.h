#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

class QEvent;
class QWidget;

namespace korva {

class Latido;

// The broker's input while long work runs (a cycle, the start): the window
// turns between the work's steps, and everything the broker does is held
// back until the work is over, in the order it was done, except the stop
// buttons (Detener and Salir, by click, mnemonic or key), which act within a
// second: the work is told to give up at once, and the stop itself is done
// as soon as the work has returned.
class Parada final : public QObject {
    Q_OBJECT
public:
    Parada(Latido& latido, QWidget* detener, QWidget* salir, QObject* parent = nullptr);
    ~Parada() override;

    // What the stops do once the work is over.
    std::function<void()> alDetener;
    std::function<void()> alSalir;

    // Input held at the moment (for the tests).
    int retenidos() const { return int(retenidos_.size()); }

protected:
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    enum class Pedido { Ninguno, Detener, Salir };
    Pedido pedidoDe(QObject* o, QEvent* e) const;
    void revisa();

    Latido& latido_;
    QPointer<QWidget> detener_;
    QPointer<QWidget> salir_;
    Pedido pedido_ = Pedido::Ninguno;
    struct Retenido {
        QPointer<QObject> destino;
        std::unique_ptr<QEvent> evento;
    };
    QList<std::shared_ptr<Retenido>> retenidos_;
    QTimer revision_;
};

} // namespace korva

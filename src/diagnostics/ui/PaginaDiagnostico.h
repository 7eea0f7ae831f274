#pragma once

#include <QWidget>
#include <memory>

#include "diagnostics/Diagnostico.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace korva {

struct Contexto;
class Eco;

// The "Con&exión" page of the main window: shows the diagnostics state and
// forwards the clicks of its three buttons. Puts itself in its initial state
// (ReiniciaPruebas) when built.
class PaginaDiagnostico final : public QWidget {
    Q_OBJECT
public:
    PaginaDiagnostico(Contexto& ctx, Eco& eco, QWidget* parent = nullptr);
    // With the context's echo component, or this platform's own when the
    // context has none.
    explicit PaginaDiagnostico(Contexto& ctx, QWidget* parent = nullptr);
    ~PaginaDiagnostico() override;

    Diagnostico& logica() { return *logica_; }

    QPushButton* PingTest() const { return pingTest_; }
    QPushButton* ComdProbar() const { return comdProbar_; }
    QPushButton* CmdPruebas() const { return cmdPruebas_; }
    QLineEdit* HostName() const { return hostName_; }
    QCheckBox* Check1() const { return check1_; }
    QPlainTextEdit* PingOutPut() const { return salida_; }
    QLabel* LblComentario() const { return comentario_; }

private:
    void muestra();
    void muestraSalida();
    void muestraLocales();
    void construye(Eco& eco);

    Contexto& ctx_;
    std::unique_ptr<Eco> propio_;
    Diagnostico* logica_ = nullptr;
    QLineEdit* hostName_;
    QCheckBox* check1_;
    QPlainTextEdit* salida_;
    QLabel* send_;
    QLabel* recv_;
    QLabel* loss_;
    QLabel* resultado_;
    QLabel* comentario_;
    QLabel* localName_;
    QLabel* localAddress_;
    QPushButton* pingTest_;
    QPushButton* comdProbar_;
    QPushButton* cmdPruebas_;
};

} // namespace korva

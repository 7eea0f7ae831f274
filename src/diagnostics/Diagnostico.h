#pragma once

#include <QObject>
#include <QString>
#include <array>

namespace korva {

struct Contexto;
class Eco;

// Colour of LblComentario: dark blue (&HC00000) for normal texts, red for
// failures.
enum class ColorComentario { Azul, Rojo };

// Rating of a link from replies received over requests sent.
QString calificacion(double recibidos, double enviados);

// The diagnostics page: echo tests against the local machine, an external
// host and the centre, single or continuous, with the transcript and the
// rating. The page widget only shows this state and forwards clicks.
class Diagnostico : public QObject {
    Q_OBJECT
public:
    static constexpr int kLimiteTranscripcion = 30000;

    Diagnostico(Contexto& ctx, Eco& eco, QObject* parent = nullptr);

    // --- controls of the page ---------------------------------------------
    QString HostName = QStringLiteral("www.wikipedia.org");
    bool Check1 = true; // "Síncrono"
    const QString& PingOutPut() const { return salida_; }
    const QString& SendLabel() const { return send_; }
    const QString& RecvLabel() const { return recv_; }
    const QString& LossLabel() const { return loss_; }
    const QString& LblResultado() const { return resultado_; }
    const QString& LblComentario() const { return comentario_; }
    ColorComentario colorComentario() const { return color_; }
    QString captionCmdPruebas() const;

    // Enabled state of the three start buttons: a running diagnostic and a
    // started cycle both disable them.
    bool habilitadoPingTest() const;
    bool habilitadoComdProbar() const;
    bool habilitadoCmdPruebas() const;

    // --- procedures -------------------------------------------------------
    void ReiniciaPruebas();
    void PingTest();   // three-stage test
    void ComdProbar(); // one request
    void CmdPruebas(); // starts or ends the continuous test
    void CalificaEnlace();

    Eco& eco() const { return eco_; }

signals:
    void cambiado();              // labels, captions, colours, enabled states
    void transcripcionCambiada(); // PingOutPut

private:
    void alResponder(quint16 secuencia, quint16 bytes, qint32 ms);
    void alEstadisticas();
    void alCambiarCiclo();
    void agrega(const QString& texto);
    void vaciaSalida();
    void comenta(const QString& texto, ColorComentario c);
    void abreEtapa(int e);
    void anota(bool respondio);
    void enviaEnEspera();
    void terminaPrueba();

    Contexto& ctx_;
    Eco& eco_;
    QString salida_;
    QString send_ = QStringLiteral("0");
    QString recv_ = QStringLiteral("0");
    QString loss_ = QStringLiteral("0%");
    QString resultado_;
    QString comentario_;
    ColorComentario color_ = ColorComentario::Azul;
    bool tresEtapas_ = false; // the three-stage test is running
    int etapa_ = 0;           // 0 local, 1 external, 2 centre
    int enviadasEtapa_ = 0;
    int fallas_ = 0;
    std::array<bool, 3> banderas_{};
    bool esperaEco_ = false; // an asynchronous request of the test is out
    bool respondio_ = false;
    bool cicloVisto_ = false;
};

} // namespace korva

#pragma once

// The office the pass benchmarks time: a run's state wired to our client and
// a vsftpd, a send folder of validation files, the responses to every second
// one waiting on the server, and lftp scripts doing the same transfers.

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "ServidorBanco.h"
#include "SinDialogos.h"
#include "comun/Contexto.h"
#include "comun/EstadoPrincipal.h"
#include "platform/Reloj.h"

namespace korva {
class ClienteFtp;
}

namespace korva::banco {

// Best and median of the rounds: the best is what the code costs, the median
// how much the shared machine swayed it.
struct Tiempos {
    std::vector<double> ms;
    int fallos = 0; // rounds that left something other than expected
    double mejor() const;
    double mediana() const;
};

class Oficina {
public:
    // `trabajo`: a folder on the file system to time (see aparta); the
    // account folders REC, ENV and LFTP must exist on `servidor`.
    Oficina(const QString& trabajo, Vsftpd& servidor, ClienteFtp& cliente, int candidatos, int tamano);

    // Writes the files and scripts; false when the folders cannot be made.
    bool prepara();
    // A second send folder with the same candidates and, until it holds
    // `entradas` files, those of the days before, all in its register.
    QString carpetaConDiasViejos(int entradas);

    // One outgoing pass from a clean start (nothing registered but the old
    // days, no Pend or Enviados copies, no log, a new connection): every
    // candidate uploaded, copied, logged and registered.
    void envio(Tiempos& t) { envio(envioChico_, t); }
    void envio(const QString& carpeta, Tiempos& t);
    // One response pass with every candidate pending and nothing received.
    void respuesta(Tiempos& t);
    // lftp: mput of the candidates, and one get per pending file.
    void lftpSube(Tiempos& t);
    void lftpBaja(Tiempos& t);

    int candidatos() const { return candidatos_; }
    int contestadas() const { return contestadas_; }
    Contexto& contexto() { return ctx_; }

private:
    QString trabajo_;
    Vsftpd& servidor_;
    int candidatos_;
    int tamano_;
    int contestadas_ = 0;
    EstadoPrincipal st_;
    bench::SinDialogos dlg_;
    RelojSistema reloj_;
    Contexto ctx_;
    QString envioChico_, recibo_, fuenteLftp_, bajadasLftp_, basura_, guionSube_, guionBaja_;
    QStringList nombres_;
    QStringList viejas_;     // register lines of the old days
    QString registroViejas_; // the folder they belong to
};

} // namespace korva::banco

#include "Oficina.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>

#include "comun/Nombres.h"
#include "comun/Transferencia.h"
#include "cycle/EnvioValidacion.h"
#include "exchange/Respuestas.h"
#include "platform/fs.h"
#include "records/Bitacora.h"

namespace korva::banco {

namespace {

QString nombreValidacion(int folio, int dia) {
    return QStringLiteral("m%1%2.%3")
        .arg(kUsuario.right(4))
        .arg(folio, 3, 10, QLatin1Char('0'))
        .arg(dia, 3, 10, QLatin1Char('0'));
}

template <typename F> double cronometra(F&& f) {
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

} // namespace

double Tiempos::mejor() const { return ms.empty() ? 0 : *std::min_element(ms.begin(), ms.end()); }

double Tiempos::mediana() const {
    std::vector<double> v = ms;
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

Oficina::Oficina(const QString& trabajo, Vsftpd& servidor, ClienteFtp& cliente, int candidatos, int tamano)
    : trabajo_(trabajo), servidor_(servidor), candidatos_(candidatos),
      tamano_(tamano), ctx_{st_, dlg_, reloj_, trabajo} {
    ctx_.ftp = &cliente;
    st_.sesion().setMostrarErrores(false);
    st_.config().setSlot(slot::ServidorActual, QStringLiteral("127.0.0.1"));
    st_.config().setSlot(slot::Puerto, QString::number(servidor.puerto()));
    st_.config().setSlot(slot::Usuario, kUsuario);
    st_.config().setSlot(slot::ContrasenaFtp, kContrasena);
    st_.config().setChk(slot::Pasivo, true);
    st_.config().setChk(slot::EnvioAutomatico, true);
    st_.config().setChk(slot::Firmar, false);
    st_.config().setChk(slot::RutasAdicionales, false);
    st_.config().setSlot(slot::FolioInferior, QStringLiteral("001"));
    st_.config().setSlot(slot::FolioSuperior, QStringLiteral("999"));
    st_.ciclo().setDiaJulianoActual(Get_Juliano(reloj_));
    const QDir d(trabajo);
    envioChico_ = d.filePath(QStringLiteral("envio"));
    recibo_ = d.filePath(QStringLiteral("recibo"));
    fuenteLftp_ = d.filePath(QStringLiteral("fuente-lftp"));
    bajadasLftp_ = d.filePath(QStringLiteral("bajadas-lftp"));
    basura_ = d.filePath(QStringLiteral("basura"));
    guionSube_ = d.filePath(QStringLiteral("sube.lftp"));
    guionBaja_ = d.filePath(QStringLiteral("baja.lftp"));
    st_.config().setSlot(slot::DirRecibo, recibo_);
}

bool Oficina::prepara() {
    for (const QString& d : {envioChico_, recibo_, fuenteLftp_, bajadasLftp_})
        if (!QDir().mkpath(d))
            return false;
    QByteArray datos(tamano_, 'x');
    for (int folio = 1; folio <= candidatos_; ++folio) {
        const QString n = nombreValidacion(folio, st_.ciclo().DiaJulianoActual());
        nombres_ << n;
        datos[0] = char('a' + folio % 26);
        for (const QString& d : {envioChico_, fuenteLftp_})
            if (!escribe(d + QLatin1Char('/') + n, datos))
                return false;
    }
    // Responses to the even folios wait in ENV/.
    QStringList respuestas; // remote names, one per pending file
    for (const QString& n : nombres_)
        respuestas << nombreRespuesta(st_, n);
    contestadas_ = 0;
    for (int i = 1; i < respuestas.size(); i += 2, ++contestadas_)
        if (!escribe(servidor_.ruta(respuestas[i]), datos))
            return false;

    const QString abre = abreLftp(servidor_.puerto(), servidor_.archivoCA());
    QString baja = abre;
    for (const QString& r : respuestas)
        baja += QStringLiteral("get %1 -o %2/%3\n").arg(r, bajadasLftp_, r.section(QLatin1Char('/'), 1));
    return escribe(guionSube_,
                   (abre + QStringLiteral("lcd %1\nmput -O LFTP m*\n").arg(fuenteLftp_)).toUtf8()) &&
           escribe(guionBaja_, baja.toUtf8());
}

QString Oficina::carpetaConDiasViejos(int entradas) {
    const QString carpeta = QDir(trabajo_).filePath(QStringLiteral("envio-dias-viejos"));
    QDir().mkpath(carpeta);
    const int hoy = st_.ciclo().DiaJulianoActual();
    QByteArray datos(tamano_, 'x');
    for (const QString& n : nombres_)
        QFile::copy(envioChico_ + QLatin1Char('/') + n, carpeta + QLatin1Char('/') + n);
    for (int k = 1; (k + 1) * candidatos_ <= entradas; ++k)
        for (int folio = 1; folio <= candidatos_; ++folio)
            escribe(carpeta + QLatin1Char('/') + nombreValidacion(folio, (hoy - k + 364) % 365 + 1), datos);
    viejas_.clear();
    for (const fs::Entrada& e : fs::lista(carpeta))
        if (!nombres_.contains(e.nombre))
            viejas_ << lineaBitacora(e.nombre, e.modificado());
    registroViejas_ = carpeta;
    return carpeta;
}

void Oficina::envio(const QString& carpeta, Tiempos& t) {
    const bool conViejas = carpeta == registroViejas_;
    st_.config().setSlot(slot::DirEnvio, carpeta);
    aparta(carpeta + QStringLiteral("/Pend"), basura_);
    aparta(carpeta + QStringLiteral("/Enviados"), basura_);
    fs::escribeAtomico(rutaRegistro(st_), conViejas ? fs::comoTexto(viejas_) : QByteArray());
    aparta(recibo_, basura_);
    QDir().mkpath(recibo_);
    servidor_.renueva(QStringLiteral("REC"), basura_);
    st_.pantalla().vacia(Lista::Enviados);
    DisconnectFromHost(ctx_);
    t.ms.push_back(cronometra([&] { EnviaArchivosValidacion(ctx_); }));
    const bool bien = cuentaArchivos(servidor_.ruta(QStringLiteral("REC"))) == candidatos_ &&
                      cuentaArchivos(carpeta + QStringLiteral("/Pend")) == candidatos_ &&
                      cuentaArchivos(carpeta + QStringLiteral("/Enviados")) == candidatos_ &&
                      fs::leeLineas(rutaLog(st_), fs::limite::kRegistro).size() == candidatos_ &&
                      fs::leeLineas(rutaRegistro(st_), fs::limite::kRegistro).size() ==
                          (conViejas ? viejas_.size() : 0) + candidatos_;
    t.fallos += !bien;
}

void Oficina::respuesta(Tiempos& t) {
    st_.config().setSlot(slot::DirEnvio, envioChico_);
    const QString pend = envioChico_ + QStringLiteral("/Pend");
    aparta(pend, basura_);
    QDir().mkpath(pend);
    for (const QString& n : nombres_)
        QFile::copy(fuenteLftp_ + QLatin1Char('/') + n, pend + QLatin1Char('/') + n);
    aparta(recibo_, basura_);
    QDir().mkpath(recibo_);
    st_.pantalla().vacia(Lista::Recibidos);
    DisconnectFromHost(ctx_);
    t.ms.push_back(cronometra([&] { BuscaRespuestas(ctx_, refrescaPendientes(ctx_)); }));
    const bool bien = cuentaArchivos(recibo_) == contestadas_ + 1 /* the log */ &&
                      cuentaArchivos(pend) == candidatos_ - contestadas_ &&
                      fs::leeLineas(rutaLog(st_), fs::limite::kRegistro).size() == contestadas_;
    t.fallos += !bien;
}

void Oficina::lftpSube(Tiempos& t) {
    servidor_.renueva(QStringLiteral("LFTP"), basura_);
    t.ms.push_back(lftp(guionSube_));
    t.fallos += cuentaArchivos(servidor_.ruta(QStringLiteral("LFTP"))) != candidatos_;
}

void Oficina::lftpBaja(Tiempos& t) {
    aparta(bajadasLftp_, basura_);
    QDir().mkpath(bajadasLftp_);
    t.ms.push_back(lftp(guionBaja_));
    t.fallos += cuentaArchivos(bajadasLftp_) != contestadas_;
}

} // namespace korva::banco

#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>

namespace korva {

// Slot numbers of the configuration record.
namespace slot {
enum : int {
    ServidorActual = 0,
    Usuario = 1,
    ContrasenaFtp = 2,
    DirEnvio = 3,
    DirRecibo = 4,
    FolioInferior = 5,
    FolioSuperior = 6,
    Puerto = 7,
    ServidorPrimario = 8,
    ServidorSecundario = 9,
    LetrasValidacion = 10,
    LetrasPago = 11,
    Pasivo = 12,
    RutaKey = 13,
    RutaCer = 14,
    ContrasenaKey = 15,
    Firmar = 16,
    CaracteresRegistro500 = 17,
    EnvioAutomatico = 18,
    RutasAdicionales = 19,
    RutasEnvioLocal = 20,
    RutasReciboLocal = 21,
    DepurarArchivos = 22,
    BajarRegistro001 = 23,
    ClavePrevalidador = 24,
};
}

// The additional folders of one direction as the route check accepted them
// and the file-type letters given for them, position by position (a folder
// takes the files of the letter at its position).
enum class Sentido { Envio, Recibo };
struct RutasLocales {
    QStringList carpetas;
    QStringList letras;
    bool operator==(const RutasLocales&) const = default;
};

// The patent's configuration record: the 25 slots, their locks and check
// boxes, the folios the centre unlocked, and where the record stands (the
// patent's position, modified since read or saved, states in which it must
// never be saved), the routes last accepted and the cycle's period. Written
// by the configuration folder only; the windows follow it.
class EstadoConfiguracion : public QObject {
    Q_OBJECT
public:
    static constexpr int kSlots = 25;
    // Slots that have a check box mirroring them.
    static constexpr std::array<int, 6> kSlotsBandera = {slot::Pasivo,          slot::Firmar,
                                                         slot::EnvioAutomatico, slot::RutasAdicionales,
                                                         slot::DepurarArchivos, slot::BajarRegistro001};

    EstadoConfiguracion();

    const QString& TxtConfiguration(int n) const { return slots_.at(n); }
    // Any change of a slot's text marks the configuration as modified.
    void setSlot(int n, const QString& texto);
    void restableceSlots(); // every slot back to its default text

    bool bloqueado(int n) const { return bloqueado_.at(n); }
    void setBloqueado(int n, bool b);

    // The check box of a flag slot (value 1 ticked, 0 clear).
    bool chk(int slotBandera) const;
    void setChk(int slotBandera, bool marcado);

    // Last four characters of slot 1 (the whole slot when shorter).
    QString patente() const;

    // Slots 5 and 6 unlocked by the centre's authorization, waiting to be
    // saved; the folio menu entry's caption follows it.
    bool foliosAutorizados() const { return foliosAutorizados_; }
    void setFoliosAutorizados(bool a);
    QString captionFolios() const;

    // The patent's position in the list: its file is odbc<n>.reg.
    quint8 IndicePatente() const { return IndicePatente_; }
    void setIndicePatente(quint8 n) { IndicePatente_ = n; }
    bool ConfiguracionModificada() const { return ConfiguracionModificada_; }
    void setConfiguracionModificada(bool m) { ConfiguracionModificada_ = m; }
    // The patent's configuration file is there but could not be read: the
    // record holds defaults, which must never be saved over the real one.
    bool configuracionNoLeida() const { return configuracionNoLeida_; }
    void setConfiguracionNoLeida(bool n) { configuracionNoLeida_ = n; }
    // A restore replaced the configuration files: the record in memory is
    // the one they replaced, and is never saved.
    bool configuracionRecuperada() const { return configuracionRecuperada_; }
    void setConfiguracionRecuperada(bool r) { configuracionRecuperada_ = r; }
    // Edit mode was closed at least once this run.
    bool edicionCerradaAlgunaVez() const { return edicionCerradaAlgunaVez_; }
    void setEdicionCerradaAlgunaVez(bool c) { edicionCerradaAlgunaVez_ = c; }
    // What the last route check of each direction accepted: the passes and
    // the midnight purge work on these until the next check.
    const RutasLocales& rutas(Sentido s) const { return rutas_.at(static_cast<int>(s)); }
    void setRutas(Sentido s, RutasLocales r) { rutas_.at(static_cast<int>(s)) = std::move(r); }
    // Seconds between cycles, as the period editor set them (not part of
    // the file: every run begins at 30).
    int periodo() const { return periodo_; }
    void setPeriodo(int segundos) { periodo_ = segundos; }

signals:
    void slotCambiado(int n);
    void bloqueoCambiado();
    void chkCambiado(int slotBandera);
    void foliosCambiado();

private:
    std::array<QString, kSlots> slots_;
    std::array<bool, kSlots> bloqueado_{};
    std::array<bool, kSlots> chk_{};
    bool foliosAutorizados_ = false;
    quint8 IndicePatente_ = 0;
    bool ConfiguracionModificada_ = false;
    bool configuracionNoLeida_ = false;
    bool configuracionRecuperada_ = false;
    bool edicionCerradaAlgunaVez_ = false;
    std::array<RutasLocales, 2> rutas_;
    int periodo_ = 30;
};

} // namespace korva

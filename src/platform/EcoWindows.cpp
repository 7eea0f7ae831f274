#include "platform/Eco.h"

#ifdef Q_OS_WIN

#include <QHostAddress>
#include <QHostInfo>
#include <QtEndian>

// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <icmpapi.h>
// clang-format on

namespace korva {
namespace {

// Windows sends echoes through the ICMP helper, which needs no privilege.
class EcoWindows final : public Eco {
protected:
    Resultado eco(const QString& direccion, quint16, int esperaMs) override {
        Resultado r;
        const QHostAddress a(direccion);
        const IPAddr destino = qToBigEndian(quint32(a.toIPv4Address()));
        HANDLE h = IcmpCreateFile();
        if (h == INVALID_HANDLE_VALUE)
            return r;
        char datos[kBytes];
        for (int i = 0; i < kBytes; ++i)
            datos[i] = char('a' + i % 23);
        char respuesta[sizeof(ICMP_ECHO_REPLY) + kBytes + 8 + 64];
        const DWORD n = IcmpSendEcho(h, destino, datos, WORD(kBytes), nullptr, respuesta,
                                     DWORD(sizeof respuesta), DWORD(esperaMs));
        if (n > 0) {
            const auto* eco = reinterpret_cast<const ICMP_ECHO_REPLY*>(respuesta);
            if (eco->Status == IP_SUCCESS) {
                r.ok = true;
                r.bytes = quint16(eco->DataSize);
                r.ms = qint32(eco->RoundTripTime);
            }
        }
        IcmpCloseHandle(h);
        return r;
    }
};

} // namespace

std::unique_ptr<Eco> creaEcoSistema() { return std::make_unique<EcoWindows>(); }

} // namespace korva

#endif

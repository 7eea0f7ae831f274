#include "platform/Eco.h"

#ifndef Q_OS_WIN

#include <QElapsedTimer>
#include <QHostAddress>
#include <QHostInfo>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace korva {
namespace {

constexpr int kCabecera = 8; // ICMP echo header: type, code, checksum, id, sequence

quint16 sumaVerificacion(const unsigned char* p, int n) {
    quint32 s = 0;
    for (int i = 0; i + 1 < n; i += 2)
        s += quint32(p[i]) << 8 | p[i + 1];
    if (n % 2)
        s += quint32(p[n - 1]) << 8;
    while (s >> 16)
        s = (s & 0xffff) + (s >> 16);
    return quint16(~s);
}

// The kind of socket the machine lets this process open: the datagram kind
// needs the group in net.ipv4.ping_group_range, the raw kind CAP_NET_RAW.
struct Socket {
    int fd = -1;
    bool crudo = false;
    explicit Socket(int tipo) {
#ifdef SOCK_CLOEXEC
        fd = ::socket(AF_INET, tipo | SOCK_CLOEXEC, IPPROTO_ICMP);
#else
        fd = ::socket(AF_INET, tipo, IPPROTO_ICMP);
#endif
        crudo = tipo == SOCK_RAW;
    }
    ~Socket() {
        if (fd >= 0)
            ::close(fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
};

std::unique_ptr<Socket> abreSocket() {
    auto s = std::make_unique<Socket>(SOCK_DGRAM);
    if (s->fd >= 0)
        return s;
    s = std::make_unique<Socket>(SOCK_RAW);
    if (s->fd >= 0)
        return s;
    return nullptr;
}

class EcoIcmp final : public Eco {
public:
    QString impedimento() const override {
        if (abreSocket())
            return {};
        return QStringLiteral(
            "El sistema no permite enviar ecos ICMP a este programa: se necesita que su grupo "
            "esté en net.ipv4.ping_group_range o el permiso CAP_NET_RAW.");
    }

protected:
    Resultado eco(const QString& direccion, quint16 secuencia, int esperaMs) override {
        Resultado r;
        auto s = abreSocket();
        if (!s)
            return r;
        sockaddr_in destino{};
        destino.sin_family = AF_INET;
        if (::inet_pton(AF_INET, direccion.toLatin1().constData(), &destino.sin_addr) != 1)
            return r;

        const quint16 id = quint16(::getpid());
        unsigned char paquete[kCabecera + kBytes] = {};
        paquete[0] = 8; // echo request
        paquete[4] = id >> 8;
        paquete[5] = id & 0xff;
        paquete[6] = secuencia >> 8;
        paquete[7] = secuencia & 0xff;
        for (int i = 0; i < kBytes; ++i)
            paquete[kCabecera + i] = static_cast<unsigned char>('a' + i % 23);
        const quint16 suma = sumaVerificacion(paquete, sizeof paquete);
        paquete[2] = suma >> 8;
        paquete[3] = suma & 0xff;

        QElapsedTimer reloj;
        reloj.start();
        if (::sendto(s->fd, paquete, sizeof paquete, 0, reinterpret_cast<sockaddr*>(&destino),
                     sizeof destino) < 0)
            return r;
        for (;;) {
            const qint64 resta = esperaMs - reloj.elapsed();
            if (resta <= 0)
                return r;
            pollfd p{s->fd, POLLIN, 0};
            const int n = ::poll(&p, 1, int(resta));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return r;
            unsigned char buf[1500];
            sockaddr_in origen{};
            socklen_t largo = sizeof origen;
            const ssize_t leidos =
                ::recvfrom(s->fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&origen), &largo);
            if (leidos < 0)
                continue;
            int inicio = 0;
            if (s->crudo) { // the raw kind hands the IP header too
                if (leidos < 20)
                    continue;
                inicio = (buf[0] & 0x0f) * 4;
            }
            const int icmp = int(leidos) - inicio;
            if (icmp < kCabecera || origen.sin_addr.s_addr != destino.sin_addr.s_addr)
                continue;
            const unsigned char* h = buf + inicio;
            const quint16 seq = quint16(h[6] << 8 | h[7]);
            const quint16 idResp = quint16(h[4] << 8 | h[5]);
            // The datagram kind gets its own identifier from the kernel.
            if (h[0] != 0 || seq != secuencia || (s->crudo && idResp != id))
                continue;
            r.ok = true;
            r.bytes = quint16(icmp - kCabecera);
            r.ms = qint32(reloj.elapsed());
            return r;
        }
    }
};

} // namespace

std::unique_ptr<Eco> creaEcoSistema() { return std::make_unique<EcoIcmp>(); }

} // namespace korva

#endif

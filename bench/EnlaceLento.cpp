#include "EnlaceLento.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <linux/netfilter.h>
#include <linux/netfilter/nfnetlink.h>
#include <linux/netfilter/nfnetlink_queue.h>
#include <linux/netlink.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace korva::banco {

namespace {

constexpr int kCola = 0; // queue number of the NFQUEUE rule

bool ejecuta(const char* orden) { return std::system(orden) == 0; }

bool subeLoopback() {
    const int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (s < 0)
        return false;
    ifreq ifr{};
    std::strncpy(ifr.ifr_name, "lo", IFNAMSIZ - 1);
    bool ok = ioctl(s, SIOCGIFFLAGS, &ifr) == 0;
    ifr.ifr_flags |= IFF_UP | IFF_RUNNING;
    ok = ok && ioctl(s, SIOCSIFFLAGS, &ifr) == 0;
    close(s);
    return ok;
}

// One nfnetlink message of the queue subsystem, built attribute by attribute.
struct Mensaje {
    alignas(nlmsghdr) char datos[256] = {};
    nlmsghdr* h = reinterpret_cast<nlmsghdr*>(datos);

    Mensaje(int tipo, int flags) {
        h->nlmsg_len = NLMSG_LENGTH(sizeof(nfgenmsg));
        h->nlmsg_type = (NFNL_SUBSYS_QUEUE << 8) | tipo;
        h->nlmsg_flags = NLM_F_REQUEST | flags;
        auto* g = static_cast<nfgenmsg*>(NLMSG_DATA(h));
        g->nfgen_family = AF_UNSPEC;
        g->version = NFNETLINK_V0;
        g->res_id = htons(kCola);
    }
    void atributo(int tipo, const void* valor, size_t n) {
        auto* a = reinterpret_cast<nlattr*>(datos + NLMSG_ALIGN(h->nlmsg_len));
        a->nla_type = tipo;
        a->nla_len = NLA_HDRLEN + n;
        std::memcpy(reinterpret_cast<char*>(a) + NLA_HDRLEN, valor, n);
        h->nlmsg_len = NLMSG_ALIGN(h->nlmsg_len) + NLA_ALIGN(a->nla_len);
    }
};

// Sends a configuration message and waits for the kernel's acknowledgement.
bool configura(int fd, Mensaje& m) {
    if (send(fd, m.datos, m.h->nlmsg_len, 0) < 0)
        return false;
    alignas(nlmsghdr) char r[1024];
    const ssize_t n = recv(fd, r, sizeof r, 0);
    if (n < 0)
        return false;
    auto* h = reinterpret_cast<nlmsghdr*>(r);
    if (!NLMSG_OK(h, size_t(n)) || h->nlmsg_type != NLMSG_ERROR)
        return false;
    return static_cast<nlmsgerr*>(NLMSG_DATA(h))->error == 0;
}

int abreCola() {
    const int fd = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_NETFILTER);
    if (fd < 0)
        return -1;
    sockaddr_nl sa{};
    sa.nl_family = AF_NETLINK;
    const int grande = 16 << 20;
    const int uno = 1;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &grande, sizeof grande);
    setsockopt(fd, SOL_NETLINK, NETLINK_NO_ENOBUFS, &uno, sizeof uno);
    if (bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        close(fd);
        return -1;
    }
    Mensaje liga(NFQNL_MSG_CONFIG, NLM_F_ACK);
    nfqnl_msg_config_cmd cmd{};
    cmd.command = NFQNL_CFG_CMD_BIND;
    cmd.pf = htons(AF_INET);
    liga.atributo(NFQA_CFG_CMD, &cmd, sizeof cmd);
    // Only the packet's id comes up: the payload stays in the kernel.
    Mensaje modo(NFQNL_MSG_CONFIG, NLM_F_ACK);
    nfqnl_msg_config_params p{};
    p.copy_range = htonl(0);
    p.copy_mode = NFQNL_COPY_META;
    modo.atributo(NFQA_CFG_PARAMS, &p, sizeof p);
    const uint32_t largo = htonl(1 << 16);
    modo.atributo(NFQA_CFG_QUEUE_MAXLEN, &largo, sizeof largo);
    if (!configura(fd, liga) || !configura(fd, modo)) {
        close(fd);
        return -1;
    }
    return fd;
}

using Monotono = std::chrono::steady_clock;

// Holds each packet `retardo` and then accepts it. Every packet waits the
// same time, so they leave in the order they came: one batch verdict lets go
// of every packet up to the newest one due.
[[noreturn]] void retiene(int fd, std::chrono::microseconds retardo) {
    struct Retenido {
        uint32_t id;
        Monotono::time_point sale;
    };
    std::deque<Retenido> cola;
    alignas(nlmsghdr) static char buf[1 << 16];
    for (;;) {
        timespec espera{1, 0};
        if (!cola.empty()) {
            const auto falta = std::max(Monotono::duration::zero(), cola.front().sale - Monotono::now());
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(falta).count();
            espera = {time_t(ns / 1000000000), long(ns % 1000000000)};
        }
        pollfd pf{fd, POLLIN, 0};
        ppoll(&pf, 1, &espera, nullptr);
        for (;;) {
            const ssize_t n = recv(fd, buf, sizeof buf, MSG_DONTWAIT);
            if (n <= 0)
                break;
            const auto llegada = Monotono::now();
            int resto = int(n);
            for (auto* h = reinterpret_cast<nlmsghdr*>(buf); NLMSG_OK(h, resto); h = NLMSG_NEXT(h, resto)) {
                if (h->nlmsg_type != ((NFNL_SUBSYS_QUEUE << 8) | NFQNL_MSG_PACKET))
                    continue;
                const int cabecera = NLMSG_ALIGN(sizeof(nfgenmsg));
                auto* a = reinterpret_cast<nlattr*>(static_cast<char*>(NLMSG_DATA(h)) + cabecera);
                int resta = int(h->nlmsg_len) - NLMSG_HDRLEN - cabecera;
                while (resta >= int(NLA_HDRLEN) && a->nla_len >= NLA_HDRLEN && int(a->nla_len) <= resta) {
                    if ((a->nla_type & NLA_TYPE_MASK) == NFQA_PACKET_HDR) {
                        nfqnl_msg_packet_hdr ph;
                        std::memcpy(&ph, reinterpret_cast<char*>(a) + NLA_HDRLEN, sizeof ph);
                        cola.push_back({ntohl(ph.packet_id), llegada + retardo});
                        break;
                    }
                    resta -= NLA_ALIGN(a->nla_len);
                    a = reinterpret_cast<nlattr*>(reinterpret_cast<char*>(a) + NLA_ALIGN(a->nla_len));
                }
            }
        }
        const auto ahora = Monotono::now();
        uint32_t ultimo = 0;
        bool alguno = false;
        while (!cola.empty() && cola.front().sale <= ahora) {
            ultimo = cola.front().id;
            alguno = true;
            cola.pop_front();
        }
        if (alguno) {
            Mensaje v(NFQNL_MSG_VERDICT_BATCH, 0);
            nfqnl_msg_verdict_hdr vh{htonl(NF_ACCEPT), htonl(ultimo)};
            v.atributo(NFQA_VERDICT_HDR, &vh, sizeof vh);
            send(fd, v.datos, v.h->nlmsg_len, 0);
        }
    }
}

// Starts the holding process and sends loopback traffic through it.
bool colaEnEspacioDeUsuario(int retardoMs, Enlace& e) {
    int listo[2];
    if (pipe(listo) != 0)
        return false;
    const pid_t padre = getpid();
    const pid_t hijo = fork();
    if (hijo < 0)
        return false;
    if (hijo == 0) {
        close(listo[0]);
        prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlives the benchmark
        if (getppid() != padre)
            _exit(1);
        const int fd = abreCola();
        const char r = fd >= 0 ? 'y' : 'n';
        if (write(listo[1], &r, 1) != 1 || fd < 0)
            _exit(1);
        close(listo[1]);
        retiene(fd, std::chrono::milliseconds(retardoMs));
    }
    close(listo[1]);
    char r = 'n';
    const bool arrancado = read(listo[0], &r, 1) == 1 && r == 'y';
    close(listo[0]);
    if (!arrancado) {
        std::snprintf(e.error, sizeof e.error, "cannot bind a netfilter queue (NFQUEUE)");
        return false;
    }
    char orden[160];
    std::snprintf(orden, sizeof orden, "iptables -w -A OUTPUT -o lo -j NFQUEUE --queue-num %d", kCola);
    if (!ejecuta(orden)) {
        std::snprintf(e.error, sizeof e.error,
                      "no netem and no iptables NFQUEUE rule (apt-get install iptables)");
        return false;
    }
    return true;
}

} // namespace

Enlace entraEnEnlaceLento(int retardoMs) {
    Enlace e;
    if (geteuid() != 0) {
        std::snprintf(e.error, sizeof e.error, "run as root (a network namespace needs it)");
        return e;
    }
    if (unshare(CLONE_NEWNET) != 0) {
        std::snprintf(e.error, sizeof e.error, "unshare(CLONE_NEWNET): %s", std::strerror(errno));
        return e;
    }
    if (!subeLoopback()) {
        std::snprintf(e.error, sizeof e.error, "cannot bring up the namespace's loopback");
        return e;
    }
    char orden[160];
    std::snprintf(orden, sizeof orden, "tc qdisc add dev lo root netem delay %dms 2>/dev/null", retardoMs);
    if (ejecuta(orden)) {
        e.medio = "netem on the namespace's loopback";
    } else if (colaEnEspacioDeUsuario(retardoMs, e)) {
        e.medio = "no netem in this kernel: loopback packets held in user space (NFQUEUE)";
    } else {
        return e;
    }
    e.listo = true;
    return e;
}

double idaYVueltaMs() {
    const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t n = sizeof a;
    if (s < 0 || bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(s, 8) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &n) != 0) {
        if (s >= 0)
            close(s);
        return -1;
    }
    double mejor = -1;
    for (int i = 0; i < 5; ++i) {
        const int c = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const auto t0 = Monotono::now();
        const bool ok = c >= 0 && connect(c, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        const double ms = std::chrono::duration<double, std::milli>(Monotono::now() - t0).count();
        if (ok && (mejor < 0 || ms < mejor))
            mejor = ms;
        if (c >= 0)
            close(c);
        const int aceptada = accept(s, nullptr, nullptr);
        if (aceptada >= 0)
            close(aceptada);
    }
    close(s);
    return mejor;
}

} // namespace korva::banco

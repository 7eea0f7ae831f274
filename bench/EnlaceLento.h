#pragma once

// A link with real latency for the benchmarks: this process moves into a
// network namespace of its own whose loopback holds every packet for a
// while, so the servers and clients it starts afterwards (vsftpd, lftp, the
// simulated centre, our client) talk over 127.0.0.1 as over a slow line.
// Nothing outside the namespace changes, and it goes with the process.
//
//     int main(int argc, char** argv) {
//         const auto enlace = korva::banco::entraEnEnlaceLento(25); // first, before any thread
//         if (!enlace.listo) { ... enlace.error ...; return 2; }
//         QCoreApplication app(argc, argv);
//         ... std::printf("%s, round trip %.1f ms\n", enlace.medio, korva::banco::idaYVueltaMs());

namespace korva::banco {

struct Enlace {
    bool listo = false;
    const char* medio = ""; // how the packets are held
    char error[256] = {};
};

// Root only. `retardoMs` each way: a round trip takes twice as long. The
// kernel's netem queue when it has one, otherwise a helper process that
// receives every loopback packet through an NFQUEUE rule (iptables) and lets
// it go `retardoMs` later. Must run before the process starts a thread: the
// namespace is entered by this thread only.
Enlace entraEnEnlaceLento(int retardoMs);

// The time a TCP connection to 127.0.0.1 takes to open (one round trip),
// best of a few, in milliseconds; negative when it cannot be measured.
double idaYVueltaMs();

} // namespace korva::banco

// Runs a command on a line with real latency (EnlaceLento.h): in a network
// namespace of its own whose loopback holds every packet the given time each
// way. Everything the command starts shares the line; nothing outside it
// changes.
//
//     sudo build/korvabench-enlace [ms each way, default 25] -- COMMAND [ARGS...]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "EnlaceLento.h"

int main(int argc, char** argv) {
    int retardo = 25;
    int i = 1;
    if (i < argc && std::strcmp(argv[i], "--") != 0)
        retardo = std::atoi(argv[i++]);
    if (i < argc && std::strcmp(argv[i], "--") == 0)
        ++i;
    if (i >= argc || retardo <= 0) {
        std::fprintf(stderr, "usage: korvabench-enlace [ms each way] -- COMMAND [ARGS...]\n");
        return 2;
    }
    const korva::banco::Enlace e = korva::banco::entraEnEnlaceLento(retardo);
    if (!e.listo) {
        std::fprintf(stderr, "korvabench-enlace: %s\n", e.error);
        return 2;
    }
    std::fprintf(stderr, "korvabench-enlace: %s; TCP connect %.1f ms\n", e.medio,
                 korva::banco::idaYVueltaMs());
    execvp(argv[i], argv + i);
    std::fprintf(stderr, "korvabench-enlace: cannot run %s\n", argv[i]);
    return 2;
}

// Linked into every benchmark. SDL turns SIGINT and SIGTERM into a quit event
// when their handlers are still the default ones as it starts, and a
// benchmark reads no events, so it would run on. A handler of ours, in place
// before main, makes SDL leave both alone, and either signal ends the
// benchmark with the signal's usual status.
#include <csignal>

namespace {

void endBySignal(int signal) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

struct EndOnSignal {
    EndOnSignal() {
        std::signal(SIGINT, endBySignal);
        std::signal(SIGTERM, endBySignal);
    }
} endOnSignal;

} // namespace

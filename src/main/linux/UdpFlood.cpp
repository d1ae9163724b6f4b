// udp-flood: sends a server forged datagrams at a steady rate, as an attacker
// who has read nothing would (a test tool): junk bytes, connect requests,
// Confirms or data under guessed identifiers and secrets, or the four in turn
// (mixed). As root, toward a loopback address, it sends through a raw socket,
// each datagram from a fresh address of 127.0.0.0/8 and a fresh port (with
// --sources N from N fixed ones in turn, 127.1.0.1:40000 and up; with
// --ports-of ADDRESS from fresh ports of that address); otherwise, or with
// --via sockets, from 16 ordinary sockets (one bound to each of the N
// addresses, 256 at most, or 256 bound to ports of ADDRESS).
//
//   udp-flood --to HOST:PORT --rate N [--seconds S] [--kind junk|connect|confirm|data|mixed]
//             [--via raw|sockets] [--sources N | --ports-of ADDRESS] [--seed S]
//
// Prints "flooding HOST:PORT via raw|sockets" once it starts and "flood
// sent=N seconds=S" when it ends: after S seconds (10 unless given), or on
// SIGINT or SIGTERM. Exit status 0, or 2 on a usage error.
#include "ArgumentNumber.h"
#include "DatagramFlood.h"
#include "StopSignals.h"
#include "core/Plim.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const double MAX_RATE = 1e6;
const double MAX_SECONDS = 86400.0;
// The fixed sources (127.1.0.1 and up) stay clear of 127.0.0.0/16, where servers and clients sit.
const long MAX_SOURCES = 1L << 20;

struct Options {
    NetAddress to;
    double rate = -1.0, seconds = 10.0;
    DatagramFlood::Kind kind = DatagramFlood::JUNK;
    DatagramFlood::Via via = DatagramFlood::RAW;
    DatagramFlood::Sources sources;
    long seed = 1;
};

int usage(const std::string& why) {
    fprintf(stderr, "udp-flood: %s\n", why.c_str());
    fprintf(stderr, "usage: udp-flood --to HOST:PORT --rate N [--seconds S]\n"
                    "                 [--kind junk|connect|confirm|data|mixed] [--via raw|sockets]\n"
                    "                 [--sources N | --ports-of ADDRESS] [--seed S]\n");
    return 2;
}

bool readOption(const std::string& name, const char* value, Options& o) {
    using N = ArgumentNumber;
    if (name == "--to") {
        o.to = NetAddress(UString(value));
        return strchr(value, ':') && o.to.getPort() != 0;
    }
    if (name == "--rate") return N::parseDecimal(value, 0.0, MAX_RATE, &o.rate);
    if (name == "--seconds") return N::parseDecimal(value, 0.0, MAX_SECONDS, &o.seconds);
    if (name == "--kind") return DatagramFlood::parseKind(value, &o.kind);
    if (name == "--seed") return N::parse(value, 0, 0xffffffffL, &o.seed);
    if (name == "--sources") {
        long n = 0;
        bool ok = N::parse(value, 1, MAX_SOURCES, &n);
        o.sources.fixed = int(n);
        return ok;
    }
    if (name == "--ports-of") {
        o.sources.portsOf = NetAddress(UString(value)).getIP();
        return o.sources.portsOf != 0;
    }
    if (name == "--via") {
        o.via = !strcmp(value, "sockets") ? DatagramFlood::SOCKETS : DatagramFlood::RAW;
        return !strcmp(value, "sockets") || !strcmp(value, "raw");
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (argc % 2 == 0) return usage(std::string(argv[argc - 1]) + " needs a value");
    for (int i = 1; i + 1 < argc; i += 2)
        if (!readOption(argv[i], argv[i + 1], o)) return usage(std::string("bad argument ") + argv[i] + " " + argv[i + 1]);
    if (o.to.getPort() == 0 || o.rate < 0) return usage("needs --to and --rate");
    if (o.sources.fixed > 0 && o.sources.portsOf) return usage("--sources and --ports-of exclude each other");
    StopSignals::install();
    // The engine's packets write the datagrams.
    Plim* engine = new Plim(Plim::Bare{});
    {
        DatagramFlood flood(o.to, o.kind, o.via, uint32_t(o.seed), o.sources);
        printf("flooding %s via %s\n", o.to.toString().c_str(),
               flood.getVia() == DatagramFlood::RAW ? "raw" : "sockets");
        fflush(stdout);
        auto start = std::chrono::steady_clock::now();
        long sent = flood.run(o.rate, o.seconds, StopSignals::flag());
        double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        printf("flood sent=%ld seconds=%.2f\n", sent, took);
    }
    delete engine;
    PLIM = nullptr;
    return 0;
}

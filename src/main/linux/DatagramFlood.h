#pragma once
// Forged datagrams at a steady rate toward one address, as an attacker who
// has read nothing sends them: junk bytes, connect requests, Confirms and data
// under guessed identifiers and secrets. Through a raw socket (as root, toward
// a loopback address) each comes from a fresh address of 127.0.0.0/8 and a
// fresh port, or in turn from a fixed set of addresses, or from fresh ports
// of one address; otherwise from a few ordinary sockets.
#include "DatagramForge.h"
#include "net/NetAddress.h"

#include <atomic>
#include <cstdint>
#include <random>
#include <vector>

class DatagramFlood {
public:
    enum Kind { JUNK, CONNECT, CONFIRM, DATA, MIXED };
    enum Via { RAW, SOCKETS };
    // Where the datagrams say they come from: fresh addresses when both are
    // zero; else the first `fixed` of FIXED_FIRST, FIXED_FIRST + 1... (each
    // with FIXED_PORT), or fresh ports of the address portsOf. Ordinary
    // sockets are bound to those addresses (one each, FIXED_SOCKETS at most),
    // or to as many ports of portsOf.
    struct Sources {
        int fixed = 0;
        uint32_t portsOf = 0;
    };
    enum : uint32_t { FIXED_FIRST = 0x7F010001u };
    enum { FIXED_PORT = 40000, FIXED_SOCKETS = 256 };

    // Via RAW falls back to SOCKETS where no raw socket may be opened.
    DatagramFlood(const NetAddress& to, Kind kind, Via via, uint32_t seed, Sources sources);
    DatagramFlood(const NetAddress& to, Kind kind, Via via, uint32_t seed);
    ~DatagramFlood();
    DatagramFlood(const DatagramFlood&) = delete;
    DatagramFlood& operator=(const DatagramFlood&) = delete;

    // Sends at rate a second until the seconds have passed or stop is set,
    // never more than *limit in all when a limit is given; returns how many
    // went. The rate stays steady: what a stall (or the limit) held back is
    // dropped, not sent at once after it. It makes no engine object, so
    // another thread may run it while the engine works.
    long run(double rate, double seconds, const std::atomic<bool>* stop = nullptr,
             const std::atomic<long>* limit = nullptr);
    // How many were sent in all (any thread may ask).
    long getSent() const { return sent; }
    Via getVia() const { return via; }
    // "junk", "connect", "confirm", "data" or "mixed".
    static bool parseKind(const char* text, Kind* out);

private:
    DatagramForge::Bytes make(Kind k);
    NetAddress nextSource();
    void openSockets();
    void send(const DatagramForge::Bytes& bytes);

    NetAddress target;
    Via via;
    Sources sources;
    std::mt19937 random;
    std::vector<int> sockets;
    // Written up front by the engine's packets, sent in turn.
    std::vector<DatagramForge::Bytes> datagrams;
    std::atomic<long> sent{0};
};

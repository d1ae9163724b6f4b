#include "DatagramFlood.h"

#include "net/NetAdmission.h"
#include "net/NetHost.h"
#include "net/NetTicket.h"
#include "serial/Packet.h"
#include "util/PlimUtil.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {
typedef DatagramForge::Bytes Bytes;

const uint32_t LOOPBACK_NET = 0x7F000000u;
const int POOL_SOCKETS = 16;
// Different datagrams sent in turn: at 50,000 a second none repeats within 80 ms.
const int DATAGRAMS = 4096;
// Junk is as long as the game's small datagrams.
const int JUNK_MIN = 20, JUNK_MAX = 60;
// How often the sender wakes to send what is due.
const double PACE_SECONDS = 0.0002;
// Lateness beyond this is a stall: what it would have sent is dropped, since
// sent at once it would be a burst far above the rate.
const double MAX_LAG_SECONDS = 0.005;

bool onLoopback(const NetAddress& a) { return (a.getIP() & 0xFF000000u) == LOOPBACK_NET; }

double seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// The fields as the game writes them, serialised by its own packet.
Bytes written(const std::function<void(Packet&)>& write) {
    Packet p;
    write(p);
    return Bytes(p.buffer, p.cursor);
}
} // namespace

DatagramFlood::DatagramFlood(const NetAddress& to, Kind kind, Via via, uint32_t seed, Sources sources)
    : target(to), via(via), sources(sources), random(seed) {
    // A forged loopback source goes nowhere else.
    if (via == RAW && !(onLoopback(to) && DatagramForge::canSendRaw()))
        this->via = SOCKETS;
    if (this->via == SOCKETS)
        openSockets();
    for (int i = 0; i < DATAGRAMS; ++i)
        datagrams.push_back(make(kind == MIXED ? Kind(i % MIXED) : kind));
}

DatagramFlood::DatagramFlood(const NetAddress& to, Kind kind, Via via, uint32_t seed)
    : DatagramFlood(to, kind, via, seed, Sources()) {}

void DatagramFlood::openSockets() {
    const bool local = onLoopback(target);
    int count = sources.fixed > 0 ? std::min(int(sources.fixed), int(FIXED_SOCKETS))
                                  : sources.portsOf ? int(FIXED_SOCKETS) : POOL_SOCKETS;
    for (int i = 0; i < count; ++i) {
        uint32_t ip = sources.fixed > 0 ? FIXED_FIRST + uint32_t(i)
                    : sources.portsOf  ? sources.portsOf
                                       : LOOPBACK_NET + 2 + uint32_t(i);
        int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        NetAddress from;
        from.set(local ? ip : 0, 0);
        sockaddr_in in;
        from.toSockAddr(&in);
        if (s >= 0 && bind(s, reinterpret_cast<sockaddr*>(&in), sizeof in) == 0)
            sockets.push_back(s);
        else if (s >= 0)
            close(s);
    }
}

DatagramFlood::~DatagramFlood() {
    for (int s : sockets)
        close(s);
}

bool DatagramFlood::parseKind(const char* text, Kind* out) {
    const char* names[] = {"junk", "connect", "confirm", "data", "mixed"};
    for (int k = JUNK; k <= MIXED; ++k)
        if (!strcmp(text, names[k])) {
            *out = Kind(k);
            return true;
        }
    return false;
}

NetAddress DatagramFlood::nextSource() {
    NetAddress a;
    uint16_t port = uint16_t(1024 + random() % 64512);
    if (sources.fixed > 0)
        a.set(FIXED_FIRST + uint32_t(sent % sources.fixed), FIXED_PORT);
    else if (sources.portsOf)
        a.set(sources.portsOf, port);
    else // neither the network's own address nor its broadcast address
        a.set(LOOPBACK_NET + 1 + random() % 0xFFFFFEu, port);
    return a;
}

Bytes DatagramFlood::make(Kind k) {
    uint32_t id = uint32_t(random());
    uint64_t secret = uint64_t(random()) << 32 | random();
    switch (k) {
    case CONNECT:
        return DatagramForge::connection(NetHost::TYPE_CONNECT, written([&](Packet& p) {
            UString game(PLIM_BUILD_NAME), name("flood");
            double version = NetHost::WIRE_VERSION;
            p.doUString(&game, -1);
            p.doDouble(&version);
            p.doUString(&name, -1);
            p.doBytes(&secret, 8); // the request's nonce
        }), true);
    case CONFIRM:
        return DatagramForge::connection(NetHost::TYPE_CONFIRM, written([&](Packet& p) {
            UString name("flood");
            NetTicket ticket;
            ticket.id = id;
            ticket.secret = secret;
            ticket.nonce = uint64_t(random()) << 32 | random();
            // A slot a young server still honours, so that each one costs it the hash.
            ticket.slot = random() % (NetAdmission::LATER_SLOTS + 1);
            ticket.serialize(&p);
            p.doUString(&name, -1);
        }), true);
    case DATA:
        return DatagramForge::data(id, secret, int(random() % 100000) + 1, false, 0, {""});
    default: {
        Bytes junk(JUNK_MIN + random() % (JUNK_MAX - JUNK_MIN + 1));
        for (uint8_t& b : junk)
            b = uint8_t(random());
        return junk;
    }
    }
}

void DatagramFlood::send(const Bytes& bytes) {
    if (via == RAW) {
        DatagramForge::sendRaw(bytes, nextSource(), target);
    } else if (!sockets.empty()) {
        sockaddr_in to;
        target.toSockAddr(&to);
        sendto(sockets[size_t(sent) % sockets.size()], bytes.data(), bytes.size(), 0,
               reinterpret_cast<sockaddr*>(&to), sizeof to);
    }
    ++sent;
}

long DatagramFlood::run(double rate, double duration, const std::atomic<bool>* stop,
                        const std::atomic<long>* limit) {
    const long before = sent;
    const double start = seconds(), gap = 1.0 / rate;
    double due = start + gap; // when the next datagram should go
    for (double now = start; now - start < duration && !(stop && *stop); now = seconds()) {
        if (now - due > MAX_LAG_SECONDS)
            due = now;
        for (; due <= now && !(limit && sent >= *limit); due += gap)
            send(datagrams[size_t(sent) % datagrams.size()]);
        std::this_thread::sleep_for(std::chrono::duration<double>(PACE_SECONDS));
    }
    return sent - before;
}

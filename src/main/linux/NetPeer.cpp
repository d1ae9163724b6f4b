// net-peer: one end of a test connection over the engine's network transport,
// headless. Speaks as the game would (game "Corvana2demo", wire version 3.00) and
// sends numbered packets of given lengths, printing a digest line for every
// packet sent and received, then its traffic counters.
//
//   net-peer --server PORT | --client HOST:PORT
//            [--send L1,L2,...] [--random N --seed S] [--name NAME]
//            [--tick-ms MS] [--timeout SECONDS] [--link-timeout SECONDS]
//            [--pace PACKETS_PER_SECOND]
//
// Output lines: "listening on port P", "connected ADDRESS (NAME)" (on a
// client "accepted ADDRESS (NAME) after N requests" at the accept, then
// "connected ADDRESS (NAME) after N requests" once the server has taken it),
// "sent I LENGTH CRC", "recv I LENGTH CRC", "stats ..." (sendCalls: the
// system calls that sent them), "done sent=N received=N".
// Exit status: 0 when every packet of the other side arrived once and in
// order, or when SIGTERM or SIGINT stopped it (its peer told, the stats and
// done lines printed); 1 on a protocol failure, 2 on a usage error, 3 on a
// time-out, 4 for a client accepted but never taken, its confirmations lost,
// which says "net-peer: accepted by ADDRESS but never taken; gave up after
// N s" on standard error once it gives up on the server. Any other peer given
// up (silent, or not acknowledging for --link-timeout, the game's 5 s by
// default) is named on standard error with the reason.
// --pace sends the packets as a steady stream, at most that many a second
// from the connection on, instead of as fast as the window lets them go.
#include "ArgumentNumber.h"
#include "StopSignals.h"
#include "core/Plim.h"
#include "core/TimeKeeper.h"
#include "files/PrintableText.h"
#include "net/NetConnection.h"
#include "net/NetHost.h"
#include "net/NetTime.h"
#include "net/Node.h"
#include "net/PlimNetwork.h"
#include "util/PlimUtil.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>
#include <zlib.h>

namespace {

// The protocol has no flow control: the sender keeps at most this many pieces
// unacknowledged.
const int MAX_UNACKED_PIECES = 1024;
const double PROMPT_INTERVAL = 0.01;
const double KEEPALIVE_INTERVAL = 1.0;
const double LINGER = 0.5;

enum Kind : uint8_t { KIND_DATA = 'D', KIND_END = 'E', KIND_IDLE = 'I' };

struct Options {
    bool server = false;
    int port = 0;
    std::string serverAddress;
    std::vector<int> lengths;
    std::string name = "peer";
    int tickMs = 1;
    double timeout = 50.0;
    double linkTimeout = 0.0; // 0: the host's own
    int pace = 0;             // packets a second; 0: no pace
};

int usage() {
    fprintf(stderr, "usage: net-peer --server PORT | --client HOST:PORT [--send L1,L2,...] [--random N --seed S]\n"
                    "                [--name NAME] [--tick-ms MS] [--timeout SECONDS] [--link-timeout SECONDS]\n"
                    "                [--pace PACKETS_PER_SECOND]\n");
    return 2;
}

// A whole number within [low, high]; anything else is a usage error.
bool number(const char* text, long low, long high, int* out) {
    long n = 0;
    if (!ArgumentNumber::parse(text, low, high, &n)) return false;
    *out = static_cast<int>(n);
    return true;
}

bool parseOptions(int argc, char** argv, Options& o) {
    int randomCount = 0;
    unsigned seed = 1;
    bool role = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!value)
            return false;
        ++i;
        if (a == "--server") {
            o.server = true;
            if (!number(value, 0, 65535, &o.port)) return false; // 0: any free port
            role = true;
        } else if (a == "--client") {
            o.serverAddress = value;
            role = true;
        } else if (a == "--send") {
            std::string list = value;
            for (size_t start = 0; start <= list.size();) {
                size_t comma = list.find(',', start);
                if (comma == std::string::npos) comma = list.size();
                int length = 0;
                if (!number(list.substr(start, comma - start).c_str(), 0, 65536, &length)) return false;
                o.lengths.push_back(length);
                start = comma + 1;
            }
        } else if (a == "--random") {
            if (!number(value, 0, 1000000, &randomCount)) return false;
        } else if (a == "--seed") {
            long n = 0;
            if (!ArgumentNumber::parse(value, 0, 4294967295L, &n)) return false;
            seed = static_cast<unsigned>(n);
        } else if (a == "--name") {
            o.name = value;
        } else if (a == "--tick-ms") {
            if (!number(value, 1, 60000, &o.tickMs)) return false;
        } else if (a == "--timeout") {
            if (!ArgumentNumber::parseDecimal(value, 0.1, 86400.0, &o.timeout)) return false;
        } else if (a == "--pace") {
            if (!number(value, 1, 1000000, &o.pace)) return false;
        } else if (a == "--link-timeout") {
            if (!ArgumentNumber::parseDecimal(value, 0.1, 86400.0, &o.linkTimeout)) return false;
        } else {
            return false;
        }
    }
    std::mt19937 random(seed);
    for (int i = 0; i < randomCount; ++i)
        o.lengths.push_back(static_cast<int>(random() % 65537));
    for (int length : o.lengths)
        if (length < 0 || length > 65536)
            return false;
    return role;
}

// The bytes of packet index: the same on every run and both sides.
void fillPayload(uint8_t* out, int length, uint32_t index, bool fromServer) {
    uint32_t x = index * 2654435761u + (fromServer ? 0x9E3779B9u : 0x7F4A7C15u);
    for (int i = 0; i < length; ++i) {
        x = x * 1664525u + 1013904223u;
        out[i] = static_cast<uint8_t>(x >> 24);
    }
}

uint32_t digest(const uint8_t* bytes, int length) {
    return static_cast<uint32_t>(crc32(0L, bytes, static_cast<uInt>(length)));
}

int piecesFor(int n) {
    int size = n / (n / NetHost::MAX_PIECE + 1) + 1;
    return n == 0 ? 1 : (n + size - 1) / size;
}

class PeerHost : public NetHost {
public:
    PeerHost(const Options& o)
        : NetHost(PLIM_BUILD_NAME, NetHost::WIRE_VERSION, o.name.c_str(), 0, o.server), options(o) {
        setMaxPeers(1);
        if (o.linkTimeout > 0.0)
            setTimeout(o.linkTimeout);
    }

    // A server takes a client as it connects; a client is taken once the server shows that it holds it.
    void onPeerConnected(Node* peer) override {
        hadPeer = true;
        taken = options.server;
        printPeer(taken ? "connected" : "accepted", peer);
    }
    void noteTaken() {
        if (taken || !peer() || !shownByServer())
            return;
        taken = true;
        printPeer("connected", peer());
    }
    void printPeer(const char* what, Node* node) {
        printf("%s %s (%s)", what, node->getAddress().toString().c_str(), printableText(node->getName()).c_str());
        if (!options.server)
            printf(" after %d requests", connectRequests);
        printf("\n");
    }
    // A client the server never took was never connected: the run's end says so.
    void onPeerDropped(Node* peer, const char* reason) override {
        if (taken)
            fprintf(stderr, "net-peer: dropped %s: %s\n", peer->getAddress().toString().c_str(), reason);
    }
    void onPeerDisconnected(Node* peer) override {
        if (taken)
            printf("disconnected %s\n", peer->getAddress().toString().c_str());
        lastPing = peer->getPing();
    }
    void onConnectionRejected(const UString& message) override {
        fprintf(stderr, "net-peer: rejected: %s\n", printableText(message).c_str());
        // A server is told when a client refuses it; only a client's own refusal ends the run.
        if (!isServer())
            failed = true;
    }

    void processPacket(Packet* packet) override {
        noteTaken(); // its data showed that the server holds us: before the data's own lines
        uint8_t kind = 0;
        packet->doBytes(&kind, 1);
        if (kind == KIND_IDLE && !packet->hasError())
            return;
        needReply = true;
        uint32_t index = 0;
        packet->doBytes(&index, 4);
        if (packet->hasError() || (kind != KIND_DATA && kind != KIND_END)) {
            fprintf(stderr, "net-peer: malformed packet\n");
            failed = true;
            return;
        }
        if (kind == KIND_END) {
            gotEnd = true;
            if (index != received) {
                fprintf(stderr, "net-peer: the other side sent %u packets, %u arrived\n", index, received);
                failed = true;
            }
            return;
        }
        int length = packet->getBytesLeft();
        if (index != received) {
            fprintf(stderr, "net-peer: packet %u arrived where %u was due\n", index, received);
            failed = true;
        }
        std::vector<uint8_t> expected(size_t(length) + 1);
        fillPayload(expected.data(), length, index, !options.server);
        if (memcmp(expected.data(), packet->cursor, size_t(length)) != 0) {
            fprintf(stderr, "net-peer: packet %u has wrong bytes\n", index);
            failed = true;
        }
        printf("recv %u %d %08x\n", index, length, digest(packet->cursor, length));
        ++received;
    }

    Node* peer() { return static_cast<Node*>(getPeers().firstChild); }

    // Sends one packet of our own framing; returns the peer's sequence after it.
    void sendFramed(uint8_t kind, uint32_t index, int length) {
        Packet p(Packet::FLAG_FILTER1, length + 5);
        p.doBytes(&kind, 1);
        if (kind != KIND_IDLE)
            p.doBytes(&index, 4);
        fillPayload(p.cursor, length, index, options.server);
        if (kind == KIND_DATA)
            printf("sent %u %d %08x\n", index, length, digest(p.cursor, length));
        p.cursor += length;
        sendToAll(&p);
        lastSend = netTime();
    }

    const Options& options;
    bool hadPeer = false;
    bool taken = false;
    bool failed = false;
    bool gotEnd = false;
    bool needReply = false;
    uint32_t received = 0;
    int connectRequests = 0;
    double lastSend = 0.0;
    double lastPing = 0.0;
};

void printStats(NetConnection* c, double ping) {
    NetStats total(0.0);
    c->addTraffic(&total);
    printf("stats packetsOut=%d packetsIn=%d bytesOut=%d bytesIn=%d resendRequests=%d resends=%d outOfOrder=%d "
           "packetsLost=%d ping=%.4f sendCalls=%ld\n",
           total.packetsOut, total.packetsIn, total.bytesOut, total.bytesIn, total.resendRequests, total.resends,
           total.outOfOrder, total.packetsLost, ping, c->getSendCalls());
}

int run(const Options& o) {
    PeerHost host(o);
    NetAddress bindTo;
    bindTo.set(0, static_cast<uint16_t>(o.server ? o.port : 0));
    host.setConnection(new NetConnection(bindTo, false), true);
    if (!host.getConnection()->isOpen()) {
        fprintf(stderr, "net-peer: cannot bind port %d\n", o.port);
        return 1;
    }
    if (o.server)
        printf("listening on port %d\n", host.getConnection()->getAddress().getPort());
    fflush(stdout);
    NetAddress serverAddress(UString(o.serverAddress.c_str()));

    size_t nextToSend = 0;
    bool endSent = false;
    int32_t lastDataSequence = 0;
    double start = netTime(), nextConnect = start, doneAt = -1.0, connectedAt = -1.0;
    int status = 3;
    for (;;) {
        if (StopSignals::requested()) {
            status = 0;
            break;
        }
        host.update();
        host.noteTaken();
        double now = netTime();
        Node* peer = host.peer();
        if (host.failed) {
            status = 1;
            break;
        }
        if (!o.server && !peer && !host.hadPeer && now >= nextConnect) {
            host.sendConnectRequest(serverAddress);
            ++host.connectRequests;
            nextConnect = now + NetHost::CONNECT_INTERVAL;
        }
        if (!peer && host.hadPeer && !host.taken) {
            fprintf(stderr, "net-peer: accepted by %s but never taken; gave up after %.0f s\n",
                    serverAddress.toString().c_str(), now - start);
            status = 4;
            break;
        }
        if (!peer && host.hadPeer) {
            status = host.gotEnd ? 0 : 1;
            break;
        }
        if (peer) {
            if (connectedAt < 0.0)
                connectedAt = now;
            bool sent = false;
            auto fits = [&](int length) {
                return peer->getSequenceOut() - peer->getSequenceAcked() + piecesFor(length) <= MAX_UNACKED_PIECES;
            };
            auto paced = [&] { return !o.pace || double(nextToSend) < (now - connectedAt) * o.pace + 1.0; };
            while (nextToSend < o.lengths.size() && fits(o.lengths[nextToSend] + 5) && paced()) {
                host.sendFramed(KIND_DATA, uint32_t(nextToSend), o.lengths[nextToSend]);
                ++nextToSend;
                sent = true;
            }
            if (nextToSend == o.lengths.size() && !endSent && fits(5)) {
                host.sendFramed(KIND_END, uint32_t(nextToSend), 0);
                endSent = sent = true;
            }
            if (sent)
                lastDataSequence = peer->getSequenceOut();
            bool unacked = peer->getSequenceAcked() < lastDataSequence;
            bool gaps = peer->resendRequestDue();
            if (!sent && (gaps || host.needReply || (unacked && now - host.lastSend >= PROMPT_INTERVAL) ||
                          now - host.lastSend >= KEEPALIVE_INTERVAL))
                host.sendFramed(KIND_IDLE, 0, 0);
            host.needReply = false;
            if (endSent && !unacked && host.gotEnd) {
                if (doneAt < 0.0)
                    doneAt = now;
                if (now - doneAt >= LINGER) {
                    status = 0;
                    break;
                }
            }
        }
        if (now - start > o.timeout) {
            fprintf(stderr, "net-peer: timed out\n");
            break;
        }
        fflush(stdout);
        StopSignals::wait(o.tickMs / 1000.0);
    }
    printStats(host.getConnection(), host.peer() ? host.peer()->getPing() : host.lastPing);
    printf("done sent=%zu received=%u\n", nextToSend, host.received);
    fflush(stdout);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options))
        return usage();
    StopSignals::install();
    Plim* engine = new Plim(Plim::Bare{});
    engine->timeKeeper = new TimeKeeper();
    engine->network = new PlimNetwork();
    // Two processes talk over real sockets, never through one process's queue.
    engine->network->bEmulateLocalhost = false;
    int status = run(options);
    delete engine;
    PLIM = nullptr;
    return status;
}

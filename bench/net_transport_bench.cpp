// The engine's network transport against reliable ENet, two processes on
// loopback talking through udp-relay, which drops 0, 5, 10, 20 or 30% of the
// datagrams each way, with no delay and with a one-way delay of 10-20 ms.
// Both transports get the same treatment: serviced at the same cadence (every
// 1 ms, and a row at the game's own 50 ms), the same flow-control window
// (message bytes sent and not yet acknowledged), the same connection
// time-out, and the same stopping rule (a run ends when either side loses
// its connection; its row then says how far it got instead of figures).
// Figures: time to connect, delivery time of one 65,536-byte message (median
// and 95th percentile), goodput of a stream of such messages, and the CPU
// time both processes spent from the connection to the last delivery, per
// megabyte delivered.
//
//   net_transport_bench                                   the whole table
//   net_transport_bench LOSS_PERCENT DELAY_MS SERVICE_MS  one pair of rows
#include "core/Plim.h"
#include "core/TimeKeeper.h"
#include "net/NetConnection.h"
#include "net/NetHost.h"
#include "net/NetTime.h"
#include "net/Node.h"
#include "net/PlimNetwork.h"

#include <enet/enet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <signal.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

const int PAYLOAD_BYTES = 65536;
const int HEADER_BYTES = 13; // kind, index, time stamp
const int MESSAGE_BYTES = PAYLOAD_BYTES + HEADER_BYTES;
const int STREAM_MESSAGES = 100;
// Both transports: at most three messages' bytes sent and not yet acknowledged.
const long WINDOW_BYTES = 3L * MESSAGE_BYTES;
// Both transports give a connection up after this long without progress (ours:
// nothing new from the peer; ENet: its oldest reliable command unacknowledged).
const double CONNECTION_TIMEOUT = 5.0;
const double JOIN_TIMEOUT = 20.0;
// A phase that neither ends nor loses its connection is cut off after this.
const double PHASE_LIMIT = 120.0;
// The quit message is answered with this index; the receiver lingers a while
// after it so the answer gets through.
const uint32_t QUIT_INDEX = 0xFFFFFFFFu;
const double QUIT_LINGER = 0.5;

enum Kind : uint8_t { KIND_LATENCY = 'L', KIND_STREAM = 'T', KIND_ANSWER = 'A', KIND_QUIT = 'Q', KIND_IDLE = 'I' };

double clockNow() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

double cpuSeconds() {
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec * 1e-6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec * 1e-6;
}

// One end of a transport: connect or listen, service, send whole messages.
class Endpoint {
public:
    virtual ~Endpoint() = default;
    virtual int listen() = 0; // returns the bound port
    virtual void connect(int port) = 0;
    virtual bool connected() = 0;
    // Message bytes sent and not yet acknowledged by the other side.
    virtual long unacknowledged() = 0;
    virtual void send(const std::vector<uint8_t>& message) = 0;
    virtual void service() = 0;
    virtual long datagrams() = 0;
    bool canSend(int length) { return connected() && unacknowledged() + length <= WINDOW_BYTES; }
    std::function<void(const uint8_t*, int)> onMessage;
    // Had a connection and lost it.
    bool lost = false;
};

// The engine's transport, with the idle messages that carry acknowledgements
// and resend requests when there is nothing else to send.
class OurEndpoint : public Endpoint, public NetHost {
public:
    explicit OurEndpoint(bool server) : NetHost("Corvana2demo", 2.60, "bench", 0, server) {
        maxPeers = 1;
        timeout = CONNECTION_TIMEOUT;
    }
    int listen() override {
        open();
        return connection->address.getPort();
    }
    void connect(int port) override {
        open();
        target.set(0x7f000001, uint16_t(port));
    }
    bool connected() override { return peer() != nullptr; }
    long unacknowledged() override {
        Node* p = peer();
        while (p && !inFlight.empty() && inFlight.front().first <= p->sequenceAcked) {
            inFlightBytes -= inFlight.front().second;
            inFlight.pop_front();
        }
        return inFlightBytes;
    }
    void send(const std::vector<uint8_t>& message) override {
        Packet p(Packet::FLAG_FILTER1, int(message.size()));
        p.doBytes(const_cast<uint8_t*>(message.data()), int(message.size()));
        sendToAll(&p);
        lastSend = netTime();
        sentThisTick = true;
        Node* n = peer();
        if (message[0] != KIND_IDLE && n) {
            lastDataSequence = n->sequenceOut;
            inFlight.emplace_back(n->sequenceOut, long(message.size()));
            inFlightBytes += long(message.size());
        }
    }
    void service() override {
        update();
        double now = netTime();
        Node* p = peer();
        lost |= hadPeer && !p;
        hadPeer |= p != nullptr;
        if (!isServer && !hadPeer && now >= nextConnect) {
            sendConnectRequest(target);
            nextConnect = now + 0.5;
        }
        // One idle message carries the acknowledgement and the due resend requests.
        if (p && !sentThisTick) {
            bool unacked = p->sequenceAcked < lastDataSequence;
            if (p->resendRequestDue() || needReply || (unacked && now - lastSend >= 0.01) || now - lastSend >= 1.0)
                send({KIND_IDLE});
        }
        needReply = false;
        sentThisTick = false;
    }
    long datagrams() override {
        NetStats total(0.0);
        total.add(&connection->totalStats);
        total.add(connection->getStats());
        return long(total.packetsIn) + total.packetsOut;
    }
    void processPacket(Packet* packet) override {
        if (packet->getLength() == 0 || packet->cursor[0] == KIND_IDLE)
            return;
        needReply = true;
        onMessage(packet->cursor, packet->getBytesLeft());
    }

private:
    void open() {
        NetAddress any;
        connection = new NetConnection(any);
        ownsConnection = true;
    }
    Node* peer() { return static_cast<Node*>(peers.firstChild); }
    NetAddress target;
    double nextConnect = 0.0, lastSend = 0.0;
    int32_t lastDataSequence = 0;
    // Per message sent: its last piece's sequence number and its length.
    std::deque<std::pair<int32_t, long>> inFlight;
    long inFlightBytes = 0;
    bool needReply = false, sentThisTick = false, hadPeer = false;
};

class EnetEndpoint : public Endpoint {
public:
    ~EnetEndpoint() override {
        if (host)
            enet_host_destroy(host);
    }
    int listen() override {
        ENetAddress a;
        a.host = ENET_HOST_ANY;
        a.port = 0;
        host = enet_host_create(&a, 1, 1, 0, 0);
        return host->address.port;
    }
    void connect(int port) override {
        host = enet_host_create(nullptr, 1, 1, 0, 0);
        ENetAddress a;
        enet_address_set_host(&a, "127.0.0.1");
        a.port = uint16_t(port);
        enet_peer_timeout(enet_host_connect(host, &a, 1, 0), 0, timeoutMs(), timeoutMs());
    }
    bool connected() override { return peer != nullptr; }
    long unacknowledged() override { return inFlightBytes; }
    void send(const std::vector<uint8_t>& message) override {
        ENetPacket* p = enet_packet_create(message.data(), message.size(), ENET_PACKET_FLAG_RELIABLE);
        // A reliable packet is freed once every fragment is acknowledged.
        p->userData = this;
        p->freeCallback = [](ENetPacket* done) {
            static_cast<EnetEndpoint*>(done->userData)->inFlightBytes -= long(done->dataLength);
        };
        inFlightBytes += long(message.size());
        enet_peer_send(peer, 0, p);
    }
    void service() override {
        ENetEvent e;
        while (enet_host_service(host, &e, 0) > 0) {
            if (e.type == ENET_EVENT_TYPE_CONNECT) {
                peer = e.peer;
                enet_peer_timeout(peer, 0, timeoutMs(), timeoutMs());
            } else if (e.type == ENET_EVENT_TYPE_DISCONNECT) {
                peer = nullptr;
                lost = true;
            } else if (e.type == ENET_EVENT_TYPE_RECEIVE) {
                onMessage(e.packet->data, int(e.packet->dataLength));
                enet_packet_destroy(e.packet);
            }
        }
        enet_host_flush(host);
    }
    long datagrams() override { return long(host->totalSentPackets) + long(host->totalReceivedPackets); }

private:
    static enet_uint32 timeoutMs() { return enet_uint32(CONNECTION_TIMEOUT * 1000.0); }
    ENetHost* host = nullptr;
    ENetPeer* peer = nullptr;
    long inFlightBytes = 0;
};

// A message: its kind, index and time stamp, then payload bytes made once.
std::vector<uint8_t> message(uint8_t kind, uint32_t index, int payload) {
    static std::vector<uint8_t> m;
    if (m.empty()) {
        m.resize(HEADER_BYTES + size_t(PAYLOAD_BYTES));
        for (int i = 0; i < PAYLOAD_BYTES; ++i)
            m[HEADER_BYTES + size_t(i)] = uint8_t(i * 31);
    }
    m[0] = kind;
    memcpy(&m[1], &index, 4);
    double stamp = clockNow();
    memcpy(&m[5], &stamp, 8);
    return std::vector<uint8_t>(m.begin(), m.begin() + HEADER_BYTES + payload);
}

struct Config {
    bool ours;
    int tickMs;
    int trials;
    double drop;
    double delayMin, delayMax; // one way, seconds
    int messages() const { return trials + STREAM_MESSAGES; }
};

std::unique_ptr<Endpoint> makeEndpoint(const Config& c, bool server) {
    if (c.ours)
        return std::unique_ptr<Endpoint>(new OurEndpoint(server));
    return std::unique_ptr<Endpoint>(new EnetEndpoint());
}

void startTransport(const Config& c) {
    if (!c.ours) {
        enet_initialize();
        return;
    }
    new Plim(Plim::Bare{});
    PLIM->timeKeeper = new TimeKeeper();
    PLIM->network = new PlimNetwork();
    PLIM->network->bEmulateLocalhost = false;
}

// What one side spent between its connection and the last delivery.
struct Spent {
    double cpu0 = 0.0, cpu = 0.0;
    long datagrams0 = 0, datagrams = 0;
    void begin(Endpoint& e) {
        cpu0 = cpuSeconds();
        datagrams0 = e.datagrams();
    }
    void end(Endpoint& e) {
        cpu = cpuSeconds() - cpu0;
        datagrams = e.datagrams() - datagrams0;
    }
};

// Receives, answers each message with its index, reports results on out.
void runReceiver(const Config& c, int portPipe, FILE* out) {
    startTransport(c);
    std::unique_ptr<Endpoint> e = makeEndpoint(c, true);
    int port = e->listen();
    if (write(portPipe, &port, sizeof port) != sizeof port)
        _exit(1);
    double firstStamp = 0.0, lastArrival = 0.0, quitAt = 0.0, start = clockNow();
    long streamBytes = 0, deliveredBytes = 0, messages = 0;
    std::vector<uint32_t> answers;
    Spent spent;
    bool began = false;
    e->onMessage = [&](const uint8_t* m, int length) {
        uint32_t index;
        double stamp;
        memcpy(&index, m + 1, 4);
        memcpy(&stamp, m + 5, 8);
        double now = clockNow();
        if (m[0] == KIND_QUIT) {
            quitAt = now;
            index = QUIT_INDEX;
        } else {
            deliveredBytes += length;
            ++messages;
            if (m[0] == KIND_LATENCY)
                fprintf(out, "latency %.6f\n", now - stamp);
            if (m[0] == KIND_STREAM) {
                if (index == uint32_t(c.trials))
                    firstStamp = stamp;
                streamBytes += length - HEADER_BYTES;
                lastArrival = now;
            }
            if (messages == c.messages())
                spent.end(*e);
        }
        answers.push_back(index);
    };
    for (;;) {
        double now = clockNow();
        if (e->lost || (quitAt > 0.0 && now - quitAt >= QUIT_LINGER))
            break;
        if (!e->connected() && !began && now - start > JOIN_TIMEOUT + PHASE_LIMIT)
            break;
        e->service();
        if (e->connected() && !began) {
            began = true;
            spent.begin(*e);
        }
        for (uint32_t index : answers)
            if (e->connected())
                e->send(message(KIND_ANSWER, index, 0));
        answers.clear();
        usleep(useconds_t(c.tickMs) * 1000);
    }
    if (streamBytes > 0 && messages == c.messages())
        fprintf(out, "goodput %.6f %ld\n", lastArrival - firstStamp, streamBytes);
    fprintf(out, "delivered %ld %ld\n", messages, deliveredBytes);
    fprintf(out, "spent %.6f %ld %d\n", spent.cpu, spent.datagrams, e->lost ? 1 : 0);
    fflush(out);
    _exit(0);
}

void runSender(const Config& c, int port, FILE* out) {
    startTransport(c);
    std::unique_ptr<Endpoint> e = makeEndpoint(c, false);
    e->connect(port);
    long answered = -1;
    e->onMessage = [&](const uint8_t* m, int) {
        uint32_t index;
        memcpy(&index, m + 1, 4);
        answered = long(index);
    };
    auto tick = [&] {
        e->service();
        usleep(useconds_t(c.tickMs) * 1000);
    };
    // Runs ticks until done() or the connection is lost; false then.
    auto until = [&](const std::function<bool()>& done) {
        for (double start = clockNow(); !done(); tick())
            if (e->lost || clockNow() - start > PHASE_LIMIT)
                return false;
        return true;
    };
    double connectStart = clockNow();
    while (!e->connected() && clockNow() - connectStart < JOIN_TIMEOUT)
        tick();
    fprintf(out, "join %.6f\n", e->connected() ? clockNow() - connectStart : -1.0);
    Spent spent;
    spent.begin(*e);
    bool going = e->connected();
    for (int i = 0; i < c.trials && going; ++i) {
        going = until([&] { return e->canSend(MESSAGE_BYTES); });
        if (going) {
            e->send(message(KIND_LATENCY, uint32_t(i), PAYLOAD_BYTES));
            going = until([&] { return answered == i; });
        }
    }
    int next = 0;
    long last = c.trials + STREAM_MESSAGES - 1;
    if (going)
        going = until([&] {
            while (next < STREAM_MESSAGES && e->canSend(MESSAGE_BYTES))
                e->send(message(KIND_STREAM, uint32_t(c.trials + next++), PAYLOAD_BYTES));
            return answered == last;
        });
    spent.end(*e);
    if (going) {
        e->send(message(KIND_QUIT, 0, 0));
        until([&] { return answered == long(QUIT_INDEX); });
    }
    fprintf(out, "spent %.6f %ld %d\n", spent.cpu, spent.datagrams, e->lost || !going ? 1 : 0);
    fflush(out);
    _exit(0);
}

pid_t forkWithOutput(const std::function<void(FILE*)>& body, FILE** read) {
    int fds[2];
    if (pipe(fds) != 0)
        exit(1);
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        body(fdopen(fds[1], "w"));
    }
    close(fds[1]);
    *read = fdopen(fds[0], "r");
    return pid;
}

pid_t startRelay(int targetPort, const Config& c, int* relayPort) {
    int fds[2];
    if (pipe(fds) != 0)
        exit(1);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        std::string to = "127.0.0.1:" + std::to_string(targetPort);
        std::string drop = std::to_string(c.drop), low = std::to_string(c.delayMin), high = std::to_string(c.delayMax);
        execl(UDP_RELAY_PATH, "udp-relay", "--listen", "0", "--to", to.c_str(), "--seed", "3", "--drop", drop.c_str(),
              "--delay-min", low.c_str(), "--delay-max", high.c_str(), "--keep-order", "1", nullptr);
        _exit(127);
    }
    close(fds[1]);
    FILE* in = fdopen(fds[0], "r");
    if (fscanf(in, "relay on port %d", relayPort) != 1)
        exit(1);
    fclose(in);
    return pid;
}

struct Result {
    std::vector<double> latencies;
    double streamSeconds = 0.0, cpu = 0.0, join = 0.0;
    long streamBytes = 0, datagrams = 0, messages = 0, deliveredBytes = 0;
    bool lost = false;
};

void collect(FILE* in, Result& r) {
    char line[256];
    while (fgets(line, sizeof line, in)) {
        double v;
        long n, m;
        int lost;
        if (sscanf(line, "latency %lf", &v) == 1) {
            r.latencies.push_back(v);
        } else if (sscanf(line, "goodput %lf %ld", &v, &n) == 2) {
            r.streamSeconds = v;
            r.streamBytes = n;
        } else if (sscanf(line, "delivered %ld %ld", &n, &m) == 2) {
            r.messages = n;
            r.deliveredBytes = m;
        } else if (sscanf(line, "join %lf", &v) == 1) {
            r.join = v;
        } else if (sscanf(line, "spent %lf %ld %d", &v, &n, &lost) == 3) {
            r.cpu += v;
            r.datagrams += n;
            r.lost |= lost != 0;
        }
    }
    fclose(in);
}

Result runPair(const Config& c) {
    int portPipe[2];
    if (pipe(portPipe) != 0)
        exit(1);
    FILE* receiverOut = nullptr;
    pid_t receiver = forkWithOutput([&](FILE* out) { runReceiver(c, portPipe[1], out); }, &receiverOut);
    int port = 0;
    if (read(portPipe[0], &port, sizeof port) != sizeof port)
        exit(1);
    close(portPipe[0]);
    close(portPipe[1]);
    int relayPort = 0;
    pid_t relay = startRelay(port, c, &relayPort);
    FILE* senderOut = nullptr;
    pid_t sender = forkWithOutput([&](FILE* out) { runSender(c, relayPort, out); }, &senderOut);
    Result r;
    collect(senderOut, r);
    collect(receiverOut, r);
    waitpid(sender, nullptr, 0);
    waitpid(receiver, nullptr, 0);
    kill(relay, SIGTERM);
    waitpid(relay, nullptr, 0);
    return r;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    size_t i = size_t(p * double(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

void report(const Config& c, const Result& r) {
    printf("%5d ms %4.0f%%  %2.0f-%2.0f ms  %-4s", c.tickMs, c.drop * 100, c.delayMin * 1000, c.delayMax * 1000,
           c.ours ? "ours" : "enet");
    if (r.lost || r.messages < c.messages()) {
        printf("  lost connection after %ld of %d messages\n", r.messages, c.messages());

    } else {
        printf("  %7.1f  %9.1f  %7.1f  %7.2f  %9.2f  %9ld\n", r.join * 1000, percentile(r.latencies, 0.5) * 1000,
               percentile(r.latencies, 0.95) * 1000, r.streamBytes / r.streamSeconds / 1e6,
               r.cpu * 1000.0 / (r.deliveredBytes / 1e6), r.datagrams);
    }
    fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    signal(SIGPIPE, SIG_IGN);
    // With a loss in percent, a delay in ms and a service interval in ms,
    // only the two rows of those.
    if (argc == 4) {
        for (bool ours : {true, false}) {
            int tick = atoi(argv[3]);
            Config c{ours, tick, tick > 1 ? 20 : 50, atof(argv[1]) / 100.0, atof(argv[2]) / 1000.0,
                     2 * atof(argv[2]) / 1000.0};
            report(c, runPair(c));
        }
        return 0;
    }
    printf("Network transport through udp-relay on loopback: messages of 64 KB one at a time (median and p95 of\n"
           "their delivery), then a stream of %d (goodput); CPU of both processes from the connection to the last\n"
           "delivery, per MB delivered. Both transports: a window of %ld bytes unacknowledged, a %.0f s\n"
           "connection time-out, and the run ends when either side loses its connection.\n",
           STREAM_MESSAGES, WINDOW_BYTES, CONNECTION_TIMEOUT);
    printf("service   loss  one-way   side  join ms  median ms  p95 ms     MB/s  cpu ms/MB  datagrams\n");
    for (double drop : {0.0, 0.05, 0.10, 0.20, 0.30})
        for (double delay : {0.0, 0.010})
            for (bool ours : {true, false}) {
                Config c{ours, 1, 50, drop, delay, 2 * delay};
                report(c, runPair(c));
            }
    printf("At the game's own service rate:\n");
    for (bool ours : {true, false}) {
        Config c{ours, 50, 20, 0.05, 0.010, 0.020};
        report(c, runPair(c));
    }
    return 0;
}

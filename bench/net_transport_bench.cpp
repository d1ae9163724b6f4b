// The network transport between two processes on loopback, through udp-relay
// (no damage, or 5, 10, 20 or 30% of the datagrams dropped), both serviced
// every 1 ms: time to connect, delivery time of one 65,536-byte packet (median
// and 95th percentile of 50), sustained goodput of a stream of such packets,
// CPU time of both processes per megabyte delivered, and connections lost;
// beside the same transfers as reliable ENet packets through the same relay at
// the same cadence. For reference, our delivery time at the replication
// role's 50 ms cadence.
#include "Plim.h"
#include "TimeKeeper.h"
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
#include <functional>
#include <memory>
#include <signal.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

const int PACKET_BYTES = 65536;
const int STREAM_PACKETS = 100;
// The protocol has no flow control: the sender keeps at most this many pieces
// unacknowledged, so a burst fits the receiver's 256 KB socket buffer.
const int MAX_UNACKED_PIECES = 384;
const double TRIAL_TIMEOUT = 20.0;
// The quit message is answered with this index; the receiver lingers a while
// after it so the answer gets through, and gives up on a sender that went silent.
const uint32_t QUIT_INDEX = 0xFFFFFFFFu;
const double QUIT_LINGER = 1.0;
const double SILENT_SENDER = 30.0;

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
    virtual bool canSend(int length) = 0;
    virtual void send(const std::vector<uint8_t>& message) = 0;
    virtual void service() = 0;
    virtual long datagrams() = 0;
    std::function<void(const uint8_t*, int)> onMessage;
    // Connections that ended while the run went on.
    int disconnects = 0;
};

// The engine's transport, with the idle messages that carry acknowledgements
// and resend requests when there is nothing else to send.
class OurEndpoint : public Endpoint, public NetHost {
public:
    explicit OurEndpoint(bool server) : NetHost("Corvana2demo", 2.60, "bench", 0, server) { maxPeers = 1; }
    int listen() override {
        open();
        return connection->address.getPort();
    }
    void connect(int port) override {
        open();
        target.set(0x7f000001, uint16_t(port));
    }
    bool connected() override { return peer() != nullptr; }
    bool canSend(int length) override {
        Node* p = peer();
        int n = length, size = n / (n / MAX_PIECE + 1) + 1;
        // Unacknowledged pieces are the numbers after the acknowledgement.
        return p && p->sequenceOut - p->sequenceAcked + (n + size - 1) / size + 1 <= MAX_UNACKED_PIECES;
    }
    void send(const std::vector<uint8_t>& message) override {
        Packet p(Packet::FLAG_FILTER1, int(message.size()));
        p.doBytes(const_cast<uint8_t*>(message.data()), int(message.size()));
        sendToAll(&p);
        lastSend = netTime();
        sentThisTick = true;
        if (message[0] != KIND_IDLE && peer())
            lastDataSequence = peer()->sequenceOut;
    }
    void service() override {
        update();
        double now = netTime();
        Node* p = peer();
        if (hadPeer && !p && !lost) {
            lost = true;
            ++disconnects;
        }
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
    bool needReply = false, sentThisTick = false, hadPeer = false, lost = false;
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
        enet_host_connect(host, &a, 1, 0);
    }
    bool connected() override { return peer != nullptr; }
    bool canSend(int) override { return peer != nullptr; }
    void send(const std::vector<uint8_t>& message) override {
        enet_peer_send(peer, 0, enet_packet_create(message.data(), message.size(), ENET_PACKET_FLAG_RELIABLE));
    }
    void service() override {
        ENetEvent e;
        while (enet_host_service(host, &e, 0) > 0) {
            if (e.type == ENET_EVENT_TYPE_CONNECT) {
                peer = e.peer;
            } else if (e.type == ENET_EVENT_TYPE_DISCONNECT) {
                peer = nullptr;
                ++disconnects;
            }
            else if (e.type == ENET_EVENT_TYPE_RECEIVE) {
                onMessage(e.packet->data, int(e.packet->dataLength));
                enet_packet_destroy(e.packet);
            }
        }
        enet_host_flush(host);
    }
    long datagrams() override { return long(host->totalSentPackets) + long(host->totalReceivedPackets); }

private:
    ENetHost* host = nullptr;
    ENetPeer* peer = nullptr;
};

std::vector<uint8_t> message(uint8_t kind, uint32_t index, int payload) {
    std::vector<uint8_t> m(13 + size_t(payload));
    m[0] = kind;
    memcpy(&m[1], &index, 4);
    double stamp = clockNow();
    memcpy(&m[5], &stamp, 8);
    for (int i = 0; i < payload; ++i)
        m[13 + size_t(i)] = uint8_t(i * 31 + index);
    return m;
}

struct Config {
    bool ours;
    int tickMs;
    int trials;
    bool stream;
};

std::unique_ptr<Endpoint> makeEndpoint(const Config& c, bool server) {
    if (c.ours)
        return std::unique_ptr<Endpoint>(new OurEndpoint(server));
    return std::unique_ptr<Endpoint>(new EnetEndpoint());
}

void startEngine() {
    new Plim(Plim::Bare{});
    PLIM->timeKeeper = new TimeKeeper();
    PLIM->network = new PlimNetwork();
    PLIM->network->bEmulateLocalhost = false;
}

// Receives, answers each packet with its index, reports results on out.
void runReceiver(const Config& c, int portPipe, FILE* out) {
    if (c.ours)
        startEngine();
    else
        enet_initialize();
    std::unique_ptr<Endpoint> e = makeEndpoint(c, true);
    int port = e->listen();
    if (write(portPipe, &port, sizeof port) != sizeof port)
        _exit(1);
    double firstStamp = 0.0, lastArrival = 0.0, quitAt = 0.0, lastMessage = clockNow();
    long streamBytes = 0, delivered = 0;
    std::vector<uint32_t> answers;
    e->onMessage = [&](const uint8_t* m, int length) {
        uint32_t index;
        double stamp;
        memcpy(&index, m + 1, 4);
        memcpy(&stamp, m + 5, 8);
        double now = clockNow();
        lastMessage = now;
        delivered += length;
        if (m[0] == KIND_LATENCY) {
            fprintf(out, "latency %.6f\n", now - stamp);
        } else if (m[0] == KIND_STREAM) {
            if (index == 0)
                firstStamp = stamp;
            streamBytes += length - 13;
            lastArrival = now;
        } else if (m[0] == KIND_QUIT) {
            quitAt = now;
            index = QUIT_INDEX;
        }
        answers.push_back(index);
    };
    double cpu0 = cpuSeconds();
    while (quitAt == 0.0 ? clockNow() - lastMessage < SILENT_SENDER : clockNow() - quitAt < QUIT_LINGER) {
        e->service();
        for (uint32_t index : answers)
            e->send(message(KIND_ANSWER, index, 0));
        answers.clear();
        usleep(useconds_t(c.tickMs) * 1000);
    }
    if (streamBytes > 0)
        fprintf(out, "goodput %.6f %ld\n", lastArrival - firstStamp, streamBytes);
    fprintf(out, "delivered %ld\n", delivered);
    fprintf(out, "cpu %.6f %ld %d\n", cpuSeconds() - cpu0, e->datagrams(), e->disconnects);
    fflush(out);
    _exit(0);
}

void runSender(const Config& c, int port, FILE* out) {
    if (c.ours)
        startEngine();
    else
        enet_initialize();
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
    double cpu0 = cpuSeconds();
    double connectStart = clockNow();
    while (!e->connected() && clockNow() - connectStart < TRIAL_TIMEOUT)
        tick();
    fprintf(out, "join %.6f\n", clockNow() - connectStart);
    for (int i = 0; i < c.trials && e->connected(); ++i) {
        e->send(message(KIND_LATENCY, uint32_t(i), PACKET_BYTES));
        for (double start = clockNow(); answered != i && clockNow() - start < TRIAL_TIMEOUT;)
            tick();
    }
    if (c.stream) {
        int next = 0;
        long last = STREAM_PACKETS - 1;
        for (double start = clockNow(); answered != last && clockNow() - start < 10 * TRIAL_TIMEOUT;) {
            while (next < STREAM_PACKETS && e->connected() && e->canSend(PACKET_BYTES + 13))
                e->send(message(KIND_STREAM, uint32_t(next++), PACKET_BYTES));
            tick();
        }
    }
    if (e->connected())
        e->send(message(KIND_QUIT, 0, 0));
    for (double start = clockNow(); e->connected() && answered != long(QUIT_INDEX) && clockNow() - start < 5.0;)
        tick();
    for (double start = clockNow(); clockNow() - start < 0.3;)
        tick();
    fprintf(out, "cpu %.6f %ld %d\n", cpuSeconds() - cpu0, e->datagrams(), e->disconnects);
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

pid_t startRelay(int targetPort, double drop, int* relayPort) {
    int fds[2];
    if (pipe(fds) != 0)
        exit(1);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        std::string to = "127.0.0.1:" + std::to_string(targetPort);
        std::string dropText = std::to_string(drop);
        execl(UDP_RELAY_PATH, "udp-relay", "--listen", "0", "--to", to.c_str(), "--seed", "3", "--drop",
              dropText.c_str(), nullptr);
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
    double streamSeconds = 0.0;
    long streamBytes = 0;
    double cpu = 0.0;
    long datagrams = 0;
    long delivered = 0;
    int disconnects = 0;
    double join = 0.0;
};

void collect(FILE* in, Result& r) {
    char line[256];
    while (fgets(line, sizeof line, in)) {
        double v;
        long n;
        if (sscanf(line, "latency %lf", &v) == 1)
            r.latencies.push_back(v);
        else if (sscanf(line, "goodput %lf %ld", &v, &n) == 2) {
            r.streamSeconds = v;
            r.streamBytes = n;
        } else if (sscanf(line, "delivered %ld", &n) == 1) {
            r.delivered += n;
        } else if (sscanf(line, "join %lf", &v) == 1) {
            r.join = v;
        } else {
            int lost = 0;
            if (sscanf(line, "cpu %lf %ld %d", &v, &n, &lost) == 3) {
                r.cpu += v;
                r.datagrams += n;
                r.disconnects += lost;
            }
        }
    }
    fclose(in);
}

Result runPair(const Config& c, double drop) {
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
    pid_t relay = startRelay(port, drop, &relayPort);
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

void report(const char* name, double drop, const Result& r) {
    printf("%-4s %2.0f%%  join %6.1f ms  64 KB median %7.1f ms  p95 %7.1f ms (%zu)", name, drop * 100, r.join * 1000,
           percentile(r.latencies, 0.5) * 1000, percentile(r.latencies, 0.95) * 1000, r.latencies.size());
    if (r.streamBytes > 0)
        printf("  goodput %6.2f MB/s", r.streamBytes / r.streamSeconds / 1e6);
    if (r.delivered > 0)
        printf("  cpu %6.2f ms/MB", r.cpu * 1000.0 / (r.delivered / 1e6));
    printf("  datagrams %ld  lost connections %d\n", r.datagrams, r.disconnects);
    fflush(stdout);
}

} // namespace

int main() {
    signal(SIGPIPE, SIG_IGN);
    printf("Network transport through udp-relay on loopback, serviced every 1 ms\n");
    for (double drop : {0.0, 0.05, 0.10, 0.20, 0.30}) {
        report("ours", drop, runPair({true, 1, 50, true}, drop));
        report("enet", drop, runPair({false, 1, 50, true}, drop));
    }
    printf("For reference, at the replication role's 50 ms cadence:\n");
    for (double drop : {0.0, 0.05})
        report("ours", drop, runPair({true, 50, 10, false}, drop));
    return 0;
}

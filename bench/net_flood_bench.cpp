// A server's cost under floods of forged datagrams, and honest joins while one
// address joins and leaves without end or while a server elsewhere is flooded.
//
//   net_flood_bench [cost] [joins] [--seconds S] [--runs N] [--rates R1,R2,...] [--kinds K1,K2,...]
//   net_flood_bench dial HOST:PORT [--clients N] [--spacing S] [--from ADDRESS] [--interval S] [--give-up S]
//
// cost: for each rate (50,000 and 100,000 a second unless given) and kind
// (junk, connect, confirm, data, mixed unless given), udp-flood's engine sends from fresh
// addresses of 127.0.0.0/8 (through a raw socket, as root; else from
// ordinary sockets) toward a server serviced every 50 ms as the game does it,
// and toward a program that only drains its socket (recvmmsg, 32 at a time)
// at the same cadence. Prints the CPU of the receiving thread per datagram it
// took, its ratio to the drain's, and the answers it sent a second (median of
// the runs; each run S seconds, 3 unless given).
//
// joins: a server for 64 players on 127.0.0.1; one client at a time from
// 127.0.0.2, each from a new port, joins and leaves as fast as it can; after
// a second of that, 20 clients from 127.0.0.3-22 join, one every 0.5 s (each
// asking again every 0.1 s, for 3 s at most) while it goes on. Prints
// how many were admitted within 1 s, the longest join, and the cycler's
// admissions and refusals.
//
// dial: first-time joins to a server run elsewhere (bench/net_flood_joins.py
// floods it): N clients (20 unless given), one every 0.5 s (--spacing), each
// from its own address from 127.0.0.3 up (or all from --from's), ask every
// --interval s (the game's NetHost::CONNECT_INTERVAL unless given) until the
// server's first data shows that it took them, or they give up (after 30 s
// unless given); each leaves once taken. Prints each
// join's time, then how many were taken, the median and longest join (one not
// taken counts as its time to give up), and how many gave up or were refused.
#include "DatagramFlood.h"
#include "core/Plim.h"
#include "core/TimeKeeper.h"
#include "net/NetConnection.h"
#include "net/NetHost.h"
#include "net/NetTime.h"
#include "net/Node.h"
#include "net/PlimNetwork.h"
#include "util/PlimUtil.h"
#include "util/TickSource.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const double SERVICE_SECONDS = 0.05;
const int DRAIN_BATCH = 32;
const int DRAIN_BUFFER = 8 << 20;
const int JOIN_CLIENTS = 20;
const double JOIN_PATIENCE = 1.0;
const double JOIN_GIVE_UP = 3.0;
// The honest clients begin after the cycler has run this long, one every interval.
const double CYCLER_HEAD_START = 1.0;
const double HONEST_INTERVAL = 0.5;
const double CYCLER_SLICE = 0.002;
const double HONEST_REPEAT = 0.1;
// On loopback an answer takes well under this: a join that got none is given up and tried anew.
const double CYCLER_GIVE_UP = 0.01;
const uint32_t LOOPBACK = 0x7F000001u;
// A net-match client's time-out.
const double DIAL_GIVE_UP = 30.0;

double realNow() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double threadCpu() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The engine clock from the start of each run: a young server, whose
// confirmation slots a forged confirmation can hit.
class RunClock : public TickSource {
public:
    void restart() { origin = realNow(); }
    uint32_t getTicks() override { return uint32_t((realNow() - origin) * 1000.0) + 1; }

private:
    double origin = realNow();
};

class Server : public NetHost {
public:
    Server() : NetHost(PLIM_BUILD_NAME, NetHost::WIRE_VERSION, "server", 0, true) {
        setConnection(new NetConnection(NetAddress(UString("127.0.0.1"), 0), false), true);
        setMaxPeers(64);
    }
    void servicePacket(Packet* datagram) override {
        ++received;
        NetHost::servicePacket(datagram);
    }
    void onPeerConnected(Node* peer) override { admitted.push_back(peer->getAddress()); }
    long received = 0;
    std::vector<NetAddress> admitted;
};

class Client : public NetHost {
public:
    explicit Client(uint32_t ip) : NetHost(PLIM_BUILD_NAME, NetHost::WIRE_VERSION, "client", 0, false) {
        NetAddress at;
        at.set(ip, 0);
        setConnection(new NetConnection(at, false), true);
        setMaxPeers(1);
    }
    void onConnectionRejected(const UString& message) override { refusal = message.c_str(); }
    void processPacket(Packet*) override { heard = true; }
    NetAddress address() const { return getConnection()->getAddress(); }
    std::string refusal;
    // Data came from the server: it has taken us.
    bool heard = false;
};

// What one run of a flood cost the receiving thread.
struct Cost {
    double cpu = 0.0;
    long datagrams = 0;
    long answers = 0;
    double seconds = 0.0;
    double perDatagram() const { return datagrams ? cpu / double(datagrams) : 0.0; }
};

template <class Service> Cost measure(Service service, const NetAddress& target, DatagramFlood::Kind kind, double rate,
                                      double seconds) {
    DatagramFlood flood(target, kind, DatagramFlood::RAW, 7);
    std::atomic<bool> stop{false};
    Cost cost;
    double cpu0 = threadCpu(), start = realNow();
    std::thread flooder([&] { flood.run(rate, seconds, &stop); });
    double next = start;
    // A service past the flood's end takes what it left.
    while (realNow() < start + seconds + SERVICE_SECONDS) {
        next += SERVICE_SECONDS;
        double wait = next - realNow();
        if (wait > 0)
            std::this_thread::sleep_for(std::chrono::duration<double>(wait));
        service(cost);
    }
    stop = true;
    flooder.join();
    cost.cpu = threadCpu() - cpu0;
    cost.seconds = realNow() - start;
    return cost;
}

Cost serverCost(DatagramFlood::Kind kind, double rate, double seconds) {
    Server server;
    long sendCalls0 = server.getConnection()->getSendCalls();
    Cost cost = measure([&](Cost& c) {
        server.update();
        c.datagrams = server.received;
    }, server.getConnection()->getAddress(), kind, rate, seconds);
    cost.answers = server.getConnection()->getSendCalls() - sendCalls0;
    return cost;
}

Cost drainCost(DatagramFlood::Kind kind, double rate, double seconds) {
    int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    int wanted = DRAIN_BUFFER;
    setsockopt(s, SOL_SOCKET, SO_RCVBUFFORCE, &wanted, sizeof wanted);
    NetAddress at(UString("127.0.0.1"), 0);
    sockaddr_in in;
    at.toSockAddr(&in);
    socklen_t length = sizeof in;
    bind(s, reinterpret_cast<sockaddr*>(&in), sizeof in);
    getsockname(s, reinterpret_cast<sockaddr*>(&in), &length);
    at.fromSockAddr(in);
    std::vector<std::vector<uint8_t>> buffers(DRAIN_BATCH, std::vector<uint8_t>(NetConnection::MAX_DATAGRAM));
    mmsghdr messages[DRAIN_BATCH];
    iovec pieces[DRAIN_BATCH];
    sockaddr_in senders[DRAIN_BATCH];
    Cost cost = measure([&](Cost& c) {
        for (;;) {
            for (int i = 0; i < DRAIN_BATCH; ++i) {
                pieces[i] = {buffers[size_t(i)].data(), buffers[size_t(i)].size()};
                messages[i].msg_hdr = msghdr{};
                messages[i].msg_hdr.msg_name = &senders[i];
                messages[i].msg_hdr.msg_namelen = sizeof senders[i];
                messages[i].msg_hdr.msg_iov = &pieces[i];
                messages[i].msg_hdr.msg_iovlen = 1;
            }
            int got = recvmmsg(s, messages, DRAIN_BATCH, MSG_DONTWAIT, nullptr);
            if (got <= 0)
                break;
            c.datagrams += got;
        }
    }, at, kind, rate, seconds);
    close(s);
    return cost;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

const char* const KIND_NAMES[] = {"junk", "connect", "confirm", "data", "mixed"};

void costTable(RunClock& clock, const std::vector<double>& rates, const std::vector<DatagramFlood::Kind>& kinds,
               double seconds, int runs) {
    printf("%-8s %-8s %12s %14s %10s %10s\n", "rate", "kind", "us/datagram", "x drain-only", "taken/s", "answers/s");
    for (double rate : rates) {
        std::vector<double> drain;
        for (int r = 0; r < runs; ++r) {
            clock.restart();
            drain.push_back(drainCost(DatagramFlood::JUNK, rate, seconds).perDatagram());
        }
        double drainCost = median(drain);
        printf("%-8.0f %-8s %12.3f %14.2f\n", rate, "drain", drainCost * 1e6, 1.0);
        for (DatagramFlood::Kind k : kinds) {
            std::vector<double> per, taken, answers;
            for (int r = 0; r < runs; ++r) {
                clock.restart();
                Cost c = serverCost(k, rate, seconds);
                per.push_back(c.perDatagram());
                taken.push_back(double(c.datagrams) / c.seconds);
                answers.push_back(double(c.answers) / c.seconds);
            }
            printf("%-8.0f %-8s %12.3f %14.2f %10.0f %10.0f\n", rate, KIND_NAMES[k], median(per) * 1e6,
                   median(per) / drainCost, median(taken), median(answers));
            fflush(stdout);
        }
    }
}

// One client at a time from one address, each from a new port, that joins
// and leaves at once, as fast as it can.
class Cycler {
public:
    Cycler(Server& server, uint32_t ip) : server(server), ip(ip) {}
    void step() {
        double now = realNow();
        if (!client) {
            client.reset(new Client(ip));
            client->sendConnectRequest(server.getConnection()->getAddress());
            asked = now;
        }
        server.update();
        client->update();
        if (client->getPeerCount() == 1 && server.findPeer(client->address())) {
            ++admissions;
            client->disconnectAll();
            client.reset();
        } else if (!client->refusal.empty()) {
            ++refusals;
            lastRefusal = client->refusal;
            client.reset();
        } else if (now > asked + CYCLER_GIVE_UP) {
            ++unanswered;
            client.reset();
        }
    }
    long admissions = 0, refusals = 0, unanswered = 0;
    std::string lastRefusal;

private:
    Server& server;
    uint32_t ip;
    std::unique_ptr<Client> client;
    double asked = 0.0;
};

void joinTable(RunClock& clock) {
    clock.restart();
    Server server;
    const NetAddress to = server.getConnection()->getAddress();
    Cycler cycler(server, LOOPBACK + 1);
    std::vector<std::unique_ptr<Client>> honest;
    std::vector<double> asked, lastAsk, took;
    const double start = realNow();
    for (bool done = false; !done;) {
        // The cycler has the most of the time; the honest clients are served between its slices.
        for (double sliceEnd = realNow() + CYCLER_SLICE; realNow() < sliceEnd;)
            cycler.step();
        double now = realNow();
        size_t next = honest.size();
        if (next < JOIN_CLIENTS && now > start + CYCLER_HEAD_START + double(next) * HONEST_INTERVAL) {
            honest.emplace_back(new Client(LOOPBACK + 2 + uint32_t(next)));
            asked.push_back(now);
            lastAsk.push_back(-1.0);
            took.push_back(-1.0);
        }
        done = honest.size() == JOIN_CLIENTS;
        for (size_t i = 0; i < honest.size(); ++i) {
            Client& c = *honest[i];
            // As an owner repeats its request until it is accepted.
            if (c.getPeerCount() == 0 && now < asked[i] + JOIN_GIVE_UP && now > lastAsk[i] + HONEST_REPEAT) {
                c.sendConnectRequest(to);
                lastAsk[i] = now;
            }
            c.update();
            server.update();
            for (const NetAddress& a : server.admitted)
                if (took[i] < 0.0 && a.sameEndpoint(c.address()))
                    took[i] = realNow() - asked[i];
            done = done && (took[i] >= 0.0 || now > asked[i] + JOIN_GIVE_UP);
        }
        server.admitted.clear();
    }
    double cycling = realNow() - start;
    int within = 0;
    double longest = 0.0;
    for (double t : took) {
        within += t >= 0.0 && t <= JOIN_PATIENCE;
        longest = std::max(longest, t < 0.0 || t > JOIN_GIVE_UP ? JOIN_GIVE_UP : t);
    }
    printf("honest joins from other addresses admitted within %.0f s: %d of %d; longest %.3f s%s\n", JOIN_PATIENCE,
           within, JOIN_CLIENTS, longest, longest >= JOIN_GIVE_UP ? " (not admitted in 3 s)" : "");
    printf("one address cycling over %.1f s: %ld admitted (%.0f a second), %ld refused, %ld unanswered\n", cycling,
           cycler.admissions, double(cycler.admissions) / cycling, cycler.refusals, cycler.unanswered);
    if (!cycler.lastRefusal.empty())
        printf("its last refusal: \"%s\"\n", cycler.lastRefusal.c_str());
}

struct DialOptions {
    NetAddress server;
    int clients = JOIN_CLIENTS;
    double spacing = HONEST_INTERVAL;
    // All clients from this address (players behind one router) when given.
    uint32_t from = 0;
    double interval = NetHost::CONNECT_INTERVAL;
    double giveUp = DIAL_GIVE_UP;
};

// One honest client's join: when it began, when it was taken (negative until then) and whether it is over.
struct Dialler {
    std::unique_ptr<Client> client;
    double began = 0.0, lastAsk = -1.0, took = -1.0;
    int requests = 0;
    bool over = false;
};

void dialTable(const DialOptions& o) {
    std::vector<Dialler> joins(size_t(o.clients));
    const double start = realNow();
    int refused = 0, gaveUp = 0;
    for (size_t done = 0; done < joins.size();) {
        double now = realNow();
        for (size_t i = 0; i < joins.size(); ++i) {
            Dialler& d = joins[i];
            if (d.over || now < start + double(i) * o.spacing)
                continue;
            if (!d.client) {
                d.client.reset(new Client(o.from ? o.from : LOOPBACK + 2 + uint32_t(i)));
                d.began = now;
            }
            Client& c = *d.client;
            if (c.getPeerCount() == 0 && now > d.lastAsk + o.interval) {
                c.sendConnectRequest(o.server);
                d.lastAsk = now;
                ++d.requests;
            }
            c.update();
            if (c.heard) {
                d.took = realNow() - d.began;
                printf("join %zu: %.3f s, %d requests\n", i + 1, d.took, d.requests);
            } else if (!c.refusal.empty()) {
                ++refused;
                printf("join %zu: refused: \"%s\"\n", i + 1, c.refusal.c_str());
            } else if (now > d.began + o.giveUp) {
                ++gaveUp;
                printf("join %zu: gave up after %.0f s\n", i + 1, o.giveUp);
            } else {
                continue;
            }
            fflush(stdout);
            c.disconnectAll();
            d.client.reset();
            d.over = true;
            ++done;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // One not taken counts as taken at the end of its patience.
    std::vector<double> took;
    for (const Dialler& d : joins)
        took.push_back(d.took >= 0.0 ? d.took : o.giveUp);
    printf("taken %d of %d; median %.3f s, longest %.3f s; gave up %d, refused %d\n", o.clients - gaveUp - refused,
           o.clients, median(took), *std::max_element(took.begin(), took.end()), gaveUp, refused);
}

} // namespace

int main(int argc, char** argv) {
    bool cost = false, joins = false, dial = false;
    DialOptions dialing;
    double seconds = 3.0;
    int runs = 3;
    std::vector<double> rates = {50000.0, 100000.0};
    std::vector<DatagramFlood::Kind> kinds = {DatagramFlood::JUNK, DatagramFlood::CONNECT, DatagramFlood::CONFIRM,
                                              DatagramFlood::DATA, DatagramFlood::MIXED};
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "cost") {
            cost = true;
        } else if (a == "joins") {
            joins = true;
        } else if (a == "dial" && i + 1 < argc) {
            dial = true;
            dialing.server = NetAddress(UString(argv[++i]));
        } else if (a == "--clients" && i + 1 < argc) {
            dialing.clients = std::max(1, atoi(argv[++i]));
        } else if (a == "--spacing" && i + 1 < argc) {
            dialing.spacing = atof(argv[++i]);
        } else if (a == "--from" && i + 1 < argc) {
            dialing.from = NetAddress(UString(argv[++i])).getIP();
        } else if (a == "--interval" && i + 1 < argc) {
            dialing.interval = atof(argv[++i]);
        } else if (a == "--give-up" && i + 1 < argc) {
            dialing.giveUp = atof(argv[++i]);
        } else if (a == "--seconds" && i + 1 < argc) {
            seconds = atof(argv[++i]);
        } else if (a == "--runs" && i + 1 < argc) {
            runs = std::max(1, atoi(argv[++i]));
        } else if (a == "--rates" && i + 1 < argc) {
            rates.clear();
            for (char* r = strtok(argv[++i], ","); r; r = strtok(nullptr, ","))
                rates.push_back(atof(r));
        } else if (a == "--kinds" && i + 1 < argc) {
            kinds.clear();
            for (char* k = strtok(argv[++i], ","); k; k = strtok(nullptr, ",")) {
                DatagramFlood::Kind kind;
                if (DatagramFlood::parseKind(k, &kind))
                    kinds.push_back(kind);
            }
        } else {
            fprintf(stderr, "usage: net_flood_bench [cost] [joins] [--seconds S] [--runs N] [--rates R1,R2]"
                            " [--kinds K1,K2]\n"
                            "       net_flood_bench dial HOST:PORT [--clients N] [--spacing S] [--from ADDRESS]"
                            " [--interval S] [--give-up S]\n");
            return 2;
        }
    }
    if (!cost && !joins && !dial)
        cost = joins = true;
    RunClock clock;
    TickSource::install(&clock);
    new Plim(Plim::Bare{});
    PLIM->timeKeeper = new TimeKeeper();
    PLIM->network = new PlimNetwork();
    PLIM->network->bEmulateLocalhost = false;
    if (!DatagramForge::canSendRaw())
        printf("(no raw socket here: floods come from 16 ordinary sockets, not fresh addresses)\n");
    if (cost)
        costTable(clock, rates, kinds, seconds, runs);
    if (joins)
        joinTable(clock);
    if (dial)
        dialTable(dialing);
    TickSource::install(nullptr);
    return 0;
}

// The engine's network transport against reliable ENet, two processes on
// loopback talking through udp-relay, which drops 0, 5, 10, 20 or 30% of the
// datagrams each way, with no delay and with a one-way delay of 10-20 ms.
// Both transports get the same treatment: serviced at the same cadence (every
// 1 ms, and a row at the game's own 50 ms), the same bytes in flight (ENet's
// own 65,536-byte reliable window, its throttle kept from shrinking it), the
// same connection time-out, and the same stopping rule (a run ends when
// either side loses its connection; the row then says how far it got).
// Messages are 60,000 bytes, inside ENet's window, and 65,549 bytes, just
// over it. Both are warmed up before anything is measured, and each side's
// replies carry its acknowledgements. Each row is five runs, ours and ENet's
// taking turns, so that one disturbed run shows as spread instead of
// deciding the row.
// Figures: time to connect, delivery time of one message (median and 95th
// percentile), goodput of a stream of them, and the CPU time both processes
// spent from the end of the warm-up to the last delivery, per megabyte
// delivered.
//
//   net_transport_bench                                   the whole table
//   net_transport_bench LOSS_PERCENT DELAY_MS SERVICE_MS [MESSAGE_BYTES]
//                                                         one setting
#include "core/Plim.h"
#include "core/TimeKeeper.h"
#include "net/PlimNetwork.h"
#include "EnetTransportEndpoint.h"
#include "OurTransportEndpoint.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <signal.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

const int HEADER_BYTES = 13; // kind, index, time stamp
// Inside ENet's reliable window, and 13 bytes over it: ENet's last fragment
// then waits for an acknowledgement before it may go.
const int MESSAGE_SIZES[] = {60000, 65549};
const int LARGEST_MESSAGE = MESSAGE_SIZES[1];
// Runs per row, ours and ENet's taking turns.
const int RUNS = 5;
// Messages per run, one at a time and then streamed. At the game's service
// interval more go one at a time: ENet's resends back off there, so a tenth
// of its deliveries take twice the usual time, and a 95th percentile of
// fewer samples falls on either side of that at random.
const int TRIALS = 10, STREAM_MESSAGES = 6;
const int SLOW_TRIALS = 24, SLOW_STREAM_MESSAGES = 4;
const int FAST_TICK_MS = 1, GAME_TICK_MS = 50;
const double JOIN_TIMEOUT = 20.0;
// A phase that neither ends nor loses its connection is cut off after this.
const double PHASE_LIMIT = 120.0;
// The quit message is answered with this index.
const uint32_t QUIT_INDEX = 0xFFFFFFFFu;
// Short messages one at a time before anything is measured: both transports
// then time their resends from a measured round trip (ENet's first messages
// would otherwise wait its initial 500 ms for a resend).
const int WARMUP_MESSAGES = 5;

enum Kind : uint8_t {
    KIND_WARMUP = 'W',
    KIND_LATENCY = 'L',
    KIND_STREAM = 'T',
    KIND_ANSWER = 'A',
    KIND_QUIT = 'Q'
};

// Set in the receiver once the sender has finished, whichever way.
volatile sig_atomic_t senderDone = 0;

double clockNow() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

// User and system CPU time of this process.
std::pair<double, double> cpuSeconds() {
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    return {u.ru_utime.tv_sec + u.ru_utime.tv_usec * 1e-6, u.ru_stime.tv_sec + u.ru_stime.tv_usec * 1e-6};
}

// A message: its kind, index and time stamp, then payload bytes made once.
std::vector<uint8_t> message(uint8_t kind, uint32_t index, int payload) {
    static std::vector<uint8_t> m;
    if (m.empty()) {
        m.resize(size_t(LARGEST_MESSAGE));
        for (int i = HEADER_BYTES; i < LARGEST_MESSAGE; ++i)
            m[size_t(i)] = uint8_t(i * 31);
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
    int messageBytes;
    double drop;
    double delayMin, delayMax; // one way, seconds
    unsigned seed;             // the relay's: both transports of a run meet the same losses
    int trials() const { return tickMs > FAST_TICK_MS ? SLOW_TRIALS : TRIALS; }
    int streamMessages() const { return tickMs > FAST_TICK_MS ? SLOW_STREAM_MESSAGES : STREAM_MESSAGES; }
    int messages() const { return trials() + streamMessages(); }
    int payload() const { return messageBytes - HEADER_BYTES; }
};

std::unique_ptr<TransportEndpoint> makeEndpoint(const Config& c, bool server) {
    if (c.ours)
        return std::unique_ptr<TransportEndpoint>(new OurTransportEndpoint(server));
    return std::unique_ptr<TransportEndpoint>(new EnetTransportEndpoint());
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

// What one side spent between the end of the warm-up and the last delivery.
struct Spent {
    std::pair<double, double> cpu0, cpu;
    long datagrams0 = 0, datagrams = 0;
    void begin(TransportEndpoint& e) {
        cpu0 = cpuSeconds();
        datagrams0 = e.datagrams();
    }
    void end(TransportEndpoint& e) {
        cpu = cpuSeconds();
        cpu.first -= cpu0.first;
        cpu.second -= cpu0.second;
        datagrams = e.datagrams() - datagrams0;
    }
    void print(FILE* out, bool lost) const {
        fprintf(out, "spent %.6f %.6f %ld %d\n", cpu.first, cpu.second, datagrams, lost ? 1 : 0);
    }
};

// Receives, answers each message with its index, reports results on out.
void runReceiver(const Config& c, int portPipe, FILE* out) {
    startTransport(c);
    std::unique_ptr<TransportEndpoint> e = makeEndpoint(c, true);
    signal(SIGUSR1, [](int) { senderDone = 1; });
    int port = e->listen();
    if (write(portPipe, &port, sizeof port) != sizeof port)
        _exit(1);
    double firstStamp = 0.0, lastArrival = 0.0;
    long streamBytes = 0, deliveredBytes = 0, messages = 0;
    std::vector<uint32_t> answers;
    Spent spent;
    e->onMessage = [&](const uint8_t* m, int length) {
        uint32_t index;
        double stamp;
        memcpy(&index, m + 1, 4);
        memcpy(&stamp, m + 5, 8);
        double now = clockNow();
        if (m[0] == KIND_QUIT) {
            index = QUIT_INDEX;
        } else if (m[0] == KIND_WARMUP) {
            if (index == WARMUP_MESSAGES - 1)
                spent.begin(*e);
        } else {
            deliveredBytes += length;
            ++messages;
            if (m[0] == KIND_LATENCY)
                fprintf(out, "latency %.6f\n", now - stamp);
            if (m[0] == KIND_STREAM) {
                if (index == uint32_t(c.trials()))
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
        if (e->lost || senderDone)
            break;
        e->service();
        for (uint32_t index : answers)
            if (e->connected())
                e->send(message(KIND_ANSWER, index, 0));
        answers.clear();
        e->flush();
        usleep(useconds_t(c.tickMs) * 1000);
    }
    if (streamBytes > 0 && messages == c.messages())
        fprintf(out, "goodput %.6f %ld\n", lastArrival - firstStamp, streamBytes);
    fprintf(out, "delivered %ld %ld\n", messages, deliveredBytes);
    spent.print(out, e->lost);
    fflush(out);
    _exit(0);
}

void runSender(const Config& c, int port, FILE* out) {
    startTransport(c);
    std::unique_ptr<TransportEndpoint> e = makeEndpoint(c, false);
    e->connect(port);
    long answered = -1;
    e->onMessage = [&](const uint8_t* m, int) {
        uint32_t index;
        memcpy(&index, m + 1, 4);
        answered = long(index);
    };
    auto tick = [&] {
        e->service();
        e->flush();
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
    while (!e->connected() && !e->lost && clockNow() - connectStart < JOIN_TIMEOUT)
        tick();
    fprintf(out, "join %.6f\n", e->connected() ? clockNow() - connectStart : -1.0);
    bool going = e->connected();
    for (int i = 0; i < WARMUP_MESSAGES && going; ++i) {
        e->send(message(KIND_WARMUP, uint32_t(i), 0));
        going = until([&] { return answered == i; });
    }
    answered = -1;
    Spent spent;
    spent.begin(*e);
    // Where the receiver's service falls after a message arrives decides
    // much of its delivery time at a long interval: each message goes at a
    // random point of the interval (the same points for both transports).
    std::mt19937 random(c.seed);
    std::uniform_int_distribution<int> phase(0, c.tickMs * 1000 - 1);
    for (int i = 0; i < c.trials() && going; ++i) {
        going = until([&] { return e->canSend(c.messageBytes); });
        if (going) {
            usleep(useconds_t(phase(random)));
            e->send(message(KIND_LATENCY, uint32_t(i), c.payload()));
            going = until([&] { return answered == i; });
        }
    }
    int next = 0;
    long last = c.messages() - 1;
    if (going)
        going = until([&] {
            while (next < c.streamMessages() && e->canSend(c.messageBytes))
                e->send(message(KIND_STREAM, uint32_t(c.trials() + next++), c.payload()));
            return answered == last;
        });
    spent.end(*e);
    if (going) {
        e->send(message(KIND_QUIT, 0, 0));
        until([&] { return answered == long(QUIT_INDEX); });
    }
    spent.print(out, e->lost || !going);
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
        std::string seed = std::to_string(c.seed);
        execl(UDP_RELAY_PATH, "udp-relay", "--listen", "0", "--to", to.c_str(), "--seed", seed.c_str(), "--drop", drop.c_str(),
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
    double streamSeconds = 0.0, userCpu = 0.0, systemCpu = 0.0, join = 0.0;
    long streamBytes = 0, datagrams = 0, messages = 0, deliveredBytes = 0;
    bool lost = false;
};

void collect(FILE* in, Result& r) {
    char line[256];
    while (fgets(line, sizeof line, in)) {
        double v, w;
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
        } else if (sscanf(line, "spent %lf %lf %ld %d", &v, &w, &n, &lost) == 4) {
            r.userCpu += v;
            r.systemCpu += w;
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
    waitpid(sender, nullptr, 0);
    kill(receiver, SIGUSR1);
    collect(receiverOut, r);
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

// One figure over a side's runs: the median run's and the range of all.
struct Spread {
    double median = 0.0, low = 0.0, high = 0.0;
    explicit Spread(const std::vector<double>& v) : median(percentile(v, 0.5)) {
        if (!v.empty()) {
            low = *std::min_element(v.begin(), v.end());
            high = *std::max_element(v.begin(), v.end());
        }
    }
};

// One side's runs of a row, reduced to figures over its complete runs.
struct SideFigures {
    int complete = 0;
    std::vector<long> lostAfter;
    std::vector<double> medians, p95s, rates, cpus, systemShares, joins, datagrams, pooled;
    SideFigures(const Config& c, const std::vector<Result>& runs) {
        for (const Result& r : runs) {
            if (r.lost || r.messages < c.messages()) {
                lostAfter.push_back(r.messages);
                continue;
            }
            ++complete;
            medians.push_back(percentile(r.latencies, 0.5) * 1000);
            p95s.push_back(percentile(r.latencies, 0.95) * 1000);
            rates.push_back(r.streamBytes / r.streamSeconds / 1e6);
            double cpu = r.userCpu + r.systemCpu;
            cpus.push_back(cpu * 1000.0 / (r.deliveredBytes / 1e6));
            systemShares.push_back(cpu > 0.0 ? r.systemCpu / cpu * 100 : 0.0);
            joins.push_back(r.join * 1000);
            datagrams.push_back(double(r.datagrams));
            pooled.insert(pooled.end(), r.latencies.begin(), r.latencies.end());
        }
    }
    double pooledP95() const { return percentile(pooled, 0.95) * 1000; }
};

void printSpread(const Spread& s, const char* format) {
    printf("  ");
    printf(format, s.median);
    printf(" [");
    printf(format, s.low);
    printf("-");
    printf(format, s.high);
    printf("]");
}

void printSide(const Config& c, const SideFigures& f) {
    printf("%5d ms %4.0f%%  %2.0f-%2.0f ms  %6d  %-4s  %d/%d", c.tickMs, c.drop * 100, c.delayMin * 1000,
           c.delayMax * 1000, c.messageBytes, c.ours ? "ours" : "enet", f.complete, RUNS);
    if (f.complete) {
        printf("  %7.1f", Spread(f.joins).median);
        printSpread(Spread(f.medians), "%5.1f");
        printSpread(Spread(f.p95s), "%5.1f");
        printf("  %6.1f", f.pooledP95());
        printSpread(Spread(f.rates), "%5.2f");
        printSpread(Spread(f.cpus), "%6.1f");
        printf("  %3.0f%%  %9.0f", Spread(f.systemShares).median, Spread(f.datagrams).median);
    }
    if (!f.lostAfter.empty()) {
        printf("  lost connection after ");
        for (size_t i = 0; i < f.lostAfter.size(); ++i)
            printf("%s%ld", i ? ", " : "", f.lostAfter[i]);
        printf(" of %d messages", c.messages());
    }
    printf("\n");
}

// Five runs of each transport, taking turns, then both rows and their ratios.
void runRow(Config c) {
    std::vector<Result> ours, theirs;
    for (int run = 0; run < RUNS; ++run) {
        c.seed = unsigned(run + 1);
        c.ours = true;
        ours.push_back(runPair(c));
        c.ours = false;
        theirs.push_back(runPair(c));
    }
    c.ours = true;
    SideFigures a(c, ours);
    printSide(c, a);
    c.ours = false;
    SideFigures b(c, theirs);
    printSide(c, b);
    if (a.complete && b.complete)
        printf("%38s  median %.2fx  p95 %.2fx  pooled p95 %.2fx  MB/s %.2fx  cpu %.2fx\n", "ours/enet",
               Spread(a.medians).median / Spread(b.medians).median, Spread(a.p95s).median / Spread(b.p95s).median,
               a.pooledP95() / b.pooledP95(), Spread(a.rates).median / Spread(b.rates).median,
               Spread(a.cpus).median / Spread(b.cpus).median);
    fflush(stdout);
}

void printHeading() {
    printf("service   loss  one-way  message  side  runs  join ms  median ms [range]    p95 ms [range]     pooled"
           "  MB/s [range]        cpu ms/MB [range]     sys  datagrams\n");
}

} // namespace

int main(int argc, char** argv) {
    signal(SIGPIPE, SIG_IGN);
    // With a loss in percent, a delay in ms, a service interval in ms and
    // optionally a message length, only the rows of those.
    if (argc == 4 || argc == 5) {
        printHeading();
        for (int bytes : MESSAGE_SIZES) {
            if (argc == 5)
                bytes = std::max(HEADER_BYTES, std::min(LARGEST_MESSAGE, atoi(argv[4])));
            double delay = atof(argv[2]) / 1000.0;
            runRow(Config{true, atoi(argv[3]), bytes, atof(argv[1]) / 100.0, delay, 2 * delay, 0});
            if (argc == 5)
                break;
        }
        return 0;
    }
    printf("Network transport through udp-relay on loopback: %d runs per row, ours and ENet's taking turns (median\n"
           "run and range of all). Each run: %d messages one at a time (median and p95 of their delivery; pooled:\n"
           "p95 of every delivery of all runs), then a stream of %d (goodput); at the game's service interval %d\n"
           "and %d. CPU of both processes from the warm-up's end to the last delivery, per MB delivered, and the\n"
           "system's share of it. Both transports: at most %ld message bytes unacknowledged (a longer message\n"
           "goes alone), a %.0f s connection time-out, and a run ends when either side loses its connection.\n",
           RUNS, TRIALS, STREAM_MESSAGES, SLOW_TRIALS, SLOW_STREAM_MESSAGES, TransportEndpoint::WINDOW_BYTES,
           TransportEndpoint::CONNECTION_TIMEOUT);
    printHeading();
    double start = clockNow();
    for (int bytes : MESSAGE_SIZES)
        for (double drop : {0.0, 0.05, 0.10, 0.20, 0.30})
            for (double delay : {0.0, 0.010})
                runRow(Config{true, FAST_TICK_MS, bytes, drop, delay, 2 * delay, 0});
    printf("At the game's own service interval:\n");
    for (int bytes : MESSAGE_SIZES)
        runRow(Config{true, GAME_TICK_MS, bytes, 0.05, 0.010, 0.020, 0});
    printf("The table took %.1f minutes.\n", (clockNow() - start) / 60.0);
    return 0;
}

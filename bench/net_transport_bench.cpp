// The engine's network transport against reliable ENet, two processes on
// loopback talking through udp-relay, which drops and delays datagrams each way.
//
//   bash tools/build.sh && build/bench/net_transport_bench --runs 5
//
// runs the table five times, ours and ENet's taking turns in each row, and
// ends with each row's spread over the runs (median run and range). One run
// of the table takes about three minutes; without --runs it runs once.
//   net_transport_bench LOSS_PERCENT DELAY_MS SERVICE_MS [MESSAGE_BYTES] [--runs N]
// runs one setting (60,000-byte messages unless given).
//
// Both transports get the same treatment: serviced at the same cadence (every
// 1 ms, and a row at the game's own 50 ms), the same message bytes in flight
// (ENet's own 65,536-byte reliable window, its throttle kept from shrinking
// it; ours is held to it piece by piece in its endpoint), the same connection
// time-out, and the same stopping rule (a run ends when either side loses its
// connection; the row then says how far it got). Messages are 60,000 bytes,
// inside the window; one row has 65,549, just over it, where both hold the
// last piece until acknowledgements make room. Both are warmed up before
// anything is measured, and each side's replies carry its acknowledgements.
// Figures per run: time to connect; delivery time of 100 messages sent one at
// a time (median and 95th percentile); goodput of a stream of 20; the CPU
// time both ends spent from the end of the warm-up to the last delivery, per
// megabyte delivered (all, and the user part alone), and beside it the
// relay's over the same span.
#include "core/Plim.h"
#include "core/TimeKeeper.h"
#include "net/PlimNetwork.h"
#include "ArgumentNumber.h"
#include "EnetTransportEndpoint.h"
#include "OurTransportEndpoint.h"
#include "TransportFigures.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <signal.h>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

const int HEADER_BYTES = 13; // kind, index, time stamp
const int MESSAGE_BYTES = 60000;
// 13 bytes over ENet's window: its last fragment waits for an acknowledgement.
const int OVER_WINDOW_BYTES = 65549;
const int LARGEST_MESSAGE = OVER_WINDOW_BYTES;
// Messages per run, one at a time (enough that a 95th percentile is not the
// largest of a handful) and then streamed.
const int TRIALS = 100, STREAM_MESSAGES = 20;
const int FAST_TICK_MS = 1, GAME_TICK_MS = 50;
const double JOIN_TIMEOUT = 20.0;
// A phase that neither ends nor loses its connection is cut off after this.
const double PHASE_LIMIT = 60.0;
// The quit message is answered with this index.
const uint32_t QUIT_INDEX = 0xFFFFFFFFu;
// Short messages one at a time before anything is measured: both transports
// then time their resends from a measured round trip (ENet's first messages
// would otherwise wait its initial 500 ms for a resend).
const int WARMUP_MESSAGES = 5;

// The table: service interval, message length, loss, one-way delay.
const TransportRow ROWS[] = {
    {FAST_TICK_MS, MESSAGE_BYTES, 0.0, 0.0, 0.0},         {FAST_TICK_MS, MESSAGE_BYTES, 0.05, 0.010, 0.020},
    {FAST_TICK_MS, MESSAGE_BYTES, 0.10, 0.010, 0.020},    {GAME_TICK_MS, MESSAGE_BYTES, 0.05, 0.010, 0.020},
    {FAST_TICK_MS, OVER_WINDOW_BYTES, 0.0, 0.010, 0.020},
};

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

// CPU time of another process (the relay), 0 when it cannot be read.
double cpuSecondsOf(pid_t pid) {
    clockid_t clock;
    timespec t;
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &t) != 0)
        return 0.0;
    return t.tv_sec + t.tv_nsec * 1e-9;
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
    TransportRow row;
    // The relay's and the send points': both transports of a run meet the
    // same series of drop and delay draws, one per datagram in the order
    // they reach the relay. They send different datagrams, so the same draw
    // falls on different data: the losses are alike in rate, not in pattern.
    unsigned seed;
    pid_t relay;
    int messages() const { return TRIALS + STREAM_MESSAGES; }
    int payload() const { return row.messageBytes - HEADER_BYTES; }
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

// What one side (and, seen from the sender, the relay) spent between the end
// of the warm-up and the last delivery.
struct Spent {
    std::pair<double, double> cpu0, cpu;
    double relay0 = 0.0, relay = 0.0;
    long datagrams0 = 0, datagrams = 0;
    void begin(TransportEndpoint& e, pid_t relayPid) {
        cpu0 = cpuSeconds();
        relay0 = relayPid ? cpuSecondsOf(relayPid) : 0.0;
        datagrams0 = e.datagrams();
    }
    void end(TransportEndpoint& e, pid_t relayPid) {
        cpu = cpuSeconds();
        cpu.first -= cpu0.first;
        cpu.second -= cpu0.second;
        relay = relayPid ? cpuSecondsOf(relayPid) - relay0 : 0.0;
        datagrams = e.datagrams() - datagrams0;
    }
    void print(FILE* out, bool lost) const {
        fprintf(out, "spent %.6f %.6f %.6f %ld %d\n", cpu.first, cpu.second, relay, datagrams, lost ? 1 : 0);
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
                spent.begin(*e, 0);
        } else {
            deliveredBytes += length;
            ++messages;
            if (m[0] == KIND_LATENCY)
                fprintf(out, "latency %.6f\n", now - stamp);
            if (m[0] == KIND_STREAM) {
                if (index == uint32_t(TRIALS))
                    firstStamp = stamp;
                streamBytes += length - HEADER_BYTES;
                lastArrival = now;
            }
            if (messages == c.messages())
                spent.end(*e, 0);
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
        usleep(useconds_t(c.row.tickMs) * 1000);
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
        usleep(useconds_t(c.row.tickMs) * 1000);
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
    spent.begin(*e, c.relay);
    // Where the receiver's service falls after a message arrives decides
    // much of its delivery time at a long interval: each message goes at a
    // random point of the interval (the same points for both transports).
    std::mt19937 random(c.seed);
    std::uniform_int_distribution<int> phase(0, c.row.tickMs * 1000 - 1);
    for (int i = 0; i < TRIALS && going; ++i) {
        going = until([&] { return e->canSend(c.row.messageBytes); });
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
            while (next < STREAM_MESSAGES && e->canSend(c.row.messageBytes))
                e->send(message(KIND_STREAM, uint32_t(TRIALS + next++), c.payload()));
            return answered == last;
        });
    spent.end(*e, c.relay);
    if (going) {
        e->send(message(KIND_QUIT, 0, 0));
        until([&] { return answered == long(QUIT_INDEX); });
    }
    spent.print(out, e->lost || !going);
    fflush(out);
    _exit(0);
}

// A child that ends with the bench, however the bench ends.
pid_t forkChild() {
    pid_t parent = getpid();
    pid_t pid = fork();
    if (pid == 0 && (prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || getppid() != parent))
        _exit(1);
    return pid;
}

pid_t forkWithOutput(const std::function<void(FILE*)>& body, FILE** read) {
    int fds[2];
    if (pipe(fds) != 0)
        exit(1);
    pid_t pid = forkChild();
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
    pid_t pid = forkChild();
    if (pid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        std::string to = "127.0.0.1:" + std::to_string(targetPort);
        std::string drop = std::to_string(c.row.drop), low = std::to_string(c.row.delayMin),
                    high = std::to_string(c.row.delayMax);
        std::string seed = std::to_string(c.seed);
        execl(UDP_RELAY_PATH, "udp-relay", "--listen", "0", "--to", to.c_str(), "--seed", seed.c_str(), "--drop",
              drop.c_str(), "--delay-min", low.c_str(), "--delay-max", high.c_str(), "--keep-order", "1", nullptr);
        _exit(127);
    }
    close(fds[1]);
    FILE* in = fdopen(fds[0], "r");
    if (fscanf(in, "relay on port %d", relayPort) != 1)
        exit(1);
    fclose(in);
    return pid;
}

void collect(FILE* in, TransportResult& r) {
    char line[256];
    while (fgets(line, sizeof line, in)) {
        double v, w, x;
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
        } else if (sscanf(line, "spent %lf %lf %lf %ld %d", &v, &w, &x, &n, &lost) == 5) {
            r.userCpu += v;
            r.systemCpu += w;
            r.relayCpu += x;
            r.datagrams += n;
            r.lost |= lost != 0;
        }
    }
    fclose(in);
}

TransportResult runPair(Config c) {
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
    c.relay = startRelay(port, c, &relayPort);
    FILE* senderOut = nullptr;
    pid_t sender = forkWithOutput([&](FILE* out) { runSender(c, relayPort, out); }, &senderOut);
    TransportResult r;
    r.expected = c.messages();
    collect(senderOut, r);
    waitpid(sender, nullptr, 0);
    kill(receiver, SIGUSR1);
    collect(receiverOut, r);
    waitpid(receiver, nullptr, 0);
    kill(c.relay, SIGTERM);
    waitpid(c.relay, nullptr, 0);
    return r;
}

// Each row once per run, ours and ENet's taking turns, then the spread of
// every row over the runs.
void runTable(const std::vector<TransportRow>& rows, int runs) {
    TransportFigures figures(rows, runs);
    figures.printRunHeading();
    double start = clockNow();
    for (int run = 0; run < runs; ++run)
        for (size_t i = 0; i < rows.size(); ++i) {
            Config c{true, rows[i], unsigned(run + 1), 0};
            TransportResult ours = runPair(c);
            c.ours = false;
            TransportResult theirs = runPair(c);
            figures.add(i, run, ours, theirs);
        }
    if (runs > 1)
        figures.printSpread();
    printf("The table took %.1f minutes.\n", (clockNow() - start) / 60.0);
}

void printUsage() {
    printf("net_transport_bench [--runs N]\n"
           "net_transport_bench LOSS_PERCENT DELAY_MS SERVICE_MS [MESSAGE_BYTES] [--runs N]\n"
           "Ours against reliable ENet through udp-relay on loopback; each run: %d messages one at a time (median\n"
           "and p95 delivery), a stream of %d (goodput), CPU of both ends per MB delivered from the warm-up's end\n"
           "to the last delivery, the system's share of it, and the relay's CPU per MB over the same span. Both\n"
           "transports: at most %ld message bytes in flight, a %.0f s connection time-out. With --runs N the table\n"
           "runs N times and ends with each row's median run and range. One setting: a one-way delay of\n"
           "DELAY_MS to twice it, %d-byte messages unless given.\n",
           TRIALS, STREAM_MESSAGES, TransportEndpoint::WINDOW_BYTES, TransportEndpoint::CONNECTION_TIMEOUT,
           MESSAGE_BYTES);
}

} // namespace

int main(int argc, char** argv) {
    signal(SIGPIPE, SIG_IGN);
    long runs = 1;
    std::vector<long> numbers;
    for (int i = 1; i < argc; ++i) {
        long n = 0;
        if (strcmp(argv[i], "--runs") == 0 && i + 1 < argc && ArgumentNumber::parse(argv[i + 1], 1, 100, &runs)) {
            ++i;
        } else if (ArgumentNumber::parse(argv[i], 0, LARGEST_MESSAGE, &n)) {
            numbers.push_back(n);
        } else {
            printUsage();
            return strcmp(argv[i], "--help") == 0 ? 0 : 2;
        }
    }
    std::vector<TransportRow> rows(std::begin(ROWS), std::end(ROWS));
    if (!numbers.empty()) {
        if (numbers.size() < 3 || numbers.size() > 4 || numbers[0] > 100 || numbers[2] < 1 ||
            (numbers.size() == 4 && numbers[3] < HEADER_BYTES)) {
            printUsage();
            return 2;
        }
        double delay = double(numbers[1]) / 1000.0;
        int bytes = numbers.size() == 4 ? int(numbers[3]) : MESSAGE_BYTES;
        rows = {TransportRow{int(numbers[2]), bytes, double(numbers[0]) / 100.0, delay, 2 * delay}};
    }
    runTable(rows, int(runs));
    return 0;
}

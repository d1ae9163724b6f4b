// udp-relay: a test tool that stands between two UDP endpoints and damages the
// traffic. Datagrams that reach the listening port are forwarded to the
// target; the target's answers go back to the latest sender. Each datagram,
// either way, may be dropped, duplicated, held back behind later ones
// (reordered), delayed and have one bit flipped, at the given rates, from a
// seed (with --keep-order 1 a delay never lets a datagram overtake an earlier
// one of its direction, as on a path whose delay varies). Whatever the rates,
// --drop-first-answers drops the target's first N answers and --drop-confirms
// the client's first N confirmations of an accept. The counts are printed when
// the relay stops (SIGINT, SIGTERM or --duration); it then exits 0.
//
// As a hostile sender on the same machine, --replay-toward target|client
// keeps copies of the datagrams it has forwarded to that side and, from
// SIGUSR1 on for --replay-seconds, sends them again to it from other ports
// (--replay-ports) at --replay-rate a second, oldest first, over and over.
// What comes back to those ports is counted (data: anything but the game's
// connection packets) and thrown away. With --forge 1 every other datagram is
// forged instead: in turn a disconnect and an empty data piece ahead of the
// traffic, both under the identifier that side's peer uses. --flood-rate sends
// that many connect requests a second to the target, each from a fresh port
// (of --flood-from's address, as another machine would, where given).
//
//   udp-relay --listen PORT --to HOST:PORT [--seed S] [--drop P] [--duplicate P]
//             [--reorder P] [--delay-min SECONDS] [--delay-max SECONDS] [--corrupt P]
//             [--drop-first-answers N] [--drop-confirms N] [--duration SECONDS] [--keep-order 0|1]
//             [--replay-toward target|client] [--replay-rate N] [--replay-seconds S] [--replay-ports N]
//             [--forge 0|1] [--flood-rate N] [--flood-from ADDRESS]
//
// Prints "relay on port P" once it listens, and at the end
// "relay forwarded=N dropped=N duplicated=N reordered=N delayed=N corrupted=N"
// and, with replays, "replay sent=N forged=N answers=N data=N answerBytes=N kept=N"
// (kept: the datagrams it held for replaying at the end),
// with a flood "flood sent=N".
#include "ArgumentNumber.h"
#include "StopSignals.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <queue>
#include <random>
#include <string>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace {

const double REORDER_HOLD = 0.025; // later datagrams overtake one held this long
const int MAX_DATAGRAM = 65536;
// The game's connection packets start with this marker; anything else is data.
const uint8_t MARKER[4] = {0xFB, 0xFC, 0xFD, 0xFE};
const uint32_t TYPE_CONNECT = 0, TYPE_DISCONNECT = 3, TYPE_CONFIRM = 5;
const uint8_t STRING_MASK = 0x6B; // onto every byte of a string on the wire
// A forged piece claims a sequence number this far ahead of the traffic.
const int FORGED_AHEAD = 100;

// The limits of the options' values.
const long MAX_PORT = 65535;
const long MAX_SEED = 0xffffffffL;
const double MAX_SECONDS = 86400.0; // delays, the duration and the replay's length
const double MAX_RATE = 1e6;        // datagrams a second
const long MAX_REPLAY_PORTS = 1024;
const long MAX_DROPPED = 1000000000L;

volatile sig_atomic_t replayRequested = 0;
void onReplay(int) { replayRequested = 1; }

double now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

struct Pending {
    double due;
    unsigned long order;
    int socket;
    sockaddr_in to;
    std::vector<uint8_t> bytes;
    bool operator>(const Pending& o) const { return due != o.due ? due > o.due : order > o.order; }
};

struct Counts {
    long forwarded = 0, dropped = 0, duplicated = 0, reordered = 0, delayed = 0, corrupted = 0;
};

int openSocket(int port) {
    int s = socket(AF_INET, SOCK_DGRAM, 0);
    if (s < 0)
        return -1;
    int size = 1 << 20;
    setsockopt(s, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    setsockopt(s, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    sockaddr_in a;
    memset(&a, 0, sizeof a);
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    a.sin_port = htons(static_cast<uint16_t>(port));
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(s);
        return -1;
    }
    return s;
}

bool resolve(const std::string& text, sockaddr_in* out) {
    size_t colon = text.rfind(':');
    if (colon == std::string::npos)
        return false;
    addrinfo hints;
    memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(text.substr(0, colon).c_str(), text.substr(colon + 1).c_str(), &hints, &found) != 0)
        return false;
    memcpy(out, found->ai_addr, sizeof *out);
    freeaddrinfo(found);
    return true;
}

bool isConnectionPacket(const uint8_t* bytes, size_t n) { return n >= 4 && memcmp(bytes, MARKER, 4) == 0; }

bool isConfirm(const uint8_t* bytes, size_t n) {
    uint32_t type = 0;
    if (n < 8 || !isConnectionPacket(bytes, n))
        return false;
    memcpy(&type, bytes + 4, 4);
    return type == TYPE_CONFIRM;
}

void putU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

void putVarint(std::vector<uint8_t>& out, uint32_t v) {
    for (; v >= 0x80; v >>= 7)
        out.push_back(uint8_t(v | 0x80));
    out.push_back(uint8_t(v));
}

void putCrc(std::vector<uint8_t>& out) { putU32(out, uint32_t(crc32(0L, out.data(), uInt(out.size())))); }

// A data datagram's sender identifier and sequence number; false for anything else.
bool dataHeader(const uint8_t* bytes, size_t n, uint32_t* id, uint32_t* sequence) {
    // The identifier, the connection's secret, then the sequence number.
    if (n < 13 || isConnectionPacket(bytes, n))
        return false;
    memcpy(id, bytes, 4);
    *sequence = 0;
    for (size_t i = 12, shift = 0; i < n && shift < 32; ++i, shift += 7) {
        *sequence |= uint32_t(bytes[i] & 0x7F) << shift;
        if (!(bytes[i] & 0x80))
            return true;
    }
    return false;
}

std::vector<uint8_t> connectRequest() {
    std::vector<uint8_t> out(MARKER, MARKER + 4);
    putU32(out, TYPE_CONNECT);
    auto putString = [&out](const char* text) {
        out.push_back(uint8_t(strlen(text)));
        for (; *text; ++text)
            out.push_back(uint8_t(*text) ^ STRING_MASK);
    };
    float version = 3.00f; // the wire's (NetHost::WIRE_VERSION), which the server takes
    uint32_t bits;
    memcpy(&bits, &version, 4);
    putString("Corvana2demo");
    putU32(out, bits);
    putString("flood");
    for (int i = 0; i < 8; ++i) // the request's nonce
        out.push_back(uint8_t(rand()));
    putCrc(out);
    return out;
}

// Copies of what went to one side, sent again to it from other ports.
struct Replayer {
    // The first datagrams (the handshake) stay; later ones in a ring.
    enum { KEPT_FIRST = 32, KEPT_LATEST = 2048 };
    int toward = -1; // 0: the target, 1: the client
    double rate = 0.0, seconds = 0.0;
    std::vector<int> sockets;
    std::vector<std::vector<uint8_t>> first;
    std::deque<std::vector<uint8_t>> latest;
    double start = -1.0;
    long sent = 0, forged = 0, answers = 0, dataAnswers = 0, answerBytes = 0;
    size_t next = 0;
    bool forge = false;
    // The identifier at the front of the data that goes to that side (its
    // peer's), and the newest sequence number in it.
    uint32_t peerId = 0, newestSequence = 0;

    void watch(const uint8_t* bytes, size_t n) {
        uint32_t id, sequence;
        if (!dataHeader(bytes, n, &id, &sequence))
            return;
        peerId = id;
        if (sequence > newestSequence)
            newestSequence = sequence;
    }
    // A disconnect, and an empty last piece far ahead with a sound checksum,
    // each with a guessed secret (a forger has read none).
    std::vector<uint8_t> forgery(bool disconnect) const {
        std::vector<uint8_t> out;
        if (disconnect) {
            out.assign(MARKER, MARKER + 4);
            putU32(out, TYPE_DISCONNECT);
            putU32(out, peerId);
            putU32(out, 0);
            putU32(out, 0);
            return out;
        }
        putU32(out, peerId);
        putU32(out, 0);
        putU32(out, 0);
        putVarint(out, newestSequence + FORGED_AHEAD);
        out.push_back(0x02); // last piece; the entry that follows is a piece
        out.push_back(0);    // acknowledgement
        out.push_back(0);    // length
        putCrc(out);
        return out;
    }

    void keep(const std::vector<uint8_t>& bytes) {
        if (first.size() < KEPT_FIRST) {
            first.push_back(bytes);
            return;
        }
        latest.push_back(bytes);
        if (latest.size() > KEPT_LATEST)
            latest.pop_front();
    }
    bool active(double t) const { return start >= 0.0 && t - start < seconds; }
    // Sends what is due by now; the copies go round the sockets.
    void send(double t, const sockaddr_in& to) {
        size_t kept = first.size() + latest.size();
        if (!active(t) || kept == 0)
            return;
        long due = long((t - start) * rate);
        for (; sent < due; ++sent) {
            int s = sockets[size_t(sent) % sockets.size()];
            if (forge && sent % 2) {
                std::vector<uint8_t> bytes = forgery(sent / 2 % 2 == 0);
                sendto(s, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
                ++forged;
                continue;
            }
            size_t i = next++ % kept;
            const std::vector<uint8_t>& bytes = i < first.size() ? first[i] : latest[i - first.size()];
            sendto(s, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
        }
    }
    void drain() {
        uint8_t buffer[MAX_DATAGRAM];
        for (int s : sockets)
            for (ssize_t got; (got = recv(s, buffer, sizeof buffer, MSG_DONTWAIT)) >= 0;) {
                ++answers;
                answerBytes += got;
                if (!isConnectionPacket(buffer, size_t(got)))
                    ++dataAnswers;
            }
    }
};

int usage(const std::string& why) {
    fprintf(stderr, "udp-relay: %s\n", why.c_str());
    fprintf(stderr, "usage: udp-relay --listen PORT --to HOST:PORT [--seed S] [--drop P] [--duplicate P]\n"
                    "                 [--reorder P] [--delay-min S] [--delay-max S] [--corrupt P]\n"
                    "                 [--drop-first-answers N] [--drop-confirms N] [--duration S] [--keep-order 0|1]\n"
                    "                 [--replay-toward target|client] [--replay-rate N] [--replay-seconds S]\n"
                    "                 [--replay-ports N] [--forge 0|1] [--flood-rate N] [--flood-from ADDRESS]\n");
    return 2;
}

// What the command line asks for.
struct Options {
    long listenPort = -1;
    std::string target;
    long seed = 1;
    // Rates from 0 to 1; delays and the duration in seconds (0: until stopped).
    double drop = 0, duplicate = 0, reorder = 0, corrupt = 0, delayMin = 0, delayMax = 0, duration = 0;
    long dropFirstAnswers = 0, dropConfirms = 0;
    bool keepOrder = false;
    int replayToward = -1; // 0: the target, 1: the client
    double replayRate = 2000.0, replaySeconds = 10.0;
    long replayPorts = 8;
    bool forge = false;
    double floodRate = 0;
    // The flood's address; any when zero.
    in_addr floodFrom{};
};

bool readSwitch(const char* text, bool* out) {
    long n = 0;
    if (!ArgumentNumber::parse(text, 0, 1, &n)) return false;
    *out = n != 0;
    return true;
}

bool readSide(const char* text, int* out) {
    if (!strcmp(text, "target")) *out = 0;
    else if (!strcmp(text, "client")) *out = 1;
    else return false;
    return true;
}

// One option and its value into o; false for an unknown option or a value it does not take.
bool readOption(const std::string& name, const char* value, Options& o) {
    using N = ArgumentNumber;
    if (name == "--listen") return N::parse(value, 0, MAX_PORT, &o.listenPort);
    if (name == "--to") {
        o.target = value;
        return !o.target.empty();
    }
    if (name == "--seed") return N::parse(value, 0, MAX_SEED, &o.seed);
    if (name == "--drop") return N::parseDecimal(value, 0.0, 1.0, &o.drop);
    if (name == "--duplicate") return N::parseDecimal(value, 0.0, 1.0, &o.duplicate);
    if (name == "--reorder") return N::parseDecimal(value, 0.0, 1.0, &o.reorder);
    if (name == "--corrupt") return N::parseDecimal(value, 0.0, 1.0, &o.corrupt);
    if (name == "--delay-min") return N::parseDecimal(value, 0.0, MAX_SECONDS, &o.delayMin);
    if (name == "--delay-max") return N::parseDecimal(value, 0.0, MAX_SECONDS, &o.delayMax);
    if (name == "--duration") return N::parseDecimal(value, 0.0, MAX_SECONDS, &o.duration);
    if (name == "--drop-first-answers") return N::parse(value, 0, MAX_DROPPED, &o.dropFirstAnswers);
    if (name == "--drop-confirms") return N::parse(value, 0, MAX_DROPPED, &o.dropConfirms);
    if (name == "--keep-order") return readSwitch(value, &o.keepOrder);
    if (name == "--replay-toward") return readSide(value, &o.replayToward);
    if (name == "--replay-rate") return N::parseDecimal(value, 0.0, MAX_RATE, &o.replayRate);
    if (name == "--replay-seconds") return N::parseDecimal(value, 0.0, MAX_SECONDS, &o.replaySeconds);
    if (name == "--replay-ports") return N::parse(value, 1, MAX_REPLAY_PORTS, &o.replayPorts);
    if (name == "--forge") return readSwitch(value, &o.forge);
    if (name == "--flood-rate") return N::parseDecimal(value, 0.0, MAX_RATE, &o.floodRate);
    if (name == "--flood-from") return inet_pton(AF_INET, value, &o.floodFrom) == 1;
    return false;
}

// The options in pairs of a name and a value; an empty text, or why they cannot be used.
std::string readOptions(int argc, char** argv, Options& o) {
    if (argc % 2 == 0) return std::string(argv[argc - 1]) + " needs a value";
    for (int i = 1; i + 1 < argc; i += 2)
        if (!readOption(argv[i], argv[i + 1], o)) return std::string("bad argument ") + argv[i] + " " + argv[i + 1];
    if (o.listenPort < 0 || o.target.empty()) return "needs --listen and --to";
    if (o.delayMax < o.delayMin) return "--delay-max is below --delay-min";
    return std::string();
}

void onSignals() {
    StopSignals::install();
    signal(SIGUSR1, onReplay);
}

// The relay itself: its sockets, the datagrams held back and what it did.
class Relay {
public:
    explicit Relay(const Options& options) : o(options), random(unsigned(options.seed)) {
        replayer.toward = o.replayToward;
        replayer.rate = o.replayRate;
        replayer.seconds = o.replaySeconds;
        replayer.forge = o.forge;
        dropFirstAnswers = o.dropFirstAnswers;
        dropConfirms = o.dropConfirms;
    }
    ~Relay() {
        if (front >= 0) close(front);
        if (back >= 0) close(back);
    }

    // Resolves the target and opens the sockets; false once it has said why.
    bool open();
    // Prints the listening port.
    void announce() const;
    // Relays until a stop signal or the end of the duration.
    void run();
    void printCounts() const;

private:
    // Waits for a datagram at either socket, at most until the next one is due out.
    void await(pollfd fds[2]);
    // Takes every datagram waiting at a side (0: the client's, 1: the target's).
    void receiveAt(int side, int socket);
    // Drops a datagram, or queues it (or two copies) delayed, held back and damaged.
    void damage(int side, ssize_t got);
    void sendDue();
    void flood();

    const Options& o;
    int front = -1, back = -1;
    sockaddr_in targetAddress;
    bool haveClient = false;
    sockaddr_in client;
    Replayer replayer;
    std::mt19937 random;
    std::uniform_real_distribution<double> fraction{0.0, 1.0};
    std::priority_queue<Pending, std::vector<Pending>, std::greater<Pending>> queue;
    Counts counts;
    long dropFirstAnswers = 0, dropConfirms = 0;
    unsigned long order = 0;
    double lastDue[2] = {0.0, 0.0};
    std::vector<uint8_t> buffer = std::vector<uint8_t>(MAX_DATAGRAM);
    double start = 0.0;
    const std::vector<uint8_t> request = connectRequest();
    long flooded = 0;
};

bool Relay::open() {
    if (!resolve(o.target, &targetAddress)) {
        fprintf(stderr, "udp-relay: cannot resolve %s\n", o.target.c_str());
        return false;
    }
    front = openSocket(int(o.listenPort));
    back = openSocket(0);
    bool replaySocketsOpen = true;
    for (int i = 0; replayer.toward >= 0 && i < o.replayPorts; ++i) {
        replayer.sockets.push_back(openSocket(0));
        replaySocketsOpen &= replayer.sockets.back() >= 0;
    }
    // The back socket hears the target alone: a late datagram to its port
    // from a process that had it before is none of the target's answers.
    if (back >= 0 && connect(back, reinterpret_cast<const sockaddr*>(&targetAddress), sizeof targetAddress) != 0) {
        close(back);
        back = -1;
    }
    if (front < 0 || back < 0 || !replaySocketsOpen) {
        fprintf(stderr, "udp-relay: cannot bind: %s\n", strerror(errno));
        return false;
    }
    return true;
}

void Relay::announce() const {
    sockaddr_in bound;
    socklen_t length = sizeof bound;
    getsockname(front, reinterpret_cast<sockaddr*>(&bound), &length);
    printf("relay on port %d\n", ntohs(bound.sin_port));
    fflush(stdout);
}

void Relay::run() {
    start = now();
    while (!StopSignals::requested() && (o.duration <= 0 || now() - start < o.duration)) {
        if (replayRequested && replayer.start < 0.0)
            replayer.start = now();
        pollfd fds[2] = {{front, POLLIN, 0}, {back, POLLIN, 0}};
        await(fds);
        for (int side = 0; side < 2; ++side)
            if (fds[side].revents & POLLIN)
                receiveAt(side, fds[side].fd);
        sendDue();
        flood();
        if (replayer.toward >= 0 && haveClient) {
            replayer.send(now(), replayer.toward == 0 ? targetAddress : client);
            replayer.drain();
        }
    }
}

void Relay::await(pollfd fds[2]) {
    double wait = replayer.active(now()) || o.floodRate > 0 ? 0.0005 : 0.05;
    if (!queue.empty() && queue.top().due - now() < wait)
        wait = queue.top().due - now();
    int ms = wait <= 0 ? 0 : int(wait * 1000.0) + 1;
    poll(fds, 2, ms > 50 ? 50 : ms);
}

void Relay::receiveAt(int side, int socket) {
    for (;;) {
        sockaddr_in from;
        socklen_t fromLength = sizeof from;
        ssize_t got = recvfrom(socket, buffer.data(), buffer.size(), MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from),
                               &fromLength);
        if (got < 0)
            return;
        if (side == 0) {
            client = from;
            haveClient = true;
        } else if (!haveClient) {
            continue;
        }
        if (side == replayer.toward)
            replayer.watch(buffer.data(), size_t(got));
        long& dropFirst = side == 1 ? dropFirstAnswers : dropConfirms;
        if (dropFirst > 0 && (side == 1 || isConfirm(buffer.data(), size_t(got)))) {
            --dropFirst;
            ++counts.dropped;
            continue;
        }
        damage(side, got);
    }
}

void Relay::damage(int side, ssize_t got) {
    if (fraction(random) < o.drop) {
        ++counts.dropped;
        return;
    }
    int copies = 1;
    if (fraction(random) < o.duplicate) {
        ++counts.duplicated;
        copies = 2;
    }
    for (int c = 0; c < copies; ++c) {
        Pending p;
        p.bytes.assign(buffer.begin(), buffer.begin() + got);
        p.socket = side == 0 ? back : front;
        p.to = side == 0 ? targetAddress : client;
        double delay = o.delayMin + fraction(random) * (o.delayMax - o.delayMin);
        if (delay > 0.0)
            ++counts.delayed;
        if (fraction(random) < o.reorder) {
            ++counts.reordered;
            delay += REORDER_HOLD;
        }
        if (got > 0 && fraction(random) < o.corrupt) {
            ++counts.corrupted;
            size_t bit = random() % (size_t(got) * 8);
            p.bytes[bit / 8] ^= uint8_t(1u << (bit % 8));
        }
        p.due = now() + delay;
        if (o.keepOrder && p.due < lastDue[side])
            p.due = lastDue[side];
        lastDue[side] = p.due;
        p.order = order++;
        queue.push(std::move(p));
    }
}

void Relay::sendDue() {
    while (!queue.empty() && queue.top().due <= now()) {
        const Pending& p = queue.top();
        sendto(p.socket, p.bytes.data(), p.bytes.size(), 0, reinterpret_cast<const sockaddr*>(&p.to), sizeof p.to);
        ++counts.forwarded;
        // Kept once sent, so the honest copy is always ahead of the replays.
        if (replayer.toward == (p.socket == back ? 0 : 1))
            replayer.keep(p.bytes);
        queue.pop();
    }
}

void Relay::flood() {
    for (long due = long((now() - start) * o.floodRate); flooded < due; ++flooded) {
        int s = socket(AF_INET, SOCK_DGRAM, 0);
        if (s < 0)
            break;
        sockaddr_in from;
        memset(&from, 0, sizeof from);
        from.sin_family = AF_INET;
        from.sin_addr = o.floodFrom;
        if (o.floodFrom.s_addr)
            bind(s, reinterpret_cast<sockaddr*>(&from), sizeof from);
        sendto(s, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&targetAddress),
               sizeof targetAddress);
        close(s);
    }
}

void Relay::printCounts() const {
    printf("relay forwarded=%ld dropped=%ld duplicated=%ld reordered=%ld delayed=%ld corrupted=%ld\n",
           counts.forwarded, counts.dropped, counts.duplicated, counts.reordered, counts.delayed, counts.corrupted);
    if (replayer.toward >= 0)
        printf("replay sent=%ld forged=%ld answers=%ld data=%ld answerBytes=%ld kept=%zu\n", replayer.sent,
               replayer.forged, replayer.answers, replayer.dataAnswers, replayer.answerBytes,
               replayer.first.size() + replayer.latest.size());
    if (o.floodRate > 0)
        printf("flood sent=%ld\n", flooded);
    fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    const std::string why = readOptions(argc, argv, options);
    if (!why.empty())
        return usage(why);
    // A stop during the start still prints the counts.
    onSignals();
    Relay relay(options);
    if (!relay.open())
        return 1;
    relay.announce();
    relay.run();
    relay.printCounts();
    return 0;
}

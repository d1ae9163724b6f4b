// net-match: a networked match of two computer pilots. The server runs the
// duel in the match harness, paced to real time, and replicates what it shows
// through the world mirror; clients join at any time and show the same match.
//
//   net-match --server [HOST:]PORT [--clients N] [--seconds S] [--seed N]
//   net-match --client HOST:PORT [--record FILE] [--window]
//   net-match --play FILE [--window]
//   (any of them) --log FILE
//
// After S seconds of match the server freezes it, sends its last copies and
// the end call; every side prints "hash %016llx objects %d" on executing it.
// Other lines: "listening on port P", "connected after S s" (from the first
// connect request to the server's first data or acknowledgement, on the
// engine clock; until then every 5 s on standard error "net-match: no answer
// yet from HOST:PORT after N s; still trying", or once accepted "net-match:
// accepted by HOST:PORT but not taken yet after N s; still confirming"; a
// client accepted but never taken, its confirmations lost, ends when its host
// gives up on the server with "net-match: accepted by HOST:PORT but never
// taken; gave up after N s"), and the role's status text when it ends
// ("Playback finished.", "Disconnected from server.", or the server's reason:
// "Server is full.", "The server restarted or dropped this connection.").
// A server, a client that was taken and a refused one end with
// "net-match: longest acknowledgement wait S s": the longest any of its data
// waited for the other side's acknowledgement.
// SIGTERM or SIGINT stops any side in order: it leaves the match (its peers
// are told), closes its recording, prints "User requested exit." and exits 0.
// Before its role exists (the engine still starting) it ends at once, with
// that line and status alone.
// The engine's log stays in its own file, out of the terminal; --log FILE
// keeps a copy of it at FILE when the side ends.
// Exit status: 0 when the side saw the end (or a playback finished) or was
// stopped so, 1 when the connection broke or was refused, 2 on a usage error,
// 3 on a time-out, 4 when accepted but never taken.
#include "ArgumentNumber.h"
#include "app/ContextManager.h"
#include "DogfightScenario.h"
#include "MatchHarness.h"
#include "core/Logger.h"
#include "core/Plim.h"
#include "util/PlimUtil.h"
#include "core/TimeKeeper.h"
#include "files/PrintableText.h"
#include "net/MirrorRoot.h"
#include "net/NetConnection.h"
#include "net/NetMirrorClasses.h"
#include "net/NetRole.h"
#include "net/PlimNetwork.h"
#include "net/WorldMirror.h"
#include "NetMatchView.h"
#include "StopSignals.h"
#include "TempFolder.h"

#include <chrono>
#include <fstream>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

// Once joined, a silent server is dropped by the host's own time-out.
const double CONNECT_TIMEOUT = 30.0;
// A client not yet taken says so this often.
const double WAITING_LINE_INTERVAL = 5.0;
// After the end call the server waits this long at most for its clients to leave.
const double SERVER_LINGER = 15.0;
// A frame that fell behind real time makes up at most this much at once.
const double MAX_CATCH_UP = 0.05;
const int DEBUG_OVERLAY_LEVEL = 0x200;
// The engine reads debugLevel only with the debug functions unlocked.
const int DEBUG_ACCESS_CODE = 31846;
const uint32_t LOOPBACK_NET = 127;

struct Options {
    enum Mode { NONE, SERVER, CLIENT, PLAY } mode = NONE;
    int port = 0;
    std::string bindHost; // the server's interface; all when empty
    std::string address;
    std::string file;
    std::string record;
    std::string log;
    int clients = 4;
    int seconds = 60;
    unsigned long seed = 7;
    bool window = false;
};

int usage(const char* why) {
    fprintf(stderr, "net-match: %s\n", why);
    fprintf(stderr, "usage: net-match --server [HOST:]PORT [--clients N] [--seconds S] [--seed N]\n"
                    "       net-match --client HOST:PORT [--record FILE] [--window]\n"
                    "       net-match --play FILE [--window]\n"
                    "       (any of them) --log FILE\n");
    return 2;
}

// The harness works in a folder of its own: file names are taken from here.
std::string absolute(const std::string& name) {
    if (name.empty() || name[0] == '/') return name;
    char here[4096];
    return getcwd(here, sizeof here) ? std::string(here) + "/" + name : name;
}

bool parse(int argc, char** argv, Options& o, std::string& why) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!strcmp(arg, "--window")) {
            o.window = true;
            continue;
        }
        const char* value = i + 1 < argc ? argv[++i] : nullptr;
        long n = 0;
        if (!value) {
            why = formatString("%s needs a value", arg).c_str();
            return false;
        }
        const char* colon = strrchr(value, ':');
        if (!strcmp(arg, "--server") && ArgumentNumber::parse(colon ? colon + 1 : value, 0, 65535, &n)) {
            o.mode = Options::SERVER;
            o.port = int(n);
            if (colon) o.bindHost.assign(value, size_t(colon - value));
        } else if (!strcmp(arg, "--client") && strchr(value, ':')) {
            o.mode = Options::CLIENT;
            o.address = value;
        } else if (!strcmp(arg, "--play")) {
            o.mode = Options::PLAY;
            o.file = value;
        } else if (!strcmp(arg, "--record")) {
            o.record = value;
        } else if (!strcmp(arg, "--log")) {
            o.log = value;
        } else if (!strcmp(arg, "--clients") && ArgumentNumber::parse(value, 1, 64, &n)) {
            o.clients = int(n);
        } else if (!strcmp(arg, "--seconds") && ArgumentNumber::parse(value, 1, 3600, &n)) {
            o.seconds = int(n);
        } else if (!strcmp(arg, "--seed") && ArgumentNumber::parse(value, 0, 0xffffffffL, &n)) {
            o.seed = (unsigned long)n;
        } else {
            why = formatString("bad argument %s %s", arg, value).c_str();
            return false;
        }
    }
    if (o.mode == Options::NONE) {
        why = "needs --server, --client or --play";
        return false;
    }
    o.file = absolute(o.file);
    o.record = absolute(o.record);
    o.log = absolute(o.log);
    if (o.mode == Options::PLAY && access(o.file.c_str(), R_OK) != 0) {
        why = formatString("cannot read %s", o.file.c_str()).c_str();
        return false;
    }
    if (!o.record.empty() && o.mode != Options::CLIENT) {
        why = "--record is for a client";
        return false;
    }
    return true;
}

double realNow() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double engineNow() { return PLIM->timeKeeper->getTime(); }

// Runs the harness's frames so that its clock keeps up with the wall clock.
class Pacer {
public:
    explicit Pacer(MatchHarness& harness) : harness(harness) {}
    void frame(bool paced) {
        const double period = harness.settings.frameRate;
        if (!paced) {
            harness.step();
            return;
        }
        const double lag = (realNow() - realStart) - (engineNow() - engineStart);
        if (lag < period) {
            std::this_thread::sleep_for(std::chrono::duration<double>(period - lag));
            harness.step();
            return;
        }
        const double advance = lag < period + MAX_CATCH_UP ? lag : period + MAX_CATCH_UP;
        harness.step(uint32_t(advance * 1000.0));
    }

private:
    MatchHarness& harness;
    double realStart = realNow();
    double engineStart = engineNow();
};

NetRole* makeRole(bool isServer, NetAddress bindTo, int maxPeers) {
    // From here on there are peers to tell or a recording to close.
    StopSignals::inOrder();
    NetRole* role = new NetRole(PLIM_BUILD_NAME, NetHost::WIRE_VERSION, isServer ? "server" : "client", 0, isServer);
    role->setConnection(new NetConnection(bindTo, false), true);
    role->setMaxPeers(maxPeers);
    // Its constructor left it the current role until its first tick; the
    // match's own code runs without one.
    role->tick(0.0, 0.0);
    return role;
}

// True once a signal asked to stop, the role's reason and text then set and printed.
bool stopped(NetRole* role) {
    if (!StopSignals::requested()) return false;
    role->quitReason = NetRole::QUIT_USER;
    printf("%s\n", role->getStatusText().c_str());
    return true;
}

void printEnd(MirrorRoot* root) {
    printf("hash %016llx objects %d\n", (unsigned long long)root->endHash, root->endObjects);
    fflush(stdout);
}

// The figure to read off runs through a bad network; returns status.
int reportAckWait(const NetRole& role, int status) {
    printf("net-match: longest acknowledgement wait %.2f s\n", role.getLongestAckWait());
    fflush(stdout);
    return status;
}

int runServer(const Options& o, MatchHarness& harness) {
    DogfightMatch* match = DogfightScenario::start(harness);
    NetAddress bindTo;
    if (!o.bindHost.empty()) bindTo = NetAddress(UString(o.bindHost.c_str()), uint16_t(o.port));
    bindTo.setPort(uint16_t(o.port));
    std::unique_ptr<NetRole> role(makeRole(true, bindTo, o.clients));
    if (!role->getConnection()->isOpen()) {
        fprintf(stderr, "net-match: cannot bind port %d\n", o.port);
        return 1;
    }
    MirrorRoot* root = new MirrorRoot();
    role->registerObject(root, 1);
    WorldMirror* mirror = new WorldMirror(role.get(), root, match, uint32_t(o.seed));
    role->addChild(mirror);
    printf("listening on port %d\n", role->getConnection()->getAddress().getPort());
    fflush(stdout);

    Pacer pacer(harness);
    const int matchFrames = int(o.seconds / harness.settings.frameRate + 0.5);
    double endedAt = -1.0;
    bool printed = false;
    while (!stopped(role.get())) {
        pacer.frame(true);
        role->tick(0.0, 0.0);
        if (endedAt < 0.0 && harness.frame >= matchFrames) {
            // Frozen: the match stands still under an empty screen; the role goes on.
            Context* still = new Context();
            still->bDeleteWhenDone = true;
            harness.app->contextManager->push(still);
            mirror->finish();
            endedAt = engineNow();
        }
        if (root->bEnded && !printed) {
            printEnd(root);
            printed = true;
        }
        if (endedAt >= 0.0 && role->getPeerCount() == 0 && role->bNetTicked) break;
        if (endedAt >= 0.0 && engineNow() - endedAt > SERVER_LINGER) {
            fprintf(stderr, "net-match: %d clients still connected\n", role->getPeerCount());
            break;
        }
    }
    return reportAckWait(*role, 0);
}

int runClient(const Options& o, MatchHarness& harness) {
    const NetAddress server{UString(o.address.c_str())};
    // A server on this machine is reached from the loopback interface only.
    NetAddress bindTo;
    if ((server.getIP() >> 24) == LOOPBACK_NET) bindTo.setIP(server.getIP());
    std::unique_ptr<NetRole> role(makeRole(false, bindTo, 1));
    if (!role->getConnection()->isOpen()) {
        fprintf(stderr, "net-match: cannot open a port\n");
        return 1;
    }
    if (o.window) harness.app->contextManager->push(new NetMatchView(role.get()));
    if (!o.record.empty()) role->startRecording(o.record.c_str());
    Pacer pacer(harness);
    const double start = engineNow();
    double nextConnect = start, nextWaitingLine = start + WAITING_LINE_INTERVAL;
    // Accepted once the server answered; joined once it has taken us.
    bool accepted = false, joined = false;
    while (!stopped(role.get())) {
        pacer.frame(true);
        const double now = engineNow();
        if (!accepted && now >= nextConnect) {
            role->sendConnectRequest(server);
            nextConnect = now + NetHost::CONNECT_INTERVAL;
        }
        role->tick(0.0, 0.0);
        accepted = accepted || role->getPeerCount() > 0;
        if (!joined && role->shownByServer()) {
            joined = true;
            printf("connected after %.2f s\n", now - start);
            fflush(stdout);
        } else if (!joined && now >= nextWaitingLine) {
            fprintf(stderr, accepted ? "net-match: accepted by %s but not taken yet after %.0f s; still confirming\n"
                                     : "net-match: no answer yet from %s after %.0f s; still trying\n",
                    server.toString().c_str(), now - start);
            nextWaitingLine += WAITING_LINE_INTERVAL;
        }
        MirrorRoot* root = dynamic_cast<MirrorRoot*>(role->root);
        if (root && root->bEnded) {
            printEnd(root);
            return reportAckWait(*role, 0);
        }
        if (!joined && accepted && role->quitReason == 0 && role->getPeerCount() == 0) {
            // Never connected, so neither "connected" nor "Disconnected from server".
            fprintf(stderr, "net-match: accepted by %s but never taken; gave up after %.0f s\n",
                    server.toString().c_str(), now - start);
            return 4;
        }
        if (role->quitReason != 0 || (accepted && role->getPeerCount() == 0)) {
            if (role->quitReason == 0) role->quitReason = NetRole::QUIT_DISCONNECTED;
            // A refusal's text comes from the server.
            printf("%s\n", printableText(role->getStatusText()).c_str());
            return reportAckWait(*role, 1);
        }
        if (!joined && now - start > CONNECT_TIMEOUT) {
            fprintf(stderr, "net-match: timed out\n");
            return 3;
        }
    }
    return reportAckWait(*role, 0);
}

int runPlayback(const Options& o, MatchHarness& harness) {
    std::unique_ptr<NetRole> role(makeRole(false, NetAddress(UString("127.0.0.1"), 0), 1));
    if (o.window) harness.app->contextManager->push(new NetMatchView(role.get()));
    role->startPlayback(o.file.c_str());
    Pacer pacer(harness);
    bool printed = false;
    while (role->quitReason == 0 && !StopSignals::requested()) {
        // The recording's own time stamps pace it on the engine clock.
        pacer.frame(o.window);
        role->tick(0.0, 0.0);
        MirrorRoot* root = dynamic_cast<MirrorRoot*>(role->root);
        if (root && root->bEnded && !printed) {
            printEnd(root);
            printed = true;
        }
    }
    if (role->quitReason == 0) role->quitReason = NetRole::QUIT_USER;
    printf("%s\n", role->getStatusText().c_str());
    return 0;
}

// The engine's log lies in the harness's throw-away folder: a copy for whoever asked.
void keepLog(const std::string& path) {
    if (path.empty() || !PLIM->log) return;
    PLIM->log->flush();
    std::ifstream in(PLIM->log->getFileName().c_str(), std::ios::binary);
    std::ofstream out(path.c_str(), std::ios::binary);
    if (in.peek() != EOF) out << in.rdbuf();
    if (!in || !out.flush()) fprintf(stderr, "net-match: cannot copy the log to %s\n", path.c_str());
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    std::string why;
    if (!parse(argc, argv, options, why)) return usage(why.c_str());
    if (!getenv("DISPLAY")) return usage("needs an X server (run it under xvfb-run -a)");
    // The harness's throw-away folder goes inside one of ours, which a stop
    // during the start-up can remove by name.
    const std::string scratch = absolute(makeTempFolder("net-match."));
    if (!scratch.empty()) setenv("TMPDIR", scratch.c_str(), 1);
    StopSignals::endAtOnce("User requested exit.\n", scratch.c_str());
    StopSignals::install();

    MatchSettings settings;
    settings.seed = uint32_t(options.seed);
    settings.draw = options.window;
    if (options.window)
        settings.userSettings =
            formatString("debugCode=%d\ndebugLevel=%d\n", DEBUG_ACCESS_CODE, DEBUG_OVERLAY_LEVEL).c_str();
    int status = 0;
    {
        MatchHarness harness(settings);
        // Every side knows the mirror's classes, in the same registry order.
        registerNetMirrorClasses();
        // Processes talk over real sockets, never through one process's queue.
        PLIM->network->bEmulateLocalhost = false;
        switch (options.mode) {
        case Options::SERVER: status = runServer(options, harness); break;
        case Options::CLIENT: status = runClient(options, harness); break;
        default: status = runPlayback(options, harness); break;
        }
        fflush(stdout);
        keepLog(options.log);
    }
    if (!scratch.empty()) rmdir(scratch.c_str());
    return status;
}

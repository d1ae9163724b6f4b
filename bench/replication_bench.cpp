// A full duel of two computer pilots (the dogfight on the match harness, run
// under Xvfb on its fixed 10 ms frames, not paced to the wall clock)
// replicated by the server's world mirror to 1 and to 4 client roles over
// real UDP sockets on 127.0.0.1, all in this process, over 60 s of match:
// - bytes a second of match each client receives (28 header bytes counted per
//   datagram; mean and peak second) beside the live world objects, the
//   effects among them (particle systems, a stand-in per burning particle)
//   and the stand-ins (target under 250,000 B/s);
// - the server's network tick as a frame waits for it, its wall time and the
//   whole process's CPU (mean and 95th percentile; target under 1.5 ms, a
//   tenth of a 15 ms frame), and the main thread's CPU of its parts:
//   receiving, the stand-ins' tick, the mirror pass that writes the commands,
//   and sending;
// - the snapshot a joining client gets, taken at the end of the match;
// - the bytes a minute of one client's recording.
#include "DogfightScenario.h"
#include "MatchHarness.h"
#include "core/Plim.h"
#include "render/Renderable.h"
#include "core/TimeKeeper.h"
#include "net/MirrorRoot.h"
#include "net/NetConnection.h"
#include "net/NetMirrorClasses.h"
#include "net/NetRole.h"
#include "net/NetStats.h"
#include "net/PlimNetwork.h"
#include "net/WorldMirror.h"
#include "util/PlimUtil.h"

#include "BenchStats.h"
#include "FrameCost.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace BenchStats;

namespace {

const double MATCH_SECONDS = 60.0;
const double CONNECT_INTERVAL = 0.5;
const double BYTES_TARGET = 250000.0;
const double TICK_TARGET_MS = 1.5;
const int RECORD_HEADER = 52; // name, version, host
const int RECORD_FIELDS = 12; // time stamp and length before each record

// Thread CPU clock readings at the points of one server tick.
struct TickMarks {
    double received = 0.0;     // before the first child: the network was read
    double worldTicked = 0.0;  // the root and its stand-ins ticked
    double mirrored = 0.0;     // the mirror's pass wrote the commands
};
TickMarks marks;

// A child of the server's role that notes when the role's tick reaches it.
class Probe : public PlimBase {
public:
    explicit Probe(double* at) : at(at) {}
    void tick(double, double) override { *at = cpuSeconds(); }
    void render() override {}
    double* at;
};

NetRole* makeRole(bool isServer, int maxPeers) {
    NetRole* role = new NetRole(PLIM_BUILD_NAME, NetHost::WIRE_VERSION, isServer ? "server" : "client", 0, isServer);
    role->setConnection(new NetConnection(NetAddress(UString("127.0.0.1"), 0)), true);
    role->setMaxPeers(maxPeers);
    // Its constructor left it the current role until its first tick.
    role->tick(0.0, 0.0);
    return role;
}

// Bytes a connection has received and sent so far.
struct Traffic {
    long bytesIn = 0, bytesOut = 0;
};
Traffic trafficOf(NetConnection* connection) {
    NetStats total(0.0);
    connection->addTraffic(&total);
    return {long(total.bytesIn), long(total.bytesOut)};
}

long fileSize(const std::string& name) {
    struct stat info;
    return stat(name.c_str(), &info) == 0 ? long(info.st_size) : 0;
}

// Command bytes of the records of a recording file (the record fields left out).
long recordedBytes(const std::string& name, int* records) {
    *records = 0;
    FILE* in = fopen(name.c_str(), "rb");
    if (!in) return 0;
    long bytes = 0;
    fseek(in, RECORD_HEADER, SEEK_SET);
    unsigned char fields[RECORD_FIELDS];
    while (fread(fields, 1, RECORD_FIELDS, in) == RECORD_FIELDS) {
        const uint32_t length = uint32_t(fields[8]) | uint32_t(fields[9]) << 8 | uint32_t(fields[10]) << 16 |
                                uint32_t(fields[11]) << 24;
        if (fseek(in, long(length), SEEK_CUR) != 0) break;
        bytes += long(length);
        ++*records;
    }
    fclose(in);
    return bytes;
}

int liveObjects(const MatchHarness& run) {
    int live = 0;
    for (int count : run.liveLayers()) live += count;
    return live;
}

// Live objects of the match that are not Renderables (the particle systems of
// smoke, explosions and splashes draw their own particles, each mirrored).
int liveEffects(GameController* match) {
    int effects = 0;
    for (int i = 0; i < GameController::LAYER_COUNT; ++i)
        for (BasicLink* l = match->layer(i)->firstChild; l; l = l->next)
            effects += BasicLink::isLive(l) && !dynamic_cast<Renderable*>(static_cast<PlimBase*>(l));
    return effects;
}

// One engine for both runs: the mirror's classes join the registry once, after
// the application has counted its own.
std::unique_ptr<MatchHarness> harness;
MatchHarness& sharedHarness() {
    if (!harness) {
        harness.reset(new MatchHarness(MatchSettings())); // 10 ms frames, as net-match runs them
        registerNetMirrorClasses();
        PLIM->network->bEmulateLocalhost = false;
    }
    return *harness;
}

// One second of the match as the clients saw it.
struct Second {
    std::vector<long> bytesIn; // per client
    std::vector<long> bytesOut;
    int live = 0;
    int effects = 0;
    int standIns = 0;
};

void BM_Replication(benchmark::State& state) {
    if (needsDisplay(state)) return;
    const int clientCount = int(state.range(0));
    MatchHarness& run = sharedHarness();
    const MatchSettings& settings = run.settings;
    const std::string recordingName = run.folder.userFolder() + "client.rec";
    const std::string snapshotName = run.folder.userFolder() + "snapshot.rec";

    DogfightMatch* match = DogfightScenario::start(run);
    std::unique_ptr<NetRole> server(makeRole(true, clientCount));
    auto* root = new MirrorRoot();
    server->registerObject(root, 1);
    auto* mirror = new WorldMirror(server.get(), root, match, settings.seed);
    server->addChildFirst(new Probe(&marks.received));
    server->addChild(new Probe(&marks.worldTicked));
    server->addChild(mirror);
    server->addChild(new Probe(&marks.mirrored));

    std::vector<std::unique_ptr<NetRole>> clients;
    for (int i = 0; i < clientCount; ++i) clients.emplace_back(makeRole(false, 1));
    clients[0]->startRecording(recordingName.c_str());
    const NetAddress serverAddress = server->getConnection()->getAddress();

    FrameCost ticks("whole ticks");
    Series total, receive, world, pass, send;
    std::vector<Second> seconds;
    std::vector<Traffic> last(static_cast<size_t>(clientCount));
    const int framesPerSecond = int(1.0 / settings.frameRate + 0.5);
    const int matchFrames = int(MATCH_SECONDS * framesPerSecond + 0.5);
    double nextConnect = 0.0;
    int joinedAtFrame = -1;
    for (auto _ : state) {
        for (int frame = 1; frame <= matchFrames; ++frame) {
            run.step();
            const double now = PLIM->timeKeeper->getTime();
            const FrameStart whole;
            const double start = cpuSeconds();
            server->tick(0.0, 0.0);
            const double end = cpuSeconds();
            if (server->bNetTicked && joinedAtFrame >= 0) {
                ticks.add(whole);
                total.add(end - start);
                receive.add(marks.received - start);
                world.add(marks.worldTicked - marks.received);
                pass.add(marks.mirrored - marks.worldTicked);
                send.add(end - marks.mirrored);
            }
            bool allJoined = true;
            for (auto& client : clients) {
                if (client->getPeerCount() == 0) {
                    allJoined = false;
                    if (now >= nextConnect) client->sendConnectRequest(serverAddress);
                }
                client->tick(0.0, 0.0);
            }
            if (now >= nextConnect) nextConnect = now + CONNECT_INTERVAL;
            if (allJoined && joinedAtFrame < 0) joinedAtFrame = frame;
            if (frame % framesPerSecond != 0) continue;
            Second second;
            for (int i = 0; i < clientCount; ++i) {
                const Traffic so = trafficOf(clients[size_t(i)]->getConnection());
                second.bytesIn.push_back(so.bytesIn - last[size_t(i)].bytesIn);
                second.bytesOut.push_back(so.bytesOut - last[size_t(i)].bytesOut);
                last[size_t(i)] = so;
            }
            second.live = liveObjects(run);
            second.effects = liveEffects(match);
            second.standIns = mirror->standInCount();
            seconds.push_back(second);
        }
    }

    // What a client joining now would get first.
    server->startRecording(snapshotName.c_str());
    int snapshotRecords = 0;
    const long snapshotBytes = recordedBytes(snapshotName, &snapshotRecords);
    const int registered = int(server->objectMap.size());
    const long recording = fileSize(recordingName);
    int dropped = 0;
    for (auto& client : clients) dropped += client->quitReason != 0 || client->getPeerCount() == 0;

    // Per client and second: the mean over clients, and the busiest client's.
    std::vector<double> meanIn, maxIn, meanOut;
    double liveSum = 0.0, effectSum = 0.0, standInSum = 0.0;
    int livePeak = 0, standInPeak = 0;
    for (const Second& s : seconds) {
        long sumIn = 0, sumOut = 0, top = 0;
        for (size_t i = 0; i < s.bytesIn.size(); ++i) {
            sumIn += s.bytesIn[i];
            sumOut += s.bytesOut[i];
            top = std::max(top, s.bytesIn[i]);
        }
        meanIn.push_back(double(sumIn) / clientCount);
        maxIn.push_back(double(top));
        meanOut.push_back(double(sumOut) / clientCount);
        liveSum += s.live;
        effectSum += s.effects;
        standInSum += s.standIns;
        livePeak = std::max(livePeak, s.live);
        standInPeak = std::max(standInPeak, s.standIns);
    }
    const double n = double(std::max<size_t>(1, seconds.size()));
    const double ms = 1000.0;
    printf("duel of two computer pilots, %.0f s of match, replicated to %d client%s on 127.0.0.1 "
           "(all joined at %.2f s, %d dropped)\n",
           MATCH_SECONDS, clientCount, clientCount == 1 ? "" : "s", joinedAtFrame * settings.frameRate, dropped);
    printf("  second  live objects (effects)  stand-ins  bytes/s per client (mean / busiest)  upstream per client\n");
    for (size_t i = 0; i < seconds.size(); ++i)
        if (i < 3 || (i + 1) % 10 == 0)
            printf("  %6zu  %12d (%7d)  %9d  %17.0f / %-17.0f  %8.0f\n", i + 1, seconds[i].live, seconds[i].effects,
                   seconds[i].standIns, meanIn[i], maxIn[i], meanOut[i]);
    printf("  bytes/s per client: mean %.0f, peak second %.0f (target under %.0f); upstream mean %.0f\n",
           mean(meanIn), worst(maxIn), BYTES_TARGET, mean(meanOut));
    printf("  live objects: mean %.0f, peak %d, of which effects (particle systems, a stand-in per particle) "
           "mean %.0f; stand-ins: mean %.0f, peak %d\n",
           liveSum / n, livePeak, effectSum / n, standInSum / n, standInPeak);
    printf("  the server's network ticks (%d; target under %.1f ms):\n", ticks.frames(), TICK_TARGET_MS);
    ticks.print("    ", {TICK_TARGET_MS});
    printf("    the main thread's CPU (ms, mean / 95th percentile):\n");
    printf("    whole tick      %7.3f / %7.3f\n", total.mean() * ms, total.p95() * ms);
    printf("    receive         %7.3f / %7.3f\n", receive.mean() * ms, receive.p95() * ms);
    printf("    stand-ins tick  %7.3f / %7.3f\n", world.mean() * ms, world.p95() * ms);
    printf("    mirror pass     %7.3f / %7.3f  (%d copies written)\n", pass.mean() * ms, pass.p95() * ms,
           mirror->copies);
    printf("    send            %7.3f / %7.3f\n", send.mean() * ms, send.p95() * ms);
    printf("  snapshot at the end: %ld bytes in %d record%s, %d registered objects\n", snapshotBytes,
           snapshotRecords, snapshotRecords == 1 ? "" : "s", registered);
    printf("  one client's recording: %ld bytes, %.0f bytes a minute\n", recording,
           double(recording) / (MATCH_SECONDS / 60.0));
    fflush(stdout);

    state.counters["bytes_per_s_mean"] = mean(meanIn);
    state.counters["bytes_per_s_peak"] = worst(maxIn);
    state.counters["live_mean"] = liveSum / n;
    ticks.count(state, "tick");
    state.counters["mirror_mean_ms"] = pass.mean() * ms;
    state.counters["send_mean_ms"] = send.mean() * ms;
    state.counters["snapshot_bytes"] = double(snapshotBytes);
    state.counters["recording_per_min"] = double(recording) / (MATCH_SECONDS / 60.0);

    clients.clear();
    server.reset();
    run.finishMatch();
}

} // namespace

BENCHMARK(BM_Replication)->Arg(1)->Arg(4)->Iterations(1)->Unit(benchmark::kMillisecond)
    ->Apply(BenchStats::wallAndProcessCpu);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    harness.reset();
    benchmark::Shutdown();
    return 0;
}

// Replicated object state: netSerialize of 1,000 registered objects (each
// with its property tree built and deleted per call, as the engine does),
// written and read back, in objects per second and bytes per object; and the
// CRC-32 of the packets in MB/s.
#include "serial/Packet.h"
#include "core/Plim.h"
#include "core/PlimBase.h"
#include "core/RuntimeClass.h"

#include "BenchStats.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

const int OBJECTS = 1000;

struct World {
    World() {
        engine = new Plim(Plim::Bare{});
        RuntimeClass::buildIndex();
        std::mt19937 random(1);
        for (int i = 0; i < OBJECTS; ++i) {
            PlimBase* o = new PlimBase();
            o->objectUID = 2 + i;
            o->state = static_cast<int>(random() % 20);
            o->timeInState = (random() % 1000) / 100.0;
            objects.push_back(o);
        }
    }
    ~World() {
        for (PlimBase* o : objects) {
            o->objectUID = -1;
            delete o;
        }
        delete engine;
        PLIM = nullptr;
    }
    Plim* engine;
    std::vector<PlimBase*> objects;
};

World& world() {
    static World w;
    return w;
}

void BM_NetSerializeWrite(benchmark::State& state) {
    World& w = world();
    Packet packet(static_cast<uint32_t>(state.range(0)), -1);
    int bytes = 0;
    for (auto _ : state) {
        packet.reset();
        for (PlimBase* o : w.objects)
            o->netSerialize(&packet);
        bytes = packet.getLength();
        benchmark::DoNotOptimize(packet.buffer);
    }
    state.SetItemsProcessed(state.iterations() * OBJECTS);
    state.counters["bytes_per_object"] = static_cast<double>(bytes) / OBJECTS;
}
BENCHMARK(BM_NetSerializeWrite)->Arg(Packet::FLAG_FILTER1)->Arg(Packet::FLAG_FILTER1 | Packet::FLAG_MARKER)
    ->Apply(BenchStats::wallAndProcessCpu);

void BM_NetSerializeRead(benchmark::State& state) {
    World& w = world();
    Packet written(static_cast<uint32_t>(state.range(0)), -1);
    for (PlimBase* o : w.objects)
        o->netSerialize(&written);
    Packet packet(written.flags, written.getLength());
    written.append(&packet);
    packet.rewindToRead();
    for (auto _ : state) {
        packet.reset(); // still reading: its capacity is the written length
        for (PlimBase* o : w.objects)
            o->netSerialize(&packet);
        if (packet.hasError())
            state.SkipWithError("packet error");
    }
    state.SetItemsProcessed(state.iterations() * OBJECTS);
    state.counters["bytes_per_object"] = static_cast<double>(packet.getLength()) / OBJECTS;
}
BENCHMARK(BM_NetSerializeRead)->Arg(Packet::FLAG_FILTER1)->Arg(Packet::FLAG_FILTER1 | Packet::FLAG_MARKER)
    ->Apply(BenchStats::wallAndProcessCpu);

void BM_Crc32(benchmark::State& state) {
    std::vector<uint8_t> data(static_cast<size_t>(state.range(0)));
    std::mt19937 random(2);
    for (uint8_t& b : data)
        b = static_cast<uint8_t>(random());
    for (auto _ : state)
        benchmark::DoNotOptimize(crc32(data.data(), static_cast<int>(data.size())));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(data.size()));
}
BENCHMARK(BM_Crc32)->Arg(20)->Arg(509)->Arg(512)->Arg(65536)->Apply(BenchStats::wallAndProcessCpu);

} // namespace

BENCHMARK_MAIN();

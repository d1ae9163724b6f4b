#include "FrameCost.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {
int over(const Series& s, double ms) {
    int n = 0;
    for (double v : s.v) n += v > ms;
    return n;
}
} // namespace

FrameStart::FrameStart() : wall(BenchStats::wallSeconds()), process(BenchStats::processCpuSeconds()) {}

void FrameCost::add(const FrameStart& start, const FrameStart& end, double leftOutMs) {
    wall.add((end.wall - start.wall) * 1000.0 - leftOutMs);
    process.add((end.process - start.process) * 1000.0 - leftOutMs);
}

int FrameCost::wallOver(double periodMs) const { return over(wall, periodMs); }

int FrameCost::processOver(double periodMs) const { return over(process, periodMs); }

void FrameCost::print(const char* indent, std::initializer_list<double> periodsMs) const {
    printf("%s%s (ms): wall mean %.2f, p95 %.2f, p99 %.2f, max %.2f; whole process CPU mean %.2f, p95 %.2f, p99 "
           "%.2f, max %.2f",
           indent, name, wall.mean(), wall.p95(), wall.p99(), wall.max(), process.mean(), process.p95(), process.p99(),
           process.max());
    for (double period : periodsMs)
        printf("; over %.0f ms: wall %d, CPU %d", period, wallOver(period), processOver(period));
    printf(" (of %d)\n", frames());
}

void FrameCost::count(benchmark::State& state, const std::string& name) const {
    state.counters[name + "_wall_mean_ms"] = wall.mean();
    state.counters[name + "_wall_p95_ms"] = wall.p95();
    state.counters[name + "_process_mean_ms"] = process.mean();
    state.counters[name + "_process_p95_ms"] = process.p95();
}

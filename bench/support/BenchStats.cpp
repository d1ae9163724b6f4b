#include "BenchStats.h"

#include <malloc.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace BenchStats {

double cpuSeconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double processCpuSeconds() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double wallSeconds() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

long residentKb() {
    long pages = 0, resident = 0;
    if (FILE* f = fopen("/proc/self/statm", "r")) {
        if (fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

size_t heapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

double mean(const std::vector<double>& v) {
    double sum = 0.0;
    for (double x : v) sum += x;
    return v.empty() ? 0.0 : sum / double(v.size());
}

double percentile99(std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(double(v.size()) * 0.99))];
}

double percentile95(std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(double(v.size()) * 0.95))];
}

double worst(const std::vector<double>& v) { return v.empty() ? 0.0 : *std::max_element(v.begin(), v.end()); }

void countMs(benchmark::State& state, const std::string& name, const std::vector<double>& seconds) {
    state.counters[name + "_mean_ms"] = mean(seconds) * 1000.0;
    state.counters[name + "_p95_ms"] = percentile95(seconds) * 1000.0;
    state.counters[name + "_worst_ms"] = worst(seconds) * 1000.0;
}

bool needsDisplay(benchmark::State& state) {
    if (getenv("DISPLAY")) return false;
    state.SkipWithError("needs an X server (xvfb-run)");
    for (auto _ : state) {}
    return true;
}

void wallAndProcessCpu(benchmark::internal::Benchmark* registration) {
    registration->UseRealTime()->MeasureProcessCPUTime();
}

} // namespace BenchStats

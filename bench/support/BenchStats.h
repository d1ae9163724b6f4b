#pragma once
// Per-frame figures the match benchmarks print: CPU clocks, resident memory,
// and the mean / 95th percentile / worst of a series of samples.
#include <cstddef>
#include <string>
#include <vector>

namespace benchmark {
class State;
namespace internal {
class Benchmark;
}
} // namespace benchmark

namespace BenchStats {
// CPU time of the calling thread, in seconds.
double cpuSeconds();
// CPU time of the whole process (every thread, the software renderer's too).
double processCpuSeconds();
double wallSeconds();
// Resident set of the process, in KB (0 where /proc cannot be read).
long residentKb();
// Bytes the allocator has handed out, in the heap and in blocks mapped on
// their own (which one a block lands in follows glibc's thresholds).
size_t heapInUse();
double mean(const std::vector<double>& v);
double percentile95(std::vector<double> v);
double percentile99(std::vector<double> v);
double worst(const std::vector<double>& v);
// Sets the counters NAME_mean_ms, NAME_p95_ms and NAME_worst_ms from samples
// in seconds.
void countMs(benchmark::State& state, const std::string& name, const std::vector<double>& seconds);
// Marks the benchmark skipped (and runs its empty loop) when no X server is
// there; true then.
bool needsDisplay(benchmark::State& state);
// For a registration's Apply: the table's times, and the iterations and rates
// taken from them, are wall time and the whole process's CPU (the CPU column
// is the calling thread's otherwise, without the software renderer's threads).
void wallAndProcessCpu(benchmark::internal::Benchmark* registration);
} // namespace BenchStats

// Samples of one figure, one per frame.
struct Series {
    std::vector<double> v;
    void add(double x) { v.push_back(x); }
    double mean() const { return BenchStats::mean(v); }
    double p95() const { return BenchStats::percentile95(v); }
    double p99() const { return BenchStats::percentile99(v); }
    double max() const { return BenchStats::worst(v); }
};

#include "TimedFrames.h"

#include <cstdio>
#include <string>

using namespace BenchStats;

long TimedFrames::add(const FrameStart& start, const FrameStart& end, const TimedController& timed) {
    whole.add(start, end);
    tick.push_back(timed.tickEnd.cpu - timed.tickStart.cpu);
    render.push_back(timed.renderEnd.cpu - timed.renderStart.cpu);
    const long made = (timed.tickEnd.allocations - timed.tickStart.allocations) +
                      (timed.renderEnd.allocations - timed.renderStart.allocations);
    allocations += made;
    return made;
}

void TimedFrames::print(const char* indent, double periodMs) const {
    const double ms = 1000.0;
    whole.print(indent, {periodMs});
    printf("%sthe main thread's CPU per frame (ms, mean / 95th percentile / worst):\n", indent);
    printf("%s  tick    %7.3f / %7.3f / %7.3f\n", indent, mean(tick) * ms, percentile95(tick) * ms, worst(tick) * ms);
    printf("%s  render  %7.3f / %7.3f / %7.3f\n", indent, mean(render) * ms, percentile95(render) * ms,
           worst(render) * ms);
}

void TimedFrames::count(benchmark::State& state) const {
    whole.count(state, "frame");
    countMs(state, "tick", tick);
    countMs(state, "render", render);
}

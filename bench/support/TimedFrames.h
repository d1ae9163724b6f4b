#pragma once
// The frames of a TimedController's match that a benchmark measures: each
// whole frame's wall time and the whole process's CPU (what a player waits
// for), the main thread's CPU of its tick and of its drawing, and the heap
// allocations made in both.
#include "FrameCost.h"
#include "TimedController.h"

#include <vector>

class TimedFrames {
public:
    // The frame from start to end; returns its allocations.
    long add(const FrameStart& start, const FrameStart& end, const TimedController& timed);
    // The whole frames against periodMs, then the main thread's parts.
    void print(const char* indent, double periodMs) const;
    // The whole frames' counters (frame_...), and tick_... and render_....
    void count(benchmark::State& state) const;

    FrameCost whole;
    std::vector<double> tick, render; // seconds of the main thread's CPU
    long allocations = 0;
};

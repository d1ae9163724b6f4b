#pragma once
// What a player waits for in a frame: its wall time and the whole process's
// CPU (every thread: the software renderer's too, LP_NUM_THREADS), taken
// around whole frames. The headline a benchmark sets against the frame period
// comes from these; the main thread's CPU may still split a frame into parts.
#include "BenchStats.h"

#include <initializer_list>
#include <string>

// The clocks read as a frame starts (or as it ends, for a benchmark that does
// work of its own after the frame before it adds the frame).
struct FrameStart {
    FrameStart();
    double wall, process;
};

class FrameCost {
public:
    // name: what print calls the spans.
    explicit FrameCost(const char* name = "whole frames") : name(name) {}
    // One frame, from start to now (or to end); leftOutMs (a counter's own time)
    // comes off both.
    void add(const FrameStart& start, double leftOutMs = 0.0) { add(start, FrameStart(), leftOutMs); }
    void add(const FrameStart& start, const FrameStart& end, double leftOutMs = 0.0);
    int frames() const { return int(wall.v.size()); }
    // Frames longer than periodMs in wall time / in the process's CPU.
    int wallOver(double periodMs) const;
    int processOver(double periodMs) const;
    // One line: both figures (mean, p95, p99, max) and the frames over each period.
    void print(const char* indent, std::initializer_list<double> periodsMs) const;
    // NAME_wall_mean_ms, NAME_wall_p95_ms, NAME_process_mean_ms, NAME_process_p95_ms.
    void count(benchmark::State& state, const std::string& name) const;

    Series wall, process; // ms per frame

private:
    const char* name;
};

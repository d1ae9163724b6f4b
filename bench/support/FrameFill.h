#pragma once
// The window pixels a frame's triangles cover (counted by the renderer's
// batch) beside the frame's CPU: on a software renderer the fill bounds a
// scene's frame time, and this says by how much.
#include "BenchStats.h"

class FrameFill {
public:
    // Counting on; a frame's figures start at zero.
    static void startFrame();
    // The pixels covered since startFrame.
    static double pixels();
    // The time the counting took since startFrame (ms), to leave out of the frame's CPU.
    static double countingMs();
    static void stop();
    // One line: pixels per frame (mean, max) and the CPU per pixel, over all
    // frames and over those beyond periodMs. cpuMs and pixels are per frame.
    static void print(const char* indent, const Series& cpuMs, const Series& pixels, double periodMs);
};

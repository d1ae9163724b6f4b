#pragma once
// Wall time spent inside OpenGL (and the buffer swap, where a software
// rasteriser finishes the frame), with the draw calls and texture binds made.
// The benchmark program defines the GL entry points the engine calls; each
// forwards to the library's own (found with dlsym) between two clock reads,
// so no engine code changes. Counts since the last reset.
#include <cstdint>

struct GlCallTimer {
    static void reset();
    static double seconds;
    static int64_t calls;
    static int64_t drawCalls;
    static int64_t textureBinds;
};

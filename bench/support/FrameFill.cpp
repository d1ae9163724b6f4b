#include "FrameFill.h"

#include "render/DrawBatch.h"

#include <cstdio>

void FrameFill::startFrame() {
    DrawBatch::countCoverage = true;
    DrawBatch::coveredPixels = 0.0;
    DrawBatch::coverageSeconds = 0.0;
}

double FrameFill::pixels() { return DrawBatch::coveredPixels; }

double FrameFill::countingMs() { return DrawBatch::coverageSeconds * 1000.0; }

void FrameFill::stop() { DrawBatch::countCoverage = false; }

void FrameFill::print(const char* indent, const Series& cpuMs, const Series& pixels, double periodMs) {
    double allPixels = 0.0, allMs = 0.0, overPixels = 0.0, overMs = 0.0;
    int over = 0;
    for (size_t i = 0; i < cpuMs.v.size() && i < pixels.v.size(); ++i) {
        allPixels += pixels.v[i];
        allMs += cpuMs.v[i];
        if (cpuMs.v[i] <= periodMs) continue;
        ++over;
        overPixels += pixels.v[i];
        overMs += cpuMs.v[i];
    }
    printf("%scovered pixels per frame mean %.0f (CPU %.1f ns per pixel), max %.0f; the %d frames over %.0f ms: "
           "mean %.0f (%.1f ns per pixel)\n",
           indent, pixels.mean(), allPixels > 0.0 ? 1e6 * allMs / allPixels : 0.0, pixels.max(), over, periodMs,
           over ? overPixels / over : 0.0, overPixels > 0.0 ? 1e6 * overMs / overPixels : 0.0);
}

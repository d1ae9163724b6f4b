#pragma once
// An invisible rocket on a ballistic path that leaves a trail of small white
// bursts and, when its fuse has burnt, bursts into a large Firework with a
// bang. Its bursts go to its own parent layer, so they outlive it.
#include "core/PlimBase.h"
#include "util/UColor.h"
#include "util/V3.h"

class FireworkFuse : public PlimBase {
public:
    static constexpr float GRAVITY = 128.0f;
    static constexpr double SPARK_INTERVAL_LOW = 0.045; // graphics detail 0
    static constexpr double SPARK_INTERVAL = 0.015;
    static constexpr int BURST_FLARES_LOW = 50;
    static constexpr int BURST_FLARES = 100;

    // Fuse time drawn between minFuse and maxFuse seconds.
    FireworkFuse(const V3& at, const V3& velocity, double minFuse, double maxFuse, UColor colour);
    FireworkFuse(float x, float y, float z, float vx, float vy, float vz, double minFuse, double maxFuse,
                 UColor colour);
    ~FireworkFuse() override;

    // Does not call PlimBase::tick; render stays PlimBase's (nothing to draw).
    void tick(double time, double dt) override;

    float x, y, z;
    float vx, vy, vz;
    float ax = 0.0f, ay = -GRAVITY, az = 0.0f;
    UColor colour;
    double fuseTime = 0.0;
    double elapsed = 0.0;
    double sparkTimer = 0.0;
    double sparkInterval = SPARK_INTERVAL;
};

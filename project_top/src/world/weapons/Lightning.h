#pragma once
// A held beam: while its weapon keeps it (fade 0) it follows the muzzle,
// hits the nearest target on its line every hitInterval and keeps its
// firing sound going; let go, it stops hitting and fades out in 0.25 s. The
// sound stops when the bolt is deleted.
#include "Beam.h"

class SoundChannel;

class Lightning : public Beam {
public:
    static constexpr float HIT_SPEED = 384.0f;

    Lightning(int owner, float x, float y, float z, float angle);
    ~Lightning() override;

    void tick(double time, double dt) override;
    // The bolt, a flare at its start and a double one at its far end.
    void render() override;

    double hitTimer = 0.0;
    double hitInterval = 0.05;
    SoundChannel *fireChannel = nullptr; // owned, "lightningFire"
};

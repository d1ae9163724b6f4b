#pragma once
// An instant beam: on its first tick it hits the nearest target on its line
// once and reaches just to it (or MAX_LENGTH), then fades out in 0.25 s.
#include "Beam.h"

class Laser : public Beam {
public:
    static constexpr float HIT_SPEED = 1024.0f; // read by targets that take the hitter's velocity
    static constexpr float FLARE_SCALE = 4.0f;

    Laser(int owner, float x, float y, float z, float angle);
    ~Laser() override;

    // Never moves, so it is never removed off screen.
    void tick(double time, double dt) override;
    // The beam, then a double flare at its far end.
    void render() override;

    bool bFirstTick = true;
};

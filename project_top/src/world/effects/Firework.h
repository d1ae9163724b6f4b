#pragma once
// A burst of coloured flares ("flare", first sub-image) that fly apart, fall
// under gravity and shrink as they burn out; ends itself like Explosion.
#include "core/PlimBase.h"
#include "util/UColor.h"

class Sparc;
class Skin;

class Firework : public PlimBase {
public:
    static constexpr float DECAY = 128.0f;
    static constexpr float GRAVITY = 128.0f;
    static constexpr float MIN_SCALE = 0.1f;

    Firework(float x, float y, float z, int count, float minSpeed, float maxSpeed, float direction, float spread,
             float scale, UColor colour);
    ~Firework() override;

    void tick(double time, double dt) override;
    void render() override;

    int liveParticles() const;

    float decayRate = DECAY;
    int32_t count = 0;
    float maxSpeed = 0.0f;
    float scale = 1.0f;
    Sparc* particles = nullptr; // owned
    Skin* flare = nullptr;      // not owned
};

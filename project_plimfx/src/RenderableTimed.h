#pragma once
// A picture that appears after a delay, lasts a while with optional alpha
// fades at both ends, and then has its parent delete it.
#include "render/Renderable.h"

class RenderableTimed : public Renderable {
public:
    // A duration that never runs out in practice.
    static constexpr double FOREVER = 999999.0;

    RenderableTimed();
    ~RenderableTimed() override;

    void tick(double time, double dt) override;
    void render() override;

    double delay = 0.0;
    double duration = FOREVER;
    double fadeInTime = 0.0;
    double fadeOutTime = 0.0;
    double elapsed = 0.0;
};

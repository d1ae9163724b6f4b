#pragma once
// A child camera of a CameraBlender: after a delay its blend factor rises from
// 0 to 1 over the blend time. Only its position is read by the blend. The
// game's own cameras derive from it.
#include "render/Camera.h"

#include <cstdint>

class CameraBlenderFactor : public Camera {
public:
    CameraBlenderFactor();
    ~CameraBlenderFactor() override;

    // Raises the factor while it is below 1; ticks neither state nor children.
    void tick(double time, double dt) override;

    int32_t interpolationKind = INTERPOLATE_SINE_IN_OUT;
    double blendTime = 1.0;
    double blendElapsed = 0.0;
    float factor = 0.0f;
    double delay = 0.0; // seconds left before blending starts
};

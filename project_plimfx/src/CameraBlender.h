#pragma once
// The camera of a ContextBlender: each frame it starts at a base position and
// blends, child after child, towards each child camera's position by that
// child's factor, so that a camera added later takes over smoothly. A child
// that is fully blended in deletes the one before it. It also applies a
// decaying roll shake.
#include "render/Camera.h"

class CameraBlender : public Camera {
public:
    CameraBlender();
    ~CameraBlender() override;

    // The blend, the shake, and the eye and centre used for drawing.
    void updateCamera(double time, double dt) override;

    // Roll of amplitude radians shrinking to 0 over duration seconds; replaces
    // a running shake.
    void shake(double amplitude, double duration);
    // Cuts to a view at once: new base position, every child camera deleted.
    // With clamp the view's lower edge at depth 0 is kept at or above -4.
    void setPosition(float x, float y, float z, bool clamp);

    V3 basePosition;
    double shakeDuration = 0.0;
    double shakeElapsed = 0.0;
    double shakeAmplitude = 0.0;
};

#pragma once
// The sprite of the mouse cursor: follows the mouse in its context's world and
// plays the texture's sub-images forward while a button is held (frame 0
// released, the last fully pressed), backward when released.
#include "render/Renderable.h"

class Texture;

class MousePointer : public Renderable {
public:
    // Needs the texture registered as "mousePointer".
    MousePointer();
    ~MousePointer() override;

    // Replaces the base tick: no state machine, no children.
    void tick(double time, double dt) override;

    Texture* texture = nullptr; // not owned
    float phase = 0.0f;         // 0 released .. 1 pressed
};

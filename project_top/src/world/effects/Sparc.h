#pragma once
// One particle of an effect: a plain array element, never a tree child, drawn
// without culling. Its life is a speed budget that runs down and picks the
// animation frame; it is alive while above 0.
#include "render/Renderable.h"

class Sparc : public Renderable {
public:
    Sparc() { bSkipVisibility = true; }

    float vx = 0.0f;
    float vy = 0.0f;
    float life = 0.0f;
};

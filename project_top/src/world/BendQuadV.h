#pragma once
// A textured quad cut into rows and bent along a circular arc over its height
// (the palms' sway): the bottom row stays put, the centre line keeps its
// length and curls to the left for a positive bend.
#include "render/Quad.h"

class Renderable;

class BendQuadV : public Quad {
public:
    static constexpr float MIN_BEND = 0.001f; // smaller bends are stored as 0

    // Two rows, straight.
    BendQuadV();
    ~BendQuadV() override;

    // Straight picture coordinates to the bent shape, and back.
    V3 local2world(V3 p) override;
    V3 world2local(V3 p) override;
    // Size and texture coordinates of every row, then the positions.
    void fitToTexture() override;
    // A radius that holds the picture bent by up to a quarter turn.
    virtual void calcRadius(Renderable* owner);
    // rows x 2 opaque white vertices, then fitToTexture.
    virtual void allocateVertices();
    // Vertex positions from the size and the bend.
    virtual void rebuild();

    // Takes the other quad's texture and rectangle.
    void copyFrom(const Quad& other);
    // Rebuilds only when the stored bend changes.
    void setBend(float b);

    int32_t rows = 2;
    float bend = 0.0f;
};

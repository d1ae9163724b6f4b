#pragma once
// A source quad drawn stretched to any size while its four borders keep their
// size in pixels (a nine-patch frame: corners unscaled, edges stretched along
// one axis, the centre along both). With top and bottom borders both 0 only
// the middle row is drawn, a three-part bar. The source quad is not owned.
#include "render/Skin.h"
#include "util/UVRect.h"

#include <cstdint>

class Quad;

class StretchSkin : public Skin {
public:
    // The source must be a Quad (fatal otherwise).
    explicit StretchSkin(Skin* source);
    ~StretchSkin() override;

    void draw(Renderable* owner) override;
    // Back to the source's own size in pixels.
    virtual void fitToTexture();

    // Border sizes in source pixels; resets the size to the source's.
    void setBorders(int left, int top, int bottom, int right);
    // A height of 0 or below takes the source's height. Rebuilds the vertices.
    void setSize(float width, float height);

    Quad* sourceSkin = nullptr;
    UVRect innerUV{0.0f, 0.0f, 0.0f, 0.0f};
    int32_t borderLeft = 0;
    int32_t borderTop = 0;
    int32_t borderBottom = 0;
    int32_t borderRight = 0;

    // Three triangle strips of 8 vertices: top, middle and bottom row of cells.
    static constexpr int STRIP_VERTICES = 8;
    static constexpr int NUM_VERTICES = 3 * STRIP_VERTICES;
};

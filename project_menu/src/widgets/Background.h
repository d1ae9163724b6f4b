#pragma once
// The sea-and-sky backdrop of the menus: clears the frame to the sky's blue and
// tiles strips 1524 units wide, each one sky image at double size and three sea
// tiles, across whatever the current context's camera sees. Static: it moves
// only with the camera.
#include "core/PlimBase.h"

class Texture;

class Background : public PlimBase {
public:
    static constexpr float STRIP_WIDTH = 1524.0f;
    static constexpr float SEA_TILE_STEP = 508.0f;
    static constexpr uint32_t CLEAR_COLOUR = 0xffd08010;

    // Finds "sea" and "sky"; either missing is fatal.
    Background();
    ~Background() override;

    // Draws the backdrop for the current context's camera; ignores children.
    void render() override;

    // Left edge of the first strip for a view starting at left.
    static float firstStripX(float left);

    Texture* seaTexture = nullptr; // borrowed
    Texture* skyTexture = nullptr; // borrowed
};

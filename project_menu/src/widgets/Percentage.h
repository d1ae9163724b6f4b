#pragma once
// A progress bar: a frame (one sub-image of a texture) with a bar (another
// sub-image) drawn over it, cut from the left to the shown fraction.
#include "render/Renderable.h"

class Texture;

class Percentage : public Renderable {
public:
    // frameSkin below 0: no frame. Both sub-images must exist.
    Percentage(Texture* texture, int frameSkin, int barSkin);
    ~Percentage() override;

    void render() override;
    // The bar follows every move, turn or scale of the frame.
    void updateVisuals() override;
    // Clamped to 0..1 for the drawing; the value itself is kept.
    void setValue(float v);

    Texture* texture = nullptr; // not owned
    int barSkin = 0;
    float value = 0.0f;
    Renderable bar; // owns its quad
};

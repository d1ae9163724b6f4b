#pragma once
// The part of a skin outside which none of its texels can show: a convex
// polygon of up to eight corners (an octagon around the texels that are not
// fully transparent), found when the picture loads. Where that pays, the
// batch draws a quad only over scissor bands around it (see DrawBatch), so
// the rasteriser skips the fully transparent rest, which changes no pixel.
class MemoryImageFile;
struct PixelRect;

class ShownArea {
public:
    static const int MAX_CORNERS = 8;

    // The area of rect (source-image pixels) of an image uploaded at texel
    // (0, 0) of a texture of textureWidth x textureHeight texels, scale
    // source pixels to the texel, its spare texels filled and wrapping as
    // Texture gives them: the box (cut at its corners) of the texels with
    // alpha, margin texels wider on each side. A margin of 1 holds every
    // point whose bilinear (or nearest) sample can mix such a texel, with
    // half a texel to spare; 0 is too tight. No corners when no texel within
    // reach has alpha. Corners in source-image pixels.
    static ShownArea find(MemoryImageFile* image, const PixelRect& rect, int scale, int textureWidth,
                          int textureHeight, int margin = 1);

    // The area covers the whole rectangle: trimming gains nothing.
    bool coversRect(const PixelRect& rect) const;

    int corners = 0; // 0: nothing can show
    float x[MAX_CORNERS] = {};
    float y[MAX_CORNERS] = {};
};

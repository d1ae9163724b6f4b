#pragma once
// One row of a font's cache texture: the pre-composed image of one string,
// drawn as a single quad for as long as the string keeps being drawn.
#include "core/PlimBase.h"
#include "util/UColor.h"
#include "util/UString.h"
#include "util/V3.h"

#include <cstdint>

class FontQuad;
class Quad;
class Renderable;
class Texture;

class FontQuadCacheEntry : public PlimBase {
public:
    // The row is the pixel rectangle (left, top) to (right, bottom) of texture.
    FontQuadCacheEntry(FontQuad* font, Texture* texture, int left, int top, int bottom, int right);
    ~FontQuadCacheEntry() override;
    RuntimeClass* getClass() override;
    static RuntimeClass runtimeClass;

    // Composes the text's base letters into the row and uploads it.
    void fillCache(const UString& text);
    // Draws the row in the frame's transform and colour, its top-left corner
    // on the frame's origin.
    void draw(Renderable* frame);
    void drawAt(V3 position, UColor colour);

    int32_t lastUsedFrame = -1000; // engine frame of the last draw
    UString text;
    FontQuad* pFont = nullptr; // not owned
    Quad* pQuad = nullptr;     // owned; sized to the string's extent
};

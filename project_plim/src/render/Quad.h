#pragma once
// The common skin: one rectangle of one texture, drawn as a four-vertex
// triangle strip (top left, top right, bottom left, bottom right). A quad cut
// by its texture knows the part of its picture that can show, and the batch
// may draw it only around that part.
#include "util/PixelRect.h"
#include "ShownArea.h"
#include "Skin.h"
#include "util/UVRect.h"

class Texture;

class Quad : public Skin {
public:
    Quad();
    ~Quad() override;
    RuntimeClass* getClass() override;
    static RuntimeClass runtimeClass;
    static PlimBase* create();

    // Tints the vertices with the owner's colour and draws with pTexture.
    void draw(Renderable* owner) override;
    // The size in source-image pixels of the shown area of pTexture (required).
    // Creators call it after setting pTexture and again after setting uvRect.
    virtual void fitToTexture();

    // Stores the size and rewrites the four vertices from uvRect, opaque white.
    void setSize(float w, float h);
    // The part of pixelRect (source-image pixels) outside which no texel can
    // show; the texture finds it when it loads the picture. Null, or uvRect
    // no longer showing pixelRect, and the quad draws whole.
    void setShownArea(const ShownArea* inPixels);
    // Where the drawing is cut to, in local units; null when it draws whole.
    const ShownArea* shownArea() const { return bTrimmed && trimming ? &shownLocal : nullptr; }

    // Off, quads draw over their whole rectangle (to compare the pixels).
    static bool trimming;

    Texture* pTexture = nullptr; // not owned
    UVRect uvRect;
    PixelRect pixelRect; // the same area in source-image pixels, when known

private:
    bool bTrimmed = false;
    ShownArea shownPixels;
    ShownArea shownLocal; // in skin-local units, from setSize
};

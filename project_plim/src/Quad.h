#pragma once
// The common skin: one rectangle of one texture, drawn as a four-vertex
// triangle strip (top left, top right, bottom left, bottom right).
#include "PixelRect.h"
#include "Skin.h"
#include "UVRect.h"

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

    Texture* pTexture = nullptr; // not owned
    UVRect uvRect;
    PixelRect pixelRect; // the same area in source-image pixels, when known
};

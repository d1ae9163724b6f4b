#include "FontQuadCacheEntry.h"

#include "core/ErrorManager.h"
#include "FontQuad.h"
#include "render/MemoryImageFile.h"
#include "util/PixelPoint.h"
#include "util/PixelRect.h"
#include "core/Plim.h"
#include "render/Quad.h"
#include "render/Renderable.h"
#include "core/RuntimeClass.h"
#include "render/Texture.h"

RuntimeClass FontQuadCacheEntry::runtimeClass("FontQuadCacheEntry", &PlimBase::runtimeClass, nullptr);

RuntimeClass* FontQuadCacheEntry::getClass() { return &runtimeClass; }

FontQuadCacheEntry::FontQuadCacheEntry(FontQuad* font, Texture* texture, int left, int top, int bottom,
                                       int right)
    : pFont(font) {
    pQuad = new Quad();
    pQuad->pTexture = texture;
    pQuad->pixelRect = PixelRect(left, top, bottom, right);
    pQuad->uvRect = texture->pixelRectToUV(pQuad->pixelRect);
    pQuad->fitToTexture();
}

FontQuadCacheEntry::~FontQuadCacheEntry() {
    BasicLink::deleteIfSet(pQuad);
    pQuad = nullptr;
}

void FontQuadCacheEntry::fillCache(const UString& newText) {
    Texture* texture = pQuad->pTexture;
    texture->clear(&pQuad->pixelRect, pFont->bCacheWhite);
    text = newText;

    MemoryImageFile* pDestMIF = texture->pSavedSourceData;
    PLIM_ASSERT(pDestMIF!=NULL);

    const int left = pQuad->pixelRect.left;
    const int top = pQuad->pixelRect.top;
    int x = left, right = left, bottom = top;
    const int length = int(text.length());
    for (int i = 0; i < length; ++i) {
        uint16_t symbol = pFont->decodeSymbol(text, i);
        FontSize size = pFont->getSymbolSize(symbol);
        right = x + size.width;
        if (top + size.height > bottom) bottom = top + size.height;
        const FontSymbol& s = pFont->getSymbol(symbol);
        if (s.pQuad) {
            Quad* glyph = FontQuad::asQuad(s.pQuad);
            PLIM_ASSERT(glyph!=NULL);
            MemoryImageFile* pSrcMIF = glyph->pTexture->pSavedSourceData;
            PLIM_ASSERT(pSrcMIF!=NULL);
            PixelPoint at(x, top);
            pDestMIF->blit(pSrcMIF, &glyph->pixelRect, &at);
        }
        x += size.width + s.spacing;
    }
    pQuad->pixelRect = PixelRect(left, top, bottom, right);
    pQuad->uvRect = texture->pixelRectToUV(pQuad->pixelRect);
    pQuad->fitToTexture();
    pQuad->setOrigin(7);

    PixelRect rows(left, top, top + pFont->fontHeight, texture->width);
    PixelPoint at(left, top);
    texture->copyImageData(pDestMIF, &rows, &at);
}

void FontQuadCacheEntry::draw(Renderable* frame) {
    Renderable r;
    r.bSkipVisibility = true;
    r.postXform = frame->xform;
    r.color = frame->color;
    r.pSkin = pQuad;
    r.updateVisuals();
    r.render();
    lastUsedFrame = PLIM->frameCount;
}

void FontQuadCacheEntry::drawAt(V3 position, UColor colour) {
    pQuad->drawImmediate(position, colour);
    lastUsedFrame = PLIM->frameCount;
}

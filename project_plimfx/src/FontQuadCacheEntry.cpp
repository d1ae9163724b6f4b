#include "FontQuadCacheEntry.h"

#include "ErrorManager.h"
#include "FontQuad.h"
#include "MemoryImageFile.h"
#include "PixelPoint.h"
#include "PixelRect.h"
#include "Plim.h"
#include "Quad.h"
#include "Renderable.h"
#include "RuntimeClass.h"
#include "Texture.h"

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

namespace {

// Copies a glyph into the cache image, dropping whatever would fall outside it
// (only fonts with spacing below -1 get that far).
void copyGlyph(MemoryImageFile* dest, MemoryImageFile* src, PixelRect from, int x, int y) {
    if (x < 0) {
        from.left -= x;
        x = 0;
    }
    if (y < 0) {
        from.top -= y;
        y = 0;
    }
    if (x + from.width() > dest->width) from.right = from.left + (dest->width - x);
    if (y + from.height() > dest->height) from.bottom = from.top + (dest->height - y);
    if (from.left < 0 || from.top < 0 || from.right > src->width || from.bottom > src->height) return;
    if (from.width() <= 0 || from.height() <= 0) return;
    PixelPoint at(x, y);
    dest->blit(src, &from, &at);
}

} // namespace

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
            MemoryImageFile* pSrcMIF = s.pQuad->pTexture->pSavedSourceData;
            PLIM_ASSERT(pSrcMIF!=NULL);
            copyGlyph(pDestMIF, pSrcMIF, s.pQuad->pixelRect, x, top);
        }
        x += size.width + s.spacing;
    }
    // The quad never reaches outside the texture, whatever the spacing did.
    if (right > pDestMIF->width) right = pDestMIF->width;
    if (right < left) right = left;

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

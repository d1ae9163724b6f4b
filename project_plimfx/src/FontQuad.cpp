#include "FontQuad.h"

#include "core/DataFault.h"
#include "core/ErrorManager.h"
#include "FontQuadCacheEntry.h"
#include "core/Logger.h"
#include "files/MemoryIniFile.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "render/Quad.h"
#include "render/Renderable.h"
#include "core/RuntimeClass.h"
#include "render/Texture.h"

#include <algorithm>

RuntimeClass FontQuad::runtimeClass("FontQuad", &PlimBase::runtimeClass, nullptr);

RuntimeClass* FontQuad::getClass() { return &runtimeClass; }

namespace {

const uint8_t ESCAPE = 0x1F;
const uint8_t COLOUR_CODE = 0x1E;
const int COLOUR_CODE_LENGTH = 8;
// Frames a cached text may stay unused; the bound keeps frame arithmetic in range.
const int MAX_CACHE_TTL_FRAMES = 1000000;
// Base of the accented small i letters; placed like a lower-case letter.
const uint16_t SMALL_I_BASE = 0x7F;

const uint16_t GRAVE = 0x60, ACUTE = 0xB4, CIRCUMFLEX = 0x88, TILDE = 0x98, DIAERESIS = 0xA8, RING = 0xB0,
               CEDILLA = 0xB8;
struct AccentedLetter {
    uint16_t c, base, accent;
};
// The 54 accented Windows-1252 letters, 0x9F first, then ascending.
const AccentedLetter ACCENTED[] = {
    {0x9F, 'Y', DIAERESIS},  {0xC0, 'A', GRAVE},      {0xC1, 'A', ACUTE},
    {0xC2, 'A', CIRCUMFLEX}, {0xC3, 'A', TILDE},      {0xC4, 'A', DIAERESIS},
    {0xC5, 'A', RING},       {0xC7, 'C', CEDILLA},    {0xC8, 'E', GRAVE},
    {0xC9, 'E', ACUTE},      {0xCA, 'E', CIRCUMFLEX}, {0xCB, 'E', DIAERESIS},
    {0xCC, 'I', GRAVE},      {0xCD, 'I', ACUTE},      {0xCE, 'I', CIRCUMFLEX},
    {0xCF, 'I', DIAERESIS},  {0xD1, 'N', TILDE},      {0xD2, 'O', GRAVE},
    {0xD3, 'O', ACUTE},      {0xD4, 'O', CIRCUMFLEX}, {0xD5, 'O', TILDE},
    {0xD6, 'O', DIAERESIS},  {0xD9, 'U', GRAVE},      {0xDA, 'U', ACUTE},
    {0xDB, 'U', CIRCUMFLEX}, {0xDC, 'U', DIAERESIS},  {0xDD, 'Y', ACUTE},
    {0xE0, 'a', GRAVE},      {0xE1, 'a', ACUTE},      {0xE2, 'a', CIRCUMFLEX},
    {0xE3, 'a', TILDE},      {0xE4, 'a', DIAERESIS},  {0xE5, 'a', RING},
    {0xE7, 'c', CEDILLA},    {0xE8, 'e', GRAVE},      {0xE9, 'e', ACUTE},
    {0xEA, 'e', CIRCUMFLEX}, {0xEB, 'e', DIAERESIS},  {0xEC, SMALL_I_BASE, GRAVE},
    {0xED, SMALL_I_BASE, ACUTE}, {0xEE, SMALL_I_BASE, CIRCUMFLEX}, {0xEF, SMALL_I_BASE, DIAERESIS},
    {0xF1, 'n', TILDE},      {0xF2, 'o', GRAVE},      {0xF3, 'o', ACUTE},
    {0xF4, 'o', CIRCUMFLEX}, {0xF5, 'o', TILDE},      {0xF6, 'o', DIAERESIS},
    {0xF9, 'u', GRAVE},      {0xFA, 'u', ACUTE},      {0xFB, 'u', CIRCUMFLEX},
    {0xFC, 'u', DIAERESIS},  {0xFD, 'y', ACUTE},      {0xFF, 'y', DIAERESIS},
};

int countLive(const PlimBase* node) {
    int n = 0;
    for (const BasicLink* link = node->firstChild; link; link = link->next)
        if (BasicLink::isLive(link)) ++n;
    return n;
}

} // namespace

FontQuad::FontQuad() {
    // Made right after the font, the two nodes follow it in the engine's list
    // of live objects: the mode-change walk, which has already stepped to the
    // font's successor when the font drops its cache, never stands on a row or
    // cache texture being deleted.
    cacheTextures = new PlimBase();
    cacheEntries = new PlimBase();
    MemoryIniFile* config = PLIM->config;
    if (config) config->readSetting("FontQuad", "cacheTTLframes", cacheTTLframes, 0, MAX_CACHE_TTL_FRAMES);
}

FontQuad::~FontQuad() {
    logTagged("~FontQuad", "Cache usage: %d textures (%d entries).", getNumCacheTextures(), getNumCacheEntries());
    if (!PLIM->bDebugLocked) {
        for (BasicLink* link = cacheEntries->firstChild; link; link = link->next)
            if (BasicLink::isLive(link))
                logTagged("~FontQuad", "Contents: %s", static_cast<FontQuadCacheEntry*>(link)->text.c_str());
    }
    cacheEntries->deleteMe();
    cacheEntries = nullptr;
    cacheTextures->deleteMe();
    cacheTextures = nullptr;
}

void FontQuad::onPLIMmodeChange(int oldMode, int newMode) {
    if (oldMode == MODE_INACTIVE && newMode == MODE_RESTORE) {
        cacheEntries->destroyChildren();
        cacheTextures->destroyChildren();
    }
}

// --- Symbols -------------------------------------------------------------------

const FontSymbol& FontQuad::getSymbol(uint16_t symbol) const {
    static const FontSymbol none;
    return symbol < NUMSYMBOLS ? symbolData[symbol] : none;
}

Quad* FontQuad::asQuad(Skin* image) {
    // A mosaic reports Skin's class record.
    return image && image->getClass()->isKindOf(&Quad::runtimeClass) ? static_cast<Quad*>(image) : nullptr;
}

void FontQuad::addSourceTexture(Texture* texture, uint16_t firstSymbol) {
    if (firstSymbol != 0xFFFF) nextSymbolToLoad = firstSymbol;
    for (Skin* skin : texture->skins) {
        if (nextSymbolToLoad == ' ') {
            nextSymbolToLoad = ' ' + 1;
            continue;
        }
        if (nextSymbolToLoad >= NUMSYMBOLS)
            DataFault::raise("Texture '%s' has sub-images past the last symbol of a font, %d.", texture->name.c_str(),
                             NUMSYMBOLS - 1);
        FontSymbol& s = symbolData[nextSymbolToLoad];
        s.pQuad = skin;
        s.pQuad->setOrigin(7);
        s.spacing = defaultSpacing;
        ++nextSymbolToLoad;
    }
    updateHeights();
}

void FontQuad::updateHeights() {
    int tallest = 0;
    for (const FontSymbol& s : symbolData)
        if (s.pQuad && int(s.pQuad->height) > tallest) tallest = int(s.pQuad->height);
    fontHeight = tallest;
    for (uint16_t c : {uint16_t('A'), uint16_t('a'), uint16_t('0')}) {
        if (symbolData[c].pQuad) {
            letterHeight = int(symbolData[c].pQuad->height);
            break;
        }
    }
}

void FontQuad::setCompositeChar(uint16_t c, uint16_t base, uint16_t accent, int accentX, int accentY) {
    if (c >= NUMSYMBOLS || base >= NUMSYMBOLS || accent >= NUMSYMBOLS)
        PLIM_ERROR("Symbol out of range (%d, %d, %d).", c, base, accent);
    FontSymbol& s = symbolData[c];
    const FontSymbol& b = symbolData[base];
    s.pQuad = b.pQuad;
    s.pAccentQuad = symbolData[accent].pQuad;
    if (!s.pAccentQuad) DataFault::raise("A font has no sub-image for symbol %d, the accent of symbol %d.", accent, c);
    if (accentX == AUTO_PLACE) {
        // Centring needs the base's width; without an image the base is a space.
        float baseWidth = b.pQuad ? b.pQuad->width : float(spaceWidth);
        accentX = int((baseWidth + 1.0f - s.pAccentQuad->width) * 0.5f);
    }
    if (accentY == AUTO_PLACE) {
        bool lower = (base >= 'a' && base <= 'z') || base == SMALL_I_BASE;
        int drop = lower ? accentDropLower : accentDropUpper;
        accentY = int(s.pAccentQuad->height + 1.0f - float(drop));
    }
    s.accentX = accentX;
    s.accentY = accentY;
    s.spacing = b.spacing;
}

void FontQuad::setupCompositeChars() {
    for (const AccentedLetter& e : ACCENTED)
        setCompositeChar(e.c, e.base, e.accent, AUTO_PLACE, e.accent == CEDILLA ? 0 : AUTO_PLACE);
}

uint16_t FontQuad::lastAccentSymbol() {
    uint16_t last = 0;
    for (const AccentedLetter& e : ACCENTED) last = std::max(last, e.accent);
    return last;
}

int FontQuad::skinsThrough(uint16_t firstSymbol, uint16_t symbol) {
    if (symbol < firstSymbol) return 0;
    return symbol - firstSymbol + 1 - (firstSymbol <= ' ' && symbol >= ' ' ? 1 : 0);
}

FontSize FontQuad::getSymbolSize(uint16_t symbol) const {
    const FontSymbol& s = getSymbol(symbol);
    FontSize size;
    if (s.pQuad) {
        size.width = int(s.pQuad->width);
        size.height = int(s.pQuad->height);
    } else {
        size.width = spaceWidth;
    }
    return size;
}

uint16_t FontQuad::decodeSymbol(const UString& text, int& index) const {
    const uint8_t c = uint8_t(text[index]);
    if (c != ESCAPE) return c;
    const int length = int(text.length());
    if (index + 2 >= length) {
        index = length - 1;
        return NUMSYMBOLS;
    }
    const uint8_t b1 = uint8_t(text[index + 1]), b2 = uint8_t(text[index + 2]);
    index += 2;
    return uint16_t(256 + (((b1 & 0x7F) << 7) | (b2 & 0x7F)));
}

// --- Measuring -----------------------------------------------------------------

FontSize FontQuad::getTextWidth(const UString& text, int* limit) const {
    FontSize size;
    const int length = int(text.length());
    for (int index = 0; index < length; ++index) {
        const int start = index;
        uint16_t symbol = decodeSymbol(text, index);
        FontSize s = getSymbolSize(symbol);
        int advance = s.width + getSymbol(symbol).spacing;
        size.width += advance;
        if (s.height > size.height) size.height = s.height;
        if (limit && size.width > *limit) {
            size.width -= advance;
            *limit = start;
            break;
        }
    }
    return size;
}

FontSize FontQuad::getTextSize(const UString& text) const {
    FontSize size;
    size_t from = 0;
    const size_t length = text.length();
    while (from < length) {
        size_t code = from;
        while (code < length && uint8_t(text[code]) != COLOUR_CODE) ++code;
        FontSize run = getTextWidth(text.substr(from, code - from), nullptr);
        size.width += run.width;
        if (run.height > size.height) size.height = run.height;
        // A code cut short by the end of the text takes the rest of it.
        from = code + 1 + COLOUR_CODE_LENGTH;
    }
    return size;
}

// --- Printing ------------------------------------------------------------------

bool FontQuad::useCacheFor(int flags, const UString& text) const {
    return bUseCache && PLIM->graphics && PLIM->graphics->bEnableFontCache && !(flags & PRINT_NOCACHE) &&
           int(text.length()) >= CACHE_MIN_LENGTH && getCacheRowCount() > 0;
}

void FontQuad::print(Renderable* frame, int flags, const UString& text) {
    const int width = getTextWidth(text, nullptr).width;
    V3 origin(0.0f, 0.0f, 0.0f);
    if (flags & PRINT_CENTER) origin.x -= float(width / 2);
    if (flags & PRINT_RIGHT) origin.x -= float(width);
    if (flags & PRINT_VCENTER) origin.y += float(fontHeight / 2);
    if (flags & PRINT_BOTTOM) origin.y += float(fontHeight);
    if (flags & PRINT_BASELINE) origin.y += float(letterHeight);

    Renderable t;
    t.bSkipVisibility = true;
    t.postXform = frame->xform;
    t.color = frame->color;
    t.position = origin;
    t.updateVisuals();

    if (useCacheFor(flags, text) && printCached(&t, origin, width, text)) return;
    drawAccents(&t, text);
    drawGlyphs(&t, origin, text);
}

void FontQuad::drawGlyphs(Renderable* t, const V3& origin, const UString& text) {
    float pen = origin.x;
    const int length = int(text.length());
    for (int index = 0; index < length; ++index) {
        uint16_t symbol = decodeSymbol(text, index);
        const FontSymbol& s = getSymbol(symbol);
        if (s.pQuad) {
            V3 at(pen, origin.y, 0.0f);
            t->setup(s.pQuad, &at, nullptr, nullptr);
            t->render();
        }
        pen += float(getSymbolSize(symbol).width + s.spacing);
    }
}

bool FontQuad::printCached(Renderable* t, const V3& origin, int width, const UString& text) {
    if (width <= CACHE_TEXTURE_SIZE - 1) {
        FontQuadCacheEntry* entry = findCacheEntry(text);
        if (!entry) return false;
        drawAccents(t, text);
        entry->draw(t);
        return true;
    }

    // Too wide for a row: print two halves, never splitting inside an escape
    // (its payload bytes have the high bit set).
    const int length = int(text.length());
    int split = length / 2;
    uint8_t at = uint8_t(text[split]);
    if (!(at == ESCAPE || at < 0x80)) {
        int i = split - 1;
        while (i >= 0) {
            uint8_t c = uint8_t(text[i]);
            if (c == ESCAPE || c < 0x80) break;
            --i;
        }
        split = i >= 0 ? i : length / 2;
        if (split <= 0) split = length / 2;
    }
    UString first = text.substr(0, size_t(split));
    UString second = text.substr(size_t(split));
    print(t, 2, first);
    float x = origin.x + float(getTextWidth(first, nullptr).width);
    t->position = V3(x, origin.y, 0.0f);
    t->updateVisuals();
    print(t, 2, second);
    return true;
}

void FontQuad::drawAccents(Renderable* frame, const UString& text) {
    Renderable a;
    a.bSkipVisibility = true;
    a.postXform = frame->xform;
    a.color = frame->color;
    float pen = 0.0f;
    const int length = int(text.length());
    for (int index = 0; index < length; ++index) {
        uint16_t symbol = decodeSymbol(text, index);
        const FontSymbol& s = getSymbol(symbol);
        if (s.pAccentQuad) {
            V3 at(float(s.accentX) + pen, float(s.accentY), 0.0f);
            a.setup(s.pAccentQuad, &at, nullptr, nullptr);
            a.render();
        }
        pen += float(getSymbolSize(symbol).width + s.spacing);
    }
}

void FontQuad::printAt(float x, float y, float z, UColor colour, int flags, const UString& text) {
    Renderable r;
    r.position = V3(x, y, z);
    r.updateVisuals();
    r.color = colour;
    print(&r, flags, text);
}

void FontQuad::printShadowed(Renderable* frame, int flags, const UString& text, float dx, float dy,
                             float dz, UColor shadowColour) {
    if (PLIM->graphics && PLIM->graphics->bTextShadows) {
        const V3 position = frame->position;
        const UColor colour = frame->color;
        const Matrix xform = frame->xform, invXform = frame->invXform;
        const V3 boundsCenter = frame->boundsCenter;
        const float boundsRadius = frame->boundsRadius;
        frame->position = position + V3(dx, dy, dz);
        frame->updateVisuals();
        frame->color = shadowColour;
        print(frame, flags, text);
        frame->position = position;
        frame->xform = xform;
        frame->invXform = invXform;
        frame->boundsCenter = boundsCenter;
        frame->boundsRadius = boundsRadius;
        frame->color = colour;
    }
    print(frame, flags, text);
}

void FontQuad::printAtShadowed(float x, float y, float z, UColor colour, int flags, const UString& text,
                               float dx, float dy, float dz, UColor shadowColour) {
    Renderable r;
    r.position = V3(x, y, z);
    r.updateVisuals();
    r.color = colour;
    printShadowed(&r, flags, text, dx, dy, dz, shadowColour);
}

void FontQuad::printClipped(Renderable* frame, int flags, const UString& text, int maxWidth) {
    if (getTextWidth(text, nullptr).width <= maxWidth) {
        print(frame, flags, text);
        return;
    }
    // The longest prefix that leaves room for the dots; cut before a whole
    // symbol, never inside an escape.
    const int limit = maxWidth - getTextWidth("...", nullptr).width;
    const int length = int(text.length());
    int cut = length;
    int width = 0;
    for (int index = 0; index < length; ++index) {
        const int start = index;
        uint16_t symbol = decodeSymbol(text, index);
        width += getSymbolSize(symbol).width + getSymbol(symbol).spacing;
        if (width > limit) {
            cut = start;
            break;
        }
    }
    print(frame, flags, text.substr(0, size_t(cut)) + "...");
}

// --- Render cache ----------------------------------------------------------------

int FontQuad::getCacheRowCount() const { return CACHE_TEXTURE_SIZE / (fontHeight + 1); }

int FontQuad::getNumCacheTextures() const { return countLive(cacheTextures); }

int FontQuad::getNumCacheEntries() const { return countLive(cacheEntries); }

FontQuadCacheEntry* FontQuad::createCacheTexture() {
    const int rowHeight = fontHeight + 1;
    const int count = getCacheRowCount();
    if (count <= 0) return nullptr;
    Texture* texture = new Texture(CACHE_TEXTURE_SIZE, CACHE_TEXTURE_SIZE, TEXTURE_KEEPSOURCE);
    cacheTextures->addChild(texture);
    logTagged("createCacheTexture", "Creating new cache texture (%d cache entries).", count);
    texture->clear(nullptr, bCacheWhite);
    FontQuadCacheEntry* first = nullptr;
    for (int i = 0; i < count; ++i) {
        FontQuadCacheEntry* entry = new FontQuadCacheEntry(this, texture, 0, i * rowHeight,
                                                           (i + 1) * rowHeight, CACHE_TEXTURE_SIZE);
        cacheEntries->addChild(entry);
        if (!first) first = entry;
    }
    return first;
}

FontQuadCacheEntry* FontQuad::getFreeCacheEntry() {
    const int frame = PLIM->frameCount;
    for (BasicLink* link = cacheEntries->firstChild; link; link = link->next) {
        if (!BasicLink::isLive(link)) continue;
        FontQuadCacheEntry* entry = static_cast<FontQuadCacheEntry*>(link);
        if (int64_t(entry->lastUsedFrame) + cacheTTLframes < frame) return entry;
    }
    return createCacheTexture();
}

FontQuadCacheEntry* FontQuad::findCacheEntry(const UString& text) {
    for (BasicLink* link = cacheEntries->firstChild; link; link = link->next) {
        if (!BasicLink::isLive(link)) continue;
        FontQuadCacheEntry* entry = static_cast<FontQuadCacheEntry*>(link);
        if (entry->text == text) return entry;
    }
    if (!fitsCacheRow(text)) return nullptr;
    FontQuadCacheEntry* entry = getFreeCacheEntry();
    if (entry) entry->fillCache(text);
    return entry;
}

bool FontQuad::fitsCacheRow(const UString& text) const {
    // Spacing below -1 can put a glyph left of the row's start or past its end
    // although the text's width is below 256. A mosaic glyph lies on several
    // sub-textures that keep no image to copy from.
    int x = 0;
    const int length = int(text.length());
    for (int index = 0; index < length; ++index) {
        uint16_t symbol = decodeSymbol(text, index);
        const FontSymbol& s = getSymbol(symbol);
        const int w = getSymbolSize(symbol).width;
        if (s.pQuad && (!asQuad(s.pQuad) || x < 0 || x + w > CACHE_TEXTURE_SIZE)) return false;
        x += w + s.spacing;
    }
    return true;
}

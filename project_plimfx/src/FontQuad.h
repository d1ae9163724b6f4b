#pragma once
// The game's text renderer: a table of up to 1024 symbols, each an image cut
// from a texture. Measures and prints 8-bit strings (byte 0x1F plus two payload
// bytes names symbols 256 and up), lays accents over base letters, cuts text to
// a width with "...", draws drop shadows, and draws strings of four bytes or
// more from a cache of pre-composed rows (see FontQuadCacheEntry).
#include "core/PlimBase.h"
#include "render/TextPrinter.h"
#include "util/UColor.h"
#include "util/UString.h"
#include "util/V3.h"

#include <cstdint>

class FontQuadCacheEntry;
class Quad;
class Renderable;
class Skin;
class Texture;

// One entry of the symbol table. The images belong to their textures: a Quad,
// or a QuadMosaic when the texture was too large and split over sub-textures.
struct FontSymbol {
    Skin* pQuad = nullptr;
    Skin* pAccentQuad = nullptr;
    int32_t spacing = 0;
    int32_t accentX = 0;
    int32_t accentY = 0;
};

// A measured size in whole pixels.
struct FontSize {
    int width = 0;
    int height = 0;
};

class FontQuad : public PlimBase, public TextPrinter {
public:
    static constexpr int NUMSYMBOLS = 1024;
    // Side of the square cache textures, in pixels.
    static constexpr int CACHE_TEXTURE_SIZE = 256;
    // Strings at least this long may be drawn from the cache.
    static constexpr int CACHE_MIN_LENGTH = 4;
    // Offsets of setCompositeChar that ask for automatic placement.
    static constexpr int AUTO_PLACE = -999;

    // Print flags; bits combine and each adds its own offset. By default the
    // point is the text's top-left corner.
    enum {
        PRINT_CENTER = 0x04,
        PRINT_RIGHT = 0x08,
        PRINT_VCENTER = 0x10,
        PRINT_BOTTOM = 0x20,
        PRINT_BASELINE = 0x40,
        PRINT_NOCACHE = 0x80
    };

    FontQuad();
    ~FontQuad() override;
    RuntimeClass* getClass() override;
    static RuntimeClass runtimeClass;

    // Drops the render cache on the step from inactive to restore presentation,
    // when textures give up their OpenGL objects.
    void onPLIMmodeChange(int oldMode, int newMode) override;

    // Gives the texture's skins, in order, to consecutive symbols starting at
    // firstSymbol (0xFFFF: where the previous texture stopped). The space
    // symbol never takes a skin: the skin in its position is dropped.
    void addSourceTexture(Texture* texture, uint16_t firstSymbol);
    // Symbol c becomes base's image with accent's image over it; AUTO_PLACE in
    // either offset centres the accent / puts it above the letter.
    void setCompositeChar(uint16_t c, uint16_t base, uint16_t accent, int accentX, int accentY);
    // The 54 accented Windows-1252 letters.
    void setupCompositeChars();
    // The highest symbol whose image setupCompositeChars puts over a letter:
    // a font it runs on needs an image up to there.
    static uint16_t lastAccentSymbol();
    // Skins addSourceTexture gives out from firstSymbol through symbol (the
    // space takes none).
    static int skinsThrough(uint16_t firstSymbol, uint16_t symbol);

    // Width (spaceWidth without an image) and height (0 without) of a symbol.
    FontSize getSymbolSize(uint16_t symbol) const;
    // The symbol at index; an escape leaves index on its last byte. An escape
    // cut short by the end of the text takes the rest of the text and names no
    // symbol (measured like a space, drawn as nothing).
    uint16_t decodeSymbol(const UString& text, int& index) const;
    // Width and height of one line. With a limit: measuring stops at the first
    // symbol that would take the width past *limit, and *limit receives the
    // byte index where that symbol begins; it is untouched when all fits.
    FontSize getTextWidth(const UString& text, int* limit) const;
    // As getTextWidth for a line with colour markup: byte 0x1E and the 8 bytes
    // after it take no room.
    FontSize getTextSize(const UString& text) const;

    // Draws the text in the frame's transform and colour.
    void print(Renderable* frame, int flags, const UString& text);
    void printAt(float x, float y, float z, UColor colour, int flags, const UString& text) override;
    // The shadow is drawn only when the graphics device's bTextShadows is on.
    void printShadowed(Renderable* frame, int flags, const UString& text, float dx, float dy,
                       float dz, UColor shadowColour);
    void printAtShadowed(float x, float y, float z, UColor colour, int flags, const UString& text,
                         float dx, float dy, float dz, UColor shadowColour);
    // The text cut to maxWidth with "..." appended when it is wider.
    void printClipped(Renderable* frame, int flags, const UString& text, int maxWidth);
    // The accent images of the text, placed from the frame's origin.
    void drawAccents(Renderable* frame, const UString& text);

    // --- Render cache ---------------------------------------------------------
    // A new cache texture cut into rows; its first entry, or null when the
    // font is too tall for even one row.
    FontQuadCacheEntry* createCacheTexture();
    // The first row free for reuse, else the first row of a new cache texture.
    FontQuadCacheEntry* getFreeCacheEntry();
    // The row that holds the text, filling a free row when none does; null
    // when the text cannot be composed into a row (print then draws it glyph
    // by glyph).
    FontQuadCacheEntry* findCacheEntry(const UString& text);
    // Every glyph image is a single quad and lies inside a row.
    bool fitsCacheRow(const UString& text) const;
    // Rows of one cache texture (0 when fontHeight is 256 or more).
    int getCacheRowCount() const;
    int getNumCacheTextures() const;
    int getNumCacheEntries() const;

    // The symbol record; a number outside the table gives an empty record.
    const FontSymbol& getSymbol(uint16_t symbol) const;
    // A symbol image as a single Quad, the form the cache copies from; null
    // for a mosaic (text holding one is drawn glyph by glyph).
    static Quad* asQuad(Skin* image);

    int32_t spaceWidth = 4;
    int32_t defaultSpacing = 1;
    int32_t fontHeight = 0;
    int32_t letterHeight = 0;
    int32_t accentDropUpper = 0;
    int32_t accentDropLower = 0;
    bool bUseCache = true;
    bool bCacheWhite = false;
    FontSymbol symbolData[NUMSYMBOLS];
    PlimBase* cacheTextures = nullptr; // owned; children are the cache textures
    PlimBase* cacheEntries = nullptr;  // owned; children are the cache entries
    int32_t cacheTTLframes = 2;
    uint16_t nextSymbolToLoad = 33;

private:
    // Whether print may send this text through the cache.
    bool useCacheFor(int flags, const UString& text) const;
    // The cached branch of print; false when the cache could not take the text.
    bool printCached(Renderable* textFrame, const V3& origin, int width, const UString& text);
    void drawGlyphs(Renderable* textFrame, const V3& origin, const UString& text);
    void updateHeights();
};

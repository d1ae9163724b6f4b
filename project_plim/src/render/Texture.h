#pragma once
// One OpenGL texture object and the skins cut from its image. Images larger
// than the (possibly simulated 256 x 256) texture limit are halved until they
// fit (TEXTURE_HALVE) or split over a grid of sub-textures, whose skins are
// then mosaics. After the GL context is lost (the step from the inactive to the
// restore mode) the texture gives up its GL name and reloads its pixels at its
// next bind; skins and mosaics stay as they are.
#include "util/PixelPoint.h"
#include "util/PixelRect.h"
#include "core/PlimBase.h"
#include "util/UString.h"
#include "util/UVRect.h"

#include <cstdint>
#include <vector>

class MemoryImageFile;
class Quad;
class Skin;

// Creation flags, combined with |.
enum TextureFlag {
    TEXTURE_SPLIT = 0,      // none: an oversized image is split over sub-textures
    TEXTURE_ALPHA = 1,      // drawn with alpha blending whatever the image holds
    TEXTURE_HALVE = 2,      // an oversized image is halved instead of split
    TEXTURE_ALLOW512 = 4,   // under the simulation, sides of 256 or 512
    TEXTURE_KEEPSOURCE = 8, // the image stays in memory as pSavedSourceData
    TEXTURE_NODITHER = 16   // never dithered for a 16-bit display
};

class Texture : public PlimBase {
public:
    // Textures are never made by class record: fatal.
    Texture();
    // Loads the image file and its ".ini" side file of skins.
    Texture(const UString& name, int flags);
    // A blank texture with one whole-picture skin; with TEXTURE_KEEPSOURCE a
    // blank image of the real size (contents undefined) is kept.
    Texture(int width, int height, int flags);
    // The image's pixels with one whole-picture skin; the image stays the caller's.
    explicit Texture(MemoryImageFile* image);
    // The kept image, the skins, the GL texture, then the sub-textures.
    ~Texture() override;
    RuntimeClass* getClass() override;
    static RuntimeClass runtimeClass;

    // The step from the inactive to the restore mode gives up the GL name.
    void onPLIMmodeChange(int oldMode, int newMode) override;

    // A new GL texture of the size the (simulated) hardware takes; contents undefined.
    void createEmptyTexture(int width, int height, int flags);
    // Uploads a rectangle of the image (null: all of it) to destPoint (null: 0, 0).
    void copyImageData(MemoryImageFile* sourceData, const PixelRect* sourceRect, const PixelPoint* destPoint);
    // Clears the kept image (required); with a null area it is then uploaded whole.
    void clear(const PixelRect* area, bool white);
    // Rebuilds a lost GL texture first; counts the texture once per frame.
    void bind();
    UVRect pixelRectToUV(PixelRect r);
    // For a mosaic's cells: filtering at an edge the image fills repeats the
    // edge texels instead of wrapping to the far side, which showed as seams.
    void clampEdges();
    // Texels of another texture (real texel coordinates) into this one: a
    // mosaic puts its neighbouring cells' lines into spare texels.
    void copyTexels(Texture* from, const PixelRect& source, const PixelPoint& to);
    // A new GL texture of the same real size, for this texture and its sub-textures.
    void recreateTexture();
    // Reloads the image file into the GL texture; blank textures are left undefined.
    void repopulateTexture();
    // Builds skins from the side file (SkinList), or one whole-image skin without it.
    void loadSkins(const UString& iniName);
    // Sub-image index, which the game takes for use (a few words: "a progress
    // bar"); a data fault (DataFault) naming both when there is none.
    Skin* subImage(int index, const char* use) const;
    // The same, which must be a single quad.
    Quad* singleQuad(int index, const char* use) const;
    // The side file of the picture file: its name and ".ini".
    static UString sideFileName(const UString& picture) { return picture + ".ini"; }

    int32_t width = 0;  // logical: realWidth x scaleFactor
    int32_t height = 0;
    int32_t requestedWidth = 0;
    int32_t requestedHeight = 0;
    std::vector<Skin*> skins; // owned
    bool bHasAlpha = true;
    PlimBase* pSubTextureRoot = nullptr; // a child; the sub-textures are its children
    int32_t lastUsedFrame = 0;
    int32_t realWidth = 0;
    int32_t realHeight = 0;
    int32_t scaleFactor = 1;
    MemoryImageFile* pSavedSourceData = nullptr; // owned
    UString name;
    int32_t flags = 0;
    unsigned int glTexHandle = 0;
    bool clampS = false;
    bool clampT = false;

private:
    struct CellGrid {
        int cellW, cellH, bx, by;
    };

    void initFields(const UString& textureName, int textureFlags);
    // Deletes the GL name once the draws queued with it are sent.
    void deleteGlName();
    void addWholeImageSkin();
    // Dithers an image just read from a file when the display needs it.
    void ditherForDisplay(MemoryImageFile* image);
    void halveToFit(MemoryImageFile* image);
    // Bilinear filtering at a skin's edge reads the texel beyond it; when the
    // image is smaller than its texture, those texels get the image's edge pixels.
    void fillSpareTexels(MemoryImageFile* image);
    // Uploads the image cell by cell into the sub-textures (made here when
    // createSubTextures, else the existing ones in order).
    CellGrid uploadCells(MemoryImageFile* image, bool createSubTextures);
    // Gives every skin the part of its picture that can show.
    void trimSkins(MemoryImageFile* image);
    // Texels changed after loading: every skin draws whole again.
    void dropShownAreas();
    // Replaces every skin by a mosaic of quads on the sub-textures.
    void buildMosaics(MemoryImageFile* image, const CellGrid& grid);
};

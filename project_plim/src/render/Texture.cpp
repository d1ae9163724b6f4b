#include "Texture.h"

#include "core/DataFault.h"
#include "core/ErrorManager.h"
#include "files/FileManager.h"
#include "core/Logger.h"
#include "MemoryImageFile.h"
#include "core/Plim.h"
#include "PlimGraphics.h"
#include "util/PlimUtil.h"
#include "Quad.h"
#include "QuadMosaic.h"
#include "core/RuntimeClass.h"
#include "ShownArea.h"
#include "SkinList.h"

#include <SDL_opengl.h>
#include <algorithm>
#include <utility>

RuntimeClass Texture::runtimeClass("Texture", &PlimBase::runtimeClass, nullptr);

RuntimeClass* Texture::getClass() { return &runtimeClass; }

// Runs a GL call and makes any error it raised fatal, naming the statement.
#define GL_CHECKED(call, statement)                                                               \
    do {                                                                                          \
        call;                                                                                     \
        GLenum glError = glGetError();                                                            \
        if (glError != GL_NO_ERROR)                                                               \
            ErrorManager::assertionFailed(ErrorManager::getGLErrorString(glError).c_str(), statement, \
                                          __func__, __FILE__, __LINE__);                          \
    } while (0)

// --- Construction -------------------------------------------------------------

Texture::Texture() { PLIM_ERROR("Empty constructor called (tried to serialize?)"); }

void Texture::initFields(const UString& textureName, int textureFlags) {
    name = textureName;
    flags = textureFlags;
    pSubTextureRoot = new PlimBase();
    addChild(pSubTextureRoot);
}

Texture::Texture(const UString& fileName, int textureFlags) {
    initFields(fileName, textureFlags);
    logTagged("Texture", "Loading texture '%s'...", name.c_str());

    MemoryImageFile* image = new MemoryImageFile(name, false);
    ditherForDisplay(image);
    bHasAlpha = image->bHasAlpha || (flags & TEXTURE_ALPHA);
    createEmptyTexture(image->width, image->height, flags);

    const UString iniName = sideFileName(name);
    if (realWidth >= image->width && realHeight >= image->height) {
        loadSkins(iniName);
        copyImageData(image, nullptr, nullptr);
        trimSkins(image);
    } else if (flags & TEXTURE_HALVE) {
        halveToFit(image);
        loadSkins(iniName);
        copyImageData(image, nullptr, nullptr);
        trimSkins(image);
    } else {
        loadSkins(iniName);
        logTagged("Texture", "Mosaic axis: %s %s", image->width > realWidth ? "X" : "",
                  image->height > realHeight ? "Y" : "");
        const CellGrid grid = uploadCells(image, true);
        logTagged("Texture", "Created %d subTextures.", int(pSubTextureRoot->getNumChildren()));
        buildMosaics(image, grid);
    }

    if (flags & TEXTURE_KEEPSOURCE)
        pSavedSourceData = image;
    else
        image->deleteMe();
}

Texture::Texture(int w, int h, int textureFlags) {
    initFields(UString(), textureFlags);
    createEmptyTexture(w, h, 0);
    if (flags & TEXTURE_KEEPSOURCE) pSavedSourceData = new MemoryImageFile(realWidth, realHeight);
    addWholeImageSkin();
}

Texture::Texture(MemoryImageFile* image) {
    initFields(UString(), 0);
    bHasAlpha = true;
    createEmptyTexture(image->width, image->height, 0);
    copyImageData(image, nullptr, nullptr);
    addWholeImageSkin();
}

Texture::~Texture() {
    if (pSavedSourceData) pSavedSourceData->deleteMe();
    pSavedSourceData = nullptr;
    for (Skin* skin : skins)
        skin->deleteMe();
    skins.clear();
    // Without the device the context is gone, and its names with it.
    if (glTexHandle != 0 && PLIM->graphics) deleteGlName();
    glTexHandle = 0;
}

void Texture::deleteGlName() {
    if (PLIM->graphics) {
        PLIM->graphics->flush();
        PLIM->graphics->batch.textureDeleted(glTexHandle);
    }
    glDeleteTextures(1, &glTexHandle);
    glTexHandle = 0;
}

void Texture::onPLIMmodeChange(int oldMode, int newMode) {
    if (oldMode != MODE_INACTIVE || newMode != MODE_RESTORE || glTexHandle == 0) return;
    deleteGlName();
}

// --- GL texture and uploads ------------------------------------------------------------

void Texture::createEmptyTexture(int w, int h, int createFlags) {
    logTagged("createEmptyTexture", " Requesting texture: %dx%d, format %d", w, h, int(GL_RGBA8));
    width = realWidth = requestedWidth = w;
    height = realHeight = requestedHeight = h;

    if (PLIM->graphics->bSimulate256x256TextureHW) {
        if (!(createFlags & TEXTURE_ALLOW512)) {
            realWidth = realHeight = 256;
        } else {
            for (int32_t* side : {&realWidth, &realHeight}) {
                if (*side < 256) *side = 256;
                if (*side > 512) *side = 512;
                if (*side > 256) *side = 512;
            }
        }
    }

    // A name still alive (a sibling of a texture whose context was re-created)
    // would otherwise leak.
    PLIM->graphics->flush();
    if (glTexHandle != 0 && glIsTexture(glTexHandle)) deleteGlName();
    GL_CHECKED(glGenTextures(1, &glTexHandle), "glGenTextures(1,&glTexHandle)");
    GL_CHECKED(glBindTexture(GL_TEXTURE_2D, glTexHandle), "glBindTexture(GL_TEXTURE_2D,glTexHandle)");
    PLIM->graphics->batch.boundElsewhere(glTexHandle);
    PLIM->graphics->setTextureFilter(clampS, clampT);
    const GLint requestedFormat = GL_RGBA8;
    GL_CHECKED(glTexImage2D(GL_TEXTURE_2D, 0, requestedFormat, realWidth, realHeight, 0, GL_RGBA,
                            GL_UNSIGNED_BYTE, nullptr),
               "glTexImage2D( GL_TEXTURE_2D, 0, requestedFormat, realWidth, realHeight, 0, GL_RGBA, "
               "GL_UNSIGNED_BYTE, NULL )");
    GLint format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);

    width = realWidth;
    height = realHeight;
    if (realWidth != w || realHeight != h)
        logTagged("createEmptyTexture", " Note! Texture has been resized to %dx%d.", realWidth, realHeight);
    if (format != requestedFormat)
        logTagged("createEmptyTexture", " Note! Texture format has changed to %d.", int(format));
}

void Texture::copyImageData(MemoryImageFile* sourceData, const PixelRect* sourceRectArg,
                            const PixelPoint* destPointArg) {
    // A draw still waiting for this texture must see the old pixels.
    if (PLIM->graphics) PLIM->graphics->flush();
    PLIM_ASSERT(glIsTexture(glTexHandle));
    GL_CHECKED(glBindTexture(GL_TEXTURE_2D, glTexHandle), "glBindTexture(GL_TEXTURE_2D,glTexHandle)");
    if (PLIM->graphics) PLIM->graphics->batch.boundElsewhere(glTexHandle);

    const PixelRect whole(0, 0, sourceData->height, sourceData->width);
    const PixelPoint origin(0, 0);
    const PixelRect* sourceRect = &whole;
    if (sourceRectArg) {
        PLIM_ASSERT(scaleFactor==1);
        sourceRect = sourceRectArg;
    }
    const PixelPoint* destPoint = destPointArg ? destPointArg : &origin;
    PLIM_ASSERT(destPoint->x+sourceRect->width()<=realWidth && destPoint->y+sourceRect->height()<=realHeight);
    // The other edges too: OpenGL would read outside the image or reject the upload.
    PLIM_ASSERT(destPoint->x>=0 && destPoint->y>=0 && sourceRect->left>=0 && sourceRect->top>=0 &&
                sourceRect->right<=sourceData->width && sourceRect->bottom<=sourceData->height &&
                sourceRect->width()>=0 && sourceRect->height()>=0);

    glPixelStorei(GL_UNPACK_ROW_LENGTH, sourceData->width);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, sourceRect->top);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, sourceRect->left);
    GL_CHECKED(glTexSubImage2D(GL_TEXTURE_2D, 0, destPoint->x, destPoint->y, sourceRect->width(),
                               sourceRect->height(), GL_RGBA, GL_UNSIGNED_BYTE, sourceData->pImageData),
               "glTexSubImage2D( GL_TEXTURE_2D, 0, destPoint->x, destPoint->y, sourceRect->width(), "
               "sourceRect->height(), GL_RGBA, GL_UNSIGNED_BYTE, sourceData->pImageData )");
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    if (!sourceRectArg && !destPointArg)
        fillSpareTexels(sourceData);
    else
        dropShownAreas();
}

void Texture::fillSpareTexels(MemoryImageFile* image) {
    const int w = image->width, h = image->height;
    if (w <= 0 || h <= 0) return;
    // (texel, image column or row) pairs: the one after the image's last, and
    // the texture's last, which GL_REPEAT puts before the image's first.
    struct Line {
        int to, from;
    };
    std::vector<Line> cols, rows;
    if (w < realWidth) cols.push_back({w, w - 1});
    if (w < realWidth - 1) cols.push_back({realWidth - 1, 0});
    if (h < realHeight) rows.push_back({h, h - 1});
    if (h < realHeight - 1) rows.push_back({realHeight - 1, 0});

    std::vector<std::pair<PixelRect, PixelPoint>> copies;
    for (const Line& c : cols)
        copies.push_back({PixelRect(c.from, 0, h, c.from + 1), PixelPoint(c.to, 0)});
    for (const Line& r : rows)
        copies.push_back({PixelRect(0, r.from, r.from + 1, w), PixelPoint(0, r.to)});
    for (const Line& c : cols)
        for (const Line& r : rows)
            copies.push_back({PixelRect(c.from, r.from, r.from + 1, c.from + 1), PixelPoint(c.to, r.to)});

    glPixelStorei(GL_UNPACK_ROW_LENGTH, w);
    for (const auto& [source, at] : copies) {
        glPixelStorei(GL_UNPACK_SKIP_ROWS, source.top);
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, source.left);
        GL_CHECKED(glTexSubImage2D(GL_TEXTURE_2D, 0, at.x, at.y, source.width(), source.height(), GL_RGBA,
                                   GL_UNSIGNED_BYTE, image->pImageData),
                   "glTexSubImage2D( GL_TEXTURE_2D, 0, at.x, at.y, source.width(), source.height(), GL_RGBA, "
                   "GL_UNSIGNED_BYTE, image->pImageData )");
    }
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
}

void Texture::clear(const PixelRect* area, bool white) {
    PLIM_ASSERT(pSavedSourceData!=NULL);
    dropShownAreas();
    pSavedSourceData->clear(area, white);
    if (!area) copyImageData(pSavedSourceData, nullptr, nullptr);
}

void Texture::bind() {
    // Names go away only between frames (the mode step, a new context): one
    // check per texture and frame is enough.
    if (glTexHandle == 0 || (lastUsedFrame != PLIM->frameCount && !glIsTexture(glTexHandle))) {
        glTexHandle = 0;
        // A mosaic's sub-texture lies under its owner's sub-texture root; the
        // owner reloads the whole picture.
        Texture* owner = this;
        if (parent && parent->parent && parent->parent->getClass()->isKindOf(&Texture::runtimeClass))
            owner = static_cast<Texture*>(parent->parent);
        owner->recreateTexture();
        owner->repopulateTexture();
    }
    if (PLIM->graphics)
        PLIM->graphics->batch.bindTexture(glTexHandle);
    else
        glBindTexture(GL_TEXTURE_2D, glTexHandle);
    if (lastUsedFrame < PLIM->frameCount) {
        PLIM->frameStats[STAT_TEXTURES_USED]++;
        PLIM->frameStats[STAT_TEXTURE_PIXELS] += realWidth * realHeight;
        lastUsedFrame = PLIM->frameCount;
    }
}

void Texture::clampEdges() {
    // An axis with spare texels keeps wrapping: they hold the edge (or the
    // neighbouring cell's line, see copyTexels), and wrapping reads them.
    clampS = requestedWidth >= realWidth;
    clampT = requestedHeight >= realHeight;
    if (glTexHandle == 0 || !PLIM->graphics) return;
    PLIM->graphics->flush();
    glBindTexture(GL_TEXTURE_2D, glTexHandle);
    PLIM->graphics->batch.boundElsewhere(glTexHandle);
    PLIM->graphics->setTextureFilter(clampS, clampT);
}

void Texture::copyTexels(Texture* from, const PixelRect& source, const PixelPoint& to) {
    if (glTexHandle == 0 || from->glTexHandle == 0 || !PLIM->graphics) return;
    dropShownAreas();
    PLIM->graphics->flush();
    std::vector<uint8_t> texels(size_t(from->realWidth) * size_t(from->realHeight) * 4);
    glBindTexture(GL_TEXTURE_2D, from->glTexHandle);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glBindTexture(GL_TEXTURE_2D, glTexHandle);
    PLIM->graphics->batch.boundElsewhere(glTexHandle);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, from->realWidth);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, source.top);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, source.left);
    GL_CHECKED(glTexSubImage2D(GL_TEXTURE_2D, 0, to.x, to.y, source.width(), source.height(), GL_RGBA,
                               GL_UNSIGNED_BYTE, texels.data()),
               "glTexSubImage2D( GL_TEXTURE_2D, 0, to.x, to.y, source.width(), source.height(), GL_RGBA, "
               "GL_UNSIGNED_BYTE, texels.data() )");
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
}

UVRect Texture::pixelRectToUV(PixelRect r) {
    return UVRect(float(r.left) / float(width), float(r.top) / float(height), float(r.right) / float(width),
                  float(r.bottom) / float(height));
}

// --- Reloading ------------------------------------------------------------------------

void Texture::recreateTexture() {
    createEmptyTexture(realWidth, realHeight, flags);
    for (BasicLink* child = pSubTextureRoot->firstChild; child; child = child->next)
        if (!child->bDestroyPending && !child->bSkip) static_cast<Texture*>(child)->recreateTexture();
}

void Texture::repopulateTexture() {
    if (name.isEmpty()) return;
    logTagged("repopulateTexture", "Repopulating texture '%s'...", name.c_str());
    MemoryImageFile* image = new MemoryImageFile(name, false);
    ditherForDisplay(image);
    if (realWidth >= image->width && realHeight >= image->height) {
        copyImageData(image, nullptr, nullptr);
    } else if (flags & TEXTURE_HALVE) {
        scaleFactor = 1;
        halveToFit(image);
        copyImageData(image, nullptr, nullptr);
    } else {
        uploadCells(image, false);
    }
    image->deleteMe();
}

// --- Image preparation -------------------------------------------------------------------

void Texture::ditherForDisplay(MemoryImageFile* image) {
    if (PLIM->graphics->bitsPerPixel > 16 || (flags & TEXTURE_NODITHER)) return;
    if (PLIM->ditherDepth == 15)
        image->ditherTo5Bits();
    else if (PLIM->ditherDepth == 12)
        image->ditherTo4Bits();
}

void Texture::halveToFit(MemoryImageFile* image) {
    while (realWidth < image->width || realHeight < image->height) {
        image->halveSize();
        scaleFactor *= 2;
    }
    height = realHeight * scaleFactor;
    width = realWidth * scaleFactor;
}

Texture::CellGrid Texture::uploadCells(MemoryImageFile* image, bool createSubTextures) {
    const bool splitX = image->width > realWidth;
    const bool splitY = image->height > realHeight;
    // A split axis keeps one border texel on each side of a cell, so that
    // filtering at the cell's edge samples the neighbouring image pixels.
    const CellGrid grid = {splitX ? realWidth - 2 : realWidth, splitY ? realHeight - 2 : realHeight,
                           splitX ? 1 : 0, splitY ? 1 : 0};
    const int imageW = image->width, imageH = image->height;
    int index = 0;
    for (int y0 = 0; y0 < imageH; y0 += grid.cellH) {
        const int y1 = std::min(y0 + grid.cellH, imageH);
        for (int x0 = 0; x0 < imageW; x0 += grid.cellW) {
            const int x1 = std::min(x0 + grid.cellW, imageW);
            Texture* sub;
            if (createSubTextures) {
                // Sub-textures take the owner's 512 allowance: a 512-wide
                // cell grid would not fit sub-textures of 256.
                sub = new Texture(realWidth, realHeight, flags & TEXTURE_ALLOW512);
                pSubTextureRoot->addChild(sub);
                sub->bHasAlpha = bHasAlpha;
            } else {
                sub = static_cast<Texture*>(pSubTextureRoot->getChild(index));
                PLIM_ASSERT(sub != nullptr);
            }
            ++index;

            int left = x0 - grid.bx, top = y0 - grid.by, right = x1 + grid.bx, bottom = y1 + grid.by;
            const bool clampLeft = left < 0, clampTop = top < 0;
            // The image's last column or row is repeated into the texel after
            // it, also on an axis that is not split, when the texture has room.
            // (right - left counts the left border texel too.)
            const bool clampRight = right > imageW || (right == imageW && right - left < realWidth);
            const bool clampBottom = bottom > imageH || (bottom == imageH && bottom - top < realHeight);
            if (clampLeft) left = 0;
            if (clampTop) top = 0;
            if (clampRight) right = imageW;
            if (clampBottom) bottom = imageH;
            const PixelPoint at(clampLeft ? 1 : 0, clampTop ? 1 : 0);
            const PixelRect source(left, top, bottom, right);
            sub->copyImageData(image, &source, &at);

            // Clamped edges repeat the image's outermost pixels into the border.
            if (clampLeft) {
                const PixelRect edge(left, top, bottom, left + 1);
                const PixelPoint p(at.x - 1, at.y);
                sub->copyImageData(image, &edge, &p);
            }
            if (clampTop) {
                const PixelRect edge(left, top, top + 1, right);
                const PixelPoint p(at.x, at.y - 1);
                sub->copyImageData(image, &edge, &p);
            }
            if (clampRight) {
                const PixelRect edge(right - 1, top, bottom, right);
                const PixelPoint p((right - left) + at.x, at.y);
                sub->copyImageData(image, &edge, &p);
            }
            if (clampBottom) {
                const PixelRect edge(left, bottom - 1, bottom, right);
                const PixelPoint p(at.x, (bottom - top) + at.y);
                sub->copyImageData(image, &edge, &p);
            }
            // Corners where two repeated edges meet repeat the corner pixel,
            // which filtering at the picture's corners reads too.
            const int xs[2] = {clampLeft ? 0 : -1, clampRight ? (right - left) + at.x : -1};
            const int ys[2] = {clampTop ? 0 : -1, clampBottom ? (bottom - top) + at.y : -1};
            for (int i = 0; i < 2; ++i)
                for (int j = 0; j < 2; ++j) {
                    if (xs[i] < 0 || ys[j] < 0) continue;
                    const int sx = i ? right - 1 : left, sy = j ? bottom - 1 : top;
                    const PixelRect corner(sx, sy, sy + 1, sx + 1);
                    const PixelPoint p(xs[i], ys[j]);
                    sub->copyImageData(image, &corner, &p);
                }
        }
    }
    return grid;
}

// --- Skins -------------------------------------------------------------------------------

namespace {

// A quad showing the pixel rectangle of the texture.
Quad* newQuad(Texture* texture, const PixelRect& rect) {
    Quad* quad = new Quad();
    quad->pTexture = texture;
    quad->fitToTexture();
    quad->pixelRect = rect;
    quad->uvRect = texture->pixelRectToUV(rect);
    quad->fitToTexture();
    return quad;
}

} // namespace

void Texture::addWholeImageSkin() {
    skins.push_back(newQuad(this, PixelRect(0, 0, requestedHeight, requestedWidth)));
}

void Texture::loadSkins(const UString& iniName) {
    if (!PLIM->fileManager->fileExists(iniName)) {
        addWholeImageSkin();
        return;
    }
    std::vector<SkinRect> rects;
    SkinList::read(iniName, name, requestedWidth, requestedHeight, rects);
    logTagged("loadSkins", "Texture contains %d skins.", int(rects.size()));
    for (const SkinRect& r : rects) {
        Quad* quad = newQuad(this, PixelRect(r.left, r.top, r.top + r.height, r.left + r.width));
        // Half a pixel off centre puts the edges of an odd-sized image on whole pixels.
        if (r.width % 2 == 1) quad->origin.x -= 0.5f;
        if (r.height % 2 == 1) quad->origin.y += 0.5f;
        quad->origin.x -= float(r.adjustX);
        quad->origin.y += float(r.adjustY);
        skins.push_back(quad);
    }
}

void Texture::dropShownAreas() {
    for (Skin* skin : skins)
        if (skin->getClass()->isKindOf(&Quad::runtimeClass)) static_cast<Quad*>(skin)->setShownArea(nullptr);
}

void Texture::trimSkins(MemoryImageFile* image) {
    // Without alpha in the image every texel shows.
    if (!image->bHasAlpha || image->width <= 0 || image->height <= 0) return;
    for (Skin* skin : skins) {
        Quad* quad = static_cast<Quad*>(skin);
        const ShownArea shown = ShownArea::find(image, quad->pixelRect, scaleFactor, realWidth, realHeight);
        if (!shown.coversRect(quad->pixelRect)) quad->setShownArea(&shown);
    }
}

void Texture::buildMosaics(MemoryImageFile* image, const CellGrid& grid) {
    const int cellsPerRow = (image->width - 1) / grid.cellW + 1;
    std::vector<Skin*> mosaics;
    for (Skin* skin : skins) {
        const PixelRect& r = static_cast<Quad*>(skin)->pixelRect;
        const int firstCol = r.left / grid.cellW, firstRow = r.top / grid.cellH;
        const int cols = (r.right - 1) / grid.cellW - firstCol + 1;
        const int rows = (r.bottom - 1) / grid.cellH - firstRow + 1;
        QuadMosaic* mosaic = new QuadMosaic();
        mosaic->setGridSize(cols, rows);
        for (int j = 0; j < rows; ++j) {
            for (int k = 0; k < cols; ++k) {
                const int col = firstCol + k, row = firstRow + j;
                const int cx0 = std::clamp(r.left - grid.cellW * col, 0, grid.cellW) + grid.bx;
                const int cx1 = std::clamp(r.right - grid.cellW * col, 0, grid.cellW) + grid.bx;
                const int cy0 = std::clamp(r.top - grid.cellH * row, 0, grid.cellH) + grid.by;
                const int cy1 = std::clamp(r.bottom - grid.cellH * row, 0, grid.cellH) + grid.by;
                Texture* sub = static_cast<Texture*>(pSubTextureRoot->getChild(cellsPerRow * row + col));
                Quad* quad = newQuad(sub, PixelRect(cx0, cy0, cy1, cx1));
                sub->skins.push_back(quad);
                mosaic->cells[size_t(j * cols + k)] = quad;
            }
        }
        mosaic->layout();
        mosaic->origin = skin->origin;
        mosaics.push_back(mosaic);
    }
    for (Skin* skin : skins)
        skin->deleteMe();
    skins = mosaics;
}

Skin* Texture::subImage(int index, const char* use) const {
    if (index < 0 || index >= int(skins.size()))
        DataFault::raise("Texture '%s' has no sub-image %d for %s.", name.c_str(), index, use);
    return skins[size_t(index)];
}

Quad* Texture::singleQuad(int index, const char* use) const {
    Skin* skin = subImage(index, use);
    if (!skin->getClass()->isKindOf(&Quad::runtimeClass))
        DataFault::raise("Sub-image %d of texture '%s' is not a single quad.", index, name.c_str());
    return static_cast<Quad*>(skin);
}

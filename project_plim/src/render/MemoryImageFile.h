#pragma once
// A decoded picture: width x height pixels of four bytes (red, green, blue,
// alpha), row 0 at the top. Reads TGA (uncompressed, 32 bits, bottom-up) and
// JPEG files through the file manager and writes JPEG files.
#include "files/MemoryFile.h"
#include "util/PixelPoint.h"
#include "util/PixelRect.h"
#include "util/UString.h"

#include <cstdint>

class MemoryImageFile : public MemoryFile {
public:
    // An image with no file; the pixels are undefined.
    MemoryImageFile(int width, int height);
    // Reads and decodes a file; the format comes from the name (".tga", ".bmp",
    // ".jpg" anywhere in it, case-insensitive, tested in that order). The file's
    // bytes are released once decoded. headerOnly stops after the size.
    MemoryImageFile(const UString& fileName, bool headerOnly);
    ~MemoryImageFile() override;

    void loadTGA();
    void loadBMP();
    void loadJPG();
    // The decoders behind loadTGA and loadJPG, on the bytes in data and size:
    // false with the reason the loader reports in *error, the image then
    // holding no pixels. They never end the program.
    bool decodeTGA(UString* error);
    bool decodeJPG(UString* error);
    void saveBMP(const UString& fileName);
    void saveTGA(const UString& fileName);
    // A file that cannot be opened writes nothing and reports nothing.
    void saveJPG(const UString& fileName, int quality);

    // A null area means the whole image: transparent black, or transparent white.
    void clear(const PixelRect* area, bool white);
    // Copies a rectangle of source (null: all of it) to destPoint (null: 0, 0).
    void blit(MemoryImageFile* source, const PixelRect* sourceRect, const PixelPoint* destPoint);
    // Halves both sizes, each new pixel the truncated mean of a 2 x 2 block.
    void halveSize();
    // Floyd-Steinberg reduction of red, green and blue to 4 or 5 bits.
    void ditherTo4Bits();
    void ditherTo5Bits();

    uint8_t* pixel(int x, int y) { return pImageData + 4 * (size_t(y) * size_t(width) + size_t(x)); }

    bool bHasAlpha = true;
    int width = 0;
    int height = 0;
    uint8_t* pImageData = nullptr;
    bool bHeaderOnly = false;

private:
    void allocate(int w, int h);
    void dither(int bits);
};

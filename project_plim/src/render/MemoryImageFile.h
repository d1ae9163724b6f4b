#pragma once
// A decoded picture: width x height pixels of four bytes (red, green, blue,
// alpha), row 0 at the top. Reads TGA (uncompressed, 32 bits, bottom-up) and
// JPEG files through the file manager and writes TGA, BMP and JPEG files.
#include "files/MemoryFile.h"
#include "util/PixelPoint.h"
#include "util/PixelRect.h"
#include "util/UString.h"

#include <cstdint>
#include <vector>

class MemoryImageFile : public MemoryFile {
public:
    // An image with no file; the pixels are undefined.
    MemoryImageFile(int width, int height);
    // The picture format a file's name ends in (".tga", ".bmp", ".jpg", in
    // that case): how a screenshot is written, whatever its folders are called.
    enum Format { FORMAT_UNKNOWN, FORMAT_TGA, FORMAT_BMP, FORMAT_JPG };
    static Format formatOf(const UString& fileName);

    // Reads and decodes a file; the format comes from the name (".tga",
    // ".bmp", ".jpg" anywhere in it, case-insensitive, tested in that order).
    // The file's bytes are released once decoded. headerOnly stops after the
    // size, read from the file's first HEADER_BYTES (the whole file only
    // when a JPEG puts more ahead of its size). A file that cannot be read or decoded is a data fault naming it;
    // given problem (empty), it is not: the image then holds no pixels and
    // *problem says why.
    MemoryImageFile(const UString& fileName, bool headerOnly, UString* problem = nullptr);
    static constexpr int HEADER_BYTES = 64 * 1024;
    ~MemoryImageFile() override;

    // The decoder the constructor chooses by the name, and the decoders, on
    // the bytes in data and size: false with the reason in *error, the image
    // then holding no pixels. They never end the program.
    bool decode(UString* error);
    bool decodeTGA(UString* error);
    bool decodeJPG(UString* error);
    // The picture as a file's bytes: TGA (32 bits, the reader's kind), BMP
    // (24 bits), JPEG at quality 1 to 100. False with the reason in *error
    // (when given) when it cannot be encoded (libjpeg's, or too large).
    bool encodeTGA(std::vector<uint8_t>& bytes, UString* error);
    bool encodeBMP(std::vector<uint8_t>& bytes, UString* error);
    bool encodeJPG(int quality, std::vector<uint8_t>& bytes, UString* error);
    // Writes the picture in format whole or not at all (replaceFile), the
    // quality for a JPEG: false with the reason in *error (when given) when it
    // cannot be encoded or written, no file of that name made and an older
    // one kept.
    bool save(const UString& fileName, Format format, int quality, UString* error = nullptr);

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

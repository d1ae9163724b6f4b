// The picture decoders on arbitrary bytes, as the loader calls them: JPEG for
// input starting with its marker (FF D8), TGA otherwise. The header is read
// first, then the whole picture when it is small enough to decode quickly; a
// picture that decodes must have exactly the size its header gave.
#include "render/MemoryImageFile.h"
#include "core/Plim.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Decodes the bytes into image; the image owns them from here on.
bool decode(MemoryImageFile& image, const uint8_t* data, size_t size, bool jpeg, bool headerOnly) {
    image.releaseData();
    image.data = new uint8_t[size ? size : 1];
    if (size) memcpy(image.data, data, size);
    image.size = int(size);
    image.bHeaderOnly = headerOnly;
    UString error;
    const bool ok = jpeg ? image.decodeJPG(&error) : image.decodeTGA(&error);
    if (!ok && error.isEmpty()) abort(); // every failure says why
    return ok;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    new Plim(Plim::Bare{});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1 << 20)) return 0;
    const bool jpeg = size >= 2 && data[0] == 0xFF && data[1] == 0xD8;

    MemoryImageFile header(0, 0);
    if (!decode(header, data, size, jpeg, true)) return 0;
    if (header.width < 0 || header.height < 0) abort();
    // Large pictures cost time, not coverage.
    if (int64_t(header.width) * header.height > 1 << 20) return 0;

    MemoryImageFile image(0, 0);
    if (!decode(image, data, size, jpeg, false)) return 0;
    if (image.width != header.width || image.height != header.height || !image.pImageData) abort();
    // Every pixel is defined and inside the buffer.
    unsigned sum = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) sum += image.pixel(x, y)[0] + image.pixel(x, y)[3];
    if (sum == 1u << 31) abort();
    return 0;
}

#include "MemoryImageFile.h"

#include "core/ErrorManager.h"
#include "core/DataFault.h"
#include "files/ReplaceFile.h"
#include "core/Logger.h"
#include "util/PlimUtil.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>

namespace {

// Bigger than any texture or screen the program makes; a corrupt header must
// not turn into a giant allocation.
constexpr size_t MAX_IMAGE_PIXELS = size_t(16384) * 16384;

// libjpeg's error record with the place a failed decode or encode returns
// to; the message is kept in plain memory since the jump skips destructors.
struct JpegFailure {
    jpeg_error_mgr manager;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void failJpeg(j_common_ptr cinfo, const char* message) {
    JpegFailure* failure = reinterpret_cast<JpegFailure*>(cinfo->err);
    if (message)
        snprintf(failure->message, sizeof failure->message, "%s", message);
    else
        (*cinfo->err->format_message)(cinfo, failure->message);
    longjmp(failure->jump, 1);
}

[[noreturn]] void jpegErrorExit(j_common_ptr cinfo) { failJpeg(cinfo, nullptr); }

// The whole file is in memory from the start, so libjpeg never needs more.
void kb_init_source(j_decompress_ptr) {}
void kb_term_source(j_decompress_ptr) {}

boolean kb_fill_input_buffer(j_decompress_ptr cinfo) {
    failJpeg(j_common_ptr(cinfo), "Should not ever be called.");
}

void kb_skip_input_data(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    jpeg_source_mgr* src = cinfo->src;
    // Skipping past the end is running out of data, as with a truncated file.
    if (size_t(count) > src->bytes_in_buffer) kb_fill_input_buffer(cinfo);
    src->next_input_byte += count;
    src->bytes_in_buffer -= size_t(count);
}

bool sizeSupported(int w, int h) { return w >= 0 && h >= 0 && size_t(w) * size_t(h) <= MAX_IMAGE_PIXELS; }

UString sizeMessage(int w, int h) { return UString::format("Image size %dx%d is not supported.", w, h); }


uint16_t readLE16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

// value's low count bytes at bytes[at], least significant first.
void putLE(std::vector<uint8_t>& bytes, size_t at, uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bytes[at + size_t(i)] = uint8_t(value >> (8 * i));
}

// A picture too large for its format, or a format with no writer.
bool refuseEncoding(UString* error) {
    if (error) *error = strerror(EFBIG);
    return false;
}

// A BMP's file and info headers.
constexpr size_t BMP_HEADER_SIZE = 54;

// A TGA has no signature; its header's colour-map flag, image type and depths
// take few values, which other files' first bytes (a JPEG's, an Ogg's) do not.
constexpr int TGA_HEADER_SIZE = 18;
enum TgaType : uint8_t {
    TGA_NO_IMAGE = 0,
    TGA_COLOUR_MAPPED = 1,
    TGA_TRUE_COLOUR = 2,
    TGA_GREY = 3,
    TGA_RUN_LENGTH = 8,  // added to a type for its compressed form
};

bool isTgaDepth(uint8_t bits) { return bits == 8 || bits == 15 || bits == 16 || bits == 24 || bits == 32; }

bool isTgaHeader(const uint8_t* header) {
    const uint8_t mapped = header[1], type = header[2] & ~TGA_RUN_LENGTH;
    if (mapped > 1 || type > TGA_GREY || (header[2] & TGA_RUN_LENGTH && type == TGA_NO_IMAGE)) return false;
    return isTgaDepth(header[16]) && (!mapped || isTgaDepth(header[7]));
}

const char* tgaKindFault(uint8_t type) {
    if (type & TGA_RUN_LENGTH) return "TGA is compressed.";
    if (type == TGA_COLOUR_MAPPED) return "TGA is colour-mapped, not true-colour.";
    if (type == TGA_GREY) return "TGA is grey-scale, not true-colour.";
    return "TGA holds no image.";
}

} // namespace

MemoryImageFile::MemoryImageFile(int w, int h) : MemoryFile(UString()) {
    bHasAlpha = true;
    bHeaderOnly = false;
    allocate(w, h);
}

MemoryImageFile::MemoryImageFile(const UString& fileName, bool headerOnly, UString* problem)
    : MemoryFile(fileName, headerOnly ? HEADER_BYTES : WHOLE_FILE, problem) {
    bHeaderOnly = headerOnly;
    bHasAlpha = false;
    width = 0;
    height = 0;
    if (problem && !problem->isEmpty()) return;  // not read
    UString why;
    bool decoded = decode(&why);
    if (!decoded && headerOnly && size == HEADER_BYTES) {
        // A JPEG may hold more ahead of its size than the first bytes.
        why = UString();
        read(WHOLE_FILE, problem);
        if (problem && !problem->isEmpty()) return;
        decoded = decode(&why);
    }
    if (!decoded) {
        if (!problem) DataFault::raise("Picture '%s' cannot be read: %s", fileName.c_str(), why.c_str());
        *problem = why;
    }
    releaseData();
}

MemoryImageFile::Format MemoryImageFile::formatOf(const UString& fileName) {
    const std::string& name = fileName.str();
    auto endsIn = [&name](const char* ending) {
        const size_t length = strlen(ending);
        return name.size() >= length && name.compare(name.size() - length, length, ending) == 0;
    };
    if (endsIn(".tga")) return FORMAT_TGA;
    if (endsIn(".bmp")) return FORMAT_BMP;
    if (endsIn(".jpg")) return FORMAT_JPG;
    return FORMAT_UNKNOWN;
}

bool MemoryImageFile::decode(UString* error) {
    // The first of the extensions found anywhere in a lower-cased copy of the name.
    const UString lower = fileName.toLower();
    if (lower.find(".tga") >= 0) return decodeTGA(error);
    if (lower.find(".bmp") >= 0) {
        *error = "Unimplemented.";
        return false;
    }
    if (lower.find(".jpg") >= 0) return decodeJPG(error);
    *error = formatString("Unknown image format (%s).", lower.c_str());
    return false;
}

MemoryImageFile::~MemoryImageFile() { delete[] pImageData; }

void MemoryImageFile::allocate(int w, int h) {
    if (!sizeSupported(w, h)) PLIM_ERROR("%s", sizeMessage(w, h).c_str());
    delete[] pImageData;
    width = w;
    height = h;
    // Zeroed, so that no decoding path can leave pixels undefined.
    pImageData = new uint8_t[size_t(w) * size_t(h) * 4 + 1]();
}

bool MemoryImageFile::decodeTGA(UString* error) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(data);
    const char* fault = nullptr;
    if (!bytes || size < TGA_HEADER_SIZE)
        fault = "TGA is truncated.";
    else if (!isTgaHeader(bytes))
        fault = "Not a TGA picture.";
    else if (bytes[2] != TGA_TRUE_COLOUR)
        fault = tgaKindFault(bytes[2]);
    else if (bytes[16] != 32)
        fault = "TGA depth is not 32 bits";
    else if (bytes[17] & 0x20)
        fault = "TGA is flipped vertically.";
    if (fault) {
        *error = fault;
        return false;
    }
    int w = int16_t(readLE16(bytes + 12));
    int h = int16_t(readLE16(bytes + 14));
    if (w < 0 || h < 0) {
        *error = "TGA size is negative.";
        return false;
    }
    if (bHeaderOnly) {
        width = w;
        height = h;
        bHasAlpha = true;
        return true;
    }
    // An image ID, when present, lies between the header and the pixels.
    const size_t start = TGA_HEADER_SIZE + size_t(bytes[0]);
    const size_t rowBytes = size_t(w) * 4;
    if (size_t(size) < start || size_t(size) - start < rowBytes * size_t(h)) {
        *error = "TGA is truncated.";
        return false;
    }
    if (!sizeSupported(w, h)) {
        *error = sizeMessage(w, h);
        return false;
    }
    allocate(w, h);
    const uint8_t* src = bytes + start;
    // Rows are stored bottom first, pixels as blue, green, red, alpha.
    for (int r = 0; r < h; ++r) {
        uint8_t* dst = pixel(0, h - 1 - r);
        for (int x = 0; x < w; ++x, src += 4, dst += 4) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
            dst[3] = src[3];
        }
    }
    bHasAlpha = true;
    return true;
}

bool MemoryImageFile::encodeTGA(std::vector<uint8_t>& bytes, UString* error) {
    // Our own reader takes the sizes as signed.
    if (width > INT16_MAX || height > INT16_MAX) return refuseEncoding(error);
    bytes.assign(TGA_HEADER_SIZE, 0);
    bytes[2] = TGA_TRUE_COLOUR;
    putLE(bytes, 12, uint32_t(width), 2);
    putLE(bytes, 14, uint32_t(height), 2);
    bytes[16] = 32;
    bytes[17] = 8;  // alpha bits; rows bottom first
    bytes.reserve(bytes.size() + size_t(width) * size_t(height) * 4);
    for (int y = height - 1; y >= 0; --y)
        for (const uint8_t* p = pixel(0, y); p != pixel(0, y) + size_t(width) * 4; p += 4)
            bytes.insert(bytes.end(), {p[2], p[1], p[0], p[3]});
    return true;
}

bool MemoryImageFile::encodeBMP(std::vector<uint8_t>& bytes, UString* error) {
    const size_t rowBytes = (size_t(width) * 3 + 3) & ~size_t(3);
    const size_t pixelBytes = rowBytes * size_t(height);
    if (pixelBytes > size_t(INT_MAX) - BMP_HEADER_SIZE) return refuseEncoding(error);
    bytes.assign(BMP_HEADER_SIZE, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    putLE(bytes, 2, uint32_t(BMP_HEADER_SIZE + pixelBytes), 4);
    putLE(bytes, 10, BMP_HEADER_SIZE, 4);
    putLE(bytes, 14, BMP_HEADER_SIZE - 14, 4);  // the info header's size
    putLE(bytes, 18, uint32_t(width), 4);
    putLE(bytes, 22, uint32_t(height), 4);      // positive: rows bottom first
    putLE(bytes, 26, 1, 2);                     // planes
    putLE(bytes, 28, 24, 2);                    // bits a pixel, uncompressed
    putLE(bytes, 34, uint32_t(pixelBytes), 4);
    bytes.reserve(BMP_HEADER_SIZE + pixelBytes);
    for (int y = height - 1; y >= 0; --y) {
        for (const uint8_t* p = pixel(0, y); p != pixel(0, y) + size_t(width) * 4; p += 4)
            bytes.insert(bytes.end(), {p[2], p[1], p[0]});
        bytes.resize(BMP_HEADER_SIZE + rowBytes * size_t(height - y), 0);
    }
    return true;
}

bool MemoryImageFile::decodeJPG(UString* error) {
    jpeg_decompress_struct cinfo;
    JpegFailure failure;
    failure.message[0] = 0;
    cinfo.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = jpegErrorExit;
    // Nothing between here and the jump owns memory outside libjpeg's pools
    // but the pixels, which the destructor frees; no local has a destructor.
    if (setjmp(failure.jump)) {
        jpeg_destroy_decompress(&cinfo);
        *error = failure.message;
        return false;
    }
    jpeg_create_decompress(&cinfo);

    jpeg_source_mgr* src = static_cast<jpeg_source_mgr*>(
        (*cinfo.mem->alloc_small)(j_common_ptr(&cinfo), JPOOL_PERMANENT, sizeof(jpeg_source_mgr)));
    src->next_input_byte = reinterpret_cast<const JOCTET*>(data);
    src->bytes_in_buffer = data ? size_t(size) : 0;
    src->init_source = kb_init_source;
    src->fill_input_buffer = kb_fill_input_buffer;
    src->skip_input_data = kb_skip_input_data;
    src->resync_to_restart = jpeg_resync_to_restart;
    src->term_source = kb_term_source;
    cinfo.src = src;

    jpeg_read_header(&cinfo, TRUE);
    width = int(cinfo.image_width);
    height = int(cinfo.image_height);
    if (bHeaderOnly) {
        jpeg_destroy_decompress(&cinfo);
        return true;
    }

    jpeg_start_decompress(&cinfo);
    const int w = int(cinfo.output_width), h = int(cinfo.output_height);
    if (!sizeSupported(w, h)) {
        char message[64];
        snprintf(message, sizeof message, "Image size %dx%d is not supported.", w, h);
        failJpeg(j_common_ptr(&cinfo), message);
    }
    allocate(w, h);
    const int components = cinfo.output_components;
    if (components == 1) failJpeg(j_common_ptr(&cinfo), "Not implemented.");
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(j_common_ptr(&cinfo), JPOOL_IMAGE,
                                                cinfo.output_width * components, 1);
    while (cinfo.output_scanline < cinfo.output_height) {
        int y = int(cinfo.output_scanline);
        jpeg_read_scanlines(&cinfo, row, 1);
        if (components != 3) continue;
        const JSAMPLE* s = row[0];
        uint8_t* d = pixel(0, y);
        for (int x = 0; x < width; ++x, s += 3, d += 4) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
            d[3] = 255;
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    bHasAlpha = false;
    return true;
}

bool MemoryImageFile::encodeJPG(int quality, std::vector<uint8_t>& bytes, UString* error) {
    jpeg_compress_struct cinfo;
    JpegFailure failure;
    failure.message[0] = 0;
    cinfo.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = jpegErrorExit;
    // libjpeg's memory destination grows this buffer; it is ours to free.
    unsigned char* buffer = nullptr;
    unsigned long length = 0;
    // Every allocation between here and the jump is in libjpeg's pools or
    // the buffer; no local has a destructor.
    if (setjmp(failure.jump)) {
        jpeg_destroy_compress(&cinfo);
        free(buffer);
        if (error) *error = failure.message;
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &length);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(j_common_ptr(&cinfo), JPOOL_IMAGE, JDIMENSION(width) * 3, 1);
    for (int y = 0; y < height; ++y) {
        const uint8_t* s = pixel(0, y);
        JSAMPLE* d = row[0];
        for (int x = 0; x < width; ++x, s += 4, d += 3) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
        jpeg_write_scanlines(&cinfo, row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    bytes.assign(buffer, buffer + length);
    free(buffer);
    return true;
}

bool MemoryImageFile::save(const UString& fileName, Format format, int quality, UString* error) {
    std::vector<uint8_t> bytes;
    const bool encoded = format == FORMAT_TGA   ? encodeTGA(bytes, error)
                         : format == FORMAT_BMP ? encodeBMP(bytes, error)
                         : format == FORMAT_JPG ? encodeJPG(quality, bytes, error)
                                                : refuseEncoding(error);
    if (!encoded) return false;
    if (bytes.size() > size_t(INT_MAX)) {
        if (error) *error = strerror(EFBIG);
        return false;
    }
    return replaceFile(fileName, bytes.data(), int(bytes.size()), error);
}

void MemoryImageFile::clear(const PixelRect* area, bool white) {
    PixelRect r = area ? *area : PixelRect(0, 0, height, width);
    // Keep writes inside the image whatever the caller passes.
    if (r.left < 0) r.left = 0;
    if (r.top < 0) r.top = 0;
    if (r.right > width) r.right = width;
    if (r.bottom > height) r.bottom = height;
    const uint8_t v = white ? 255 : 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            uint8_t* p = pixel(x, y);
            p[0] = p[1] = p[2] = v;
            p[3] = 0;
        }
    }
}

void MemoryImageFile::blit(MemoryImageFile* source, const PixelRect* sourceRectArg,
                           const PixelPoint* destPointArg) {
    const PixelRect whole(0, 0, source->height, source->width);
    const PixelPoint origin(0, 0);
    const PixelRect* sourceRect = sourceRectArg ? sourceRectArg : &whole;
    const PixelPoint* destPoint = destPointArg ? destPointArg : &origin;
    PLIM_ASSERT(destPoint->x+sourceRect->width()<=width && destPoint->y+sourceRect->height()<=height);
    // Callers never pass these; checked so that no copy can leave either image.
    PLIM_ASSERT(destPoint->x>=0 && destPoint->y>=0 && sourceRect->left>=0 && sourceRect->top>=0 &&
                sourceRect->right<=source->width && sourceRect->bottom<=source->height);
    const int w = sourceRect->width();
    for (int r = 0; r < sourceRect->height(); ++r) {
        if (w <= 0) break;
        memcpy(pixel(destPoint->x, destPoint->y + r), source->pixel(sourceRect->left, sourceRect->top + r),
               size_t(w) * 4);
    }
}

void MemoryImageFile::halveSize() {
    logTagged("halveSize", "Halving texture size (original size: %dx%d)", width, height);
    const int oldWidth = width;
    const int nw = width / 2, nh = height / 2;
    uint8_t* old = pImageData;
    pImageData = new uint8_t[size_t(nw) * size_t(nh) * 4 + 1]();
    for (int y = 0; y < nh; ++y) {
        for (int x = 0; x < nw; ++x) {
            const uint8_t* a = old + 4 * (size_t(2 * y) * size_t(oldWidth) + size_t(2 * x));
            const uint8_t* b = a + 4;
            const uint8_t* c = a + 4 * size_t(oldWidth);
            const uint8_t* d = c + 4;
            uint8_t* out = pImageData + 4 * (size_t(y) * size_t(nw) + size_t(x));
            for (int ch = 0; ch < 4; ++ch)
                out[ch] = uint8_t((a[ch] >> 2) + (b[ch] >> 2) + (c[ch] >> 2) + (d[ch] >> 2));
        }
    }
    delete[] old;
    width = nw;
    height = nh;
}

void MemoryImageFile::ditherTo4Bits() { dither(4); }
void MemoryImageFile::ditherTo5Bits() { dither(5); }

void MemoryImageFile::dither(int bits) {
    const int lowBits = 8 - bits;                  // bits dropped from each channel
    const uint8_t keepMask = uint8_t(0xFF << lowBits);
    const uint8_t overflowValue = keepMask;        // 0xF0 or 0xF8
    const uint8_t overflowError = uint8_t(~keepMask); // 15 or 7
    // Error rows of width + 2 entries, 3 channels each, holding sixteenths.
    const size_t entries = size_t(width) + 2;
    uint8_t* current = new uint8_t[entries * 3]();
    uint8_t* next = new uint8_t[entries * 3]();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = pixel(x, y);
            for (int ch = 0; ch < 3; ++ch) {
                int v = p[ch] + (current[(x + 1) * 3 + ch] >> 4);
                uint8_t e;
                if (v > 255) {
                    p[ch] = overflowValue;
                    e = overflowError;
                } else {
                    p[ch] = uint8_t(v) & keepMask;
                    e = uint8_t(v) & overflowError;
                }
                current[(x + 2) * 3 + ch] += uint8_t(7 * e);
                next[x * 3 + ch] += uint8_t(3 * e);
                next[(x + 1) * 3 + ch] += uint8_t(5 * e);
                next[(x + 2) * 3 + ch] += e;
            }
        }
        // The share that fell left of the first pixel goes to the first pixel.
        for (int ch = 0; ch < 3; ++ch) next[3 + ch] += next[ch];
        memset(current, 0, entries * 3);
        uint8_t* t = current;
        current = next;
        next = t;
    }
    delete[] current;
    delete[] next;
}

// Decoded images: TGA and JPEG reading from files, JPEG writing, and the pixel
// operations (clear, blit, halving, dithering).
#include "BareEngine.h"
#include "EngineTestFolder.h"
#include "core/Logger.h"
#include "render/MemoryImageFile.h"
#include "core/Plim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <jpeglib.h>
#include <string>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

// A TGA file: 18-byte header, then rows bottom first as blue, green, red, alpha.
// rows[0] is the first row in the file.
Bytes makeTga(int w, int h, const std::vector<std::vector<uint32_t>>& rows, uint8_t type = 2,
              uint8_t depth = 32, uint8_t descriptor = 8) {
    Bytes b(18, 0);
    b[2] = type;
    b[12] = uint8_t(w);
    b[13] = uint8_t(w >> 8);
    b[14] = uint8_t(h);
    b[15] = uint8_t(h >> 8);
    b[16] = depth;
    b[17] = descriptor;
    for (const auto& row : rows)
        for (uint32_t rgba : row) {
            b.push_back(uint8_t(rgba >> 8));  // blue
            b.push_back(uint8_t(rgba >> 16)); // green
            b.push_back(uint8_t(rgba >> 24)); // red
            b.push_back(uint8_t(rgba));       // alpha
        }
    return b;
}

// A JPEG of the given components (1 grey, 3 RGB) written with libjpeg directly.
Bytes makeJpeg(int w, int h, int components) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&cinfo, &out, &outSize);
    cinfo.image_width = JDIMENSION(w);
    cinfo.image_height = JDIMENSION(h);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(size_t(w * components), 128);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes bytes(out, out + outSize);
    jpeg_destroy_compress(&cinfo);
    free(out);
    return bytes;
}

class ImageTest : public ::testing::Test {
protected:
    void SetUp() override { engine = BareEngine::withFiles(); }
    void TearDown() override { BareEngine::shutDown(engine); }
    void write(const std::string& name, const Bytes& bytes) {
        EngineTestFolder::writeFile(folder.root + "/" + name, std::string(bytes.begin(), bytes.end()));
    }
    static uint32_t rgba(MemoryImageFile& image, int x, int y) {
        const uint8_t* p = image.pixel(x, y);
        return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    }

    EngineTestFolder folder;
    Plim* engine = nullptr;
};

typedef ImageTest ImageDeathTest;

// --- Reading ---------------------------------------------------------------

TEST_F(ImageTest, TgaRowsAreStoredBottomFirstAndBecomeRgba) {
    // File row A first, then B: B is the top row of the image.
    write("two.tga", makeTga(2, 2, {{0x11223344, 0x55667788}, {0xAABBCCDD, 0x01020304}}));
    MemoryImageFile image(UString("two.tga"), false);
    ASSERT_EQ(image.width, 2);
    ASSERT_EQ(image.height, 2);
    EXPECT_TRUE(image.bHasAlpha);
    EXPECT_EQ(rgba(image, 0, 0), 0xAABBCCDDu);
    EXPECT_EQ(rgba(image, 1, 0), 0x01020304u);
    EXPECT_EQ(rgba(image, 0, 1), 0x11223344u);
    EXPECT_EQ(rgba(image, 1, 1), 0x55667788u);
    // Only the pixels are kept once decoded.
    EXPECT_EQ(image.data, nullptr);
    EXPECT_EQ(image.size, 0);
}

TEST_F(ImageTest, FormatComesFromALowerCasedCopyOfTheName) {
    if (system(("mkdir -p '" + folder.root + "/Gfx'").c_str()) != 0) FAIL();
    write("Gfx/Logo.TGA", makeTga(1, 1, {{0xFF0000FF}}));
    UString name("Gfx/Logo.TGA");
    MemoryImageFile logo(name, false);
    EXPECT_EQ(logo.width, 1);
    EXPECT_EQ(name, "Gfx/Logo.TGA"); // the caller's name is left as it was

    // The first of ".tga", ".bmp", ".jpg" found anywhere in the name decides.
    write("a.tga.jpg", makeTga(3, 1, {{0, 0, 0}}));
    MemoryImageFile both(UString("a.tga.jpg"), false);
    EXPECT_EQ(both.width, 3);
    EXPECT_TRUE(both.bHasAlpha);
}

TEST_F(ImageTest, AnImageIdBeforeThePixelsIsSkipped) {
    Bytes tga = makeTga(1, 1, {{0x11223344u}});
    tga[0] = 3;
    tga.insert(tga.begin() + 18, {'a', 'b', 'c'});
    write("id.tga", tga);
    MemoryImageFile image(UString("id.tga"), false);
    ASSERT_EQ(image.width, 1);
    EXPECT_EQ(rgba(image, 0, 0), 0x11223344u);
}

TEST_F(ImageTest, HeaderOnlyReadsTheSizeAlone) {
    write("big.tga", makeTga(4, 3, {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}));
    MemoryImageFile tga(UString("big.tga"), true);
    EXPECT_EQ(tga.width, 4);
    EXPECT_EQ(tga.height, 3);
    EXPECT_EQ(tga.pImageData, nullptr);

    write("pic.jpg", makeJpeg(7, 5, 3));
    MemoryImageFile jpg(UString("pic.jpg"), true);
    EXPECT_EQ(jpg.width, 7);
    EXPECT_EQ(jpg.height, 5);
    EXPECT_EQ(jpg.pImageData, nullptr);
    EXPECT_FALSE(jpg.bHasAlpha);

    // A comment of 64 KiB ahead of the size: the file is then read whole.
    Bytes commented = makeJpeg(7, 5, 3), comment = {0xFF, 0xFE, 0xFF, 0xFF};
    comment.resize(2 + 0xFFFF, ' ');
    commented.insert(commented.begin() + 2, comment.begin(), comment.end());
    write("comment.jpg", commented);
    MemoryImageFile late(UString("comment.jpg"), true);
    EXPECT_EQ(late.width, 7);
    EXPECT_EQ(late.height, 5);
}

TEST_F(ImageTest, JpegWrittenAndReadBackKeepsSizeAndColours) {
    MemoryImageFile source(16, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            uint8_t* p = source.pixel(x, y);
            p[0] = x < 8 ? 200 : 20;
            p[1] = y < 4 ? 40 : 180;
            p[2] = 90;
            p[3] = 7; // dropped by the writer
        }
    source.save(UString(folder.root + "/out.jpg"), MemoryImageFile::FORMAT_JPG, 95);

    MemoryImageFile back(UString("out.jpg"), false);
    ASSERT_EQ(back.width, 16);
    ASSERT_EQ(back.height, 8);
    EXPECT_FALSE(back.bHasAlpha);
    for (int y : {0, 7})
        for (int x : {0, 15}) {
            const uint8_t* a = source.pixel(x, y);
            const uint8_t* b = back.pixel(x, y);
            for (int c = 0; c < 3; ++c) EXPECT_NEAR(a[c], b[c], 12) << x << "," << y << " ch " << c;
            EXPECT_EQ(b[3], 255);
        }
}

// A TGA keeps every byte (the reader takes it back as it was); a BMP's rows
// are blue, green, red, bottom first, each padded to four bytes.
TEST_F(ImageTest, TgaAndBmpKeepThePixelsInTheirLayouts) {
    MemoryImageFile source(3, 2);
    for (uint8_t i = 0; i < 24; ++i) source.pImageData[i] = uint8_t(i + 1);
    ASSERT_TRUE(source.save(UString(folder.root + "/out.tga"), MemoryImageFile::FORMAT_TGA, 0));
    MemoryImageFile back(UString("out.tga"), false);
    EXPECT_EQ(Bytes(back.pImageData, back.pImageData + back.width * back.height * 4), Bytes(source.pImageData, source.pImageData + 24));
    Bytes bmp;
    ASSERT_TRUE(source.encodeBMP(bmp, nullptr) && bmp.size() == 78);
    EXPECT_EQ(Bytes({bmp[0], bmp[1], bmp[2], bmp[10], bmp[14], bmp[18], bmp[22], bmp[26], bmp[28], bmp[34]}), Bytes({'B', 'M', 78, 54, 40, 3, 2, 1, 24, 24}));
    EXPECT_EQ(Bytes(bmp.begin() + 54, bmp.end()), Bytes({15, 14, 13, 19, 18, 17, 23, 22, 21, 0, 0, 0, 3, 2, 1, 7, 6, 5, 11, 10, 9, 0, 0, 0}));
}

TEST_F(ImageTest, JpegThatCannotBeEncodedOrWrittenGivesTheReasonAndWritesNothing) {
    MemoryImageFile image(4, 4);
    image.clear(nullptr, false);
    std::string path = folder.root + "/missing/shot.jpg";
    UString why[3];
    EXPECT_FALSE(image.save(UString(path), MemoryImageFile::FORMAT_JPG, 60, &why[0]));
    EXPECT_FALSE(image.save(UString("/dev/full"), MemoryImageFile::FORMAT_JPG, 60, &why[1]));
    EXPECT_FALSE(MemoryImageFile(0, 0).save(UString(folder.root + "/empty.jpg"), MemoryImageFile::FORMAT_JPG, 60, &why[2]));
    EXPECT_EQ(std::vector<UString>(why, why + 3), (std::vector<UString>{"No such file or directory",
              "it is not a regular file", "Empty JPEG image (DNL not supported)"}));
    EXPECT_FALSE(EngineTestFolder::exists(path));
}

TEST_F(ImageDeathTest, BadFilesEndTheProgramWithTheirMessage) {
    write("x.png", Bytes(10, 0));
    write("rgb.tga", makeTga(1, 1, {{0}}, 2, 24));
    write("rle.tga", makeTga(1, 1, {{0}}, 10));
    write("top.tga", makeTga(1, 1, {{0}}, 2, 32, 0x28));
    Bytes shortTga = makeTga(2, 2, {{0, 0}, {0, 0}});
    shortTga.resize(shortTga.size() - 1);
    write("short.tga", shortTga);
    write("head.tga", Bytes(10, 0));
    Bytes negative = makeTga(1, 1, {{0}});
    negative[13] = 0xFF; // width -255
    write("negative.tga", negative);
    Bytes longId = makeTga(1, 1, {{0}});
    longId[0] = 200; // the ID would run past the pixels
    write("longid.tga", longId);
    write("grey.jpg", makeJpeg(8, 8, 1));
    Bytes cut = makeJpeg(64, 64, 3);
    cut.resize(cut.size() / 2);
    write("cut.jpg", cut);

    auto load = [](const char* name) {
        EngineTestFolder::routeStdoutToStderr();
        MemoryImageFile image(UString(name), false);
    };
    auto fails = ::testing::ExitedWithCode(1);
    EXPECT_EXIT(load("x.png"), fails, "Unknown image format \\(x.png\\)\\.");
    EXPECT_EXIT(load("rgb.tga"), fails, "TGA depth is not 32 bits");
    EXPECT_EXIT(load("rle.tga"), fails, "TGA is compressed\\.");
    EXPECT_EXIT(load("top.tga"), fails, "TGA is flipped vertically\\.");
    EXPECT_EXIT(load("short.tga"), fails, "TGA is truncated\\.");
    EXPECT_EXIT(load("head.tga"), fails, "TGA is truncated\\.");
    EXPECT_EXIT(load("negative.tga"), fails, "TGA size is negative\\.");
    EXPECT_EXIT(load("longid.tga"), fails, "TGA is truncated\\.");
    EXPECT_EXIT(load("grey.jpg"), fails, "Not implemented\\.");
    EXPECT_EXIT(load("cut.jpg"), fails, "Should not ever be called\\.");
}

// The decoders behind the loaders on bytes in memory: every failure comes back
// with the loader's message and the program goes on; the same image then
// decodes a good file.
TEST_F(ImageTest, DecodersReturnTheLoadersFailures) {
    Bytes shortTga = makeTga(2, 2, {{0, 0}, {0, 0}});
    shortTga.resize(shortTga.size() - 1);
    Bytes negative = makeTga(1, 1, {{0}});
    negative[13] = 0xFF;
    Bytes mapped = makeTga(1, 1, {{0}}, 1, 8);
    mapped[1] = 1, mapped[7] = 24;  // a colour map of 24-bit entries
    Bytes cut = makeJpeg(64, 64, 3);
    cut.resize(cut.size() / 2);
    // The frame header's height and width (after FF C0, length and precision).
    Bytes huge = makeJpeg(8, 8, 3);
    for (size_t i = 0; i + 8 < huge.size(); ++i)
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = huge[i + 7] = 0x4E; // 20,000 = 0x4E20
            huge[i + 6] = huge[i + 8] = 0x20;
            break;
        }
    const struct {
        bool jpeg;
        Bytes bytes;
        const char* message;
    } cases[] = {
        {false, makeTga(1, 1, {{0}}, 2, 24), "TGA depth is not 32 bits"},
        {false, makeTga(1, 1, {{0}}, 10), "TGA is compressed."},
        {false, mapped, "TGA is colour-mapped, not true-colour."},
        {false, makeTga(1, 1, {{0}}, 3, 8), "TGA is grey-scale, not true-colour."},
        {false, makeJpeg(8, 8, 3), "Not a TGA picture."},
        {false, Bytes(40, 0xA7), "Not a TGA picture."},
        {false, makeTga(1, 1, {{0}}, 2, 32, 0x28), "TGA is flipped vertically."},
        {false, shortTga, "TGA is truncated."},
        {false, Bytes(10, 0), "TGA is truncated."},
        {false, negative, "TGA size is negative."},
        {true, makeJpeg(8, 8, 1), "Not implemented."},
        {true, cut, "Should not ever be called."},
        {true, huge, "Image size 20000x20000 is not supported."},
        {true, Bytes(40, 0), "Not a JPEG file: starts with 0x00 0x00"},
    };
    MemoryImageFile image(0, 0);
    auto hold = [&image](const Bytes& bytes) {
        image.releaseData();
        image.data = new uint8_t[bytes.size()];
        std::copy(bytes.begin(), bytes.end(), image.data);
        image.size = int(bytes.size());
    };
    for (const auto& c : cases) {
        hold(c.bytes);
        UString error;
        EXPECT_FALSE(c.jpeg ? image.decodeJPG(&error) : image.decodeTGA(&error)) << c.message;
        EXPECT_EQ(error, UString(c.message));
    }
    hold(makeJpeg(5, 3, 3));
    UString error;
    ASSERT_TRUE(image.decodeJPG(&error)) << error.c_str();
    EXPECT_EQ(image.width, 5);
    EXPECT_EQ(image.height, 3);
    hold(makeTga(2, 1, {{0x11223344, 0x55667788}}));
    ASSERT_TRUE(image.decodeTGA(&error));
    EXPECT_EQ(rgba(image, 1, 0), 0x55667788u);
}

// --- Pixel operations ------------------------------------------------------------

TEST_F(ImageTest, HalvingDropsTheOddEdgeAndTruncatesEachQuarter) {
    MemoryImageFile image(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            uint8_t* p = image.pixel(x, y);
            p[0] = 255;
            p[1] = uint8_t(x == 0 ? 4 : 0); // one 4 in the first block: mean 1
            p[2] = 3;                       // 3 >> 2 is 0 four times
            p[3] = 128;
        }
    image.halveSize();
    ASSERT_EQ(image.width, 2);
    ASSERT_EQ(image.height, 1);
    EXPECT_EQ(image.pixel(0, 0)[0], 252);
    EXPECT_EQ(image.pixel(0, 0)[1], 2);
    EXPECT_EQ(image.pixel(1, 0)[1], 0);
    EXPECT_EQ(image.pixel(0, 0)[2], 0);
    EXPECT_EQ(image.pixel(1, 0)[3], 128);
    PLIM->log->saveCrashLog();
    EXPECT_NE(EngineTestFolder::readFile(folder.logPath())
                  .find("halveSize(): Halving texture size (original size: 5x3)"),
              std::string::npos);
}

TEST_F(ImageTest, ClearMakesAnAreaTransparentBlackOrWhite) {
    MemoryImageFile image(4, 4);
    image.clear(nullptr, true);
    EXPECT_EQ(rgba(image, 3, 3), 0xFFFFFF00u);
    PixelRect area(1, 1, 3, 2); // left 1, top 1, bottom 3, right 2
    image.clear(&area, false);
    EXPECT_EQ(rgba(image, 1, 1), 0u);
    EXPECT_EQ(rgba(image, 1, 2), 0u);
    EXPECT_EQ(rgba(image, 2, 1), 0xFFFFFF00u);
    EXPECT_EQ(rgba(image, 1, 3), 0xFFFFFF00u);
}

TEST_F(ImageDeathTest, BlitMustFitTheDestination) {
    MemoryImageFile source(4, 4);
    source.clear(nullptr, true);
    MemoryImageFile target(16, 4);
    target.clear(nullptr, false);
    PixelPoint fits(12, 0);
    target.blit(&source, nullptr, &fits);
    EXPECT_EQ(rgba(target, 15, 3), 0xFFFFFF00u);
    EXPECT_EQ(rgba(target, 11, 0), 0u);

    PixelRect part(1, 2, 4, 3); // columns 1..2, rows 2..3
    source.pixel(1, 2)[0] = 9;
    target.blit(&source, &part, nullptr);
    EXPECT_EQ(target.pixel(0, 0)[0], 9);
    EXPECT_EQ(rgba(target, 2, 0), 0u);

    for (PixelPoint outside : {PixelPoint(-1, 0), PixelPoint(0, -1)})
        EXPECT_EXIT(
            {
                EngineTestFolder::routeStdoutToStderr();
                target.blit(&source, nullptr, &outside);
            },
            ::testing::ExitedWithCode(255), "Statement: destPoint->x>=0 && destPoint->y>=0");
    PixelRect pastSource(0, 0, 4, 5); // one column beyond the source
    EXPECT_EXIT(
        {
            EngineTestFolder::routeStdoutToStderr();
            target.blit(&source, &pastSource, nullptr);
        },
        ::testing::ExitedWithCode(255), "sourceRect->right<=source->width");

    PixelPoint over(13, 0);
    EXPECT_EXIT(
        {
            EngineTestFolder::routeStdoutToStderr();
            target.blit(&source, nullptr, &over);
        },
        ::testing::ExitedWithCode(255),
        "Statement: destPoint->x\\+sourceRect->width\\(\\)<=width && "
        "destPoint->y\\+sourceRect->height\\(\\)<=height");
}

TEST_F(ImageTest, DitheringSpreadsTheErrorAndLeavesAlpha) {
    // 24 lies between the 4-bit levels 16 and 32: without diffusion every pixel
    // would become 16; with it the picture averages out near 24 (the reads in
    // whole sixteenths lose a little).
    MemoryImageFile image(64, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 64; ++x) {
            uint8_t* p = image.pixel(x, y);
            p[0] = p[1] = p[2] = 24;
            p[3] = 77;
        }
    image.ditherTo4Bits();
    int sum = 0;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 64; ++x) {
            const uint8_t* p = image.pixel(x, y);
            EXPECT_EQ(p[0] & 0x0F, 0);
            EXPECT_EQ(p[3], 77);
            sum += p[0];
        }
    EXPECT_NEAR(sum / 256.0, 24.0, 2.5);
    // The first pixel quantises alone; the second already carries 7/16 of its error.
    MemoryImageFile pair(2, 1);
    for (int x = 0; x < 2; ++x) {
        uint8_t* p = pair.pixel(x, 0);
        p[0] = 23;
        p[1] = 255;
        p[2] = 7;
    }
    pair.ditherTo5Bits();
    EXPECT_EQ(pair.pixel(0, 0)[0], 16); // 23: low bits 7 dropped
    EXPECT_EQ(pair.pixel(1, 0)[0], 24); // 23 + (49 >> 4) = 26
    EXPECT_EQ(pair.pixel(0, 0)[1], 0xF8);
    EXPECT_EQ(pair.pixel(1, 0)[1], 0xF8); // 255 plus carried error overflows
    EXPECT_EQ(pair.pixel(1, 0)[2], 8);   // 7 + 3
}

} // namespace

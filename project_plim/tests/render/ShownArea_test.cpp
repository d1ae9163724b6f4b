// The part of a skin that can show: the box of its texels with alpha, a texel
// wider, cut at the corners; texels beyond the skin that filtering reads
// (a neighbouring picture, the texture's wrap); halved pictures; nothing.
#include "BareEngine.h"
#include "render/MemoryImageFile.h"
#include "util/PixelRect.h"
#include "render/ShownArea.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace {

class ShownAreaTest : public ::testing::Test {
protected:
    void SetUp() override { engine = BareEngine::withFiles(); }
    void TearDown() override { BareEngine::shutDown(engine); }

    // A transparent image with opaque texels at the given places.
    static MemoryImageFile* image(int w, int h, const std::vector<std::pair<int, int>>& opaque) {
        MemoryImageFile* made = new MemoryImageFile(w, h);
        std::memset(made->pImageData, 0, size_t(w) * size_t(h) * 4);
        for (const auto& [x, y] : opaque) made->pixel(x, y)[3] = 255;
        return made;
    }
    // Bounds and area of the polygon.
    static std::vector<float> box(const ShownArea& a) {
        float l = a.x[0], t = a.y[0], r = l, b = t, twice = 0.0f;
        for (int i = 0; i < a.corners; ++i) {
            l = std::min(l, a.x[i]), r = std::max(r, a.x[i]), t = std::min(t, a.y[i]), b = std::max(b, a.y[i]);
            const int j = (i + 1) % a.corners;
            twice += a.x[i] * a.y[j] - a.x[j] * a.y[i];
        }
        return {l, t, r, b, std::fabs(twice) / 2};
    }

    Plim* engine = nullptr;
};

TEST_F(ShownAreaTest, TheBoxOfTexelsWithAlphaGrowsATexelAndLosesItsCorners) {
    MemoryImageFile* one = image(8, 8, {{3, 2}});
    const PixelRect whole(0, 0, 8, 8);
    EXPECT_EQ(box(ShownArea::find(one, whole, 1, 256, 256)), (std::vector<float>{2, 1, 5, 4, 9}));
    EXPECT_EQ(box(ShownArea::find(one, whole, 1, 256, 256, 0)), (std::vector<float>{3, 2, 4, 3, 1}));
    one->deleteMe();

    MemoryImageFile* plus = image(8, 8, {{3, 2}, {2, 3}, {3, 3}, {4, 3}, {3, 4}});
    const ShownArea octagon = ShownArea::find(plus, whole, 1, 256, 256);
    EXPECT_EQ(octagon.corners, 8);
    EXPECT_EQ(box(octagon), (std::vector<float>{1, 1, 6, 6, 23}));
    plus->deleteMe();

    // A texel right of the skin, and one the wrap brings before it when the
    // image fills its texture.
    MemoryImageFile* sheet = image(8, 8, {{4, 1}, {7, 6}});
    const PixelRect left(0, 0, 4, 4), lower(0, 4, 8, 4);
    EXPECT_EQ(box(ShownArea::find(sheet, left, 1, 256, 256)), (std::vector<float>{3, 0, 4, 3, 3}));
    EXPECT_EQ(box(ShownArea::find(sheet, lower, 1, 8, 8)), (std::vector<float>{0, 5, 1, 8, 3}));
    EXPECT_EQ(ShownArea::find(sheet, lower, 1, 256, 256).corners, 0);
    sheet->deleteMe();

    // Halved twice: texel (1, 1) is source pixels 4 to 8.
    MemoryImageFile* halved = image(4, 4, {{1, 1}});
    EXPECT_EQ(box(ShownArea::find(halved, PixelRect(0, 0, 16, 16), 4, 256, 256)),
              (std::vector<float>{0, 0, 12, 12, 144}));
    halved->deleteMe();
}

} // namespace

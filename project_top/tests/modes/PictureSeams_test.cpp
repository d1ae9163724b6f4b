// Scaled pictures made of texture cells, drawn on a green ground and read
// back: the title logo (four textures side by side) and the sky (one picture
// split over sub-textures) show no seam where their cells meet and no box
// around their edges: at several scales and fractional places every pixel is
// within what filtering shifts of the same picture drawn from one texture.
// The logo's left and right halves each fill their texture's width, so no
// spare texel can hold the other half's edge: on the column where they meet
// each half repeats its own edge, and a pixel there may differ from the one
// picture by no more than the picture itself changes across that column (a
// seam, the ground showing through or the far edge bleeding in, would).
#include "DrawnPixels.h"
#include "MatchFixture.h"
#include "render/MemoryImageFile.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "render/Quad.h"
#include "render/Renderable.h"
#include "core/ResourceManager.h"
#include "render/Texture.h"

#include <algorithm>
#include <cstdlib>

namespace {

const UColor GREEN(0, 255, 0, 255);

class PictureSeamsTest : public MatchTest {
protected:
    // The image as one texture of its own size, edges clamped: the picture
    // without cells.
    static Texture* whole(MemoryImageFile* image) {
        PlimGraphics* g = PLIM->graphics;
        const bool simulated = g->bSimulate256x256TextureHW;
        g->bSimulate256x256TextureHW = false;
        Texture* texture = new Texture(image);
        g->bSimulate256x256TextureHW = simulated;
        texture->bHasAlpha = image->bHasAlpha;
        texture->clampEdges();
        return texture;
    }

    // The largest colour difference (summed over red, green, blue) between
    // the two skins drawn alone at the place and scale, over the picture and
    // a margin of 4 pixels around it.
    static int worstDifference(Skin* cells, Skin* reference, V3 at, float scale, bool columnJoin) {
        MemoryImageFile* shots[2] = {};
        Skin* skins[2] = {cells, reference};
        for (int i = 0; i < 2; ++i) {
            Renderable picture;
            const V3 size(scale, scale, 1.0f);
            picture.setup(skins[i], &at, nullptr, &size);
            if (i == 1) {
                reference->origin = cells->origin;
                picture.updateVisuals();
            }
            DrawnPixels::drawAlone({&picture}, GREEN);
            shots[i] = PLIM->graphics->grabFrameBuffer(nullptr);
        }
        const int w = shots[0]->width, h = shots[0]->height;
        const float halfW = cells->width * scale / 2 + 4, halfH = cells->height * scale / 2 + 4;
        const int x0 = std::max(0, int(320 + at.x - halfW)), x1 = std::min(w, int(320 + at.x + halfW) + 1);
        const int y0 = std::max(0, int(240 - at.y - halfH)), y1 = std::min(h, int(240 - at.y + halfH) + 1);
        int worst = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const uint8_t* a = shots[0]->pImageData + (size_t(y) * w + x) * 4;
                const uint8_t* b = shots[1]->pImageData + (size_t(y) * w + x) * 4;
                int d = std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
                if (columnJoin && std::abs(float(x) + 0.5f - 320.0f - at.x) < 1.5f) {
                    // Only what exceeds the picture's own change across the join.
                    d = 0;
                    for (int k = 0; k < 3; ++k)
                        d += std::max(0, std::abs(a[k] - b[k]) - std::abs(b[k - 4] - b[k + 4]));
                }
                worst = std::max(worst, d);
            }
        delete shots[0];
        delete shots[1];
        return worst;
    }

    static Skin* resource(const char* name) {
        return static_cast<Skin*>(PLIM->resourceManager->find(name, true));
    }
};

TEST_F(PictureSeamsTest, TheLogoAndTheSplitSkyShowNoSeam) {
    // The logo's four quarters put together into one image.
    MemoryImageFile logo(512, 256);
    const char* quarters[4] = {"gfx/logo_0_0.tga", "gfx/logo_1_0.tga", "gfx/logo_0_1.tga", "gfx/logo_1_1.tga"};
    for (int i = 0; i < 4; ++i) {
        MemoryImageFile quarter(quarters[i], false);
        const PixelPoint at((i % 2) * 256, (i / 2) * 128);
        logo.blit(&quarter, nullptr, &at);
    }
    Texture* logoWhole = whole(&logo);
    MemoryImageFile sky("gfx/sky-colormatched.tga", false);
    Texture* skyWhole = whole(&sky);

    struct Case {
        const char* name;
        Skin* reference;
        V3 at;
        float scale;
    };
    const Case cases[] = {
        {"logo:all", logoWhole->skins[0], V3(0.0f, 160.0f, 0.0f), 0.5f}, // as on the main menu
        {"logo:all", logoWhole->skins[0], V3(0.3f, 20.6f, 0.0f), 1.0f},
        {"logo:all", logoWhole->skins[0], V3(-7.25f, -3.5f, 0.0f), 1.1f},
        {"logo:all", logoWhole->skins[0], V3(11.4f, 40.2f, 0.0f), 0.73f},
        {"sky:0", skyWhole->skins[0], V3(0.4f, 0.3f, 0.0f), 0.6f},
        {"sky:0", skyWhole->skins[0], V3(-3.7f, 12.1f, 0.0f), 0.93f},
    };
    for (const Case& c : cases) {
        Skin* cells = resource(c.name);
        ASSERT_TRUE(cells) << c.name;
        const bool halves = c.reference == logoWhole->skins[0];
        EXPECT_LE(worstDifference(cells, c.reference, c.at, c.scale, halves), 48)
            << c.name << " at scale " << c.scale << " and (" << c.at.x << ", " << c.at.y << ")";
    }
    delete logoWhole;
    delete skyWhole;
}

} // namespace

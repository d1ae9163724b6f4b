// The enemies as drawn in the window (Mesa under Xvfb): one of each kind of
// plane, bomb, missile and crate at known places has its pixels there, and a
// biplane flying right shows the left-facing picture mirrored, with no
// shadow on the water.
#include "render/Camera.h"
#include "DrawnPixels.h"
#include "EnemyFixture.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "audio/Sound.h"
#include "render/Texture.h"
#include "world/World.h"
#include "world/AirplaneSkin.h"
#include "world/enemies/AirplaneLeftRight.h"
#include "world/enemies/AirplaneLeftRightP35.h"
#include "world/enemies/AtomBomb.h"
#include "world/enemies/Ballistic.h"
#include "world/enemies/Bomber.h"
#include "world/enemies/Crate.h"
#include "util/PlimMath.h"

#include <SDL_opengl.h>
#include <cmath>
#include <vector>

namespace {

using EnemyPicturesTest = EnemyTest;
const UColor GREY(128, 128, 128, 255);
const UColor BLACK(0, 0, 0, 255);

using namespace DrawnPixels;

std::vector<UColor> row(int y, int half) {
    std::vector<UColor> pixels;
    for (int x = -half; x < half; ++x) pixels.push_back(worldPixel(x, y));
    return pixels;
}

TEST_F(EnemyPicturesTest, ABiplaneFlyingRightIsTheLeftPictureMirroredWithoutShadow) {
    startMatch();
    AirplaneLeftRight* plane = enter(new AirplaneLeftRight(), 0.0f, int32_t(0xFFFFFFFFu));
    plane->position = V3(0.0f, 100.0f, 0.0f);
    plane->heading = 0.0f;
    plane->updateVisuals();
    AirplaneSkin* skin = plane->airplaneSkin();

    drawAlone({plane}, GREY);
    EXPECT_EQ(skin->body.pSkin, skin->bodyPictures->skins[24]);
    EXPECT_EQ(skin->body.rotation.y, PI);
    EXPECT_EQ(skin->markings.pSkin, skin->markingsPictures->skins[24]);
    EXPECT_EQ(skin->markings.color, UColor(0xC0, 0xC0, 0xC0, 0xFF));
    const int half = int(skin->width / 2.0f) + 2;
    std::vector<std::vector<UColor>> right;
    for (int y = 92; y <= 108; y += 4) right.push_back(row(y, half));
    EXPECT_GT(drawnAround(0, 100, 8, GREY), 40);
    // Nothing on the water under it.
    EXPECT_EQ(drawnAround(0, -29, 12, GREY), 0);

    plane->heading = PI;
    drawAlone({plane}, GREY);
    EXPECT_EQ(skin->body.pSkin, skin->bodyPictures->skins[24]);
    EXPECT_EQ(skin->body.rotation.y, 0.0f);
    std::vector<std::vector<UColor>> left;
    for (int y = 92; y <= 108; y += 4) left.push_back(row(y, half));

    // Right is left read backwards (give or take the pixel centre), and the
    // plane is not symmetric.
    int drawn = 0, mirrorMisses[2] = {0, 0}, straightMisses = 0;
    const int n = 2 * half;
    for (size_t r = 0; r < right.size(); ++r)
        for (int i = 0; i < n; ++i) {
            const bool background = same(right[r][size_t(i)], GREY) && same(left[r][size_t(i)], GREY);
            if (background) continue;
            ++drawn;
            straightMisses += !same(right[r][size_t(i)], left[r][size_t(i)]);
            for (int shift = 0; shift < 2; ++shift) {
                const int j = n - 1 - i + shift;
                mirrorMisses[shift] += j >= n || !same(right[r][size_t(i)], left[r][size_t(j)]);
            }
        }
    ASSERT_GT(drawn, 40);
    EXPECT_LT(std::min(mirrorMisses[0], mirrorMisses[1]), drawn / 6);
    EXPECT_GT(straightMisses, drawn / 4);

    // The same skin with its shadow on draws one on the water.
    skin->bShadow = true;
    drawAlone({plane}, GREY);
    EXPECT_GT(drawnAround(0, -29, 6, GREY), 20);
}

TEST_F(EnemyPicturesTest, OneOfEachKindAtItsPlace) {
    startMatch();
    struct Placed {
        Enemy* enemy;
        int x, y;
    };
    std::vector<Placed> placed = {{enter(new AirplaneLeftRight()), -200, 150},
                                  {enter(new AirplaneLeftRightP35()), -50, 150},
                                  {enter(new Bomber()), 150, 150},
                                  {enter(new AtomBomb()), -200, -60},
                                  {enter(new Ballistic()), 0, -60},
                                  {enter(new Crate(Crate::KIND_PLAIN)), 200, -80}};
    std::vector<Renderable*> objects;
    for (Placed& p : placed) {
        p.enemy->position = V3(float(p.x), float(p.y), 0.0f);
        p.enemy->velocity = V3(0.0f, 0.0f, 0.0f);
        p.enemy->tick(0.0, 0.0); // the parts follow
        objects.push_back(p.enemy);
    }
    drawAlone(objects, BLACK);
    for (const Placed& p : placed) EXPECT_GT(drawnAround(p.x, p.y, 4, BLACK), 10) << p.x << ", " << p.y;
    // The crate's parachute above it; nothing where no enemy is.
    EXPECT_GT(drawnAround(200, -80 + 36, 4, BLACK), 10);
    EXPECT_EQ(drawnAround(0, 60, 10, BLACK), 0);
    EXPECT_EQ(drawnAround(-200, 40, 10, BLACK), 0);
}

TEST_F(EnemyPicturesTest, EveryEnemyPictureAndSoundIsLoaded) {
    startMatch();
    const struct {
        const char* name;
        size_t pictures;
    } textures[] = {{"biplane", 49},      {"biplane-markings", 49}, {"p35", 49},      {"p35-markings", 49},
                    {"propeller", 98},    {"bomber", 3},            {"kamikaze", 3},  {"hotAirBalloon", 19},
                    {"propelledBomb", 24}, {"ballistic", 9},        {"torpedo", 2},   {"crate", 6},
                    {"atomBomb", 1},      {"parachute", 1},         {"zeppelin", 4}};
    for (const auto& t : textures) EXPECT_EQ(World::texture(t.name)->skins.size(), t.pictures) << t.name;
    // The zeppelin's whole hull is its fourth picture.
    EXPECT_GT(World::texture("zeppelin")->skins[3]->width, World::texture("zeppelin")->skins[0]->width);
    for (const char* sound : {"biplaneEntry", "bombWhistleShort", "bombWhistle", "explosionShort", "explosionLong",
                              "bomberEngine", "bomberDropBomb", "ballisticEntry", "smallSplash", "largeSplash",
                              "crateBreak", "deflate", "kamikazeEntry", "propelledBombEntry", "waterExit"})
        EXPECT_NE(World::sound(sound), nullptr) << sound;
}

} // namespace

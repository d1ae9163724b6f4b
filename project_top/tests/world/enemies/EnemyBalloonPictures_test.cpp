// The balloons, kamikaze, bombs, torpedoes and the zeppelin as drawn in the
// window (Mesa under Xvfb): one of each kind at a known place has its pixels
// there, with the balloon's bomb under it, the propelled bomb's rotor only
// while it flies, and the airship's turrets under its hull.
#include "render/Camera.h"
#include "DrawnPixels.h"
#include "EnemyFixture.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "render/Skin.h"
#include "world/enemies/HotAirBalloon.h"
#include "world/enemies/HotAirBalloonBomb.h"
#include "world/enemies/Kamikaze.h"
#include "world/enemies/PropelledBomb.h"
#include "world/enemies/Torpedo.h"
#include "world/enemies/TorpedoBlack.h"
#include "world/enemies/Zeppelin.h"
#include "world/enemies/ZeppelinTurret.h"

#include <SDL_opengl.h>
#include <cstdlib>
#include <vector>

namespace {

using BalloonPicturesTest = EnemyTest;
const UColor BLACK(0, 0, 0, 255);
const UColor GREY(128, 128, 128, 255);

using namespace DrawnPixels;

TEST_F(BalloonPicturesTest, OneOfEachKindAtItsPlace) {
    startMatch();
    struct Placed {
        Enemy* enemy;
        int x, y;
    };
    std::vector<Placed> placed = {{enter(new HotAirBalloon()), -250, 150},
                                  {enter(new HotAirBalloonBomb()), -130, 150},
                                  {enter(new Kamikaze()), 0, 170},
                                  {enter(new PropelledBomb()), 120, 160},
                                  {enter(new Torpedo()), -200, -150},
                                  {enter(new TorpedoBlack()), -100, -150}};
    std::vector<Renderable*> objects;
    for (Placed& p : placed) {
        p.enemy->position = V3(float(p.x), float(p.y), 0.0f);
        p.enemy->velocity = V3(0.0f, 0.0f, 0.0f);
        p.enemy->acceleration = V3(0.0f, 0.0f, 0.0f);
        p.enemy->tick(0.0, 0.0); // the parts follow
        objects.push_back(p.enemy);
    }
    drawAlone(objects, GREY);
    for (const Placed& p : placed) EXPECT_GT(drawnAround(p.x, p.y, 4, GREY), 10) << p.x << ", " << p.y;
    // The bomb hangs 50 under its balloon; nothing under the plain one.
    EXPECT_GT(drawnAround(-130 + 1, 150 - 50, 3, GREY), 5);
    EXPECT_EQ(drawnAround(-250, 150 - 50, 3, GREY), 0);
    EXPECT_EQ(drawnAround(250, -150, 20, GREY), 0);

    // The zeppelin's hull from its left edge, a turret under it.
    Zeppelin* zeppelin = enter(new Zeppelin());
    zeppelin->position = V3(-300.0f, 100.0f, 0.0f);
    zeppelin->updateVisuals();
    std::vector<Renderable*> airship = {zeppelin};
    for (BasicLink* l = layer(GameController::LAYER_ENEMIES)->firstChild; l; l = l->next)
        if (auto* turret = dynamic_cast<ZeppelinTurret*>(static_cast<PlimBase*>(l))) {
            turret->ride();
            airship.push_back(turret);
        }
    ASSERT_EQ(airship.size(), 5u);
    drawAlone(airship, BLACK);
    const V3 middle = zeppelin->worldPoint(V3(0.0f, 0.0f, 0.0f));
    EXPECT_NEAR(middle.x, -300.0f + zeppelin->pSkin->width, 0.01f); // twice half the picture
    EXPECT_GT(drawnAround(int(middle.x), 100, 8, BLACK), 100);
    EXPECT_GT(drawnAround(-100, 100, 8, BLACK), 100);
    EXPECT_EQ(drawnAround(-310, 100, 4, BLACK), 0); // left of its edge
    const V3 turret = static_cast<Renderable*>(airship[1])->boundsCenter;
    EXPECT_GT(drawnAround(int(turret.x), int(turret.y), 4, BLACK), 10);
}

} // namespace

// The player's aircraft over the real engine and data: the flight model's
// first step, the two crashes into the sea, the fall with its smoke, the
// mouse turn, the pictures and shadow the skin gets, the engine's pitch and
// channels, and read-back pixels of a tinted plane.
#include "WeaponFixture.h"
#include "CameraBlender.h"
#include "ContextBlender.h"
#include "core/ObjectLink.h"
#include "core/Plim.h"
#include "input/PlimInput.h"
#include "audio/SoundChannel.h"
#include "render/Texture.h"
#include "world/Airplane.h"
#include "world/AirplaneSkin.h"
#include "world/CameraFollowPlayer.h"
#include "world/CameraStatic.h"
#include "world/World.h"
#include "world/effects/Sparc.h"
#include "world/effects/Explosion.h"
#include "world/effects/Smoke.h"
#include "world/effects/Splash.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {

using AirplaneTest = MatchTest;
using L = GameController;

// Counts the players who died.
class DeathCount : public GameController {
public:
    void onPlayerDie(int player) override { ++deaths[player]; }
    int deaths[PLAYERS] = {};
};

Airplane* flyingPlane(GameController* match, int player, V3 at, float heading) {
    Airplane* plane = new Airplane(player);
    plane->position = at;
    plane->heading = heading;
    plane->bControlsEnabled = false;
    plane->updateVisuals();
    match->layer(L::LAYER_AIRPLANES)->addChild(plane);
    match->playerData[player]->pVehicle.set(plane);
    return plane;
}

template <class T> int countOf(PlimBase* holder) {
    int n = 0;
    for (BasicLink* l = holder->firstChild; l; l = l->next)
        if (dynamic_cast<T*>(static_cast<PlimBase*>(l)) && !l->bDestroyPending) ++n;
    return n;
}

template <class T> T* lastOf(PlimBase* holder) {
    T* found = nullptr;
    for (BasicLink* l = holder->firstChild; l; l = l->next)
        if (T* t = dynamic_cast<T*>(static_cast<PlimBase*>(l))) found = t;
    return found;
}

int liveChannels() {
    int n = 0;
    for (BasicLink* l = PLIM->liveObjects.firstChild; l; l = l->next)
        if (static_cast<ObjectLink*>(l)->object->getClass() == &SoundChannel::runtimeClass) ++n;
    return n;
}

TEST_F(AirplaneTest, AFlyingPlaneDivingIntoTheSeaCrashesWithThePenalty) {
    DeathCount* match = start<DeathCount>();
    match->playerData[0]->score = 400;
    Airplane* plane = flyingPlane(match, 0, V3(0.0f, 100.0f, 0.0f), 1.5f * PI);
    EXPECT_EQ(plane->state, Airplane::STATE_FLYING);
    EXPECT_EQ(plane->speed, 0.0f);
    EXPECT_EQ(plane->points, 1500);
    harness->step();
    EXPECT_EQ(plane->speed, 75.0f); // raised to the slowest even without input
    EXPECT_TRUE(plane->engineSound->isPlaying());
    EXPECT_FLOAT_EQ(plane->engineSound->frequency, 1.0f);

    const size_t from = harness->log.lines.size();
    while (plane->isActive() && harness->frame < 400) harness->step();
    EXPECT_EQ(plane->state, Airplane::STATE_GONE);
    EXPECT_EQ(plane->position.y, -25.0f);
    EXPECT_EQ(match->playerData[0]->score, 0); // 400 - 1000, not below 0
    EXPECT_EQ(match->deaths[0], 1);
    EXPECT_EQ(soundLines(harness, from, "largeSplash").size(), 1u);
    EXPECT_EQ(countOf<Splash>(match->layer(L::LAYER_FIREWORKS)), 1);
    CameraBlender* blender = match->scene->getCameraBlender();
    CameraStatic* camera = lastOf<CameraStatic>(blender);
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->position.x, plane->position.x);
    EXPECT_EQ(camera->position.z, -320.0f);
    EXPECT_EQ(blender->shakeAmplitude, 0.01);
    EXPECT_FALSE(plane->engineSound->isPlaying());

    // Gone: neither moved nor drawn, and the engine stays quiet.
    const V3 at = plane->position;
    harness->steps(10);
    EXPECT_EQ(plane->position, at);
    EXPECT_FALSE(plane->engineSound->isPlaying());
    EXPECT_EQ(match->deaths[0], 1);
}

TEST_F(AirplaneTest, AShotDownPlaneSpinsSmokesAndSinksWithoutPenalty) {
    DeathCount* match = start<DeathCount>();
    match->playerData[1]->score = 400;
    Airplane* plane = flyingPlane(match, 1, V3(0.0f, 150.0f, 0.0f), PI);
    EXPECT_EQ(plane->heading, PI);
    harness->step();
    const int channels = liveChannels();
    GameObject shot(0);
    const size_t from = harness->log.lines.size();
    shot.dealDamage(plane, 5.0f);
    EXPECT_EQ(plane->state, Airplane::STATE_SHOT_DOWN);
    EXPECT_EQ(plane->acceleration, V3(0.0f, -64.0f, 0.0f));
    EXPECT_EQ(soundLines(harness, from, "planeHit").size(), 1u);
    EXPECT_EQ(match->scene->getCameraBlender()->shakeAmplitude, 0.005);
    CameraFollowPlayer* follow = lastOf<CameraFollowPlayer>(match->scene->getCameraBlender());
    ASSERT_NE(follow, nullptr);
    EXPECT_EQ(follow->player, 1);
    // The old engine channel went: one channel per plane, not one more per fall.
    EXPECT_EQ(liveChannels(), channels);
    harness->step();
    EXPECT_TRUE(plane->engineSound->isPlaying());
    EXPECT_EQ(soundLines(harness, from, "engineSpinning").size(), 1u);

    // A second destruction while falling changes nothing.
    const double inState = plane->timeInState;
    plane->onDestroyed(&shot);
    EXPECT_EQ(plane->state, Airplane::STATE_SHOT_DOWN);
    EXPECT_EQ(plane->timeInState, inState);

    // Spinning clockwise at its turning rate.
    const float before = plane->heading;
    harness->step();
    EXPECT_NEAR(GameObject::angleDelta(before, plane->heading), -PI * 0.01f, 1e-4f);

    while (plane->isActive() && harness->frame < 1000) harness->step();
    EXPECT_EQ(plane->state, Airplane::STATE_GONE);
    EXPECT_EQ(match->playerData[1]->score, 400); // no penalty for the shot-down
    EXPECT_EQ(match->deaths[1], 1);
    EXPECT_EQ(soundLines(harness, from, "largeSplash").size(), 1u);
}

// Smoke puffs (put in front of the beam layer) and sparks (appended) made
// during a second of fall at a detail setting, with the colour of an early
// and of a late puff.
void countFallSmoke(MatchHarness* run, GameController* match, int detail, int* puffs, int* sparks, UColor* first,
                    UColor* late) {
    const int saved = gGlobal->saveData.graphicsDetail;
    gGlobal->saveData.graphicsDetail = detail;
    Airplane* plane = flyingPlane(match, 0, V3(0.0f, 3000.0f, 0.0f), PI / 2.0f);
    plane->bRemoveOffWorld = false;
    GameObject shot(1);
    shot.dealDamage(plane, 5.0f);
    PlimBase* beams = match->layer(L::LAYER_BEAMS);
    *puffs = *sparks = 0;
    BasicLink* front = beams->firstChild;
    BasicLink* back = beams->lastChild;
    for (int i = 0; i < 100; ++i) {
        run->step();
        if (beams->firstChild != front) {
            front = beams->firstChild;
            if (Smoke* puff = dynamic_cast<Smoke*>(static_cast<PlimBase*>(front))) {
                ++*puffs;
                if (*puffs == 1) *first = puff->particles[0].color;
            }
        }
        if (beams->lastChild != back) {
            back = beams->lastChild;
            PlimBase* made = static_cast<PlimBase*>(back);
            if (back && dynamic_cast<Explosion*>(made) && !dynamic_cast<Smoke*>(made)) ++*sparks;
        }
    }
    // Past three seconds of fall the puffs are black.
    run->runSeconds(2.5);
    Smoke* newest = dynamic_cast<Smoke*>(static_cast<PlimBase*>(beams->firstChild));
    if (newest) *late = newest->particles[0].color;
    gGlobal->saveData.graphicsDetail = saved;
}

TEST_F(AirplaneTest, TheFallSmokesByDetailFromWhiteToBlack) {
    int puffs = 0, sparks = 0;
    UColor first, late;
    GameController* match = start();
    countFallSmoke(harness, match, 0, &puffs, &sparks, &first, &late);
    // Every 0.045 s: whole frames of 0.01 make it every fifth frame.
    EXPECT_NEAR(puffs, 20, 1);
    EXPECT_EQ(sparks, 0);
    EXPECT_GT(first.r, 230);
    EXPECT_EQ(late.r, 0);
    EXPECT_EQ(late.a, 255);

    match = start();
    countFallSmoke(harness, match, 1, &puffs, &sparks, &first, &late);
    EXPECT_NEAR(puffs, 50, 1); // every 0.015 s: every second frame
    EXPECT_EQ(sparks, puffs);
}

TEST_F(AirplaneTest, AMouseTurnNeverOvershootsThePointer) {
    GameController* match = start();
    Airplane* plane = flyingPlane(match, 0, V3(0.0f, 0.0f, 0.0f), 0.0f);
    plane->bControlsEnabled = true;
    plane->bMouseControl = true;
    plane->bRemoveOffWorld = false;
    // The pointer far up and to the left in view units.
    PLIM->input->mousePosition[0] = 20.0f;
    PLIM->input->mousePosition[1] = 470.0f;
    for (int i = 0; i < 150; ++i) {
        const float before = plane->heading;
        harness->step();
        const int wanted = GameObject::turnDirection(before, plane->mouseHeading);
        const int after = GameObject::turnDirection(plane->heading, plane->mouseHeading);
        // Still short of the pointer's heading, or on it; never past it.
        if (wanted != 0) {
            EXPECT_TRUE(after == wanted || after == 0) << "frame " << i;
        }
    }
    EXPECT_NEAR(GameObject::angleDelta(plane->heading, plane->mouseHeading), 0.0f, 0.05f);
    PLIM->input->mousePosition[0] = 320.0f;
    PLIM->input->mousePosition[1] = 240.0f;
}

TEST_F(AirplaneTest, TheSkinGetsTheHeadingsPictureShadowAndModel) {
    GameController* match = start();
    Airplane* plane = flyingPlane(match, 0, V3(0.0f, 1200.0f, 0.0f), 0.0f);
    plane->bRemoveOffWorld = false;
    AirplaneSkin* skin = plane->skin;
    struct Case {
        float heading;
        int picture;
        bool mirrored;
    } cases[] = {{0.0f, 24, true}, {PI / 2.0f, 0, false}, {PI, 24, false}, {1.5f * PI, 48, false}};
    for (const Case& c : cases) {
        plane->position = V3(0.0f, 1200.0f, 0.0f);
        plane->heading = c.heading;
        // The camera follows so that the plane is drawn.
        plane->updateVisuals();
        plane->render();
        EXPECT_EQ(skin->heading, c.heading);
        EXPECT_EQ(skin->body.pSkin, World::frame(skin->bodyPictures, c.picture)) << c.heading;
        EXPECT_EQ(skin->body.rotation.y, c.mirrored ? PI : 0.0f) << c.heading;
        EXPECT_EQ(skin->shadow.scale.x, 0.5f);
        EXPECT_EQ(skin->shadow.scale.y, 0.25f);
    }
    plane->position = V3(0.0f, -25.0f, 0.0f);
    plane->updateVisuals();
    plane->render();
    EXPECT_EQ(skin->shadow.scale.x, 1.0f);
    EXPECT_EQ(skin->shadow.scale.y, 0.5f);
    EXPECT_EQ(skin->shadow.position.y, -29.0f);

    // The finder borrows the skin: body only for that draw, never owned.
    skin->bBodyOnly = false;
    plane->drawFinder(V3(100.0f, 0.0f, 0.0f));
    EXPECT_FALSE(skin->bBodyOnly);
    EXPECT_EQ(skin->body.position, V3(100.0f, 0.0f, 0.0f));
    EXPECT_EQ(skin->body.color, UColor(0, 0, 0, 0x80));

    plane->setModel(Airplane::MODEL_P35);
    EXPECT_EQ(skin->bodyPictures, World::texture("p35"));
    EXPECT_EQ(plane->maxSpeed, 350.0f);
    EXPECT_FLOAT_EQ(plane->turnRate, 1.5f * PI);
    EXPECT_EQ(plane->baseMaxSpeed, 250.0f);
    EXPECT_FLOAT_EQ(plane->baseTurnRate, PI);
    plane->setModel(7);
    EXPECT_EQ(plane->maxSpeed, 350.0f);
    plane->setModel(Airplane::MODEL_BIPLANE);
    EXPECT_EQ(skin->markingsPictures, World::texture("biplane-markings"));
    EXPECT_EQ(plane->maxSpeed, 250.0f);
}

TEST_F(AirplaneTest, TheEnginePitchFollowsTheSpeedAndEveryChannelIsFreed) {
    const int before = liveChannels();
    GameController* match = start();
    Airplane* plane = flyingPlane(match, 0, V3(-300.0f, 100.0f, 0.0f), 0.0f);
    plane->bRemoveOffWorld = false;
    EXPECT_FLOAT_EQ(plane->enginePitch(75.0f), 1.0f);
    EXPECT_FLOAT_EQ(plane->enginePitch(250.0f), 1.5f);
    EXPECT_NEAR(plane->enginePitch(350.0f), 1.786f, 1e-3f);
    plane->setModel(Airplane::MODEL_P35);
    plane->speed = 350.0f;
    plane->bControlsEnabled = true;
    harness->scheduleAction(harness->frame, harness->frame + 5, plane->keySet(), Vehicle::ACTION_INCREASE);
    harness->steps(5);
    EXPECT_EQ(plane->speed, 350.0f);
    EXPECT_NEAR(plane->engineSound->frequency, 1.786f, 1e-3f);
    // Shot down: a new channel replaces the old one, which is deleted.
    GameObject shot(1);
    shot.dealDamage(plane, 5.0f);
    harness->steps(3);
    harness->finishMatch();
    EXPECT_EQ(liveChannels(), before);
}

// The tinted body at four headings: red pixels around the plane, mirrored
// between flying right and left.
TEST_F(AirplaneTest, ATintedPlaneReadsBackInItsColourAtEveryHeading) {
    GameController* match = start();
    MatchHarness::setDrawing(true);
    match->playerData[0]->color = UColor(255, 0, 0, 255);
    Airplane* plane = flyingPlane(match, 0, V3(0.0f, 100.0f, 0.0f), 0.0f);
    EXPECT_EQ(plane->color, UColor(255, 0, 0, 255));
    plane->bRemoveOffWorld = false;
    const float headings[] = {0.0f, PI / 2.0f, PI, 1.5f * PI};
    float meanX[4] = {};
    for (int h = 0; h < 4; ++h) {
        plane->position = V3(0.0f, 100.0f, 0.0f);
        plane->heading = headings[h];
        harness->step();
        int red = 0;
        float sumX = 0.0f;
        for (int dy = -24; dy <= 24; dy += 2)
            for (int dx = -24; dx <= 24; dx += 2) {
                const UColor p = scenePixel(plane->position.x + float(dx), plane->position.y + float(dy));
                if (p.r > 80 && p.g < 24 && p.b < 24) {
                    ++red;
                    sumX += float(dx);
                }
            }
        EXPECT_GT(red, 10) << "heading " << headings[h];
        meanX[h] = red ? sumX / float(red) : 0.0f;
    }
    // Flying right and flying left are mirror images.
    EXPECT_NEAR(meanX[0], -meanX[2], 2.0f);
}

} // namespace

// The lightning bolt's firing sound on SDL's disk audio driver, which writes
// every buffer the mixer fills to a file: it sounds while the bolt is held
// and the output is silent (after the mixer's high-pass has died out) once the
// released bolt has been deleted.
#include "DiskAudio.h"
#include "DiskAudioMatch.h"
#include "MatchHarness.h"
#include "audio/Mixer.h"
#include "core/Plim.h"
#include "audio/PlimAudio.h"
#include "audio/SoundChannel.h"
#include "modes/PlayerData.h"
#include "world/Cannon.h"
#include "world/weapons/Lightning.h"
#include "world/weapons/WeaponLightning.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <string>

namespace {

using namespace DiskAudio;

TEST(LightningAudio, TheBoltSoundsWhileHeldAndStopsWhenDeleted) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (xvfb-run)";
    DiskAudioMatch audio;
    MatchHarness& run = audio.run;
    const std::string& output = audio.output;
    GameController* match = audio.match;
    ASSERT_GT(audio.buffer, 0);

    // Silence first: nothing plays before the bolt.
    audio.settle();
    const long start = firstFreshByte(output);

    Cannon* cannon = new Cannon(0);
    cannon->weapon = new WeaponLightning(0);
    match->layer(GameController::LAYER_CANNONS)->addChild(cannon);
    match->playerData[0]->pVehicle.set(cannon);
    run.scheduleAction(run.frame, run.frame + 1000, cannon->keySet(), Vehicle::ACTION_FIRE);
    WeaponLightning* gun = static_cast<WeaponLightning*>(cannon->weapon);
    for (int i = 0; i < 30 && firstSound(EngineTestFolder::readFile(output), size_t(start)) < 0; ++i)
        stepAndHear(run, output);
    ASSERT_GE(firstSound(EngineTestFolder::readFile(output), size_t(start)), 0) << "the bolt made no sound";
    ASSERT_NE(gun->currentBolt.get(), nullptr);
    EXPECT_TRUE(gun->currentBolt->fireChannel->isPlaying());
    EXPECT_EQ(run.log.linesOf("sound").size(), 1u); // "lightningFire", started once and looping
    EXPECT_NE(run.log.text().find("lightningFire"), std::string::npos);

    // Let go; the bolt fades for 0.25 s and is deleted with its sound.
    run.scheduleKey(run.frame, MatchHarness::sdlKeyOf(run.app->saveData.keys[Vehicle::ACTION_FIRE][cannon->keySet()]),
                    false);
    run.step();
    EXPECT_EQ(gun->currentBolt.get(), nullptr);
    int frames = 0;
    while (MatchHarness::liveChildren(match->layer(GameController::LAYER_BEAMS)) > 0 && frames < 100) {
        run.step();
        ++frames;
    }
    ASSERT_LE(frames, 27);
    run.step(); // the layer's walk deletes the bolt
    expectSilenceAfterTheNextBuffer(run, output);
    run.finishMatch();
}

} // namespace

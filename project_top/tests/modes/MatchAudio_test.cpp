// A match on SDL's disk audio driver, which writes every buffer the mixer
// fills to a file: once the match has ended, every buffer filled after that is
// silence (after the mixer's high-pass has died out, under hearing); and the
// effects that pile up in a fight stay under full scale.
#include "DiskAudio.h"
#include "MatchHarness.h"
#include "audio/Mixer.h"
#include "core/Plim.h"
#include "audio/PlimAudio.h"
#include "core/ResourceManager.h"
#include "ScriptedController.h"
#include "audio/Sound.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <string>

namespace {

using namespace DiskAudio;

TEST(MatchAudio, TheOutputIsSilentFromTheFirstBufferAfterTheEnd) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (xvfb-run)";
    MatchSettings settings;
    settings.audioDriver = "disk";
    MatchHarness run(settings);
    const std::string output = run.folder.root + "/audio.raw";
    run.app->saveData.bInGameMusic = 1;
    GameController* match = run.start([] { return new ScriptedController(2); });
    ASSERT_NE(PLIM->audio->currentMusic, nullptr);
    const long buffer = long(PLIM->audio->mixer->spec.size);
    ASSERT_GT(buffer, 0);

    // Frames with music and a few sounds until the output is audible.
    for (int i = 0; i < 300 && firstSound(EngineTestFolder::readFile(output), 0, size_t(-1)) < 0; ++i) {
        if (i % 20 == 0) static_cast<Sound*>(PLIM->resourceManager->find("explosionLong", true))->playRandomPitch();
        stepAndHear(run, output);
    }
    ASSERT_GE(firstSound(EngineTestFolder::readFile(output), 0, size_t(-1)), 0) << "no sound came out";
    static_cast<Sound*>(PLIM->resourceManager->find("explosionLong", true))->playRandomPitch();

    match->endGame();
    expectSilenceAfterTheNextBuffer(run, output);
}

// The loudest blasts one after another (a plane, a firework, a missile, the
// zeppelin's end) over the in-game music at the default volumes, mixed
// in real time: no sample reaches full scale.
TEST(MatchAudio, BlastsOverTheMusicStayUnderFullScale) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (xvfb-run)";
    MatchSettings settings;
    settings.audioDriver = "disk";
    settings.diskAudioDelayMs = REAL_TIME_DELAY_MS;
    MatchHarness run(settings);
    run.app->saveData.bInGameMusic = 1;
    run.start([] { return new GameController(); });
    ASSERT_NE(PLIM->audio->currentMusic, nullptr);
    const auto play = [](const char* name) {
        static_cast<Sound*>(PLIM->resourceManager->find(name, true))->playAt(V3(0.0f, 50.0f, 0.0f));
    };
    int frame = 0;
    const Clipping c = pacedByTheOutput(run, 5.0, [&] {
        if (frame == 30) play("explosionShort");
        if (frame == 150) play("fireworkBang");
        if (frame == 270) play("missileHit");
        if (frame == 390) play("explosionLong");
        ++frame;
        return true;
    });
    ASSERT_GT(c.samples, 44100L * 4);
    EXPECT_LE(c.share(), 0.0001) << c.clipped << " of " << c.samples << " samples at full scale";
}

} // namespace

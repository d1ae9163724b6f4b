// The bomber's engine on SDL's disk audio driver, which writes every buffer
// the mixer fills to a file: the engine loops for as long as the bomber lives
// (longer than the sample) and the output is silent (after the mixer's
// high-pass has died out) once it is deleted.
#include "DiskAudio.h"
#include "DiskAudioMatch.h"
#include "EngineTestFolder.h"
#include "MatchHarness.h"
#include "audio/Mixer.h"
#include "audio/MixerOGGstatic.h"
#include "core/Plim.h"
#include "audio/PlimAudio.h"
#include "audio/Sound.h"
#include "audio/SoundChannel.h"
#include "world/World.h"
#include "world/enemies/Bomber.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <string>
#include <unistd.h>

namespace {

using namespace DiskAudio;

TEST(BomberAudio, TheEngineLoopsWhileTheBomberLivesAndStopsWhenItIsDeleted) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (xvfb-run)";
    DiskAudioMatch audio;
    MatchHarness& run = audio.run;
    const std::string& output = audio.output;
    const long buffer = audio.buffer;
    ASSERT_GT(buffer, 0);
    audio.settle();

    Bomber* bomber = new Bomber();
    audio.match->layer(GameController::LAYER_ENEMIES)->addChild(bomber);
    bomber->onSpawn();
    bomber->velocity.x = 0.0f; // stays in view
    for (int i = 0; i < 400 && !bomber->engineChannel->isPlaying(); ++i) run.step();
    ASSERT_TRUE(bomber->engineChannel->isPlaying());
    const long started = firstFreshByte(output);

    // Well past the sample's own length the engine still sounds: restarted
    // each time it ends. Bytes per second: rate x channels x 2.
    const SDL_AudioSpec& spec = PLIM->audio->mixer->spec;
    const long perSecond = long(spec.freq) * spec.channels * 2;
    Sound* engine = World::sound("bomberEngine");
    ASSERT_NE(engine->source, nullptr);
    const double sampleSeconds = double(engine->source->totalFrames) / double(engine->source->frequency);
    ASSERT_GT(sampleSeconds, 0.0);
    const long span = long((2.0 * sampleSeconds + 0.5) * double(perSecond));
    const long reached = waitForOutput(run, output, started, span / buffer + 4);
    const std::string bytes = EngineTestFolder::readFile(output);
    ASSERT_GE(reached, started + span);
    // Each half second of the output after the sample's end has sound in it.
    for (long at = started + long(sampleSeconds * double(perSecond)); at + perSecond / 2 <= reached;
         at += perSecond / 2)
        EXPECT_GE(firstSound(bytes, size_t(at), size_t(at + perSecond / 2)), 0) << "silent at byte " << at;

    // Deleted with its layer's next walk: silence after at most one buffer.
    bomber->bDestroyPending = true;
    run.step();
    expectSilenceAfterTheNextBuffer(run, output);
    run.finishMatch();
}

} // namespace

// The audio device on SDL's disk driver: settings, log lines, buffer sizes,
// mute, pausing on the mode steps, the current music, and the bytes the mixer
// really wrote for a full-scale effect.
#include "AudioTestEngine.h"
#include "EngineTestFolder.h"
#include "LogText.h"
#include "core/Logger.h"
#include "files/MemoryIniFile.h"
#include "audio/Mixer.h"
#include "OggFixture.h"
#include "core/Plim.h"
#include "audio/PlimAudio.h"
#include "audio/Sound.h"
#include "audio/SoundChannel.h"
#include "audio/SoundStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

class PlimAudioTest : public ::testing::Test {
protected:
    void start(const std::string& settings = std::string()) {
        folder.writeUserSettings(settings);
        engine.reset(new AudioTestEngine(folder));
        audio = PLIM->audio;
    }
    LogText log() {
        PLIM->log->saveCrashLog();
        return LogText(EngineTestFolder::readFile(folder.logPath()));
    }

    EngineTestFolder folder;
    std::unique_ptr<AudioTestEngine> engine;
    PlimAudio* audio = nullptr;
};

TEST_F(PlimAudioTest, DefaultsAreWrittenAndTheSpecsLogged) {
    start();
    MemoryIniFile* cfg = PLIM->config;
    EXPECT_EQ(cfg->getString("PlimAudio", "bMute"), "No");
    EXPECT_EQ(cfg->getString("PlimAudio", "frequency"), "22050");
    EXPECT_EQ(cfg->getString("PlimAudio", "mixBufferDuration"), "0.10000000");
    EXPECT_EQ(SDL_GetAudioStatus(), SDL_AUDIO_PLAYING);
    audio->frequency = 11025; // the player chose the lower quality
    engine->stopAudio();
    EXPECT_EQ(cfg->getString("PlimAudio", "frequency"), "11025");

    std::vector<std::string> expected = {"PlimAudio(): Starting...", "PlimAudio(): Desired audio spec:"};
    for (const char* size : {"0", "8192"}) {
        for (std::string line : {"\tfreq: 22050", "\tformat: AUDIO_S16LSB", "\tchannels 2", "\tsilence 0",
                                 "\tsamples 2048", "\tpadding 0"})
            expected.push_back("dumpInfo(): " + line);
        expected.push_back(std::string("dumpInfo(): \tsize ") + size);
        if (*size == '0') expected.push_back("PlimAudio(): Obtained audio spec:");
    }
    expected.push_back("Mixer(): Allocating mix buffer: 4096 samples");
    expected.push_back("PlimAudio(): Started.");
    LogText text = log();
    int at = text.find(expected[0]);
    ASSERT_GE(at, 0);
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(text.lines[at + i], expected[i]);
}

TEST_F(PlimAudioTest, BufferLengthsRoundDownToMultiplesOf256WithinRange) {
    bool clamped = true;
    EXPECT_EQ(PlimAudio::bufferFrames(22050, 0.1, &clamped), 2048);
    EXPECT_FALSE(clamped);
    EXPECT_EQ(PlimAudio::bufferFrames(22050, 0.05, &clamped), 1024);
    EXPECT_EQ(PlimAudio::bufferFrames(11025, 0.1, &clamped), 1024);
    EXPECT_EQ(PlimAudio::bufferFrames(44100, 0.1, &clamped), 4352);
    EXPECT_EQ(PlimAudio::bufferFrames(44100, 2.0, &clamped), 65280);
    EXPECT_TRUE(clamped);

    start("[PlimAudio]\nmixBufferDuration=0.001\n");
    EXPECT_EQ(audio->mixer->spec.samples, 256);
    EXPECT_GE(log().find("PlimAudio(): Mix buffer of 22 frames is out of range; using 256."), 0);
}

TEST_F(PlimAudioTest, MutedAudioOpensNothing) {
    start("[PlimAudio]\nbMute=Yes\n");
    EXPECT_EQ(audio->mixer, nullptr);
    audio->setEffectsVolume(0.5f);
    audio->tick();
    audio->onModeChange(MODE_OK, MODE_INACTIVE);
    audio->stopAll();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    LogText text = log();
    int at = text.find("PlimAudio(): Starting...");
    ASSERT_GE(at, 0);
    EXPECT_EQ(text.lines[at + 1], "PlimAudio(): Sound has been muted.");
    EXPECT_EQ(text.lines[at + 2], "PlimAudio(): Started.");
}

// A driver that is not there: the run goes on as muted (what it says is
// checked on the whole game) and leaves the player's setting alone.
TEST_F(PlimAudioTest, WithoutADeviceItRunsMuted) {
    OggFixture::writeSine(folder.root + "/fx.ogg", 1, 4410, 22050);
    folder.writeUserSettings();
    engine.reset(new AudioTestEngine(folder, false));
    setenv("SDL_AUDIODRIVER", "nosuchdriver", 1);
    engine->startAudio();
    EXPECT_TRUE(PlimAudio::isMuted() && !PLIM->audio->mixer && !SDL_WasInit(SDL_INIT_AUDIO));
    Sound sound("fx.ogg", false, 2);
    SoundChannel channel(&sound);
    channel.play();
    EXPECT_FALSE(channel.isPlaying());
    engine->stopAudio();
    EXPECT_EQ(PLIM->config->getString("PlimAudio", "bMute"), "No");
}

TEST_F(PlimAudioTest, OnlyTheStepsBetweenRunningAndInactivePauseAndResume) {
    start();
    audio->onModeChange(MODE_OK, MODE_INACTIVE);
    EXPECT_EQ(SDL_GetAudioStatus(), SDL_AUDIO_PAUSED);
    audio->onModeChange(MODE_INACTIVE, MODE_RESTORE);
    audio->onModeChange(MODE_RESTORE, MODE_INACTIVE);
    EXPECT_EQ(SDL_GetAudioStatus(), SDL_AUDIO_PAUSED);
    audio->onModeChange(MODE_INACTIVE, MODE_OK);
    EXPECT_EQ(SDL_GetAudioStatus(), SDL_AUDIO_PLAYING);
}

// The limiter holds a full-scale effect at its threshold, a little under the
// clamp's full scale.
TEST_F(PlimAudioTest, AFullScaleEffectReachesTheDeviceAtTheLimitersPeakValues) {
    EngineTestFolder::writeFile(folder.root + "/square.ogg",
                                OggFixture::encode(OggFixture::square(2, 6615, 22050, 210.0f, 1.0f), 2, 22050));
    start();
    ASSERT_TRUE(engine->waitForOutput(8192)); // the device runs
    Sound sound("square.ogg", false, 2);
    SoundChannel voice(&sound);
    voice.setPan(1.0f, 0.0); // right only
    voice.play();
    for (int i = 0; i < 5000 && voice.isPlaying(); ++i) SDL_Delay(1);
    EXPECT_FALSE(voice.isPlaying());
    audio->tick();
    EXPECT_EQ(audio->mixer->getNumChildren(), 0u);
    engine->stopAudio();

    std::vector<int16_t> out = engine->output16();
    int16_t lowR = 0, highR = 0, peakL = 0;
    int peaks = 0;
    for (size_t i = 0; i + 1 < out.size(); i += 2) {
        peakL = std::max<int16_t>(peakL, std::abs(out[i]));
        lowR = std::min(lowR, out[i + 1]);
        highR = std::max(highR, out[i + 1]);
        peaks += std::abs(out[i + 1]) > 29484; // 0.9 of full scale
    }
    EXPECT_EQ(highR, 31647); // 0.966051 x 32760
    EXPECT_EQ(lowR, -31647);
    EXPECT_GT(peaks, 1000);
    EXPECT_EQ(peakL, 0);
}

TEST_F(PlimAudioTest, CurrentMusicSwitchesFadesAndStops) {
    EngineTestFolder::writeFile(folder.root + "/a.ogg",
                                OggFixture::encode(OggFixture::sine(2, 44100, 22050, 300.0f, 0.5f), 2, 22050));
    start();
    engine->detachDevice(); // mixed by hand from here on
    SoundStream a("a.ogg", true), b("a.ogg", true);
    auto mixSeconds = [&](double seconds) {
        std::vector<uint8_t> stream(audio->mixer->spec.size);
        for (double t = 0; t < seconds; t += 2048.0 / 22050) audio->mixer->mix(stream.data(), int(stream.size()));
    };

    audio->playMusic(&a);
    int first = a.channelId;
    audio->playMusic(&a);
    EXPECT_EQ(a.channelId, first);
    a.stop(); // still current: not started again
    audio->playMusic(&a);
    EXPECT_FALSE(a.isPlaying());
    audio->stopMusic();
    audio->playMusic(&a);
    EXPECT_TRUE(a.isPlaying());
    audio->playMusic(&b);
    EXPECT_FALSE(a.isPlaying());
    EXPECT_TRUE(b.isPlaying());

    audio->fadeMusic(0.5f, 1.0);
    EXPECT_EQ(audio->currentMusic, &b);
    audio->fadeMusic(0.0f, 2.0); // forgotten at once, ended by the mixer
    EXPECT_EQ(audio->currentMusic, nullptr);
    mixSeconds(1.9);
    EXPECT_TRUE(b.isPlaying());
    mixSeconds(0.2);
    EXPECT_FALSE(b.isPlaying());

    audio->playMusic(&a);
    audio->fadeMusic(0.0f, 0.0); // silent but alive
    mixSeconds(0.5);
    EXPECT_TRUE(a.isPlaying());
    audio->setMusicVolume(0.75f);
    EXPECT_FLOAT_EQ(audio->mixer->musicVolume.load(), 0.75f);
    audio->playMusic(&b);
    audio->stopAll();
    EXPECT_EQ(audio->currentMusic, nullptr);
    EXPECT_EQ(audio->mixer->getNumChildren(), 0u);
}

} // namespace

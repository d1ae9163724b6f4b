// The audio device on SDL's disk driver: settings, log lines, buffer sizes,
// mute, pausing on the engine's mode steps, the current music, and the bytes
// the mixer really wrote for a full-scale effect.
#include "AudioTestEngine.h"
#include "EngineTestFolder.h"
#include "LogText.h"
#include "Logger.h"
#include "MemoryIniFile.h"
#include "Mixer.h"
#include "MixerChannel.h"
#include "OggFixture.h"
#include "Plim.h"
#include "PlimAudio.h"
#include "Sound.h"
#include "SoundChannel.h"
#include "SoundStream.h"

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
    // Mixes seconds of audio by hand (the device must be detached).
    void mixSeconds(double seconds) {
        Mixer* m = audio->mixer;
        std::vector<uint8_t> stream(m->spec.size);
        for (double t = 0; t < seconds; t += m->spec.samples * m->secondsPerFrame)
            m->mix(stream.data(), int(stream.size()));
    }

    EngineTestFolder folder;
    std::unique_ptr<AudioTestEngine> engine;
    PlimAudio* audio = nullptr;
};

TEST_F(PlimAudioTest, MissingKeysAreWrittenWithDefaultsAndTheRateIsSavedBack) {
    start();
    MemoryIniFile* cfg = PLIM->config;
    EXPECT_EQ(cfg->getString("PlimAudio", "bMute"), "No");
    EXPECT_EQ(cfg->getString("PlimAudio", "frequency"), "22050");
    EXPECT_EQ(cfg->getString("PlimAudio", "mixBufferDuration"), "0.10000000");
    EXPECT_EQ(audio->frequency, 22050);
    EXPECT_FALSE(audio->bMute);
    audio->frequency = 11025; // the player chose the lower quality
    engine->stopAudio();
    EXPECT_EQ(cfg->getString("PlimAudio", "frequency"), "11025");
}

TEST_F(PlimAudioTest, StartUpLogsTheDesiredAndObtainedSpecs) {
    start();
    LogText text = log();
    const char* const lines[] = {
        "PlimAudio(): Starting...",
        "PlimAudio(): Desired audio spec:",
        "dumpInfo(): \tfreq: 22050",
        "dumpInfo(): \tformat: AUDIO_S16LSB",
        "dumpInfo(): \tchannels 2",
        "dumpInfo(): \tsilence 0",
        "dumpInfo(): \tsamples 2048",
        "dumpInfo(): \tpadding 0",
        "dumpInfo(): \tsize 0",
        "PlimAudio(): Obtained audio spec:",
        "dumpInfo(): \tfreq: 22050",
        "dumpInfo(): \tformat: AUDIO_S16LSB",
        "dumpInfo(): \tchannels 2",
        "dumpInfo(): \tsilence 0",
        "dumpInfo(): \tsamples 2048",
        "dumpInfo(): \tpadding 0",
        "dumpInfo(): \tsize 8192",
        "Mixer(): Allocating mix buffer: 4096 samples",
        "PlimAudio(): Started.",
    };
    int at = text.find(lines[0]);
    ASSERT_GE(at, 0);
    for (const char* line : lines) {
        EXPECT_EQ(text.lines[at], line);
        ++at;
    }
}

TEST_F(PlimAudioTest, BufferLengthsRoundDownToMultiplesOf256AndStayInRange) {
    bool clamped = true;
    EXPECT_EQ(PlimAudio::bufferFrames(22050, 0.1, &clamped), 2048);
    EXPECT_FALSE(clamped);
    EXPECT_EQ(PlimAudio::bufferFrames(22050, 0.05, &clamped), 1024);
    EXPECT_EQ(PlimAudio::bufferFrames(11025, 0.1, &clamped), 1024);
    EXPECT_EQ(PlimAudio::bufferFrames(44100, 0.1, &clamped), 4352);
    EXPECT_EQ(PlimAudio::bufferFrames(44100, 1.4860, &clamped), 65280);
    EXPECT_FALSE(clamped);
    EXPECT_EQ(PlimAudio::bufferFrames(2000, 0.1, &clamped), 256);
    EXPECT_TRUE(clamped);
    EXPECT_EQ(PlimAudio::bufferFrames(44100, 2.0, &clamped), 65280);
    EXPECT_TRUE(clamped);
    EXPECT_EQ(PlimAudio::bufferFrames(22050, -1.0, &clamped), 256);

    start("[PlimAudio]\nmixBufferDuration=0.001\n");
    EXPECT_EQ(audio->mixer->spec.samples, 256);
    EXPECT_GE(log().find("PlimAudio(): Mix buffer of 22 frames is out of range; using 256."), 0);
}

TEST_F(PlimAudioTest, MutedAudioOpensNothingAndIgnoresEveryCall) {
    start("[PlimAudio]\nbMute=Yes\n");
    EXPECT_TRUE(audio->bMute);
    EXPECT_EQ(audio->mixer, nullptr);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    audio->setEffectsVolume(0.5f);
    audio->setMusicVolume(0.5f);
    audio->tick();
    audio->onModeChange(MODE_OK, MODE_INACTIVE);
    audio->onModeChange(MODE_INACTIVE, MODE_OK);
    audio->stopAll();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    LogText text = log();
    int at = text.find("PlimAudio(): Starting...");
    ASSERT_GE(at, 0);
    EXPECT_EQ(text.lines[at + 1], "PlimAudio(): Sound has been muted.");
    EXPECT_EQ(text.lines[at + 2], "PlimAudio(): Started.");
}

TEST_F(PlimAudioTest, OnlyTheStepsBetweenRunningAndInactivePauseAndResume) {
    start();
    EXPECT_EQ(SDL_GetAudioStatus(), SDL_AUDIO_PLAYING);
    audio->onModeChange(MODE_OK, MODE_INACTIVE);
    EXPECT_EQ(SDL_GetAudioStatus(), SDL_AUDIO_PAUSED);
    audio->onModeChange(MODE_INACTIVE, MODE_RESTORE);
    audio->onModeChange(MODE_RESTORE, MODE_INACTIVE);
    EXPECT_EQ(SDL_GetAudioStatus(), SDL_AUDIO_PAUSED);
    audio->onModeChange(MODE_INACTIVE, MODE_OK);
    EXPECT_EQ(SDL_GetAudioStatus(), SDL_AUDIO_PLAYING);
    // Paused for good at shutdown.
    delete PLIM->audio;
    PLIM->audio = nullptr;
    EXPECT_EQ(SDL_GetAudioStatus(), SDL_AUDIO_PAUSED);
}

TEST_F(PlimAudioTest, AFullScaleEffectReachesTheDeviceAtThePeakValues) {
    EngineTestFolder::writeFile(folder.root + "/square.ogg",
                                OggFixture::encode(OggFixture::square(2, 6615, 22050, 210.0f, 1.0f), 2, 22050));
    start();
    // The device is already writing silence; the effect follows it.
    ASSERT_TRUE(engine->waitForOutput(8192));
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
    ASSERT_GE(out.size(), 2u * 6615);
    int16_t lowR = 0, highR = 0, lowL = 0, highL = 0;
    int peaks = 0;
    for (size_t i = 0; i + 1 < out.size(); i += 2) {
        lowL = std::min(lowL, out[i]);
        highL = std::max(highL, out[i]);
        lowR = std::min(lowR, out[i + 1]);
        highR = std::max(highR, out[i + 1]);
        peaks += out[i + 1] == 32760 || out[i + 1] == -32760;
    }
    EXPECT_EQ(highR, 32760);
    EXPECT_EQ(lowR, -32760);
    EXPECT_GT(peaks, 1000);
    EXPECT_EQ(lowL, 0);
    EXPECT_EQ(highL, 0);
}

class MusicTest : public PlimAudioTest {
protected:
    void SetUp() override {
        EngineTestFolder::writeFile(folder.root + "/a.ogg",
                                    OggFixture::encode(OggFixture::sine(2, 44100, 22050, 300.0f, 0.5f), 2, 22050));
        EngineTestFolder::writeFile(folder.root + "/b.ogg",
                                    OggFixture::encode(OggFixture::sine(1, 22050, 22050, 200.0f, 0.5f), 1, 22050));
        start();
        engine->detachDevice();
        a.reset(new SoundStream("a.ogg", true));
        b.reset(new SoundStream("b.ogg", true));
    }
    void TearDown() override {
        a.reset();
        b.reset();
    }
    std::unique_ptr<SoundStream> a, b;
};

TEST_F(MusicTest, PlayMusicStartsOnlyWhatIsNotAlreadyCurrent) {
    audio->playMusic(a.get());
    EXPECT_EQ(audio->currentMusic, a.get());
    EXPECT_TRUE(a->isPlaying());
    int first = a->channelId;
    audio->playMusic(a.get());
    EXPECT_EQ(a->channelId, first);
    // Stopped through the stream: still current, so not started again.
    a->stop();
    audio->playMusic(a.get());
    EXPECT_FALSE(a->isPlaying());
    audio->stopMusic();
    EXPECT_EQ(audio->currentMusic, nullptr);
    audio->playMusic(a.get());
    EXPECT_TRUE(a->isPlaying());

    audio->playMusic(b.get());
    EXPECT_FALSE(a->isPlaying());
    EXPECT_TRUE(b->isPlaying());
    audio->playMusic(nullptr);
    EXPECT_FALSE(b->isPlaying());
    EXPECT_EQ(audio->currentMusic, nullptr);

    audio->playMusic(a.get());
    audio->stopAll();
    EXPECT_EQ(audio->currentMusic, nullptr);
    EXPECT_EQ(audio->mixer->getNumChildren(), 0u);
    audio->playMusic(a.get());
    EXPECT_TRUE(a->isPlaying());
}

TEST_F(MusicTest, FadingToSilenceForgetsTheMusicAndEndsItsVoiceLater) {
    audio->playMusic(a.get());
    audio->fadeMusic(0.5f, 1.0);
    EXPECT_EQ(audio->currentMusic, a.get());
    audio->fadeMusic(0.0f, 2.0);
    EXPECT_EQ(audio->currentMusic, nullptr);
    EXPECT_TRUE(a->isPlaying());
    mixSeconds(1.9);
    EXPECT_TRUE(a->isPlaying());
    mixSeconds(0.2);
    EXPECT_FALSE(a->isPlaying());
    audio->tick();
    EXPECT_EQ(audio->mixer->getNumChildren(), 0u);

    // At once: the voice stays, silent, and play finds it playing.
    audio->playMusic(b.get());
    int id = b->channelId;
    audio->fadeMusic(0.0f, 0.0);
    EXPECT_EQ(audio->currentMusic, nullptr);
    mixSeconds(0.5);
    EXPECT_TRUE(b->isPlaying());
    EXPECT_FLOAT_EQ(audio->mixer->mixBuffer[0], 0.0f);
    b->play();
    EXPECT_EQ(b->channelId, id);
}

TEST_F(MusicTest, MasterVolumesReachTheMixer) {
    audio->setEffectsVolume(0.25f);
    audio->setMusicVolume(0.75f);
    EXPECT_FLOAT_EQ(audio->mixer->effectsVolume.load(), 0.25f);
    EXPECT_FLOAT_EQ(audio->mixer->musicVolume.load(), 0.75f);
}

} // namespace

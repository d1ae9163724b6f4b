// Sounds, sound channels and music streams over a mixer whose device has been
// closed, so the tests mix by hand and see every voice as it is. The engine
// clock runs on a tick source the tests move.
#include "AudioTestEngine.h"
#include "EngineTestFolder.h"
#include "LogText.h"
#include "Logger.h"
#include "ManualTickSource.h"
#include "Mixer.h"
#include "MixerChannel.h"
#include "MixerOGGstatic.h"
#include "MixerOGGstream.h"
#include "OggFixture.h"
#include "Plim.h"
#include "PlimAudio.h"
#include "Sound.h"
#include "SoundChannel.h"
#include "SoundStream.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        OggFixture::writeSine(folder.root + "/fx.ogg", 1, 4410, 22050);
        OggFixture::writeSine(folder.root + "/music.ogg", 2, 22050, 22050);
    }
    void start(const std::string& settings = std::string()) {
        folder.writeUserSettings(settings);
        engine.reset(new AudioTestEngine(folder));
        engine->detachDevice();
        mixer = PLIM->audio->mixer;
    }
    MixerChannel* newest() { return static_cast<MixerChannel*>(mixer->lastChild); }
    void mix() {
        std::vector<uint8_t> stream(mixer->spec.size);
        mixer->mix(stream.data(), int(stream.size()));
    }
    std::string log() {
        PLIM->log->saveCrashLog();
        return EngineTestFolder::readFile(folder.logPath());
    }

    EngineTestFolder folder;
    ManualTickSource ticks{100000};
    std::unique_ptr<AudioTestEngine> engine;
    Mixer* mixer = nullptr;
};

TEST_F(SoundTest, SemitonesUseAStepOf10595) {
    EXPECT_EQ(Sound::semitoneFactor(0), 1.0f);
    EXPECT_EQ(Sound::semitoneFactor(1), 1.0595f);
    EXPECT_FLOAT_EQ(Sound::semitoneFactor(2), 1.1225402f);
    EXPECT_FLOAT_EQ(Sound::semitoneFactor(12), 2.0008361f);
    EXPECT_FLOAT_EQ(Sound::semitoneFactor(-1), 0.94384146f);
    EXPECT_FLOAT_EQ(Sound::semitoneFactor(-12), 0.49979106f);

    start();
    Sound sound("fx.ogg", false, 4);
    sound.playSemitones(12);
    EXPECT_FLOAT_EQ(newest()->frequency, 2.0008361f * 22050);
    EXPECT_TRUE(newest()->bStarted);
}

TEST_F(SoundTest, FrequenciesAreFactorsUpTo100AndHertzAbove) {
    start();
    Sound sound("fx.ogg", false, 4);
    SoundChannel channel(&sound);
    MixerChannel* voice = mixer->findChannel(channel.channelId);
    channel.setFrequency(100.0f, 0.0);
    EXPECT_FLOAT_EQ(voice->frequency, 100.0f * 22050);
    channel.setFrequency(100.5f, 0.0);
    EXPECT_FLOAT_EQ(voice->frequency, 100.5f);
    channel.setFrequency(-0.5f, 0.0);
    EXPECT_FLOAT_EQ(voice->frequency, 0.0f);
    sound.play(2.0f);
    EXPECT_FLOAT_EQ(newest()->frequency, 44100.0f);
}

TEST_F(SoundTest, PanFollowsTheHorizontalPosition) {
    EXPECT_EQ(SoundChannel::panFromX(-320.0f, 640), -1.0f);
    EXPECT_EQ(SoundChannel::panFromX(-1000.0f, 640), -1.0f);
    EXPECT_EQ(SoundChannel::panFromX(0.0f, 640), 0.0f);
    EXPECT_EQ(SoundChannel::panFromX(160.0f, 640), 0.5f);
    EXPECT_EQ(SoundChannel::panFromX(320.0f, 640), 1.0f);
    EXPECT_EQ(SoundChannel::panFromX(5000.0f, 640), 1.0f);

    start();
    Sound sound("fx.ogg", false, 4);
    sound.playAt(V3(160.0f, 99.0f, 0.0f));
    EXPECT_FLOAT_EQ(newest()->pan, 500.0f);
    // No pitch range: the sound's own rate.
    EXPECT_FLOAT_EQ(newest()->frequency, 22050.0f);
    sound.playRandomPitch();
    EXPECT_FLOAT_EQ(newest()->frequency, 22050.0f);
    sound.pitchMax = 0.5f;
    for (int i = 0; i < 20; ++i) {
        sound.playRandomPitch();
        EXPECT_GE(newest()->frequency, 22050.0f);
        EXPECT_LT(newest()->frequency, 1.5f * 22050);
    }
}

TEST_F(SoundTest, StartsTooSoonAfterTheLastAreDropped) {
    start();
    Sound sound("fx.ogg", false, 2);
    sound.minPlayInterval = 0.025;
    sound.playRandomPitch();
    double first = sound.lastPlayTime;
    EXPECT_GT(first, 0.0);
    EXPECT_EQ(mixer->getNumChildren(), 1u);
    ticks.advance(10);
    sound.playRandomPitch(); // created, then dropped at once
    EXPECT_EQ(mixer->getNumChildren(), 1u);
    EXPECT_EQ(sound.lastPlayTime, first);
    EXPECT_EQ(mixer->nextChannelId, 2);

    // With two voices alive, a start too soon still evicts the oldest.
    ticks.advance(30);
    sound.playRandomPitch();
    EXPECT_EQ(mixer->getNumChildren(), 2u);
    sound.playRandomPitch();
    EXPECT_EQ(mixer->getNumChildren(), 1u);
}

TEST_F(SoundTest, TheFirstStartIsDroppedWhileTheClockIsBelowTheInterval) {
    ticks.now = 0; // the clock reads 0.020 s after measuring its sleeps
    start();
    Sound sound("fx.ogg", false, 2);
    sound.minPlayInterval = 0.025;
    sound.playRandomPitch();
    EXPECT_EQ(mixer->getNumChildren(), 0u);
    EXPECT_EQ(sound.lastPlayTime, 0.0);
}

TEST_F(SoundTest, HandlesLeaveTheirVoicesAndSoundsStopThem) {
    start();
    Sound* sound = new Sound("fx.ogg", true, 2);
    SoundChannel* handle = new SoundChannel(sound);
    int id = handle->channelId;
    handle->play();
    delete handle;
    EXPECT_TRUE(mixer->isPlaying(id));
    mix();
    EXPECT_NE(mixer->mixBuffer[2 * 100], 0.0f);

    SoundChannel stopped(sound);
    stopped.play();
    stopped.stop();
    EXPECT_FALSE(stopped.isPlaying());
    stopped.setVolume(0.5f, 0.0); // addresses nothing now
    EXPECT_EQ(mixer->getNumChildren(), 1u);

    // Deleting the sound stops its voices before the samples go.
    delete sound;
    EXPECT_EQ(mixer->getNumChildren(), 0u);
    mix();
    EXPECT_EQ(mixer->mixBuffer[2 * 100], 0.0f);
}

TEST_F(SoundTest, LoadingLogsTheFile) {
    start();
    Sound sound("fx.ogg", false, 2);
    SoundStream stream("music.ogg", true);
    LogText text(log());
    EXPECT_EQ(text.count("Sound(): Loading sound file 'fx.ogg'."), 1);
    EXPECT_EQ(text.count("SoundStream(): Creating stream for 'music.ogg'."), 1);
    EXPECT_EQ(text.count("MixerOGG(): \t22050 Hz, mono."), 1);
    EXPECT_EQ(text.count("MixerOGG(): \t22050 Hz, stereo."), 1);
}

TEST_F(SoundTest, MutedSoundsReadNothingAndPlayNothing) {
    start("[PlimAudio]\nbMute=Yes\n");
    Sound sound("missing.ogg", false, 2); // never opened
    EXPECT_EQ(sound.source, nullptr);
    SoundChannel channel(&sound);
    EXPECT_EQ(channel.channelId, -1);
    channel.play();
    channel.setFrequency(2.0f, 0.0);
    EXPECT_FALSE(channel.isPlaying());
    sound.playAt(V3());
    // A stream still reads its file.
    SoundStream stream("music.ogg", true);
    EXPECT_GT(stream.file.size, 0);
    EXPECT_EQ(stream.source, nullptr);
    stream.play();
    EXPECT_FALSE(stream.isPlaying());
    std::string text = log();
    EXPECT_EQ(text.find("Loading sound file"), std::string::npos);
    EXPECT_EQ(text.find("Creating stream"), std::string::npos);

    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            EngineTestFolder::routeStdoutToStderr();
            SoundChannel none(nullptr);
        },
        ::testing::ExitedWithCode(255), "Statement: pSound!=NULL");
}

TEST_F(SoundTest, StreamsKeepOneVoiceAndRestartFromTheTop) {
    start();
    SoundStream* stream = new SoundStream("music.ogg", true);
    stream->play();
    int id = stream->channelId;
    stream->play();
    EXPECT_EQ(stream->channelId, id);
    EXPECT_EQ(mixer->getNumChildren(), 1u);
    EXPECT_TRUE(newest()->bMusic);
    mix();
    std::vector<float> opening(mixer->mixBuffer, mixer->mixBuffer + 512);
    mix();

    stream->stop();
    EXPECT_EQ(stream->channelId, id); // kept, addressing nothing
    stream->play();
    EXPECT_NE(stream->channelId, id);
    mix();
    EXPECT_EQ(std::vector<float>(mixer->mixBuffer, mixer->mixBuffer + 512), opening);

    delete stream; // stops its voice first
    EXPECT_EQ(mixer->getNumChildren(), 0u);
}

} // namespace

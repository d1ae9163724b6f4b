// Sounds, sound channels and music streams over a mixer whose device is
// closed, so every voice can be inspected; the engine clock runs on a tick
// source the tests move.
#include "AudioTestEngine.h"
#include "EngineTestFolder.h"
#include "LogText.h"
#include "core/Logger.h"
#include "ManualTickSource.h"
#include "audio/Mixer.h"
#include "audio/MixerChannel.h"
#include "OggFixture.h"
#include "core/Plim.h"
#include "audio/PlimAudio.h"
#include "util/Random.h"
#include "audio/Sound.h"
#include "audio/SoundChannel.h"
#include "audio/SoundStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

class SoundTest : public ::testing::Test {
protected:
    void start(const std::string& settings = std::string()) {
        OggFixture::writeSine(folder.root + "/fx.ogg", 1, 4410, 22050);
        OggFixture::writeSine(folder.root + "/music.ogg", 2, 22050, 22050);
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

TEST_F(SoundTest, PitchesAndPans) {
    const int steps[] = {0, 1, 2, 12, -1, -12};
    const float factors[] = {1.0f, 1.0595f, 1.1225402f, 2.0008361f, 0.94384146f, 0.49979106f};
    for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(Sound::semitoneFactor(steps[i]), factors[i]) << steps[i];
    const float xs[] = {-1000.0f, -320.0f, 0.0f, 160.0f, 320.0f, 5000.0f};
    const float pans[] = {-1.0f, -1.0f, 0.0f, 0.5f, 1.0f, 1.0f};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(SoundChannel::panFromX(xs[i], 640), pans[i]) << xs[i];

    start();
    Sound sound("fx.ogg", false, 8);
    sound.playSemitones(12);
    EXPECT_FLOAT_EQ(newest()->frequency, 2.0008361f * 22050);
    sound.playAt(V3(160.0f, 99.0f, 0.0f)); // no pitch range: the own rate
    EXPECT_FLOAT_EQ(newest()->pan, 500.0f);
    EXPECT_FLOAT_EQ(newest()->frequency, 22050.0f);
    EXPECT_TRUE(newest()->bStarted);
    sound.play(2.0f);
    EXPECT_FLOAT_EQ(newest()->frequency, 44100.0f);

    // Random pitches stay in their range and repeat with the program's seed.
    sound.pitchMin = -0.25f;
    sound.pitchMax = 0.5f;
    std::vector<float> first;
    Random::seed(7);
    for (int i = 0; i < 8; ++i) first.push_back(sound.randomPitch());
    Random::seed(7);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(sound.randomPitch(), first[size_t(i)]);
        EXPECT_GE(first[size_t(i)], 0.75f);
        EXPECT_LT(first[size_t(i)], 1.5f);
    }
    EXPECT_NE(first[0], first[1]);

    SoundChannel channel(&sound);
    MixerChannel* voice = newest();
    channel.setFrequency(100.0f, 0.0);
    EXPECT_FLOAT_EQ(voice->frequency, 100.0f * 22050);
    channel.setFrequency(100.5f, 0.0);
    EXPECT_FLOAT_EQ(voice->frequency, 100.5f);
    channel.setFrequency(-0.5f, 0.0);
    EXPECT_FLOAT_EQ(voice->frequency, 0.0f);
}

TEST_F(SoundTest, StartsTooSoonAfterTheLastAreDropped) {
    start();
    Sound sound("fx.ogg", false, 2);
    sound.minPlayInterval = 0.025;
    sound.playRandomPitch();
    double first = sound.lastPlayTime;
    ticks.advance(10);
    sound.playRandomPitch(); // created, then dropped
    EXPECT_EQ(mixer->getNumChildren(), 1u);
    EXPECT_EQ(sound.lastPlayTime, first);
    EXPECT_EQ(mixer->nextChannelId, 2);
    // With the limit reached, a start too soon still evicts the oldest.
    ticks.advance(30);
    sound.playRandomPitch();
    sound.playRandomPitch();
    EXPECT_EQ(mixer->getNumChildren(), 1u);

    engine.reset();
    ticks.now = 0; // the clock reads 0.020 s after measuring its sleeps
    start();
    Sound early("fx.ogg", false, 2);
    early.minPlayInterval = 0.025;
    early.playRandomPitch();
    EXPECT_EQ(mixer->getNumChildren(), 0u);
}

// What the recording hook saw of each started voice.
struct Started {
    float frequency;
    bool bPositioned;
    float x;
};
std::vector<Started> started;

TEST_F(SoundTest, TheRecordingHookHearsStartedVoicesOnly) {
    start();
    started.clear();
    SoundChannel::onStarted = [](const SoundChannel& c) { started.push_back({c.frequency, c.bPositioned, c.position.x}); };
    Sound sound("fx.ogg", false, 2);
    sound.minPlayInterval = 0.025;
    sound.playAt(V3(-100.0f, 5.0f, 0.0f));
    ticks.advance(10);
    sound.playRandomPitch(); // dropped: too soon
    ticks.advance(30);
    sound.play(1.5f);
    SoundChannel::onStarted = nullptr;
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[0].frequency, 1.0f);
    EXPECT_TRUE(started[0].bPositioned);
    EXPECT_EQ(started[0].x, -100.0f);
    EXPECT_EQ(started[1].frequency, 1.5f);
    EXPECT_FALSE(started[1].bPositioned);
}

TEST_F(SoundTest, HandlesLeaveTheirVoicesAndSoundsStopThem) {
    start();
    Sound* sound = new Sound("fx.ogg", true, 2);
    SoundChannel* handle = new SoundChannel(sound);
    int id = handle->channelId;
    handle->play();
    delete handle;
    EXPECT_TRUE(mixer->isPlaying(id));
    SoundChannel stopped(sound);
    stopped.play();
    stopped.stop();
    EXPECT_FALSE(stopped.isPlaying());
    // Deleting the sound stops its voices before its samples go.
    delete sound;
    EXPECT_EQ(mixer->getNumChildren(), 0u);
    mix();
    EXPECT_EQ(mixer->mixBuffer[200], 0.0f);
    EXPECT_EQ(LogText(log()).count("Sound(): Loading sound file 'fx.ogg'."), 1);
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
    // Each callback starts with the limiter's look-ahead of what came before.
    const float* top = mixer->mixBuffer + 2 * mixer->limiter.lookAheadFrames();
    mix();
    std::vector<float> opening(top, top + 512);
    mix();
    stream->stop();
    // Silence until the high-pass's tail is gone, so the next opening meets
    // the state the first one met.
    for (int i = 0; i < 20 && std::any_of(top, top + 512, [](float v) { return v != 0.0f; }); ++i) mix();
    stream->play();
    mix();
    EXPECT_EQ(std::vector<float>(top, top + 512), opening);
    delete stream; // stops its voice first
    EXPECT_EQ(mixer->getNumChildren(), 0u);

    LogText text(log());
    EXPECT_EQ(text.count("SoundStream(): Creating stream for 'music.ogg'."), 1);
}

TEST_F(SoundTest, MutedSoundsReadNothingAndPlayNothing) {
    start("[PlimAudio]\nbMute=Yes\n");
    Sound sound("missing.ogg", false, 2); // never opened
    SoundChannel channel(&sound);
    EXPECT_EQ(channel.channelId, -1);
    channel.play();
    EXPECT_FALSE(channel.isPlaying());
    sound.playAt(V3());
    SoundStream stream("music.ogg", true); // still read
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

} // namespace

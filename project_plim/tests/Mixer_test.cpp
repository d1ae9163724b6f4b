// The software mixer driven by hand: a mixer over a made-up device spec, real
// decoded sources whose samples the tests overwrite with known values, and
// mix() called as the audio callback would call it.
#include "AudioTestEngine.h"
#include "EngineTestFolder.h"
#include "MemoryFile.h"
#include "Mixer.h"
#include "MixerChannel.h"
#include "MixerOGGstatic.h"
#include "OggFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

SDL_AudioSpec makeSpec(Uint16 format, int channels, int frames, int freq = 22050) {
    SDL_AudioSpec spec{};
    spec.freq = freq;
    spec.format = format;
    spec.channels = Uint8(channels);
    spec.samples = Uint16(frames);
    spec.size = Uint32(frames * channels * ((format & 0xff) / 8));
    return spec;
}

class MixerTest : public ::testing::Test {
protected:
    void TearDown() override {
        delete mixer;
        for (MixerOGGstatic* s : sources) delete s;
    }

    void makeMixer(Uint16 format = AUDIO_S16LSB, int channels = 2, int frames = 256) {
        delete mixer;
        mixer = new Mixer(makeSpec(format, channels, frames));
        stream.assign(size_t(mixer->spec.size), 0);
    }

    // A decoded source of frames frames whose samples are then set to
    // value(frame, side).
    MixerOGGstatic* makeSource(int frames, bool loop, int maxPlaybacks,
                               std::function<float(int, int)> value) {
        std::string name = "fx" + std::to_string(sources.size()) + ".ogg";
        OggFixture::writeSine(folder.root + "/" + name, 1, frames, 22050);
        MemoryFile file(name.c_str());
        MixerOGGstatic* s = new MixerOGGstatic(&file, loop, maxPlaybacks);
        sources.push_back(s);
        EXPECT_EQ(s->sampleCount, 2 * frames);
        for (int i = 0; i < s->sampleCount; ++i) s->samples[i] = value(i / 2, i % 2);
        return s;
    }
    MixerOGGstatic* constant(float v, bool loop = true, int frames = 64) {
        return makeSource(frames, loop, 8, [v](int, int) { return v; });
    }
    // Frame k holds k/100 on the left and -k/100 on the right.
    MixerOGGstatic* ramp(int frames, bool loop = false) {
        return makeSource(frames, loop, 8, [](int k, int side) { return side ? -k / 100.0f : k / 100.0f; });
    }

    int start(MixerOGGstatic* s) {
        int id = mixer->play(s, false);
        mixer->startChannel(id);
        return id;
    }
    // One callback of frames frames (the whole buffer when 0).
    void callback(int frames = 0) {
        int len = frames ? frames * mixer->spec.channels * mixer->bytesPerSample : int(mixer->spec.size);
        mixer->mix(stream.data(), len);
    }
    float left(int frame) const { return mixer->mixBuffer[2 * frame]; }
    float right(int frame) const { return mixer->mixBuffer[2 * frame + 1]; }
    int16_t s16(int i) const { return int16_t(stream[2 * i] | (stream[2 * i + 1] << 8)); }

    EngineTestFolder folder;
    AudioTestEngine engine{folder, false};
    Mixer* mixer = nullptr;
    std::vector<MixerOGGstatic*> sources;
    std::vector<uint8_t> stream;
};

TEST_F(MixerTest, PanAttenuatesOnlyTheFarSide) {
    makeMixer();
    int id = start(constant(0.5f));
    callback(4);
    EXPECT_FLOAT_EQ(left(0), 0.5f);
    EXPECT_FLOAT_EQ(right(0), 0.5f);
    mixer->setPan(id, 0.5f, 0.0);
    callback(4);
    EXPECT_FLOAT_EQ(left(0), 0.25f);
    EXPECT_FLOAT_EQ(right(0), 0.5f);
    mixer->setPan(id, -1.0f, 0.0);
    callback(4);
    EXPECT_FLOAT_EQ(left(0), 0.5f);
    EXPECT_FLOAT_EQ(right(0), 0.0f);
    mixer->setPan(id, -7.0f, 0.0); // clamped to full left
    EXPECT_FLOAT_EQ(mixer->findChannel(id)->pan, -1000.0f);
}

TEST_F(MixerTest, MasterVolumesScaleEffectsAndMusicApart) {
    makeMixer();
    MixerOGGstatic* s = constant(0.5f);
    start(s);
    int music = mixer->play(s, true);
    mixer->startChannel(music);
    mixer->effectsVolume = 0.5f;
    mixer->musicVolume = 0.0f;
    mixer->setVolume(music, 1.0f, 0.0);
    callback(4);
    EXPECT_FLOAT_EQ(left(3), 0.25f);
    mixer->musicVolume = 1.0f;
    callback(4);
    EXPECT_FLOAT_EQ(left(3), 0.75f);
}

TEST_F(MixerTest, EveryOutputFormatClampsAndScalesAsSpecified) {
    struct Case {
        Uint16 format;
        std::vector<uint8_t> full, negative, silence; // one sample each
    };
    const Case cases[] = {
        {AUDIO_S16LSB, {0xF8, 0x7F}, {0x08, 0x80}, {0x00, 0x00}},
        {AUDIO_S16MSB, {0x7F, 0xF8}, {0x80, 0x08}, {0x00, 0x00}},
        {AUDIO_U16LSB, {0xF8, 0xFF}, {0x08, 0x00}, {0x00, 0x80}},
        {AUDIO_U16MSB, {0xFF, 0xF8}, {0x00, 0x08}, {0x80, 0x00}},
        {AUDIO_U8, {253}, {3}, {128}},
        {AUDIO_S8, {125}, {uint8_t(-125)}, {0}},
    };
    MixerOGGstatic* plus = constant(1.0f);
    MixerOGGstatic* minus = constant(-0.75f);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        makeMixer(c.format, 2, 16);
        size_t bytes = c.full.size();
        // Silence first, then a sum of 2.0, then of -1.5.
        callback();
        EXPECT_EQ(std::vector<uint8_t>(stream.begin(), stream.begin() + bytes), c.silence);
        int a = start(plus), b = start(plus);
        callback();
        EXPECT_EQ(std::vector<uint8_t>(stream.begin(), stream.begin() + bytes), c.full);
        EXPECT_FLOAT_EQ(mixer->mixBuffer[0], 1.0f); // clamped in place
        mixer->stopChannel(a);
        mixer->stopChannel(b);
        start(minus);
        start(minus);
        callback();
        EXPECT_EQ(std::vector<uint8_t>(stream.begin() + bytes, stream.begin() + 2 * bytes), c.negative);
    }
    // Any other format writes nothing.
    makeMixer(AUDIO_S16LSB, 2, 16);
    mixer->spec.format = 0x1234;
    std::fill(stream.begin(), stream.end(), 0xAB);
    start(plus);
    callback();
    EXPECT_EQ(stream[0], 0xAB);
}

TEST_F(MixerTest, VoiceIdsRiseAndAreNeverReused) {
    makeMixer();
    MixerOGGstatic* s = constant(0.1f);
    EXPECT_EQ(mixer->play(s, false), 0);
    EXPECT_EQ(mixer->play(s, false), 1);
    mixer->stopChannel(1);
    EXPECT_EQ(mixer->play(s, false), 2);
    EXPECT_EQ(mixer->findChannel(1), nullptr);
    EXPECT_EQ(mixer->findChannel(-1), nullptr);
    EXPECT_NE(mixer->findChannel(2), nullptr);
    mixer->stopChannel(-1); // ignored
    mixer->setVolume(99, 0.0f, 0.0);
    EXPECT_EQ(mixer->getNumChildren(), 2u);
}

TEST_F(MixerTest, MaxPlaybacksEvictsTheOldestVoice) {
    makeMixer();
    MixerOGGstatic* one = makeSource(64, true, 1, [](int, int) { return 0.1f; });
    int first = start(one);
    int second = mixer->play(one, false); // replaces the first, even unstarted
    EXPECT_EQ(mixer->findChannel(first), nullptr);
    EXPECT_NE(mixer->findChannel(second), nullptr);
    EXPECT_EQ(mixer->getNumChildren(), 1u);

    MixerOGGstatic* three = makeSource(64, true, 3, [](int, int) { return 0.1f; });
    int ids[4];
    for (int& id : ids) id = mixer->play(three, false);
    EXPECT_EQ(mixer->findChannel(ids[0]), nullptr);
    for (int i = 1; i < 4; ++i) EXPECT_NE(mixer->findChannel(ids[i]), nullptr);
    EXPECT_EQ(mixer->getNumChildren(), 4u);
}

TEST_F(MixerTest, AnUnstartedVoiceIsSilentAndKeepsItsPlace) {
    makeMixer();
    int id = mixer->play(ramp(100), false);
    mixer->setPosition(id, 0.5f);
    callback();
    EXPECT_FLOAT_EQ(left(0), 0.0f);
    EXPECT_FALSE(mixer->isPlaying(id));
    EXPECT_EQ(mixer->findChannel(id)->playCursor, 100);
    mixer->startChannel(id);
    EXPECT_TRUE(mixer->isPlaying(id));
    callback(2);
    EXPECT_FLOAT_EQ(left(0), 0.50f);
    EXPECT_FLOAT_EQ(right(1), -0.51f);
}

TEST_F(MixerTest, PlaybackRateStepsThroughTheSourceAndDropsTheFraction) {
    makeMixer();
    int id = start(ramp(100));
    mixer->setFrequency(id, 11025.0f, 0.0);
    callback(6);
    const float halfRate[] = {0.00f, 0.00f, 0.01f, 0.01f, 0.02f, 0.02f};
    for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(left(i), halfRate[i]) << i;

    // 0.6 frames per output frame: four frames reach 2.4, and the next
    // callback starts again at frame 5 (3 + 2.4, the 0.4 lost).
    mixer->setFrequency(id, 22050.0f * 0.6f, 0.0);
    callback(4);
    EXPECT_FLOAT_EQ(left(0), 0.03f);
    EXPECT_FLOAT_EQ(left(3), 0.04f);
    callback(1);
    EXPECT_FLOAT_EQ(left(0), 0.05f);
}

TEST_F(MixerTest, LoopingSoundsWrapInsideOneCallbackAndOneShotsEnd) {
    makeMixer();
    int loop = start(makeSource(5, true, 8, [](int k, int) { return (k + 1) / 10.0f; }));
    callback(12);
    const float expected[] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.1f, 0.2f};
    for (int i = 0; i < 12; ++i) EXPECT_FLOAT_EQ(left(i), expected[i]) << i;
    callback(1);
    EXPECT_FLOAT_EQ(left(0), 0.3f);
    mixer->stopChannel(loop);

    int once = start(ramp(10));
    callback(16);
    EXPECT_FLOAT_EQ(left(9), 0.09f);
    EXPECT_FLOAT_EQ(left(10), 0.0f);
    // Ended on the audio thread: no longer found, but deleted only by a purge.
    EXPECT_FALSE(mixer->isPlaying(once));
    EXPECT_EQ(mixer->findChannel(once), nullptr);
    EXPECT_EQ(mixer->getNumChildren(), 1u);
    mixer->purgeChannels();
    EXPECT_EQ(mixer->getNumChildren(), 0u);
}

TEST_F(MixerTest, VolumeRampsGlideAndAFadeToSilenceEndsTheVoice) {
    makeMixer(AUDIO_S16LSB, 2, 4096);
    MixerOGGstatic* s = constant(1.0f);
    int fade = start(s);
    mixer->setVolume(fade, 0.0f, 0.5);
    MixerChannel* ch = mixer->findChannel(fade);
    EXPECT_EQ(ch->volumeRampFrames, 11025);
    callback(); // frames 0 .. 4095
    EXPECT_NEAR(left(0), 1.0f - 1.0f / 11025, 1e-5);
    callback(); // 4096 .. 8191
    callback(); // 8192 .. 12287: the 11,025th frame ends it unmixed
    EXPECT_GT(left(11023 - 8192), 0.0f);
    EXPECT_FLOAT_EQ(left(11024 - 8192), 0.0f);
    EXPECT_FALSE(mixer->isPlaying(fade));

    int half = start(s);
    mixer->setVolume(half, 0.5f, 0.1);
    callback();
    callback();
    EXPECT_TRUE(mixer->isPlaying(half));
    EXPECT_NEAR(left(0), 0.5f, 1e-3);

    int silent = start(s);
    mixer->stopChannel(half);
    mixer->setVolume(silent, 0.0f, 0.0);
    callback();
    EXPECT_TRUE(mixer->isPlaying(silent));
    EXPECT_FLOAT_EQ(left(0), 0.0f);
}

TEST_F(MixerTest, RampLengthsShorterThanAFrameOrNegative) {
    makeMixer();
    int id = start(constant(1.0f));
    MixerChannel* ch = mixer->findChannel(id);
    mixer->setVolume(id, 0.25f, 1e-6); // under one frame: at once
    EXPECT_FLOAT_EQ(ch->volume, 250.0f);
    EXPECT_EQ(ch->volumeRampFrames, 0);
    mixer->setVolume(id, 1.0f, 1.0);
    callback(10);
    float reached = ch->volume;
    EXPECT_GT(reached, 250.0f);
    mixer->setVolume(id, 0.0f, -1.0); // stops the ramp, keeps the value
    EXPECT_FLOAT_EQ(ch->volume, reached);
    callback(10);
    EXPECT_FLOAT_EQ(ch->volume, reached);
    EXPECT_TRUE(mixer->isPlaying(id));
}

TEST_F(MixerTest, PanAndFrequencyRampsRunTogether) {
    makeMixer();
    int id = start(ramp(1000));
    mixer->setPan(id, 1.0f, 100.0 / 22050);
    mixer->setFrequency(id, 44100.0f, 100.0 / 22050);
    callback(100);
    MixerChannel* ch = mixer->findChannel(id);
    EXPECT_NEAR(ch->pan, 1000.0f, 0.01f);
    EXPECT_NEAR(ch->frequency, 44100.0f, 0.1f);
    EXPECT_EQ(ch->panRampFrames, 0);
    EXPECT_NEAR(left(99), 0.0f, 1e-6);                  // right only by now
    EXPECT_GT(ch->playCursor / 2, 140);                 // sped up on the way
}

TEST_F(MixerTest, PositionIsAFractionOfTheValidSamples) {
    makeMixer();
    int id = mixer->play(ramp(100), false);
    MixerChannel* ch = mixer->findChannel(id);
    mixer->setPosition(id, 0.25f);
    EXPECT_EQ(ch->playCursor, 50);
    mixer->setPosition(id, -0.5f); // before the start: the start
    EXPECT_EQ(ch->playCursor, 0);
    mixer->setPosition(id, 1.5f); // past the end: the next pass ends it
    mixer->startChannel(id);
    callback(4);
    EXPECT_FALSE(mixer->isPlaying(id));
}

TEST_F(MixerTest, VoicesThatCouldNeverAdvanceEnd) {
    makeMixer();
    // A looping sound without a single frame.
    MixerOGGstatic* empty = constant(0.5f);
    empty->sampleCount = 0;
    int a = start(empty);
    // A negative rate, set at once and reached through a ramp.
    int b = start(ramp(100, true));
    mixer->setFrequency(b, -100.0f, 0.0);
    int c = start(ramp(100, true));
    mixer->setFrequency(c, -22050.0f, 10.0 / 22050);
    callback(64);
    EXPECT_FALSE(mixer->isPlaying(a));
    EXPECT_FALSE(mixer->isPlaying(b));
    EXPECT_FALSE(mixer->isPlaying(c));
    mixer->purgeChannels();
    EXPECT_EQ(mixer->getNumChildren(), 0u);
}

TEST_F(MixerTest, StopSoundRemovesEveryVoiceOfThatSoundOnly) {
    makeMixer();
    MixerOGGstatic* a = constant(0.1f);
    MixerOGGstatic* b = constant(0.2f);
    mixer->stopSound(a); // none yet
    start(a);
    mixer->play(a, false);
    int kept = start(b);
    mixer->stopSound(a);
    EXPECT_EQ(mixer->getNumChildren(), 1u);
    EXPECT_TRUE(mixer->isPlaying(kept));
    for (BasicLink* l = mixer->firstChild; l; l = l->next)
        EXPECT_NE(static_cast<MixerChannel*>(l)->source, a);
}

TEST_F(MixerTest, AMonoDeviceGetsADownMixAtFullSpeed) {
    makeMixer(AUDIO_S16LSB, 1, 8);
    start(makeSource(16, false, 8, [](int k, int side) { return side ? 0.0f : k / 10.0f; }));
    callback();
    for (int i = 0; i < 8; ++i) EXPECT_EQ(s16(i), int(i / 20.0f * 32760.0)) << i;
}

TEST_F(MixerTest, ACallbackLongerThanTheMixBufferIsFatal) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    makeMixer(AUDIO_S16LSB, 2, 16);
    std::vector<uint8_t> big(16 * 4 + 4);
    EXPECT_EXIT(
        {
            EngineTestFolder::routeStdoutToStderr();
            mixer->mix(big.data(), int(big.size()));
        },
        ::testing::ExitedWithCode(255), "Statement: numSamples<=mixBufferSize");
}

} // namespace

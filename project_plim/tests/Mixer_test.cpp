// The mixer driven by hand: a made-up device spec, real decoded sources whose
// samples are overwritten with known values, and mix() called as the audio
// callback calls it. The limiter's look-ahead delays every output frame by
// lag() frames; sums under its threshold pass unchanged.
#include "AudioTestEngine.h"
#include "EngineTestFolder.h"
#include "MemoryFile.h"
#include "Mixer.h"
#include "MixerChannel.h"
#include "MixerOGGstatic.h"
#include "OggFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

class MixerTest : public ::testing::Test {
protected:
    void TearDown() override {
        delete mixer;
        for (MixerOGGstatic* s : sources) delete s;
    }
    void makeMixer(Uint16 format = AUDIO_S16LSB, int channels = 2, int frames = 256) {
        SDL_AudioSpec spec{};
        spec.freq = 22050;
        spec.format = format;
        spec.channels = Uint8(channels);
        spec.samples = Uint16(frames);
        spec.size = Uint32(frames * channels * ((format & 0xff) / 8));
        delete mixer;
        mixer = new Mixer(spec);
        stream.assign(spec.size, 0);
    }
    // A decoded source whose samples are then set to value(frame, side).
    MixerOGGstatic* source(int frames, bool loop, int maxPlaybacks, std::function<float(int, int)> value) {
        std::string name = "fx" + std::to_string(sources.size()) + ".ogg";
        // Stereo, so that both sides are stored and can differ.
        OggFixture::writeSine(folder.root + "/" + name, 2, frames, 22050);
        MemoryFile file(name.c_str());
        sources.push_back(new MixerOGGstatic(&file, loop, maxPlaybacks));
        EXPECT_EQ(sources.back()->sampleCount, 2 * frames);
        for (int i = 0; i < 2 * frames; ++i) sources.back()->samples[i] = value(i / 2, i % 2);
        return sources.back();
    }
    MixerOGGstatic* constant(float v) { return source(64, true, 8, [v](int, int) { return v; }); }
    // Frame k holds k/100 on the left, -k/100 on the right.
    MixerOGGstatic* ramp(int frames, bool loop = false) {
        return source(frames, loop, 8, [](int k, int side) { return side ? -k / 100.0f : k / 100.0f; });
    }
    int start(MixerOGGstatic* s) {
        int id = mixer->play(s, false);
        mixer->startChannel(id);
        return id;
    }
    void callback(int frames = 0) {
        mixer->mix(stream.data(), frames ? frames * mixer->spec.channels * mixer->bytesPerSample
                                         : int(stream.size()));
    }
    int lag() const { return mixer->limiter.lookAheadFrames(); }
    float left(int frame) const { return mixer->mixBuffer[2 * frame]; }
    float right(int frame) const { return mixer->mixBuffer[2 * frame + 1]; }

    EngineTestFolder folder;
    AudioTestEngine engine{folder, false};
    Mixer* mixer = nullptr;
    std::vector<MixerOGGstatic*> sources;
    std::vector<uint8_t> stream;
};

TEST_F(MixerTest, PanAttenuatesOnlyTheFarSideUnderTheMasterVolume) {
    makeMixer();
    int id = start(constant(0.5f));
    const float pans[][3] = {{0.0f, 0.5f, 0.5f}, {0.5f, 0.25f, 0.5f}, {-1.0f, 0.5f, 0.0f}};
    for (const auto& p : pans) {
        mixer->setPan(id, p[0], 0.0);
        callback(lag() + 4);
        EXPECT_FLOAT_EQ(left(lag() + 3), p[1]) << p[0];
        EXPECT_FLOAT_EQ(right(lag() + 3), p[2]) << p[0];
    }
    mixer->effectsVolume = 0.5f; // music voices would keep musicVolume
    callback(lag() + 4);
    EXPECT_FLOAT_EQ(left(lag()), 0.25f);
}

// A sum of 2.0 leaves at the limiter's threshold (0.966051), never at the
// clamp's full scale; -0.75 passes as it is.
TEST_F(MixerTest, EveryOutputFormatScalesUnderTheLimiter) {
    struct Case {
        Uint16 format;
        std::vector<uint8_t> silence, loud, negative; // one sample each
    };
    const Case cases[] = {
        {AUDIO_S16LSB, {0x00, 0x00}, {0x9F, 0x7B}, {0x06, 0xA0}}, // 0, 31647, -24570
        {AUDIO_S16MSB, {0x00, 0x00}, {0x7B, 0x9F}, {0xA0, 0x06}},
        {AUDIO_U16LSB, {0x00, 0x80}, {0x9F, 0xFB}, {0x06, 0x20}}, // 32768, 64415, 8198
        {AUDIO_U16MSB, {0x80, 0x00}, {0xFB, 0x9F}, {0x20, 0x06}},
        {AUDIO_U8, {128}, {248}, {34}},
        {AUDIO_S8, {0}, {120}, {uint8_t(-93)}},
    };
    MixerOGGstatic* plus = constant(1.0f);
    MixerOGGstatic* minus = constant(-0.75f);
    const size_t last = 63; // frame
    auto sample = [&](size_t n) {
        const size_t at = last * 2 * n;
        return std::vector<uint8_t>(stream.begin() + long(at), stream.begin() + long(at + n));
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        makeMixer(c.format, 2, 64);
        callback();
        EXPECT_EQ(sample(c.loud.size()), c.silence);
        start(plus);
        start(plus); // 2.0
        callback();
        EXPECT_EQ(sample(c.loud.size()), c.loud);
        makeMixer(c.format, 2, 64);
        start(minus);
        callback();
        EXPECT_EQ(sample(c.loud.size()), c.negative);
    }
    mixer->spec.format = 0x1234; // unknown: nothing written
    std::fill(stream.begin(), stream.end(), 0xAB);
    callback();
    EXPECT_EQ(stream[0], 0xAB);
}

TEST_F(MixerTest, IdsRiseAndTheOldestVoiceIsEvictedAtTheLimit) {
    makeMixer();
    MixerOGGstatic* one = source(64, true, 1, [](int, int) { return 0.1f; });
    EXPECT_EQ(start(one), 0);
    EXPECT_EQ(mixer->play(one, false), 1); // replaces voice 0
    EXPECT_EQ(mixer->findChannel(0), nullptr);
    EXPECT_FALSE(mixer->isPlaying(1));     // not started yet
    EXPECT_EQ(mixer->findChannel(-1), nullptr);

    MixerOGGstatic* three = source(64, true, 3, [](int, int) { return 0.1f; });
    for (int i = 0; i < 4; ++i) mixer->play(three, false); // ids 2..5
    EXPECT_EQ(mixer->findChannel(2), nullptr);
    EXPECT_NE(mixer->findChannel(3), nullptr);
    EXPECT_EQ(mixer->getNumChildren(), 4u);
    mixer->stopSound(three);
    EXPECT_EQ(mixer->getNumChildren(), 1u);
    EXPECT_EQ(mixer->play(three, false), 6);
}

TEST_F(MixerTest, LoopsWrapInsideACallbackAndOneShotsEndAtHalfRate) {
    makeMixer();
    start(source(5, true, 8, [](int k, int) { return (k + 1) / 10.0f; }));
    callback(lag() + 12);
    for (int i = 0; i < lag(); ++i) EXPECT_EQ(left(i), 0.0f) << i;
    const float expected[] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.1f, 0.2f};
    for (int i = 0; i < 12; ++i) EXPECT_FLOAT_EQ(left(lag() + i), expected[i]) << i;
    callback(1); // frame 12 of the loop, a look-ahead late
    EXPECT_FLOAT_EQ(left(0), 0.3f);

    makeMixer();
    int once = start(ramp(4));
    mixer->setFrequency(once, 11025.0f, 0.0); // each source frame twice
    callback(lag() + 10);
    const float half[] = {0.0f, 0.0f, 0.01f, 0.01f, 0.02f, 0.02f, 0.03f, 0.03f, 0.0f};
    for (int i = 0; i < 9; ++i) EXPECT_FLOAT_EQ(left(lag() + i), half[i]) << i;
    EXPECT_FALSE(mixer->isPlaying(once));  // ended on the audio thread,
    EXPECT_EQ(mixer->getNumChildren(), 1u); // deleted by the next purge
    mixer->purgeChannels();
    EXPECT_EQ(mixer->getNumChildren(), 0u);
}

TEST_F(MixerTest, AFadeBelowOneThousandthEndsTheVoice) {
    makeMixer(AUDIO_S16LSB, 2, 4096);
    MixerOGGstatic* s = constant(0.4f); // three voices stay under the limiter
    int fade = start(s), half = start(s), silent = start(s);
    mixer->setVolume(fade, 0.0f, 0.5); // 11,025 frames
    mixer->setVolume(half, 0.5f, 0.1);
    mixer->setVolume(silent, 0.0f, 0.0);
    EXPECT_EQ(mixer->findChannel(fade)->volumeRampFrames, 11025);
    callback();
    callback();
    callback(); // frame 11,024 (index 2,832 here) ends it unmixed
    const float last = left(lag() + 11023 - 8192), after = left(lag() + 11024 - 8192);
    EXPECT_GT(last - after, 1e-5f); // the fading voice's last frame
    EXPECT_NEAR(after, 0.2f, 4e-5);
    EXPECT_EQ(left(lag() + 11025 - 8192), after); // only the half-volume voice left
    EXPECT_FALSE(mixer->isPlaying(fade));
    EXPECT_TRUE(mixer->isPlaying(half));
    EXPECT_TRUE(mixer->isPlaying(silent));
}

TEST_F(MixerTest, VoicesThatCouldNeverAdvanceEndAndPositionsStayInside) {
    makeMixer();
    MixerOGGstatic* empty = constant(0.5f);
    empty->sampleCount = 0; // a looping sound without a frame
    int a = start(empty);
    int b = start(ramp(100, true));
    mixer->setFrequency(b, -100.0f, 0.0);
    int c = start(ramp(100, true));
    mixer->setFrequency(c, -22050.0f, 10.0 / 22050); // turns negative on the way
    int d = mixer->play(ramp(100), false);
    mixer->setPosition(d, 0.25f);
    EXPECT_EQ(mixer->findChannel(d)->playCursor, 50);
    mixer->setPosition(d, -0.5f);
    EXPECT_EQ(mixer->findChannel(d)->playCursor, 0);
    mixer->startChannel(d);
    callback(64);
    EXPECT_FALSE(mixer->isPlaying(a));
    EXPECT_FALSE(mixer->isPlaying(b));
    EXPECT_FALSE(mixer->isPlaying(c));
    EXPECT_EQ(mixer->findChannel(d)->playCursor, 128); // from the start
}

TEST_F(MixerTest, AMonoDeviceGetsADownMixAtFullSpeed) {
    makeMixer(AUDIO_S16LSB, 1, 64);
    start(source(64, false, 8, [](int k, int side) { return side ? 0.0f : k / 100.0f; }));
    callback();
    for (int i = 0; i < 64; ++i) {
        const int k = i - lag();
        EXPECT_EQ(int16_t(stream[2 * i] | stream[2 * i + 1] << 8), k < 0 ? 0 : int(k / 200.0f * 32760.0)) << i;
    }
}

// Six loud tones over a quiet constant voice, all panned so that the right
// side is exactly half the left: the limiter keeps every sample under full
// scale with the peaks just under it and the image unmoved; when the tones
// stop the gain glides back to exactly 1, after which voices pass bit for bit,
// a look-ahead late.
TEST_F(MixerTest, TheLimiterKeepsLoudStacksUnderFullScaleAndQuietOnesExact) {
    makeMixer(AUDIO_S16LSB, 2, 2048);
    auto tone = [this](float hertz, float amplitude) {
        // 0.1 s, a whole number of periods, so the loop is seamless.
        return source(2205, true, 8, [=](int k, int) { return amplitude * std::sin(6.2831853f * hertz * k / 22050); });
    };
    std::vector<int> voices = {start(constant(0.25f))};
    for (float hertz : {110, 170, 230, 350, 470, 590}) voices.push_back(start(tone(hertz, 0.45f)));
    for (int id : voices) mixer->setPan(id, -0.5f, 0.0);
    int peak = 0;
    bool halfRight = true;
    for (int c = 0; c < 6; ++c) {
        callback();
        for (int i = 0; i < 2048; ++i) {
            halfRight = halfRight && right(i) == 0.5f * left(i);
            peak = std::max(peak, std::abs(int(int16_t(stream[4 * i] | stream[4 * i + 1] << 8))));
        }
    }
    EXPECT_TRUE(halfRight);
    EXPECT_LE(peak, 31647); // the threshold, 0.966051 of full scale
    EXPECT_GE(peak, 31000);

    for (size_t v = 1; v < voices.size(); ++v) mixer->stopChannel(voices[v]);
    float gain = 0.0f, lowestStep = 1.0f, highestStep = 0.0f;
    int risingFrames = 0;
    for (int c = 0; c < 20; ++c) { // 1.86 s of the quiet voice alone
        callback();
        for (int i = c ? 0 : lag(); i < 2048; ++i) {
            const float g = left(i) / 0.25f;
            if (c || i > lag()) {
                lowestStep = std::min(lowestStep, g - gain);
                highestStep = std::max(highestStep, g - gain);
            }
            risingFrames += g < 1.0f;
            gain = g;
        }
    }
    EXPECT_GE(lowestStep, 0.0f);    // never down again,
    EXPECT_LT(highestStep, 1e-3f);  // no steps to hear,
    EXPECT_GT(risingFrames, 2205);  // a release of more than 0.1 s
    EXPECT_LT(risingFrames, 33075); // that ends within 1.5 s
    EXPECT_EQ(left(2047), 0.25f);   // exactly at 1

    mixer->stopAll();
    callback(); // the delay line empties
    MixerOGGstatic* soft = tone(230, 0.5f);
    start(soft);
    callback();
    std::vector<float> expected(size_t(2 * lag()), 0.0f);
    expected.insert(expected.end(), soft->samples, soft->samples + 2 * (2048 - lag()));
    EXPECT_EQ(std::vector<float>(mixer->mixBuffer, mixer->mixBuffer + 4096), expected);
}

} // namespace

// A mono effect keeps one float per frame; mixed it gives the very samples of
// the same effect stored as stereo, under glides of pan, volume and rate and
// through the loop.
TEST_F(MixerTest, MonoStorageMixesExactlyAsStereo) {
    OggFixture::writeSine(folder.root + "/mono.ogg", 1, 300, 22050);
    MemoryFile file("mono.ogg");
    MixerOGGstatic* mono = new MixerOGGstatic(&file, true, 2);
    sources.push_back(mono);
    ASSERT_EQ(mono->sampleChannels, 1);
    ASSERT_EQ(mono->sampleCount, 600);
    MixerOGGstatic* stereo = source(300, true, 2, [mono](int k, int) { return mono->samples[k]; });
    ASSERT_EQ(stereo->sampleChannels, 2);

    std::vector<float> mixed[2];
    for (int run = 0; run < 2; ++run) {
        makeMixer(AUDIO_S16LSB, 2, 256);
        int id = start(run ? stereo : mono);
        mixer->setPan(id, -0.6f, 0.01);
        mixer->setVolume(id, 0.3f, 0.02);
        mixer->setFrequency(id, 30000.0f, 0.015);
        for (int i = 0; i < 4; ++i) {
            callback();
            mixed[run].insert(mixed[run].end(), mixer->mixBuffer, mixer->mixBuffer + 512);
        }
    }
    EXPECT_EQ(mixed[0], mixed[1]);
    EXPECT_NE(mixed[0][100], 0.0f);
}

// The mixer driven by hand: a made-up device spec, real decoded sources whose
// samples are overwritten with known values, and mix() called as the audio
// callback calls it. The limiter's look-ahead delays every output frame by
// lag() frames; sums under its threshold pass unchanged. Before it, the
// high-pass takes out the DC: expected sums go through a DcBlocker of their
// own (blocked), or outputs through its inverse (unblocked).
#include "AudioTestEngine.h"
#include "audio/DcBlocker.h"
#include "EngineTestFolder.h"
#include "files/MemoryFile.h"
#include "audio/Mixer.h"
#include "audio/MixerChannel.h"
#include "audio/MixerOGGstatic.h"
#include "OggFixture.h"
#include "util/PlimMath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

class MixerTest : public ::testing::Test {
protected:
    void TearDown() override {
        delete mixer;
        for (MixerOGGstatic* s : sources) delete s;
    }
    void makeMixer(Uint16 format = AUDIO_S16LSB, int channels = 2, int frames = 256, int freq = 22050) {
        SDL_AudioSpec spec{};
        spec.freq = freq;
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
    // 0.1 s, a whole number of periods, so the loop is seamless.
    MixerOGGstatic* tone(float hertz, float amplitude) {
        return source(2205, true, 8, [=](int k, int) { return amplitude * std::sin(TWO_PI * hertz * k / 22050); });
    }
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
    // What the high-pass makes of sums (stereo frames from a new mixer's
    // first), fed in callbacks of frames frames as the mixer feeds it.
    std::vector<float> blocked(std::vector<float> sums, int frames) const {
        DcBlocker reference(mixer->spec.freq);
        for (size_t at = 0; at < sums.size(); at += size_t(2 * frames))
            reference.process(sums.data() + at, int(std::min(sums.size() - at, size_t(2 * frames)) / 2));
        return sums;
    }
    // The sums behind a new mixer's output at a gain of 1: the high-pass
    // undone, x[n] = x[n-1] + y[n] - pole y[n-1], in double.
    std::vector<double> unblocked(const std::vector<float>& out) const {
        const double pole = mixer->dcBlocker.pole();
        std::vector<double> sums(out.begin(), out.end());
        for (size_t i = 2; i < out.size(); ++i) sums[i] = sums[i - 2] + out[i] - pole * out[i - 2];
        return sums;
    }

    EngineTestFolder folder;
    AudioTestEngine engine{folder, false};
    Mixer* mixer = nullptr;
    std::vector<MixerOGGstatic*> sources;
    std::vector<uint8_t> stream;
};

TEST_F(MixerTest, PanAttenuatesOnlyTheFarSideUnderTheMasterVolume) {
    makeMixer();
    int id = start(constant(0.5f));
    // Pan, then the sums; the last callback at half the master volume.
    const float pans[][3] = {{0.0f, 0.5f, 0.5f}, {0.5f, 0.25f, 0.5f}, {-1.0f, 0.5f, 0.0f}, {-1.0f, 0.25f, 0.0f}};
    const int frames = lag() + 4;
    std::vector<float> sums;
    for (int c = 0; c < 4; ++c) {
        if (c < 3) mixer->setPan(id, pans[c][0], 0.0);
        else mixer->effectsVolume = 0.5f; // music voices would keep musicVolume
        callback(frames);
        for (int i = 0; i < frames; ++i) sums.insert(sums.end(), {pans[c][1], pans[c][2]});
        const std::vector<float> out = blocked(sums, frames);
        for (int i = 0; i < frames; ++i) {
            const int at = c * frames + i - lag();
            EXPECT_FLOAT_EQ(left(i), at < 0 ? 0.0f : out[size_t(2 * at)]) << c << " " << i;
            EXPECT_FLOAT_EQ(right(i), at < 0 ? 0.0f : out[size_t(2 * at + 1)]) << c << " " << i;
        }
    }
}

// A sum of 2.0 leaves at the limiter's threshold (0.966051), never at the
// clamp's full scale; -0.75 passes as it is. Read at each sound's first frame,
// which the high-pass passes whole.
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
    auto sample = [&](size_t n) {
        const size_t at = size_t(lag()) * 2 * n;
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
    std::vector<float> loop;
    for (int k = 0; k <= lag() + 12; ++k) loop.insert(loop.end(), 2, (k % 5 + 1) / 10.0f); // 0.1 ... 0.5, 0.1 ...
    std::vector<float> expected = blocked(loop, lag() + 12);
    for (int i = 0; i < 12; ++i) EXPECT_FLOAT_EQ(left(lag() + i), expected[size_t(2 * i)]) << i;
    callback(1); // frame 12 of the loop, a look-ahead late
    EXPECT_FLOAT_EQ(left(0), expected[24]);

    makeMixer();
    int once = start(ramp(4));
    mixer->setFrequency(once, 11025.0f, 0.0); // each source frame twice
    callback(lag() + 10);
    std::vector<float> half(size_t(2 * (lag() + 10)), 0.0f);
    for (int i = 0; i < 8; ++i) half[size_t(2 * i)] = (i / 2) / 100.0f; // 0, 0, 0.01, 0.01, ... 0.03, then 0
    expected = blocked(half, lag() + 10);
    for (int i = 0; i < 9; ++i) EXPECT_FLOAT_EQ(left(lag() + i), expected[size_t(2 * i)]) << i;
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
    std::vector<float> out;
    for (int c = 0; c < 3; ++c) { // frame 11,024 ends it unmixed
        callback();
        out.insert(out.end(), mixer->mixBuffer, mixer->mixBuffer + 8192);
    }
    const std::vector<double> sums = unblocked(out);
    const double last = sums[size_t(2 * (lag() + 11023))], after = sums[size_t(2 * (lag() + 11024))];
    EXPECT_GT(last - after, 1e-5); // the fading voice's last frame
    EXPECT_NEAR(after, 0.2, 4e-5);
    EXPECT_NEAR(sums[size_t(2 * (lag() + 11025))], after, 1e-7); // only the half-volume voice left
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

    // Non-finite values are refused, at once or as a glide; after a
    // non-finite sample the next voice sounds again from the next callback.
    makeMixer();
    MixerChannel* ch = mixer->findChannel(start(source(64, false, 8, [](int k, int) { return k == 3 ? NAN : 0.25f; })));
    for (float bad : {NAN, INFINITY, -INFINITY})
        for (double seconds : {0.0, 0.1}) {
            mixer->setVolume(ch->channelId, bad, seconds);
            mixer->setPan(ch->channelId, bad, seconds);
            mixer->setFrequency(ch->channelId, bad, seconds);
        }
    EXPECT_TRUE(ch->volume == 1000.0f && ch->pan == 0.0f && ch->frequency == 22050.0f);
    EXPECT_EQ(ch->volumeRampFrames + ch->panRampFrames + ch->frequencyRampFrames, 0);
    callback();
    start(constant(0.25f));
    callback();
    EXPECT_EQ(left(lag()), 0.25f);
}

TEST_F(MixerTest, AMonoDeviceGetsADownMixAtFullSpeed) {
    makeMixer(AUDIO_S16LSB, 1, 64);
    start(source(64, false, 8, [](int k, int side) { return side ? 0.0f : k / 100.0f; }));
    callback();
    std::vector<float> sums(128, 0.0f);
    for (int k = 0; k < 64; ++k) sums[size_t(2 * k)] = k / 100.0f;
    const std::vector<float> out = blocked(sums, 64);
    for (int i = 0; i < 64; ++i) {
        const int k = i - lag();
        const float down = k < 0 ? 0.0f : 0.5f * (out[size_t(2 * k)] + out[size_t(2 * k + 1)]);
        EXPECT_EQ(int16_t(stream[2 * i] | stream[2 * i + 1] << 8), int(double(down) * 32760.0)) << i;
    }
}

// A 22,050-Hz voice on a four-channel device at 44,100 Hz: each source frame
// twice, left and right in the first two channels, silence in the others.
TEST_F(MixerTest, ADeviceWithMoreChannelsAndAnotherRateGetsLeftRightThenSilence) {
    makeMixer(AUDIO_U16MSB, 4, 64, 44100);
    start(ramp(64));
    callback();
    std::vector<float> sums(128);
    for (int i = 0; i < 128; ++i) sums[size_t(i)] = float(i % 2 ? -(i / 4) : i / 4) / 100.0f;
    const std::vector<float> out = blocked(sums, 64);
    for (int i = 0; i < 64 * 4; ++i) {
        const int k = i / 4 - lag(), side = i % 4;
        const float v = k < 0 || side > 1 ? 0.0f : out[size_t(2 * k + side)];
        EXPECT_EQ(stream[size_t(2 * i)] << 8 | stream[size_t(2 * i + 1)], int(double(v) * 32760.0 + 32768.0)) << i;
    }
}

// Six loud tones over a quiet 50-Hz one, all panned so that the right side is
// exactly half the left: the limiter keeps every sample under full scale with
// the peaks just under it and the image unmoved; when the loud tones stop the
// gain glides back to exactly 1 (read against the high-pass's output of the
// very sums the mixer adds), after which voices pass bit for bit as the
// high-pass gives them, a look-ahead late.
TEST_F(MixerTest, TheLimiterKeepsLoudStacksUnderFullScaleAndQuietOnesExact) {
    makeMixer(AUDIO_S16LSB, 2, 2048);
    std::vector<MixerOGGstatic*> tones = {tone(50, 0.25f)};
    for (float hertz : {110, 170, 230, 350, 470, 590}) tones.push_back(tone(hertz, 0.45f));
    std::vector<int> voices;
    for (MixerOGGstatic* t : tones) voices.push_back(start(t));
    for (int id : voices) mixer->setPan(id, -0.5f, 0.0);
    std::vector<float> sums; // voice after voice, as the mixer adds them
    auto add = [&](size_t count) {
        for (int k = 0; k < 2048; ++k) {
            const size_t frame = sums.size() / 2 % 2205;
            float sum = 0.0f;
            for (size_t v = 0; v < count; ++v) sum += tones[v]->samples[2 * frame];
            sums.insert(sums.end(), {sum, 0.5f * sum});
        }
    };
    int peak = 0;
    bool halfRight = true;
    for (int c = 0; c < 6; ++c) {
        callback();
        add(tones.size());
        for (int i = 0; i < 2048; ++i) {
            halfRight = halfRight && right(i) == 0.5f * left(i);
            peak = std::max(peak, std::abs(int(int16_t(stream[4 * i] | stream[4 * i + 1] << 8))));
        }
    }
    EXPECT_TRUE(halfRight);
    EXPECT_LE(peak, 31647); // the threshold, 0.966051 of full scale
    EXPECT_GE(peak, 31000);

    for (size_t v = 1; v < voices.size(); ++v) mixer->stopChannel(voices[v]);
    float gain = 0.0f, lowestStep = 1.0f, highestStep = 0.0f, expected = 0.0f;
    int gainFrame = 0, lastBelowOne = 0;
    for (int c = 6; c < 26; ++c) { // 1.86 s of the quiet tone alone
        callback();
        add(1);
        const std::vector<float> out = blocked(sums, 2048);
        for (int i = c > 6 ? 0 : lag(); i < 2048; ++i) {
            expected = out[size_t(2 * (c * 2048 + i - lag()))];
            if (std::fabs(expected) < 0.05f) continue; // near a zero crossing
            const float g = left(i) / expected;
            const int frame = (c - 6) * 2048 + i;
            if (gain > 0.0f) { // per frame
                lowestStep = std::min(lowestStep, (g - gain) / float(frame - gainFrame));
                highestStep = std::max(highestStep, (g - gain) / float(frame - gainFrame));
            }
            if (g < 1.0f) lastBelowOne = frame;
            gain = g;
            gainFrame = frame;
        }
    }
    EXPECT_GE(lowestStep, -1e-6f);   // never down again (but for the division's rounding),
    EXPECT_LT(highestStep, 1e-3f);   // no steps to hear,
    EXPECT_GT(lastBelowOne, 2205);   // a release of more than 0.1 s
    EXPECT_LT(lastBelowOne, 33075);  // that ends within 1.5 s
    EXPECT_EQ(left(2047), expected); // exactly at 1

    mixer->stopAll();
    // The delay line empties and the high-pass's tail dies out, to exactly 0.
    bool silent = false;
    for (int c = 0; c < 12 && !silent; ++c) {
        callback();
        silent = std::all_of(mixer->mixBuffer, mixer->mixBuffer + 4096, [](float v) { return v == 0.0f; });
    }
    ASSERT_TRUE(silent);
    MixerOGGstatic* soft = tone(230, 0.5f);
    start(soft);
    callback();
    std::vector<float> expectedSoft(size_t(2 * lag()), 0.0f);
    const std::vector<float> out = blocked(std::vector<float>(soft->samples, soft->samples + 4096), 2048);
    expectedSoft.insert(expectedSoft.end(), out.begin(), out.end() - 2 * lag());
    EXPECT_EQ(std::vector<float>(mixer->mixBuffer, mixer->mixBuffer + 4096), expectedSoft);
}

// The output loses its DC and keeps what can be heard: a constant on the left
// leaves whole at first, then falls as pole^n (time constant 1/(2 pi 5 Hz)),
// reaches the device as 0 once 0.5 pole^n is under one step of 16 bits (0.31
// s) and is exactly 0 by 0.75 s; a 50-Hz tone on the right keeps its level
// within 0.05 dB.
TEST_F(MixerTest, TheOutputLosesItsDcAndKeepsFiftyHertz) {
    makeMixer(AUDIO_S16LSB, 2, 2048);
    mixer->setPan(start(constant(0.5f)), -1.0f, 0.0);
    mixer->setPan(start(tone(50, 0.5f)), 1.0f, 0.0);
    const double pole = mixer->dcBlocker.pole();
    const int deviceZero = int(std::ceil(std::log(0.5 * 32760) / -std::log(pole)));
    int lastDeviceStep = -1, lastNonZero = -1;
    float peakRight = 0.0f;
    for (int c = 0; c < 9; ++c) { // 0.84 s
        callback();
        for (int i = 0; i < 2048; ++i) {
            const int frame = c * 2048 + i - lag(); // of the sums
            if (frame == 0) {
                EXPECT_EQ(left(i), 0.5f);
            }
            if (int16_t(stream[4 * i] | stream[4 * i + 1] << 8) != 0) lastDeviceStep = frame;
            if (left(i) != 0.0f) lastNonZero = frame;
            if (c == 8) peakRight = std::max(peakRight, std::fabs(right(i)));
        }
    }
    EXPECT_NEAR(lastDeviceStep, deviceZero - 1, 2);
    EXPECT_LT(lastNonZero, int(0.75 * 22050));
    EXPECT_LE(peakRight, 0.5f);
    EXPECT_GE(peakRight, 0.5f * std::pow(10.0f, -0.05f / 20));
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

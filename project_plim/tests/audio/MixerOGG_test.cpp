// Ogg Vorbis sources over files the tests encode: layouts and log lines for
// mono and stereo at two rates, streamed decoding against whole decoding, the
// memory callbacks and the fatal cases.
#include "AudioTestEngine.h"
#include "audio/DcBlocker.h"
#include "EngineTestFolder.h"
#include "LogText.h"
#include "core/Logger.h"
#include "files/MemoryFile.h"
#include "audio/Mixer.h"
#include "audio/MixerOGGstatic.h"
#include "audio/MixerOGGstream.h"
#include "OggFixture.h"
#include "core/Plim.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fnmatch.h>
#include <functional>

namespace {

class MixerOGGTest : public ::testing::Test {
protected:
    const char* write(const char* name, const std::vector<float>& v, int channels, int rate) {
        EngineTestFolder::writeFile(folder.root + "/" + name, OggFixture::encode(v, channels, rate));
        return name;
    }
    // frames frames of one voice of source, mixed in callbacks of 8,192 frames,
    // without the limiter's look-ahead delay in front.
    std::vector<float> mixVoice(MixerOGG* source, int frames, bool* ended = nullptr) {
        SDL_AudioSpec spec{};
        spec.freq = 22050;
        spec.format = AUDIO_S16LSB;
        spec.channels = 2;
        spec.samples = 8192;
        spec.size = 8192 * 4;
        Mixer mixer(spec);
        int id = mixer.play(source, false);
        mixer.startChannel(id);
        std::vector<uint8_t> stream(spec.size);
        std::vector<float> out;
        const int lag = mixer.limiter.lookAheadFrames();
        while (int(out.size()) < 2 * (lag + frames)) {
            mixer.mix(stream.data(), int(spec.size));
            out.insert(out.end(), mixer.mixBuffer, mixer.mixBuffer + 2 * 8192);
        }
        if (ended) *ended = !mixer.isPlaying(id);
        out.erase(out.begin(), out.begin() + 2 * lag);
        out.resize(size_t(2 * frames));
        return out;
    }

    EngineTestFolder folder;
    AudioTestEngine engine{folder, false};
};

TEST_F(MixerOGGTest, MonoAndStereoAtTwoRates) {
    for (int rate : {22050, 44100}) {
        for (int channels : {1, 2}) {
            SCOPED_TRACE(std::to_string(rate) + " Hz, " + std::to_string(channels) + " channels");
            std::vector<float> wave = OggFixture::sine(channels, 6000, rate, 441.0f, 0.5f);
            MemoryFile file(write("s.ogg", wave, channels, rate));
            MixerOGGstatic s(&file, false, 2);
            EXPECT_EQ(s.frequency, rate);
            EXPECT_EQ(s.totalFrames, 6000);
            EXPECT_EQ(s.sampleCount, 12000);
            // A mono effect is stored once per frame.
            EXPECT_EQ(s.sampleChannels, channels);
            double errorL = 0, errorR = 0, sides = 0;
            for (int i = 0; i < 6000; ++i) {
                const int stored = s.sampleChannels;
                float l = s.samples[stored * i], r = s.samples[stored * i + stored - 1];
                errorL += std::fabs(l - wave[size_t(i) * channels]);
                errorR += std::fabs(r - wave[size_t(i) * channels + channels - 1]);
                sides += std::fabs(l - r);
            }
            EXPECT_LT(errorL / 6000, 0.02);
            EXPECT_LT(errorR / 6000, 0.02);
            if (channels == 1) EXPECT_EQ(sides, 0.0);
            else EXPECT_GT(sides / 6000, 0.1); // each side keeps its own tone
        }
    }
    PLIM->log->saveCrashLog();
    LogText text(EngineTestFolder::readFile(folder.logPath()));
    for (const char* line : {"MixerOGG(): \t22050 Hz, mono.", "MixerOGG(): \t22050 Hz, stereo.",
                             "MixerOGG(): \t44100 Hz, mono.", "MixerOGG(): \t44100 Hz, stereo."})
        EXPECT_EQ(text.count(line), 1) << line;
}

TEST_F(MixerOGGTest, StreamsPlayWhatWholeDecodingGivesAndLoopWithoutAGap) {
    // 3,000 frames loop more than twice inside one callback.
    std::vector<float> wave = OggFixture::sine(2, 3000, 22050, 300.0f, 0.6f);
    MemoryFile wholeFile(write("m.ogg", wave, 2, 22050));
    MixerOGGstatic whole(&wholeFile, true, 1);
    MemoryFile streamFile("m.ogg");
    MixerOGGstream looping(&streamFile, true, 1);
    std::vector<float> expected = mixVoice(&whole, 8192);
    EXPECT_EQ(mixVoice(&looping, 8192), expected);
    EXPECT_EQ(mixVoice(&looping, 2000), std::vector<float>(expected.begin(), expected.begin() + 4000));

    MixerOGGstream once(&streamFile, false, 1);
    bool ended = false;
    std::vector<float> out = mixVoice(&once, 8192, &ended);
    EXPECT_TRUE(ended);
    EXPECT_EQ(std::vector<float>(out.begin(), out.begin() + 6000),
              std::vector<float>(expected.begin(), expected.begin() + 6000));
    // Then the high-pass's tail alone: each frame the pole times the one before.
    const float pole = DcBlocker(22050).pole();
    bool tail = out[6000] != expected[6000];
    for (size_t i = 6002; i < out.size(); ++i) tail = tail && out[i] == pole * out[i - 2];
    EXPECT_TRUE(tail);
}

// Music damaged in the middle plays on after the damage, to its end.
TEST_F(MixerOGGTest, MusicPlaysOnPastADamagedStretch) {
    std::string ogg = OggFixture::encode(OggFixture::sine(1, 400000, 22050, 300.0f, 0.5f), 1, 22050);
    for (size_t i = ogg.size() / 2; i < ogg.size() / 2 + 300; ++i) ogg[i] = char(ogg[i] ^ 0x5a);
    EngineTestFolder::writeFile(folder.root + "/damaged.ogg", ogg);
    MemoryFile file("damaged.ogg");
    MixerOGGstream music(&file, false, 1);
    int cursor = -1, end = -1, frames = 0;
    for (; music.refill(&cursor, &end); cursor = end) frames += (end - cursor) / 2;
    EXPECT_GT(frames, 300000);
    EXPECT_LE(frames, 400000);
}

// Music with a comment header of 1 MiB and a long stretch of packets that
// decode to nothing after it (its length claims room for them) is walked a
// part per mix: no refill reads more than a mix may, before the loop or after,
// and the voice plays on after the stretch, round after round, each loop
// going back past the headers.
TEST_F(MixerOGGTest, AStretchOfEmptyPacketsIsWalkedAPartPerMix) {
    const std::string ogg = OggFixture::encode(OggFixture::sine(1, 100000, 22050, 300.0f, 0.5f), 1, 22050);
    const std::string comment = // a vendor of 1 MiB, no comments
        std::string("\x03vorbis\0\0\x10\0", 11) + std::string(1 << 20, 'x') + std::string("\0\0\0\0\1", 5);
    EngineTestFolder::writeFile(folder.root + "/stretch.ogg",
                                OggFixture::withLength(OggFixture::rewritten(ogg, comment, 1000 * 255, 2), INT32_MAX));
    MemoryFile file("stretch.ogg");
    MixerOGGstream music(&file, true, 1);
    int cursor = -1, end = -1, frames = 0;
    for (int mixes = 0; frames < 2 * 100000 && mixes < 20000; ++mixes, cursor = end) {
        music.beginMix(8192);
        const int64_t before = music.bytesRead;
        ASSERT_TRUE(music.refill(&cursor, &end));
        ASSERT_LE(music.bytesRead - before, music.readAllowanceFor(8192)) << "after " << frames << " frames";
        frames += (end - cursor) / 2;
    }
    EXPECT_GT(music.bytesRead, 1000 * 282); // the stretch's pages again after the loop
    int loud = 0;
    for (float sample : mixVoice(&music, 40 * 8192)) loud += std::fabs(sample) > 0.1f;
    EXPECT_GT(loud, 2 * 150000); // more than a round and a half of the sine
}

TEST_F(MixerOGGTest, MemoryCallbacksStayInsideTheFile) {
    MemoryFile file(write("m.ogg", OggFixture::sine(1, 1000, 22050, 300.0f, 0.6f), 1, 22050));
    MixerOGGstream s(&file, false, 1);
    const int size = file.size;
    EXPECT_EQ(MixerOGG::memSeek(&s, 0, SEEK_END), 0);
    EXPECT_EQ(MixerOGG::memTell(&s), size);
    EXPECT_EQ(MixerOGG::memSeek(&s, 10, 3), -1);
    EXPECT_EQ(MixerOGG::memSeek(&s, -1, SEEK_SET), -1);
    EXPECT_EQ(MixerOGG::memSeek(&s, 1, SEEK_END), -1);
    EXPECT_EQ(MixerOGG::memTell(&s), size); // refused seeks leave the position

    uint8_t buffer[64];
    EXPECT_EQ(MixerOGG::memRead(buffer, 1, sizeof buffer, &s), 0u);
    ASSERT_EQ(MixerOGG::memSeek(&s, -10, SEEK_CUR), 0);
    EXPECT_EQ(MixerOGG::memRead(buffer, 4, 8, &s), 2u); // ten bytes copied
    EXPECT_EQ(MixerOGG::memTell(&s), size);
    EXPECT_EQ(memcmp(buffer, file.data + size - 10, 10), 0);
}

TEST_F(MixerOGGTest, UnusableSourcesAreFatal) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    write("three.ogg", OggFixture::sine(3, 2000, 22050, 300.0f, 0.5f), 3, 22050);
    EngineTestFolder::writeFile(folder.root + "/junk.ogg", std::string(4000, 'x'));
    auto fatal = [](const std::function<void()>& body, const char* pattern) {
        EXPECT_EXIT(
            {
                EngineTestFolder::routeStdoutToStderr();
                body();
            },
            ::testing::ExitedWithCode(255), pattern);
    };
    fatal([] { MemoryFile f("three.ogg"); MixerOGGstatic s(&f, false, 1); },
          "Unhandled number of channels: 3");
    fatal([] {
        MemoryFile f("three.ogg");
        MixerOGGstream s(&f, false, 1);
        int cursor = -1, end = -1;
        s.refill(&cursor, &end);
    }, "Unhandled number of channels: 3");
    fatal([] { MemoryFile f("junk.ogg"); MixerOGGstatic s(&f, false, 1); },
          "Sound 'junk.ogg' cannot be decoded \\(not Ogg Vorbis data");
    fatal([] { MemoryFile f("three.ogg"); MixerOGGstream s(&f, false, 2); }, "Statement: maxPlaybacks==1");
    EngineTestFolder::writeFile(folder.root + "/two.ogg", OggFixture::chain(EngineTestFolder::readFile(folder.root + "/three.ogg"), 2));
    // Chained streams are the start's check's to refuse.
    fatal([] { MemoryFile f("two.ogg"); MixerOGGstatic s(&f, false, 1); }, "Unhandled number of channels: 3");
}

} // namespace

namespace {

// With a failure sink the same sources report their fault and play nothing.
TEST_F(MixerOGGTest, AFailureSinkTakesTheFaultInsteadOfTheProgram) {
    write("three.ogg", OggFixture::sine(3, 2000, 22050, 300.0f, 0.5f), 3, 22050);
    EngineTestFolder::writeFile(folder.root + "/junk.ogg", std::string(4000, 'x'));
    MemoryFile junk("junk.ogg"), three("three.ogg");
    int cursor = -1, end = -1;
    {
        UString failure;
        MixerOGGstatic s(&junk, true, 1, &failure);
        EXPECT_EQ(failure, UString("it cannot be decoded (not Ogg Vorbis data, error -132)"));
        EXPECT_EQ(s.sampleCount, 0);
        EXPECT_EQ(mixVoice(&s, 100), std::vector<float>(200, 0.0f));
    }
    {
        UString failure;
        MixerOGGstatic s(&three, false, 1, &failure);
        EXPECT_EQ(failure, UString("Unhandled number of channels: 3"));
    }
    for (MemoryFile* file : {&junk, &three}) {
        UString failure;
        MixerOGGstream s(file, true, 1, &failure);
        s.rewind();
        cursor = end = -1;
        EXPECT_FALSE(s.refill(&cursor, &end));
        EXPECT_FALSE(failure.isEmpty());
    }
}

} // namespace

namespace {

// An effect whose last page claims 2^31 frames, past what the decoder holds, is refused before
// anything is allocated for it; a claim within bounds still decodes what the
// stream holds. (The length counts from the start the first audio page
// implies, so the file has several.)
TEST_F(MixerOGGTest, AnEffectClaimingAHugeLengthIsRefused) {
    const std::string ogg = OggFixture::encode(OggFixture::sine(1, 400000, 22050, 300.0f, 0.5f), 1, 22050);
    EngineTestFolder::writeFile(folder.root + "/huge.ogg", OggFixture::withLength(ogg, 1u << 31));
    EngineTestFolder::writeFile(folder.root + "/fair.ogg", OggFixture::withLength(ogg, 450000));
    MemoryFile huge("huge.ogg"), fair("fair.ogg");
    UString failure;
    MixerOGGstatic refused(&huge, false, 1, &failure);
    EXPECT_EQ(failure, UString("it lasts 2147483648 frames, more than the 1073741823 a sound can hold"));
    EXPECT_EQ(refused.samples, nullptr);
    failure = UString();
    MixerOGGstatic decoded(&fair, false, 1, &failure);
    EXPECT_TRUE(failure.isEmpty()) << failure.c_str();
    EXPECT_EQ(decoded.totalFrames, 450000);
    // The last block is no longer cut to the true end.
    EXPECT_GE(decoded.sampleCount, 2 * 400000);
    EXPECT_LT(decoded.sampleCount, 2 * 401000);
}

} // namespace

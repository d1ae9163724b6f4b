// Ogg Vorbis sources over files encoded by the tests: layouts and log lines
// for mono and stereo at two rates, whole and streamed decoding with their
// loops, the memory callbacks, and the fatal cases.
#include "AudioTestEngine.h"
#include "EngineTestFolder.h"
#include "LogText.h"
#include "Logger.h"
#include "MemoryFile.h"
#include "Mixer.h"
#include "MixerChannel.h"
#include "MixerOGGstatic.h"
#include "MixerOGGstream.h"
#include "OggFixture.h"
#include "Plim.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

class MixerOGGTest : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::vector<float>& v, int channels, int rate) {
        EngineTestFolder::writeFile(folder.root + "/" + name, OggFixture::encode(v, channels, rate));
        return name;
    }
    std::string log() {
        PLIM->log->saveCrashLog();
        return EngineTestFolder::readFile(folder.logPath());
    }
    // Mixes frames frames of one started voice of source (stereo, 22,050 Hz).
    std::vector<float> mixAll(MixerOGG* source, int frames, int callbackFrames = 4096) {
        SDL_AudioSpec spec{};
        spec.freq = 22050;
        spec.format = AUDIO_S16LSB;
        spec.channels = 2;
        spec.samples = Uint16(callbackFrames);
        spec.size = Uint32(callbackFrames * 4);
        Mixer mixer(spec);
        mixer.startChannel(mixer.play(source, false));
        std::vector<uint8_t> stream(spec.size);
        std::vector<float> out;
        for (int done = 0; done < frames; done += callbackFrames) {
            mixer.mix(stream.data(), int(spec.size));
            out.insert(out.end(), mixer.mixBuffer, mixer.mixBuffer + 2 * callbackFrames);
        }
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
            MemoryFile file(write("s.ogg", wave, channels, rate).c_str());
            MixerOGGstatic s(&file, false, 2);
            EXPECT_EQ(s.frequency, rate);
            EXPECT_EQ(s.numChannels, channels);
            EXPECT_EQ(s.totalFrames, 6000);
            EXPECT_EQ(s.sampleCount, 12000);
            EXPECT_EQ(s.file, nullptr);
            double errorL = 0, errorR = 0, sides = 0;
            for (int i = 0; i < 6000; ++i) {
                float l = s.samples[2 * i], r = s.samples[2 * i + 1];
                errorL += std::fabs(l - wave[size_t(i) * channels]);
                errorR += std::fabs(r - wave[size_t(i) * channels + channels - 1]);
                sides += std::fabs(l - r);
            }
            EXPECT_LT(errorL / 6000, 0.02);
            EXPECT_LT(errorR / 6000, 0.02);
            if (channels == 1) EXPECT_EQ(sides, 0.0); // both sides the same value
            else EXPECT_GT(sides / 6000, 0.1);        // each side its own tone
        }
    }
    LogText text(log());
    EXPECT_EQ(text.count("MixerOGG(): \t22050 Hz, mono."), 1);
    EXPECT_EQ(text.count("MixerOGG(): \t22050 Hz, stereo."), 1);
    EXPECT_EQ(text.count("MixerOGG(): \t44100 Hz, mono."), 1);
    EXPECT_EQ(text.count("MixerOGG(): \t44100 Hz, stereo."), 1);
}

TEST_F(MixerOGGTest, WholeSoundsHandOutPositionsAndLoopOrEnd) {
    MemoryFile file(write("s.ogg", OggFixture::sine(1, 500, 22050, 441.0f, 0.5f), 1, 22050).c_str());
    MixerOGGstatic once(&file, false, 2);
    int cursor = -1, end = -1;
    EXPECT_TRUE(once.refill(&cursor, &end));
    EXPECT_EQ(cursor, 0);
    EXPECT_EQ(end, 1000);
    cursor = 1000;
    EXPECT_FALSE(once.refill(&cursor, &end));

    MemoryFile again(write("s.ogg", OggFixture::sine(1, 500, 22050, 441.0f, 0.5f), 1, 22050).c_str());
    MixerOGGstatic looping(&again, true, 2);
    cursor = 1002;
    end = 1000;
    EXPECT_TRUE(looping.refill(&cursor, &end));
    EXPECT_EQ(cursor, 0);
}

TEST_F(MixerOGGTest, StreamsDecodeTheSameSamplesAndLoopWithoutAGap) {
    // 3,000 frames loop more than twice inside one 8,192-frame callback.
    std::vector<float> wave = OggFixture::sine(2, 3000, 22050, 300.0f, 0.6f);
    MemoryFile staticFile(write("m.ogg", wave, 2, 22050).c_str());
    MixerOGGstatic whole(&staticFile, true, 1);
    MemoryFile streamFile("m.ogg");
    MixerOGGstream stream(&streamFile, true, 1);
    EXPECT_EQ(stream.sampleCapacity, 65536);

    std::vector<float> expected = mixAll(&whole, 8192, 8192);
    std::vector<float> got = mixAll(&stream, 8192, 8192);
    EXPECT_EQ(got, expected);
    // A second voice rewinds and starts from the top again.
    EXPECT_EQ(mixAll(&stream, 4096), std::vector<float>(expected.begin(), expected.begin() + 8192));
}

TEST_F(MixerOGGTest, ANonLoopingStreamEndsItsVoice) {
    MemoryFile file(write("m.ogg", OggFixture::sine(1, 3000, 22050, 300.0f, 0.6f), 1, 22050).c_str());
    MixerOGGstream stream(&file, false, 1);
    SDL_AudioSpec spec{};
    spec.freq = 22050;
    spec.format = AUDIO_S16LSB;
    spec.channels = 2;
    spec.samples = 4096;
    spec.size = 4096 * 4;
    Mixer mixer(spec);
    int id = mixer.play(&stream, true);
    mixer.startChannel(id);
    std::vector<uint8_t> out(spec.size);
    mixer.mix(out.data(), int(spec.size));
    EXPECT_FALSE(mixer.isPlaying(id));
    EXPECT_NE(mixer.mixBuffer[2 * 2000], 0.0f);
    EXPECT_EQ(mixer.mixBuffer[2 * 3000], 0.0f);
    EXPECT_LE(stream.sampleCount, stream.sampleCapacity);
}

TEST_F(MixerOGGTest, MemoryCallbacksStayInsideTheFile) {
    MemoryFile file(write("m.ogg", OggFixture::sine(1, 1000, 22050, 300.0f, 0.6f), 1, 22050).c_str());
    MixerOGGstream s(&file, false, 1);
    const int size = file.size;
    EXPECT_EQ(MixerOGG::memSeek(&s, 0, SEEK_END), 0);
    EXPECT_EQ(MixerOGG::memTell(&s), size);
    EXPECT_EQ(MixerOGG::memSeek(&s, 10, 3), -1);
    EXPECT_EQ(MixerOGG::memTell(&s), size);
    // Outside the file: refused, the position stays.
    EXPECT_EQ(MixerOGG::memSeek(&s, -1, SEEK_SET), -1);
    EXPECT_EQ(MixerOGG::memSeek(&s, 1, SEEK_END), -1);
    EXPECT_EQ(MixerOGG::memSeek(&s, -(size + 1), SEEK_CUR), -1);
    EXPECT_EQ(MixerOGG::memTell(&s), size);

    uint8_t buffer[64];
    EXPECT_EQ(MixerOGG::memRead(buffer, 1, sizeof buffer, &s), 0u);
    ASSERT_EQ(MixerOGG::memSeek(&s, -10, SEEK_END), 0);
    // Ten bytes left: all copied, two whole items of four reported.
    EXPECT_EQ(MixerOGG::memRead(buffer, 4, 8, &s), 2u);
    EXPECT_EQ(MixerOGG::memTell(&s), size);
    EXPECT_EQ(memcmp(buffer, file.data + size - 10, 10), 0);
}

TEST_F(MixerOGGTest, FatalSources) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    write("three.ogg", OggFixture::sine(3, 2000, 22050, 300.0f, 0.5f), 3, 22050);
    EngineTestFolder::writeFile(folder.root + "/junk.ogg", std::string(4000, 'x'));
    write("m.ogg", OggFixture::sine(1, 2000, 22050, 300.0f, 0.5f), 1, 22050);
    auto expectFatal = [](const std::function<void()>& body, const char* pattern) {
        EXPECT_EXIT(
            {
                EngineTestFolder::routeStdoutToStderr();
                body();
            },
            ::testing::ExitedWithCode(255), pattern);
    };
    expectFatal([] {
        MemoryFile f("three.ogg");
        MixerOGGstatic s(&f, false, 1);
    }, "Unhandled number of channels: 3");
    expectFatal([] {
        MemoryFile f("three.ogg");
        MixerOGGstream s(&f, false, 1);
        int cursor = -1, end = -1;
        s.refill(&cursor, &end);
    }, "Unhandled number of channels: 3");
    expectFatal([] {
        MemoryFile f("junk.ogg");
        MixerOGGstatic s(&f, false, 1);
    }, "Statement: ov_open_callbacks\\(this, &vf, NULL, 0, cb\\)==0");
    expectFatal([] {
        MemoryFile f("m.ogg");
        MixerOGGstream s(&f, false, 2);
    }, "Statement: maxPlaybacks==1");
}

} // namespace

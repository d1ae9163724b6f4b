#include "DiskAudio.h"

#include "audio/DcBlocker.h"
#include "MatchHarness.h"
#include "audio/Mixer.h"
#include "core/Plim.h"
#include "audio/PlimAudio.h"
#include "util/PlimMath.h"
#include "TestDeadline.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <fstream>
#include <vector>

namespace DiskAudio {

long fileSize(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? long(st.st_size) : 0;
}

long firstFreshByte(const std::string& path) {
    const long buffer = long(PLIM->audio->mixer->spec.size);
    SDL_LockAudio(); // the audio thread is between two buffers
    const long size = fileSize(path);
    SDL_UnlockAudio();
    return (size / buffer + 1) * buffer;
}

void stepAndHear(MatchHarness& run, const std::string& path) {
    run.step();
    const long written = firstFreshByte(path) + long(PLIM->audio->mixer->spec.size);
    TestDeadline::waitFor([&] { return fileSize(path) >= written; }, TestDeadline::SECONDS, 1);
}

long waitForOutput(MatchHarness& run, const std::string& path, long from, long count) {
    const long until = from + count * long(PLIM->audio->mixer->spec.size);
    for (const TestDeadline deadline; fileSize(path) < until && !deadline.passed(); usleep(1000)) run.step();
    return fileSize(path);
}

long firstSound(const std::string& bytes, size_t from, size_t to) {
    for (size_t i = from; i < to && i < bytes.size(); ++i)
        if (bytes[i] != 0) return long(i);
    return -1;
}

long firstSoundPastTheTail(const std::string& bytes, size_t from, int channels, int frequency) {
    const double seconds = std::log(32760.0) / (TWO_PI_DOUBLE * DcBlocker::CUTOFF_HZ);
    const size_t tail = size_t(std::ceil(seconds * frequency)) * size_t(channels);
    std::vector<int> before(size_t(channels), 0);
    for (size_t i = from, n = 0; i + 1 < bytes.size(); i += 2, ++n) {
        const int v = int16_t(uint16_t(uint8_t(bytes[i])) | uint16_t(uint8_t(bytes[i + 1])) << 8);
        int& last = before[n % size_t(channels)];
        const bool dying = n < tail && (n < size_t(channels) || ((v > 0) == (last > 0) && std::abs(v) <= std::abs(last)));
        if (v != 0 && !dying) return long(i);
        last = v;
    }
    return -1;
}

void expectSilenceAfterTheNextBuffer(MatchHarness& run, const std::string& path) {
    const SDL_AudioSpec& spec = PLIM->audio->mixer->spec;
    const long ended = firstFreshByte(path);
    waitForOutput(run, path, ended, 20);
    const std::string bytes = EngineTestFolder::readFile(path);
    ASSERT_GE(long(bytes.size()), ended + 20 * long(spec.size));
    EXPECT_EQ(firstSoundPastTheTail(bytes, size_t(ended), spec.channels, spec.freq), -1)
        << "of " << bytes.size() << " bytes";
}

Clipping clipping(const std::string& path, long from, long to, long windowSamples, long blockSamples) {
    Clipping c;
    std::ifstream in(path, std::ios::binary);
    if (!in || to <= from) return c;
    in.seekg(from);
    std::vector<char> bytes(size_t(to - from));
    in.read(bytes.data(), std::streamsize(bytes.size()));
    bytes.resize(size_t(in.gcount()));
    const long n = long(bytes.size() / 2);
    std::vector<long> perBlock;
    double sum = 0.0;
    for (long i = 0; i < n; ++i) {
        const int16_t v = int16_t(uint16_t(uint8_t(bytes[2 * i])) | uint16_t(uint8_t(bytes[2 * i + 1])) << 8);
        sum += v;
        if (i % blockSamples == 0) perBlock.push_back(0);
        if (v >= 32760 || v <= -32760) {
            ++c.clipped;
            ++perBlock.back();
        }
    }
    c.samples = n;
    if (n > 0) c.mean = sum / double(n) / 32768.0;
    const size_t window = size_t(std::max(1L, windowSamples / blockSamples));
    long inWindow = 0;
    for (size_t b = 0; b < perBlock.size(); ++b) {
        inWindow += perBlock[b];
        if (b >= window) inWindow -= perBlock[b - window];
        const long span = long(std::min(window, b + 1)) * blockSamples;
        if (b + 1 >= window || b + 1 == perBlock.size())
            c.worstWindow = std::max(c.worstWindow, double(inWindow) / double(std::min(span, n)));
    }
    return c;
}

Clipping pacedByTheOutput(MatchHarness& run, double seconds, const std::function<bool()>& going, int* frames) {
    const std::string path = run.folder.root + "/audio.raw";
    const SDL_AudioSpec& spec = PLIM->audio->mixer->spec;
    const double bytesPerSecond = double(spec.freq) * double(spec.size / spec.samples);
    const long from = firstFreshByte(path);
    const double period = run.settings.frameRate;
    // The output has reached frame n's time.
    const auto heard = [&](int n) {
        const long due = from + long(double(n) * period * bytesPerSecond);
        return TestDeadline::waitFor([&] { return fileSize(path) >= due; }, TestDeadline::SECONDS, 1) ? due : -1L;
    };
    int n = 0;
    for (; n < int(seconds / period) && going() && heard(n) >= 0; ++n) run.step();
    if (frames) *frames = n;
    const long to = heard(n);
    const long perSecond = long(spec.freq) * spec.channels;
    return clipping(path, from, to >= 0 ? to : fileSize(path), 20 * perSecond, long(spec.samples) * spec.channels);
}

} // namespace DiskAudio

#pragma once
// Reading what SDL's disk audio driver wrote: the raw output file grows by one
// mixer buffer at a time, and silence is all zero bytes.
#include <cstddef>
#include <functional>
#include <string>

class MatchHarness;

namespace DiskAudio {
// The file's size in bytes; 0 when it is missing.
long fileSize(const std::string& path);
// Where the first buffer mixed after this call starts in the file: the buffer
// being mixed or written meanwhile holds what came before.
long firstFreshByte(const std::string& path);
// One frame, then a wait until a buffer mixed after it is in the file.
void stepAndHear(MatchHarness& run, const std::string& path);
// Frames until the file has grown count mixer buffers past from; its size then.
long waitForOutput(MatchHarness& run, const std::string& path, long from, long count);
// The first byte in [from, to) that is not 0; -1 when there is none.
long firstSound(const std::string& bytes, size_t from, size_t to = std::string::npos);
// Like firstSound, for signed 16-bit output after the last sound has stopped:
// the mixer's high-pass leaves a tail under hearing there, each side shrinking
// toward 0 without changing sign and at 0 within ln(32760) of its time
// constants after from (0.33 s: a tail from full scale is under one step by
// then). The first byte that is neither silence nor such a tail; -1 when
// there is none.
long firstSoundPastTheTail(const std::string& bytes, size_t from, int channels, int frequency);
// For a test that has just stopped the last sound: one buffer filled before
// may still be on its way, and the 20 after it are silent past the tail.
void expectSilenceAfterTheNextBuffer(MatchHarness& run, const std::string& path);

// Signed 16-bit little-endian samples at the mixer's full scale (its clamp
// writes 32760).
struct Clipping {
    long samples = 0, clipped = 0;
    double worstWindow = 0.0; // the largest share clipped in any window
    double mean = 0.0;        // of every sample, as a fraction of full scale (the DC offset)
    double share() const { return samples ? double(clipped) / double(samples) : 0.0; }
};
// Over [from, to) of the file; windowSamples: the window's length (whole buffers of
// blockSamples are the steps).
Clipping clipping(const std::string& path, long from, long to, long windowSamples, long blockSamples);

// The disk driver's wait per buffer that makes it write in about real time (one
// buffer of 2,048 frames at 22,050 Hz lasts 92.9 ms; mixing takes the rest).
const int REAL_TIME_DELAY_MS = 92;
// Frames while going() holds, at most seconds of them, each once the output
// has reached its time, so that sounds overlap as in the game however slowly
// the driver writes; then the clipping of those seconds of the run's
// "audio.raw" (20-s windows). The harness needs the disk driver with
// REAL_TIME_DELAY_MS, so that the frames keep up with the output.
Clipping pacedByTheOutput(MatchHarness& run, double seconds, const std::function<bool()>& going,
                          int* frames = nullptr);
} // namespace DiskAudio

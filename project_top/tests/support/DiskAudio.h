#pragma once
// Reading what SDL's disk audio driver wrote: the raw output file grows by one
// mixer buffer at a time, and silence is all zero bytes.
#include <cstddef>
#include <string>

namespace DiskAudio {
// The file's size in bytes; 0 when it is missing.
long fileSize(const std::string& path);
// The first byte in [from, to) that is not 0; -1 when there is none.
long firstSound(const std::string& bytes, size_t from, size_t to = std::string::npos);

// Signed 16-bit little-endian samples at the mixer's full scale (its clamp
// writes 32760).
struct Clipping {
    long samples = 0, clipped = 0;
    double worstWindow = 0.0; // the largest share clipped in any window
    double share() const { return samples ? double(clipped) / double(samples) : 0.0; }
};
// Over [from, to) of the file; windowSamples: the window's length (whole buffers of
// blockSamples are the steps).
Clipping clipping(const std::string& path, long from, long to, long windowSamples, long blockSamples);
} // namespace DiskAudio

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
} // namespace DiskAudio

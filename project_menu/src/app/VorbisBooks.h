#pragma once
// The code books a Vorbis stream's setup header declares, read before the
// decoder reads them, against the start's limits on them (StartLimits).
#include "util/UString.h"

#include <cstdint>
#include <vector>

class VorbisBooks {
public:
    // Empty when the books of the setup header (the stream's third packet)
    // keep within the limits (or the header cannot be read: the decoder says
    // why); else why not, in a few words.
    static UString problem(const std::vector<uint8_t>& setup);
};

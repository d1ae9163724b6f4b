#pragma once
// A sound effect decoded whole when it is built; afterwards it only hands out
// positions in its buffer, so any number of channels can read it at once.
#include "MixerOGG.h"

#include <cstdint>

class MixerOGGstatic : public MixerOGG {
public:
    // LATER leaves the decoding to decode(), so that a caller can weigh
    // decodedBytes() first.
    enum class Decoding { NOW, LATER };

    // Decodes the whole stream (unless LATER); file is not needed after the
    // decoding.
    MixerOGGstatic(MemoryFile* file, bool bLoop, int maxPlaybacks, UString* failure = nullptr,
                   Decoding decoding = Decoding::NOW);

    // The bytes the decoded samples will take, read from the stream's headers
    // before anything is decoded; -1 for a stream that did not open or whose
    // length is unknown or past MAX_HELD_FRAMES (said like a decoding fault).
    // How long an effect may be is the start's check's to say.
    int64_t decodedBytes();
    // Decodes the whole stream, once, and lets go of the decoder.
    void decode();

    bool refill(int* cursor, int* end) override;

    // The most frames whose positions (two per frame) an int holds.
    static constexpr int64_t MAX_HELD_FRAMES = INT32_MAX / 2;

private:
    void decodeAll();
};

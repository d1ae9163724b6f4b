#pragma once
// A sound effect decoded whole when it is built; afterwards it only hands out
// positions in its buffer, so any number of channels can read it at once.
#include "MixerOGG.h"

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
    // length is unknown or past MAX_FRAMES (said like a decoding fault).
    int64_t decodedBytes();
    // Decodes the whole stream, once, and lets go of the decoder.
    void decode();

    bool refill(int* cursor, int* end) override;

    // Longer effects are refused before anything is decoded: the start
    // decodes every effect whole, twice (its check, then the loader), so each
    // one's length is time and memory at every start. 2^21 frames: 95 s at
    // 22,050 Hz, 48 s at 44,100 Hz; the game's longest effect has 132,300.
    static constexpr int64_t MAX_FRAMES = int64_t(1) << 21;

private:
    void decodeAll();
};

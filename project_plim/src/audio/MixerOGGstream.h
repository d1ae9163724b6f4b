#pragma once
// Music decoded block by block while it plays: refill runs on the audio thread
// inside the mixing callback, decodes the next block over the previous one and
// loops by seeking back to the start. A damaged stretch of the stream (a gap)
// is skipped. Serves one channel at a time.
#include "MixerOGG.h"

class MixerOGGstream : public MixerOGG {
public:
    // maxPlaybacks must be 1. file is read by every refill: keep it alive.
    MixerOGGstream(MemoryFile* file, bool bLoop, int maxPlaybacks, UString* failure = nullptr);

    bool refill(int* cursor, int* end) override;
    // Starts decoding again at the stream's first byte.
    void rewind() override;

    static constexpr int32_t BLOCK_FLOATS = 65536;

private:
    // ov_read_float past any gaps in the data.
    long readSkippingGaps(float*** pcm, int maxFrames, int* bitstream);
};

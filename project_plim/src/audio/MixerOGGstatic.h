#pragma once
// A sound effect decoded whole when it is built; afterwards it only hands out
// positions in its buffer, so any number of channels can read it at once.
#include "MixerOGG.h"

class MixerOGGstatic : public MixerOGG {
public:
    // Decodes the whole stream; file is not needed after the constructor.
    MixerOGGstatic(MemoryFile* file, bool bLoop, int maxPlaybacks, UString* failure = nullptr);

    bool refill(int* cursor, int* end) override;

    // Longer effects are refused: a header claiming billions of frames must
    // not turn into a giant allocation (2^25 frames: 12 minutes at 44,100 Hz).
    static constexpr int64_t MAX_FRAMES = int64_t(1) << 25;

private:
    void decodeAll();
};

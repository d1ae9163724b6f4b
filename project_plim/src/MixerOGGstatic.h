#pragma once
// A sound effect decoded whole when it is built; afterwards it only hands out
// positions in its buffer, so any number of channels can read it at once.
#include "MixerOGG.h"

class MixerOGGstatic : public MixerOGG {
public:
    // Decodes the whole stream; file is not needed after the constructor.
    MixerOGGstatic(MemoryFile* file, bool bLoop, int maxPlaybacks);

    bool refill(int* cursor, int* end) override;
};

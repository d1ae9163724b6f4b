// Ogg Vorbis sources on arbitrary bytes: the start's check of their layout,
// then, as in the game, only for bytes it passes, through the memory
// callbacks: the whole decode of an effect, then the same bytes as looping
// music decoded block by block, rewound halfway as a new voice would. A stream
// that cannot be decoded must say so; every block handed out must lie in the
// buffer.
#include "app/SoundCheck.h"
#include "files/MemoryFile.h"
#include "audio/MixerOGGstatic.h"
#include "audio/MixerOGGstream.h"
#include "core/Plim.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void checkBlock(const MixerOGG& source, int cursor, int end) {
    if (cursor < 0 || cursor > end || end > source.sampleCapacity || cursor % 2 || end % 2) abort();
    // Positions count two per frame; a mono effect stores one float per frame.
    const int stored = source.sampleChannels;
    if (stored != 1 && stored != 2) abort();
    float sum = 0.0f;
    for (int position = cursor; position < end; position += 2)
        sum += source.samples[position / 2 * stored] + source.samples[position / 2 * stored + stored - 1];
    if (sum == 1e30f) abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    new Plim(Plim::Bare{});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1 << 20)) return 0;
    if (!SoundCheck::headerProblem(data, int(size), true).isEmpty()) return 0;
    if (!SoundCheck::pageProblem(data, int(size), SoundCheck::Use::EFFECT).isEmpty()) return 0;
    MemoryFile file{UString()};
    file.data = new uint8_t[size ? size : 1];
    if (size) memcpy(file.data, data, size);
    file.size = int(size);

    {
        UString failure;
        MixerOGGstatic effect(&file, true, 4, &failure);
        if (effect.sampleCount < 0 || effect.sampleCount > effect.sampleCapacity) abort();
        int cursor = -1, end = -1;
        if (effect.refill(&cursor, &end)) checkBlock(effect, cursor, end);
    }

    UString failure;
    MixerOGGstream music(&file, true, 1, &failure);
    if (!failure.isEmpty()) return 0;
    int cursor = -1, end = -1;
    for (int block = 0; block < 24; ++block) {
        if (block == 12) {
            music.rewind();
            cursor = end = -1;
        }
        if (!music.refill(&cursor, &end)) {
            if (failure.isEmpty()) abort(); // looping music ends only on a fault
            break;
        }
        checkBlock(music, cursor, end);
        cursor = end; // all of it played
    }
    return 0;
}

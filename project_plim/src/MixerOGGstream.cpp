#include "MixerOGGstream.h"

#include "ErrorManager.h"

MixerOGGstream::MixerOGGstream(MemoryFile* file, bool bLoop, int maxPlaybacks)
    : MixerOGG(file, bLoop, maxPlaybacks) {
    PLIM_ASSERT(maxPlaybacks==1);
    sampleCapacity = BLOCK_FLOATS;
    samples = new float[BLOCK_FLOATS];
}

bool MixerOGGstream::refill(int* cursor, int* end) {
    if (*cursor < *end) return true;
    float** pcm = nullptr;
    int bitstream = 0;
    const int maxFrames = sampleCapacity / 2;
    long result = ov_read_float(&vf, &pcm, maxFrames, &bitstream);
    if (result < 0) failDecoding(result);
    if (result == 0) {
        if (!bLoop) return false;
        ov_raw_seek(&vf, 0);
        result = ov_read_float(&vf, &pcm, maxFrames, &bitstream);
        if (result <= 0) failDecoding(result);
    }
    int channels = linkChannels(bitstream);
    if (!storeFrames(samples, pcm, result, channels))
        PLIM_ERROR("Unhandled number of channels: %d", channels);
    sampleCount = int32_t(2 * result);
    *cursor = 0;
    *end = sampleCount;
    return true;
}

void MixerOGGstream::rewind() { ov_raw_seek(&vf, 0); }

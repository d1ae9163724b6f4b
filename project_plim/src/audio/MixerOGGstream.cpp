#include "MixerOGGstream.h"

#include "core/ErrorManager.h"

MixerOGGstream::MixerOGGstream(MemoryFile* file, bool bLoop, int maxPlaybacks, UString* failure)
    : MixerOGG(file, bLoop, maxPlaybacks, failure) {
    PLIM_ASSERT(maxPlaybacks==1);
    sampleCapacity = BLOCK_FLOATS;
    samples = new float[BLOCK_FLOATS];
}

bool MixerOGGstream::refill(int* cursor, int* end) {
    if (*cursor < *end) return true;
    if (!bOpen) return false;
    float** pcm = nullptr;
    int bitstream = 0;
    const int maxFrames = sampleCapacity / 2;
    long result = readSkippingGaps(&pcm, maxFrames, &bitstream);
    if (result < 0) {
        if (reportFailure(decodingProblem(result))) return false;
        failDecoding(result);
    }
    if (result == 0) {
        if (!bLoop) return false;
        ov_raw_seek(&vf, 0);
        result = readSkippingGaps(&pcm, maxFrames, &bitstream);
        if (result <= 0) {
            if (reportFailure(decodingProblem(result))) return false;
            failDecoding(result);
        }
    }
    int channels = linkChannels(bitstream);
    if (!storeFrames(samples, pcm, result, channels)) {
        UString message = UString::format("Unhandled number of channels: %d", channels);
        if (reportFailure(message)) return false;
        PLIM_ERROR("%s", message.c_str());
    }
    sampleCount = int32_t(2 * result);
    *cursor = 0;
    *end = sampleCount;
    return true;
}

void MixerOGGstream::rewind() {
    if (bOpen) ov_raw_seek(&vf, 0);
}

long MixerOGGstream::readSkippingGaps(float*** pcm, int maxFrames, int* bitstream) {
    // Each gap is reported once and the stream goes on after it; the data is
    // finite, so this ends.
    long result;
    do result = ov_read_float(&vf, pcm, maxFrames, bitstream);
    while (result == OV_HOLE);
    return result;
}

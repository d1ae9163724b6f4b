#include "MixerOGGstatic.h"

#include "core/ErrorManager.h"

#include <algorithm>
#include <new>

MixerOGGstatic::MixerOGGstatic(MemoryFile* file, bool bLoop, int maxPlaybacks, UString* failure)
    : MixerOGG(file, bLoop, maxPlaybacks, failure) {
    if (bOpen) decodeAll();
    // The samples are all there is to play: the decoder's tables and buffers
    // (tens of kilobytes per effect) would only wait for the destructor.
    ov_clear(&vf);
    bOpen = false;
    this->file = nullptr;
}

void MixerOGGstatic::decodeAll() {
    ogg_int64_t total = ov_pcm_total(&vf, -1);
    if (total < 0 || total > MAX_FRAMES) {
        UString message = UString::format("Unusable sound length: %lld frames.", (long long)total);
        if (reportFailure(message)) return;
        PLIM_ERROR("%s", message.c_str());
    }
    sampleCount = sampleCapacity = 2 * totalFrames;
    // Mono effects, the game's own among them, are kept once per frame.
    sampleChannels = allLinksMono() ? 1 : 2;
    samples = new (std::nothrow) float[size_t(totalFrames) * size_t(sampleChannels)];
    if (!samples) PLIM_ERROR("Out of memory for a sound of %d frames.", totalFrames);

    int32_t written = 0; // frames
    for (;;) {
        // Never more than the buffer holds, whatever the stream decodes to.
        int32_t room = totalFrames - written;
        if (room <= 0) break;
        float** pcm = nullptr;
        int bitstream = 0;
        long result = ov_read_float(&vf, &pcm, room < 65536 ? room : 65536, &bitstream);
        if (result < 0) {
            if (reportFailure(decodingProblem(result))) break;
            failDecoding(result);
        }
        if (result == 0) break;
        int channels = linkChannels(bitstream);
        if (sampleChannels == 1)
            std::copy(pcm[0], pcm[0] + result, samples + written);
        else if (!storeFrames(samples + 2 * written, pcm, result, channels)) {
            UString message = UString::format("Unhandled number of channels: %d", channels);
            if (reportFailure(message)) break;
            PLIM_ERROR("%s", message.c_str());
        }
        written += int32_t(result);
    }
    // A stream that decodes to fewer frames than announced plays only those.
    sampleCount = 2 * written;
}

bool MixerOGGstatic::refill(int* cursor, int* end) {
    if (*end < 0) {
        *cursor = 0;
        *end = sampleCount;
    }
    if (*cursor < *end) return true;
    if (bLoop) {
        *cursor = 0;
        return true;
    }
    return false;
}

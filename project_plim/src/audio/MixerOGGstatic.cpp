#include "MixerOGGstatic.h"

#include "core/ErrorManager.h"

#include <algorithm>
#include <new>

MixerOGGstatic::MixerOGGstatic(MemoryFile* file, bool bLoop, int maxPlaybacks, UString* failure, Decoding decoding)
    : MixerOGG(file, bLoop, maxPlaybacks, failure) {
    if (decoding == Decoding::NOW) decode();
}

int64_t MixerOGGstatic::decodedBytes() {
    if (!bOpen) return -1;
    const ogg_int64_t total = ov_pcm_total(&vf, -1);
    if (total < 0 || total > MAX_HELD_FRAMES) {
        const UString why = total < 0 ? UString("its length cannot be read from its headers")
                                      : UString::format("it lasts %lld frames, more than the %lld a sound can hold",
                                                        (long long)total, (long long)MAX_HELD_FRAMES);
        if (reportFailure(why)) return -1;
        PLIM_ERROR("Sound '%s' cannot be used: %s.", name.c_str(), why.c_str());
    }
    // Mono effects, the game's own among them, are kept once per frame.
    sampleChannels = allLinksMono() ? 1 : 2;
    return int64_t(total) * sampleChannels * int64_t(sizeof(float));
}

void MixerOGGstatic::decode() {
    if (bOpen && decodedBytes() >= 0) decodeAll();
    // The samples are all there is to play: the decoder's tables and buffers
    // (tens of kilobytes per effect) would only wait for the destructor.
    ov_clear(&vf);
    bOpen = false;
    this->file = nullptr;
}

void MixerOGGstatic::decodeAll() {
    sampleCount = sampleCapacity = 2 * totalFrames;
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

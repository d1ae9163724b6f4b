#include "MixerOGGstream.h"

#include "core/ErrorManager.h"
#include "files/MemoryFile.h"

#include <algorithm>

MixerOGGstream::MixerOGGstream(MemoryFile* file, bool bLoop, int maxPlaybacks, UString* failure)
    : MixerOGG(file, bLoop, maxPlaybacks, failure) {
    PLIM_ASSERT(maxPlaybacks==1);
    sampleCapacity = BLOCK_FLOATS;
    samples = new float[BLOCK_FLOATS];
    // Opened; from here on every read of the decoder counts against the allowance.
    if (bOpen) vf.callbacks.read_func = &MixerOGGstream::allowedRead;
}

bool MixerOGGstream::refill(int* cursor, int* end) {
    if (*cursor < *end) return true;
    if (!bOpen) return false;
    bWaiting = false;
    float** pcm = nullptr;
    int bitstream = 0;
    const int maxFrames = sampleCapacity / 2;
    long result = readSkippingGaps(&pcm, maxFrames, &bitstream);
    if (result == 0 && allowanceSpent()) return waitForNextMix(cursor, end);
    if (result < 0) {
        if (reportFailure(decodingProblem(result))) return false;
        failDecoding(result);
    }
    if (result == 0) {
        if (!bLoop) return false;
        seekToSound();
        result = readSkippingGaps(&pcm, maxFrames, &bitstream);
        if (result == 0 && allowanceSpent()) return waitForNextMix(cursor, end);
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
    if (bOpen) seekToSound();
}

void MixerOGGstream::seekToSound() {
    // Past the headers, which the decoder has read once and for all: a
    // comment header of many MiB would take as many mixes to walk.
    ov_raw_seek(&vf, vf.seekable && vf.dataoffsets ? vf.dataoffsets[0] : 0);
}

long MixerOGGstream::readSkippingGaps(float*** pcm, int maxFrames, int* bitstream) {
    // Each gap is reported once and the stream goes on after it; the data is
    // finite, so this ends.
    long result;
    do result = ov_read_float(&vf, pcm, maxFrames, bitstream);
    while (result == OV_HOLE);
    return result;
}

int64_t MixerOGGstream::readAllowanceFor(double frames) const {
    // A rate or a step past reason must not overflow the sum.
    const double seconds = frequency > 0 && frames > 0 ? std::min(frames / frequency, 60.0) : 0.0;
    return READ_SLACK_BYTES + int64_t(seconds * READ_BYTES_PER_SECOND);
}

size_t MixerOGGstream::allowedRead(void* destination, size_t size, size_t count, void* source) {
    MixerOGGstream* self = static_cast<MixerOGGstream*>(static_cast<MixerOGG*>(source));
    if (self->readAllowance >= 0 && size > 0) count = std::min<uint64_t>(count, uint64_t(self->readAllowance) / size);
    const size_t read = memRead(destination, size, count, source);
    self->bytesRead += int64_t(read * size);
    if (self->readAllowance >= 0) self->readAllowance -= int64_t(read * size);
    return read;
}

bool MixerOGGstream::allowanceSpent() const {
    // vorbisfile takes a read of nothing for the end of the file; it asks
    // again at the next refill.
    return readAllowance == 0 && readPosition < file->size;
}

bool MixerOGGstream::waitForNextMix(int* cursor, int* end) {
    bWaiting = true;
    *cursor = *end = 0;
    return true;
}

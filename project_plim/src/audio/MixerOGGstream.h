#pragma once
// Music decoded block by block while it plays: refill runs on the audio thread
// inside the mixing callback, decodes the next block over the previous one and
// loops by seeking back to the first sound. A damaged stretch of the stream (a gap)
// is skipped. Serves one channel at a time. What one mix may read of the file
// is bounded, so a stretch of packets that decode to nothing is walked a part
// per mix instead of all inside one callback.
#include "MixerOGG.h"

class MixerOGGstream : public MixerOGG {
public:
    // maxPlaybacks must be 1. file is read by every refill: keep it alive.
    MixerOGGstream(MemoryFile* file, bool bLoop, int maxPlaybacks, UString* failure = nullptr);

    // With no frames and true: the bound was reached first (waitsForNextMix).
    bool refill(int* cursor, int* end) override;
    // Starts decoding again at the stream's first sound.
    void rewind() override;
    void beginMix(double frames) override { readAllowance = readAllowanceFor(frames); }
    bool waitsForNextMix() const override { return bWaiting; }
    // What a mix of that many frames may read of the file: what music at
    // 1 Mbit/s (twice the encoder's best quality) takes for them, and 16 KiB
    // for the page under way (encoders write pages of 4 KiB). Every Ogg
    // packet takes a byte of its page's header at least, so this bounds the
    // pages and packets the decoder walks under the audio lock, whatever they
    // hold: in the default mix of 0.1 s, 27,000 packets that decode to
    // nothing, about 1 ms here. A larger page (up to 64 KiB) takes more than
    // one mix, with silence between.
    int64_t readAllowanceFor(double frames) const;

    // All the decoder has read of the file, seeks or not.
    int64_t bytesRead = 0;

    static constexpr int32_t BLOCK_FLOATS = 65536;
    static constexpr int64_t READ_BYTES_PER_SECOND = 128 * 1024;
    static constexpr int64_t READ_SLACK_BYTES = 16 * 1024;

private:
    void seekToSound();
    // ov_read_float past any gaps in the data.
    long readSkippingGaps(float*** pcm, int maxFrames, int* bitstream);
    // memRead within the allowance.
    static size_t allowedRead(void* destination, size_t size, size_t count, void* source);
    // Whether the last read stopped at the allowance, not at the file's end.
    bool allowanceSpent() const;
    // The refill's answer when the allowance ran out before any frames.
    bool waitForNextMix(int* cursor, int* end);

    // Bytes still to be read until the next beginMix; -1 for no bound before
    // the first (opening, and the start's check of the first block).
    int64_t readAllowance = -1;
    bool bWaiting = false;
};

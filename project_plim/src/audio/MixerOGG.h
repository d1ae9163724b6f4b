#pragma once
// A sound source for the mixer: an Ogg Vorbis stream held in memory, opened
// through vorbisfile's callbacks, handing out interleaved stereo floats (left,
// right per frame; a mono stream fills both sides). MixerOGGstatic decodes a
// whole effect at load time, MixerOGGstream decodes music block by block on
// the audio thread.
#include "core/PlimBase.h"
#include "util/UString.h"

#include <cstddef>
#include <cstdint>
#include <vorbis/vorbisfile.h>

class MemoryFile;

class MixerOGG : public PlimBase {
public:
    // file is not owned; it must outlive every decoder call. The files the
    // game plays passed the start's check of their layout (chained streams,
    // bytes after the end, damaged pages, empty packets, code books, length),
    // which is what keeps their decoding within the sound's own cost: the
    // decoder only decodes. With a failure sink, a stream that cannot be decoded is
    // reported there instead of ending the program (the source then plays
    // nothing); the game passes none.
    MixerOGG(MemoryFile* file, bool bLoop, int maxPlaybacks, UString* failure = nullptr);
    ~MixerOGG() override;

    // Makes the floats from *cursor to *end valid for mixing (indices into
    // samples, both even). A new channel first asks with both at -1. False:
    // the sound is over.
    virtual bool refill(int* cursor, int* end) = 0;
    // Called by a new channel before its first refill.
    virtual void rewind() {}
    // Called by a channel before each mix of its voice, under the audio lock,
    // with about how many of the source's frames the mix takes: a source that
    // decodes as it plays bounds its refills' work until the next call.
    virtual void beginMix(double frames) { (void)frames; }
    // After a refill that gave no frames: whether the source stopped at that
    // bound (the voice then waits for its next mix) rather than at its end.
    virtual bool waitsForNextMix() const { return false; }

    // vorbisfile's view of the MemoryFile; the data source is the MixerOGG.
    static size_t memRead(void* destination, size_t size, size_t count, void* source);
    // 0 on success; -1 for an unknown whence or a position outside the file.
    static int memSeek(void* source, ogg_int64_t offset, int whence);
    static long memTell(void* source);

    int32_t frequency = 0;
    int32_t maxPlaybacks;
    MemoryFile* file;
    OggVorbis_File vf;
    bool bLoop;
    int32_t totalFrames = 0;
    int32_t numChannels = 0;
    float* samples = nullptr;
    // Floats per frame in samples: 2 (left, right), or 1 for an effect whose
    // every link is mono. Positions (sampleCount, sampleCapacity, the cursors
    // of refill) count two per frame whatever is stored.
    int32_t sampleChannels = 2;
    int32_t sampleCount = 0;
    int32_t sampleCapacity = 0;
    int32_t readPosition = 0;
    UString* failure;

    UString name; // the file's name, for messages

protected:
    // The fatal error of a stream that does not decode, naming the sound.
    [[noreturn]] void failDecoding(long code) const;
    static const char* describeError(long code);
    // What a failure sink receives for a decoder error code.
    static UString decodingProblem(long code);
    // Writes frames decoded from the link with the given channel count as
    // interleaved stereo at destination; false when the count is not 1 or 2.
    static bool storeFrames(float* destination, float** pcm, long frames, int channels);
    // Channel count of the link that bitstream names.
    int linkChannels(int bitstream);
    // Whether every link of the stream is mono.
    bool allLinksMono();
    // Whether a failure sink took the message (the caller then gives up);
    // without one the caller's fatal check follows.
    bool reportFailure(const UString& message);
    bool bOpen = false;
};

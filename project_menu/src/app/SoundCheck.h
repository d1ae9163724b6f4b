#pragma once
// The start's check of a sound, effect or music, before any decoder opens it:
// what would cost the decoder far more than the sound, or end the program, is
// refused here, once. Its headers are weighed on its first bytes alone
// (StartLimits::SOUND_HEADER_BYTES, inflated no further), before the rest is
// read; then its pages, once it is whole. The decoder (MixerOGG) opens only
// what passed.
#include "files/MemoryFile.h"
#include "util/UString.h"

#include <cstdint>
#include <memory>

class SoundCheck {
public:
    enum class Use { EFFECT, MUSIC };

    struct Read {
        std::unique_ptr<MemoryFile> file;  // whole, when its headers passed
        UString why;                       // empty when the decoder may open it
        bool unread = false;               // why is the file manager's line
    };
    // The sound named, read as above.
    static Read read(const UString& name, Use use);

    // Empty when the first bytes of a sound (all of it when whole) hold
    // headers the decoder may read: one or two channels, a comment and code
    // books within their limits, all three within those bytes. Else why not,
    // in a few words.
    static UString headerProblem(const uint8_t* data, int size, bool whole);
    // Empty when the whole sound's pages keep to one stream, whole, within
    // the limits of its use; else why not, in a few words.
    static UString pageProblem(const uint8_t* data, int size, Use use);
};

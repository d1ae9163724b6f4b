#pragma once
// An Ogg file's pages read as libogg finds them, without decoding anything,
// for what would cost the decoder more than the sound is worth: vorbisfile
// reads the headers of every stream of a file when it opens it (tens of
// kilobytes and a good part of a millisecond each), looks for the last page
// from the end backwards (reading again to the end at each step), and
// decodes every packet, also those that give no sound. So a sound is one
// stream, ends with a whole page that ends it and nothing after it, is
// damaged in few places, lasts no longer than its limit and its packets can
// give, and holds no more packets than its length needs.
#include "util/UString.h"

#include <cstdint>

class OggPages {
public:
    // Empty for such a sound of at most maxFrames frames (and for bytes
    // holding no page: the decoder says what they are); else why it is none,
    // in a few words, with sound naming what it is read as ("a sound").
    static UString problem(const uint8_t* data, int size, int64_t maxFrames, const char* sound);
};

#pragma once
// An Ogg file's page headers read without decoding anything: whether more
// than one logical stream begins in it, and whether it ends where a whole
// page ending its stream does. vorbisfile reads the headers of every stream
// of a file when it opens it, tens of kilobytes and a good part of a
// millisecond each, which no length or size counts; so a sound's pages are
// walked before it is opened.
#include "util/UString.h"

#include <cstdint>

class OggPages {
public:
    // Empty for bytes in which at most one stream begins and whose last page
    // is whole and ends it (and for bytes holding no page: the decoder says
    // what they are); else why they are no sound, in a few words.
    static UString problem(const uint8_t* data, int size);
};

#pragma once
// The code books a Vorbis stream's setup header declares, read before the
// decoder reads them. libvorbis makes decoding tables for every book when
// the stream starts to decode, part of them on the stack: a book of a
// million entries, a few bytes in the header, ends the program, and a
// header of large books takes gigabytes.
#include "util/UString.h"

#include <cstdint>

class VorbisBooks {
public:
    // Empty when the books keep within the limits below (or the header
    // cannot be read: the decoder says why); else why not, in a few words.
    static UString problem(const uint8_t* data, int size);

    // Far above what encoders write (libvorbis: 6,561 entries in a book,
    // 10,400 in all, 8,500 values).
    static constexpr int64_t MAX_BOOK_ENTRIES = 1 << 16;
    static constexpr int64_t MAX_ENTRIES = 1 << 18;  // all books together
    static constexpr int64_t MAX_VALUES = 1 << 18;   // entries times dimensions of books with values
};

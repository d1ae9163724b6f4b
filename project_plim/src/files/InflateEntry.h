#pragma once
// Inflating a compressed archive entry piece by piece, so that nothing but
// the entry's declared size is ever held for it.
#include "util/UString.h"
#include "WadEntry.h"

#include <cstdint>

class Stream;

// Bytes of stored data read at a time.
constexpr int INFLATE_PIECE_SIZE = 64 * 1024;

// Reads the entry's stored bytes from stored (positioned at them) and inflates
// them into out, entry.size bytes, never past them. Empty when the stream
// inflates to exactly entry.size bytes; else one line naming the archive and
// the entry.
UString inflateEntry(Stream& stored, const WadEntry& entry, uint8_t* out);
// Inflates only the entry's first count bytes (all of a shorter entry) into
// out, reading no more of the stored data than they need. Empty when they
// inflate; else one line naming the archive and the entry.
UString inflateEntryHead(Stream& stored, const WadEntry& entry, uint8_t* out, uint32_t count);

#include "VorbisBooks.h"

#include "StartLimits.h"

#include <cstring>
#include <vector>

namespace {

// The setup header: type 5, "vorbis", then bits.
constexpr uint8_t SETUP_TYPE = 5;
constexpr size_t TAG_SIZE = 7;
constexpr int64_t BOOK_SYNC = 0x564342;

// The bits of a packet from the lowest of each byte up, as Vorbis packs
// them. A read past the end fails.
class Bits {
public:
    Bits(const std::vector<uint8_t>& bytes, size_t firstByte) : bytes(bytes), position(firstByte * 8) {}
    bool read(int count, int64_t* value) {
        if (!has(count)) return false;
        *value = 0;
        for (int i = 0; i < count; ++i, ++position) *value |= int64_t(bytes[position >> 3] >> (position & 7) & 1) << i;
        return true;
    }
    bool skip(int64_t count) {
        if (!has(count)) return false;
        position += uint64_t(count);
        return true;
    }

private:
    bool has(int64_t count) const { return count >= 0 && uint64_t(count) <= bytes.size() * 8 - position; }
    const std::vector<uint8_t>& bytes;
    uint64_t position;
};

int bitsFor(int64_t value) {
    int bits = 0;
    for (; value > 0; value >>= 1) ++bits;
    return bits;
}

// Past a book's code lengths, in either of the two ways they are written.
bool skipLengths(Bits& bits, int64_t entries) {
    int64_t ordered = 0, sparse = 0, length = 0, run = 0;
    if (!bits.read(1, &ordered)) return false;
    if (ordered) {
        // Runs of entries of one length, each length one more than the last.
        if (!bits.read(5, &length)) return false;
        for (int64_t at = 0; at < entries; at += run, ++length)
            if (length >= 32 || !bits.read(bitsFor(entries - at), &run) || run > entries - at) return false;
        return true;
    }
    if (!bits.read(1, &sparse)) return false;
    for (int64_t i = 0, used = 1; i < entries; ++i)
        if ((sparse && !bits.read(1, &used)) || (used && !bits.skip(5))) return false;
    return true;
}

// The values of a book of the first kind: the largest count whose power of
// dimensions stays within the entries.
int64_t valuesPerDimension(int64_t entries, int64_t dimensions) {
    auto fits = [&](int64_t count) {
        int64_t power = 1;
        for (int64_t i = 0; i < dimensions; ++i)
            if ((power *= count) > entries) return false;
        return true;
    };
    int64_t count = 1;
    while (fits(count + 1)) ++count;
    return count;
}

} // namespace

UString VorbisBooks::problem(const std::vector<uint8_t>& setup) {
    if (setup.size() < TAG_SIZE || setup[0] != SETUP_TYPE || memcmp(&setup[1], "vorbis", 6) != 0) return UString();
    Bits bits(setup, TAG_SIZE);
    int64_t lastBook = 0, entriesInAll = 0, valuesInAll = 0;
    if (!bits.read(8, &lastBook)) return UString();
    // A header that does not read to its end is left to the decoder, which
    // refuses it.
    for (int64_t book = 0; book <= lastBook; ++book) {
        int64_t sync = 0, dimensions = 0, entries = 0, kind = 0, valueBits = 0;
        if (!bits.read(24, &sync) || sync != BOOK_SYNC || !bits.read(16, &dimensions) || !bits.read(24, &entries))
            return UString();
        if (entries > StartLimits::MAX_BOOK_ENTRIES)
            return UString::format("it declares a code book of %lld entries, more than the %lld a sound may use",
                                   (long long)entries, (long long)StartLimits::MAX_BOOK_ENTRIES);
        if ((entriesInAll += entries) > StartLimits::MAX_ENTRIES)
            return UString::format("its code books declare more than %lld entries together", (long long)StartLimits::MAX_ENTRIES);
        if (!skipLengths(bits, entries) || !bits.read(4, &kind) || kind > 2 || (kind && dimensions == 0)) return UString();
        if (kind == 0) continue;
        if ((valuesInAll += entries * dimensions) > StartLimits::MAX_VALUES)
            return UString::format("its code books hold more than %lld values together", (long long)StartLimits::MAX_VALUES);
        const int64_t values = kind == 1 ? valuesPerDimension(entries, dimensions) : entries * dimensions;
        if (!bits.skip(64) || !bits.read(4, &valueBits) || !bits.skip(1) || !bits.skip(values * (valueBits + 1)))
            return UString();
    }
    return UString();
}

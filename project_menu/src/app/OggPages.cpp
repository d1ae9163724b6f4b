#include "OggPages.h"

#include "StartLimits.h"

#include <cstring>
#include <ogg/ogg.h>

namespace {

// A page header: the capture pattern, the version, the flags, the granule
// position, the checksum, and at its end the count of the segment lengths
// that follow it (a length below 255 ends a packet).
constexpr char CAPTURE[] = "OggS";
constexpr int CAPTURE_SIZE = 4;
constexpr int VERSION_AT = 4, FLAGS_AT = 5, GRANULE_AT = 6, CHECKSUM_AT = 22, SEGMENTS_AT = 26, HEADER_SIZE = 27;
constexpr int MAX_HEADER_SIZE = HEADER_SIZE + 255;
constexpr uint8_t BEGINS_STREAM = 0x02, ENDS_STREAM = 0x04;
constexpr int PACKET_END = 255;
constexpr int64_t HEADER_PACKETS = 3;

// The first capture pattern at or after from; size when there is none.
int nextCapture(const uint8_t* data, int size, int from) {
    if (from >= size) return size;
    const void* found = memmem(data + from, size_t(size - from), CAPTURE, CAPTURE_SIZE);
    return found ? int(static_cast<const uint8_t*>(found) - data) : size;
}

// Where a page header says a second stream begins, wherever it lies: when
// it seeks, the decoder looks for pages from any byte, inside another page's
// data too. -1 when no second one does.
int secondStreamAt(const uint8_t* data, int size) {
    int begun = 0;
    for (int at = nextCapture(data, size, 0); at < size; at = nextCapture(data, size, at + 1))
        if (size - at > FLAGS_AT && data[at + VERSION_AT] == 0 && (data[at + FLAGS_AT] & BEGINS_STREAM) && ++begun == 2)
            return at;
    return -1;
}

// The length of the page at at; 0 when it runs past the end.
int pageLength(const uint8_t* data, int size, int at) {
    const int left = size - at;
    if (left < HEADER_SIZE || left < HEADER_SIZE + data[at + SEGMENTS_AT]) return 0;
    int length = HEADER_SIZE + data[at + SEGMENTS_AT];
    for (int i = 0; i < data[at + SEGMENTS_AT]; ++i) length += data[at + HEADER_SIZE + i];
    return length <= left ? length : 0;
}

// Whether the page holds the checksum libogg computes for it; libogg takes
// no other for a page.
bool checksumMatches(const uint8_t* data, int at, int length) {
    uint8_t header[MAX_HEADER_SIZE];
    const int headerLength = HEADER_SIZE + data[at + SEGMENTS_AT];
    memcpy(header, data + at, size_t(headerLength));
    ogg_page page = {header, headerLength, const_cast<uint8_t*>(data + at + headerLength), length - headerLength};
    ogg_page_checksum_set(&page);
    return memcmp(header + CHECKSUM_AT, data + at + CHECKSUM_AT, 4) == 0;
}

int64_t granuleOf(const uint8_t* data, int at) {
    uint64_t granule = 0;
    for (int i = 7; i >= 0; --i) granule = granule << 8 | data[at + GRANULE_AT + i];
    return int64_t(granule);
}

// The pages libogg finds from the first byte: it skips bytes up to a capture
// pattern and from a page whose checksum fails to the next byte.
struct Walk {
    int last = -1, lastLength = 0;  // 0: the last page runs past the end
    int damaged = 0;
    // Damaged pages after the last whole one, and where the first of them is.
    int damagedAtEnd = 0, damagedFrom = -1;
    // The first page that ends the stream, and the first whole one after it.
    int ends = -1, afterEnd = -1;
    int64_t packets = 0, firstGranule = -1, lastGranule = 0;

    Walk(const uint8_t* data, int size) {
        for (int at = nextCapture(data, size, 0); at < size && damaged <= StartLimits::MAX_DAMAGED_PAGES;) {
            const int length = pageLength(data, size, at);
            if (length == 0) {
                last = at;
                lastLength = 0;
                return;
            }
            if (!checksumMatches(data, at, length)) {
                if (damagedAtEnd++ == 0) damagedFrom = at;
                ++damaged;
                at = nextCapture(data, size, at + 1);
                continue;
            }
            if (ends >= 0 && afterEnd < 0) afterEnd = at;
            if (ends < 0 && (data[at + FLAGS_AT] & ENDS_STREAM)) ends = at;
            damagedAtEnd = 0;
            last = at;
            lastLength = length;
            for (int i = 0; i < data[at + SEGMENTS_AT]; ++i) packets += data[at + HEADER_SIZE + i] < PACKET_END;
            lastGranule = granuleOf(data, at);
            if (firstGranule < 0 && lastGranule > 0) firstGranule = lastGranule;
            at = nextCapture(data, size, at + length);
        }
    }
};

// Empty when the stream ends with its last whole page and nothing follows.
UString endProblem(const Walk& walk, int size) {
    if (walk.lastLength == 0) return UString::format("it is cut short: its last page, at byte %d, is not whole", walk.last);
    if (walk.afterEnd >= 0)
        return UString::format("a page follows the end of its stream (the page at byte %d ends it, another begins at "
                               "byte %d)", walk.ends, walk.afterEnd);
    // The decoder looks for the last page from the end backwards, each step
    // reading again all the way to the end.
    const int end = walk.last + walk.lastLength;
    if (walk.damagedAtEnd > 0)
        return UString::format("it is damaged at its end: %d pages from byte %d on fail their checksums", walk.damagedAtEnd,
                               walk.damagedFrom);
    if (end < size) return UString::format("its last %d bytes are no Ogg page", size - end);
    if (walk.ends < 0)
        return UString::format("it is cut short: its last page, at byte %d, does not end its stream", walk.last);
    return UString();
}

// Empty when its length, as its last page gives it, keeps within maxFrames
// and what its packets can give, and its packets within what that length
// can use.
UString lengthProblem(const Walk& walk, int64_t maxFrames, const char* sound) {
    if (walk.lastGranule > maxFrames)
        return UString::format("it lasts %lld frames, more than the %lld %s may last", (long long)walk.lastGranule,
                               (long long)maxFrames, sound);
    const int64_t audioPackets = walk.packets > HEADER_PACKETS ? walk.packets - HEADER_PACKETS : 0;
    if (walk.lastGranule > audioPackets * StartLimits::MAX_PACKET_FRAMES)
        return UString::format("it claims %lld frames, more than its %lld packets can give", (long long)walk.lastGranule,
                               (long long)audioPackets);
    const int64_t frames = walk.firstGranule < 0 ? 0 : walk.lastGranule - walk.firstGranule;
    const int64_t most = (frames > 0 ? frames / StartLimits::MIN_PACKET_FRAMES : 0) + StartLimits::PACKETS_BESIDES;
    if (walk.packets > most)
        return UString::format("it holds %lld packets, more than the %lld its length can use", (long long)walk.packets,
                               (long long)most);
    return UString();
}

} // namespace

UString OggPages::problem(const uint8_t* data, int size, int64_t maxFrames, const char* sound) {
    if (!data || size <= 0) return UString();
    const int second = secondStreamAt(data, size);
    if (second >= 0)
        return UString::format("it holds more than one Ogg stream (a second begins at byte %d), and a sound may hold one",
                               second);
    const Walk walk(data, size);
    if (walk.damaged > StartLimits::MAX_DAMAGED_PAGES)
        return UString::format("it is damaged in more than %d places", StartLimits::MAX_DAMAGED_PAGES);
    if (walk.last < 0) return UString();
    const UString end = endProblem(walk, size);
    return end.isEmpty() ? lengthProblem(walk, maxFrames, sound) : end;
}

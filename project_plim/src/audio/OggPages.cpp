#include "OggPages.h"

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

// Pages whose checksum fails may be met where a stretch is damaged; each
// costs libogg a checksum over up to 64 KB before it looks on from the next
// byte, so a file of them is refused.
constexpr int MAX_DAMAGED_PAGES = 64;
// Every Vorbis audio packet after the first gives at least 32 frames (half
// the shortest block); besides, the three header packets, the first audio
// page's 255 at most, and a last block's worth cut from the end.
constexpr int64_t MIN_PACKET_FRAMES = 32;
constexpr int64_t PACKETS_BESIDES = 3 + 255 + 4096 / MIN_PACKET_FRAMES + 1;

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
    int64_t packets = 0, firstGranule = -1, lastGranule = 0;

    Walk(const uint8_t* data, int size) {
        for (int at = nextCapture(data, size, 0); at < size && damaged <= MAX_DAMAGED_PAGES;) {
            const int length = pageLength(data, size, at);
            if (length == 0) {
                last = at;
                lastLength = 0;
                return;
            }
            if (!checksumMatches(data, at, length)) {
                ++damaged;
                at = nextCapture(data, size, at + 1);
                continue;
            }
            last = at;
            lastLength = length;
            for (int i = 0; i < data[at + SEGMENTS_AT]; ++i) packets += data[at + HEADER_SIZE + i] < PACKET_END;
            lastGranule = granuleOf(data, at);
            if (firstGranule < 0 && lastGranule > 0) firstGranule = lastGranule;
            at = nextCapture(data, size, at + length);
        }
    }
};

} // namespace

UString OggPages::problem(const uint8_t* data, int size) {
    if (!data || size <= 0) return UString();
    const int second = secondStreamAt(data, size);
    if (second >= 0)
        return UString::format("it holds more than one Ogg stream (a second begins at byte %d), and a sound may hold one",
                               second);
    const Walk walk(data, size);
    if (walk.damaged > MAX_DAMAGED_PAGES)
        return UString::format("it is damaged in more than %d places", MAX_DAMAGED_PAGES);
    if (walk.last < 0) return UString();
    if (walk.lastLength == 0) return UString::format("it is cut short: its last page, at byte %d, is not whole", walk.last);
    // The decoder looks for the last page from the end backwards, each step
    // reading again all the way to the end.
    if (walk.last + walk.lastLength < size)
        return UString::format("its last %d bytes are no Ogg page", size - walk.last - walk.lastLength);
    if (!(data[walk.last + FLAGS_AT] & ENDS_STREAM))
        return UString::format("it is cut short: its last page, at byte %d, does not end its stream", walk.last);
    // Packets that decode to nothing cost the decoder time all the same.
    const int64_t frames = walk.firstGranule < 0 ? 0 : walk.lastGranule - walk.firstGranule;
    const int64_t most = (frames > 0 ? frames / MIN_PACKET_FRAMES : 0) + PACKETS_BESIDES;
    if (walk.packets > most)
        return UString::format("it holds %lld packets, more than the %lld its length can use", (long long)walk.packets,
                               (long long)most);
    return UString();
}

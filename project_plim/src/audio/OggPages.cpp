#include "OggPages.h"

#include <cstring>

namespace {

// A page header: the capture pattern, the version (libogg reads 0 only), the
// flags, and at its end the count of the segment lengths that follow it.
constexpr char CAPTURE[] = "OggS";
constexpr int CAPTURE_SIZE = 4;
constexpr int VERSION_AT = 4, FLAGS_AT = 5, SEGMENTS_AT = 26, HEADER_SIZE = 27;
constexpr uint8_t BEGINS_STREAM = 0x02, ENDS_STREAM = 0x04;

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

} // namespace

UString OggPages::problem(const uint8_t* data, int size) {
    if (!data || size <= 0) return UString();
    const int second = secondStreamAt(data, size);
    if (second >= 0)
        return UString::format("it holds more than one Ogg stream (a second begins at byte %d), and a sound may hold one",
                               second);
    // Page by page from the first, past bytes between pages as libogg goes.
    int last = -1, length = 0;
    for (int at = nextCapture(data, size, 0); at < size;) {
        if (size - at > VERSION_AT && data[at + VERSION_AT] != 0) {
            at = nextCapture(data, size, at + 1);
            continue;
        }
        last = at;
        length = pageLength(data, size, at);
        if (length == 0) break;
        at = nextCapture(data, size, at + length);
    }
    if (last < 0) return UString();
    if (length == 0) return UString::format("it is cut short: its last page, at byte %d, is not whole", last);
    if (!(data[last + FLAGS_AT] & ENDS_STREAM))
        return UString::format("it is cut short: its last page, at byte %d, does not end its stream", last);
    return UString();
}

#include "InflateEntry.h"

#include "PrintableText.h"
#include "util/PlimUtil.h"
#include "util/Stream.h"

#include <algorithm>
#include <vector>
#include <zlib.h>

namespace {

UString damaged(const WadEntry& entry, const char* what) {
    return formatString("File '%s' is a corrupt archive: entry '%s' %s.", entry.wadName.c_str(),
                        printableText(entry.fileName).c_str(), what);
}

// Inflates into out up to wanted bytes (entry.size: all of it, checked to
// end there).
UString inflateUpTo(Stream& stored, const WadEntry& entry, uint8_t* out, uint32_t wanted) {
    z_stream z = {};
    if (inflateInit(&z) != Z_OK) return damaged(entry, "cannot be inflated (zlib did not start)");
    std::vector<uint8_t> input(INFLATE_PIECE_SIZE);
    uint8_t beyond;  // where a byte past the declared size would land
    uint32_t unread = entry.storedSize;
    uint64_t produced = 0;
    UString problem;
    int result = Z_OK;
    while (result != Z_STREAM_END && problem.isEmpty()) {
        if (produced == wanted && wanted < entry.size) break;  // the head asked for
        if (z.avail_in == 0) {
            if (unread == 0) break;  // the stream is cut short
            const int want = int(std::min<uint32_t>(unread, INFLATE_PIECE_SIZE));
            const int got = stored.read(input.data(), want);
            if (got != want) {
                const uint32_t read = entry.storedSize - unread + uint32_t(std::max(got, 0));
                problem = formatString("File '%s' could not be read whole from archive '%s' (%u of %u bytes).",
                                       printableText(entry.fileName).c_str(), entry.wadName.c_str(), read,
                                       entry.storedSize);
                break;
            }
            unread -= uint32_t(got);
            z.next_in = input.data();
            z.avail_in = uInt(got);
        }
        const uint64_t room = entry.size - produced;
        if (room == 0) {
            z.next_out = &beyond;
            z.avail_out = 1;
        } else {
            z.next_out = out + produced;
            z.avail_out = uInt(std::min<uint64_t>(room, wanted - produced));
        }
        const uInt offered = z.avail_out;
        result = inflate(&z, Z_NO_FLUSH);
        produced += offered - z.avail_out;
        // Without input or room zlib waits; with both, a stall is a damaged stream.
        const bool stalled = result == Z_BUF_ERROR && z.avail_in > 0 && z.avail_out > 0;
        if (produced > entry.size)
            problem = damaged(entry, formatString("inflates to more than its %u bytes", entry.size).c_str());
        else if (stalled || (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR))
            problem = damaged(entry, formatString("does not inflate (%s)", zError(stalled ? Z_DATA_ERROR : result)).c_str());
    }
    inflateEnd(&z);
    if (!problem.isEmpty()) return problem;
    if (wanted < entry.size) return produced == wanted ? UString() : damaged(entry, "does not inflate (its stream is cut short)");
    if (result != Z_STREAM_END) return damaged(entry, "does not inflate (its stream is cut short)");
    if (produced != entry.size)
        return damaged(entry, formatString("inflates to %llu bytes, not %u", (unsigned long long)produced, entry.size).c_str());
    return UString();
}

} // namespace

UString inflateEntry(Stream& stored, const WadEntry& entry, uint8_t* out) {
    return inflateUpTo(stored, entry, out, entry.size);
}

UString inflateEntryHead(Stream& stored, const WadEntry& entry, uint8_t* out, uint32_t count) {
    return inflateUpTo(stored, entry, out, std::min(count, entry.size));
}

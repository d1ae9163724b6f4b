// The data-archive directory reader on arbitrary bytes: every record it accepts
// must lie inside the archive and within the size limits; each compressed
// entry is inflated as opening it does and as the start check does, and the
// two must agree.
#include "files/FileManager.h"
#include "files/InflateEntry.h"
#include "util/MemoryStream.h"
#include "files/WadDirectory.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The entry's stored bytes inflated into a buffer of its size, or through the
// check's window; the buffer's byte past the size must stay untouched.
bool inflates(const uint8_t* data, const WadEntry& e, bool keep) {
    MemoryStream stored{int(e.storedSize)};
    if (e.storedSize) memcpy(stored.data, data + e.offset, e.storedSize);
    std::vector<uint8_t> out(keep ? size_t(e.size) + 1 : 0, 0xA5);
    const bool ok = inflateEntry(stored, e, keep ? out.data() : nullptr).isEmpty();
    if (keep && out[e.size] != 0xA5) abort();
    return ok;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > INT_MAX) return 0;
    MemoryStream stream{static_cast<int>(size)};
    if (size) memcpy(stream.data, data, size);
    WadDirectory dir("fuzz.dat", int(size));
    if (!dir.readHeader(stream) || dir.version != WAD_VERSION || !dir.readRecords(stream))
        return 0;
    uint64_t total = 0;
    for (const WadEntry& e : dir.records) {
        if (uint64_t(e.offset) + e.storedSize > size || e.size > WadDirectory::MAX_ENTRY_SIZE) abort();
        if (e.fileName.length() >= WadDirectory::NAME_SIZE) abort();
        total += e.size;
        if (!e.isCompressed()) continue;
        if (inflates(data, e, true) != inflates(data, e, false)) abort();
    }
    if (total > WadDirectory::MAX_TOTAL_SIZE || dir.records.size() > size_t(WadDirectory::MAX_RECORDS)) abort();
    return 0;
}

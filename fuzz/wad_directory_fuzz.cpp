// The data-archive directory reader on arbitrary bytes: every record it accepts
// must lie inside the archive and within the size limits; each compressed
// entry is inflated as opening it does, and a whole one's first half as a
// head is read, which must inflate too.
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

// The entry's first count bytes (all of them at its size) inflated into a
// buffer of that size; the buffer's byte past them must stay untouched.
bool inflates(const uint8_t* data, const WadEntry& e, uint32_t count) {
    MemoryStream stored{int(e.storedSize)};
    if (e.storedSize) memcpy(stored.data, data + e.offset, e.storedSize);
    std::vector<uint8_t> out(size_t(count) + 1, 0xA5);
    const UString why = count == e.size ? inflateEntry(stored, e, out.data()) : inflateEntryHead(stored, e, out.data(), count);
    if (out[count] != 0xA5) abort();
    return why.isEmpty();
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
        if (inflates(data, e, e.size) && !inflates(data, e, e.size / 2)) abort();
    }
    if (total > WadDirectory::MAX_TOTAL_SIZE || dir.records.size() > size_t(WadDirectory::MAX_RECORDS)) abort();
    return 0;
}

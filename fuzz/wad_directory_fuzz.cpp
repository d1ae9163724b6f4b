// The data-archive directory reader on arbitrary bytes: every record it accepts
// must lie inside the archive and inflate within its bounds.
#include "files/FileManager.h"
#include "util/MemoryStream.h"
#include "files/WadDirectory.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <zlib.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > INT_MAX) return 0;
    MemoryStream stream{static_cast<int>(size)};
    if (size) memcpy(stream.data, data, size);
    WadDirectory dir("fuzz.dat", int(size));
    if (!dir.readHeader(stream) || dir.version != WAD_VERSION || !dir.readRecords(stream))
        return 0;
    for (const WadEntry& e : dir.records) {
        if (uint64_t(e.offset) + e.storedSize > size || e.size > uint32_t(INT_MAX)) abort();
        if (e.fileName.length() >= WadDirectory::NAME_SIZE) abort();
        if (!e.isCompressed()) continue;
        // What opening the entry does: inflate into exactly its size.
        std::vector<uint8_t> out(e.size ? e.size : 1);
        uLongf n = e.size;
        uncompress(out.data(), &n, data + e.offset, e.storedSize);
    }
    return 0;
}

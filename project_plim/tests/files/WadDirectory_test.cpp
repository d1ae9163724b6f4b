// Directory records as the archive writer builds them: the filler behind the
// name comes from the program's seeded sequence, so archives repeat.
#include "util/Random.h"
#include "files/WadDirectory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<uint8_t> record(uint32_t seed) {
    WadEntry entry;
    entry.fileName = "gfx/sky.tga";
    entry.offset = 8;
    entry.size = 100;
    entry.storedSize = 100;
    Random::seed(seed);
    std::vector<uint8_t> bytes(WadDirectory::RECORD_SIZE);
    WadDirectory::encodeRecord(entry, bytes.data());
    return bytes;
}

TEST(WadDirectory, RecordFillerRepeatsWithTheSeedAndKeepsTheName) {
    const std::vector<uint8_t> first = record(11);
    EXPECT_EQ(record(11), first);
    const std::vector<uint8_t> other = record(12);
    EXPECT_NE(other, first);
    // Only the filler after the name's terminator differs.
    const size_t name = strlen("gfx/sky.tga") + 1;
    EXPECT_EQ(memcmp(first.data(), other.data(), name), 0);
    EXPECT_EQ(memcmp(first.data() + WadDirectory::NAME_SIZE, other.data() + WadDirectory::NAME_SIZE,
                     WadDirectory::RECORD_SIZE - WadDirectory::NAME_SIZE),
              0);
    EXPECT_EQ(first[0] ^ WadDirectory::NAME_KEY, 'g');
}

} // namespace

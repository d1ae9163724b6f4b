// The folded CRC-32 gives zlib's value for every length below, at and past
// the 64 bytes where folding starts, at any alignment and start value.
#include "net/Crc32.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>
#include <zlib.h>

TEST(Crc32, MatchesZlibForEveryShape) {
    std::mt19937 random(7);
    std::vector<uint8_t> bytes(66000);
    for (uint8_t& b : bytes)
        b = uint8_t(random());
    int mismatches = 0;
    for (size_t length : {size_t(1200), size_t(65536)})
        for (size_t n = length == 1200 ? 0 : length; n <= length; ++n)
            for (size_t at : {size_t(0), size_t(13)}) {
                uint32_t start = n % 3 ? uint32_t(random()) : 0u;
                mismatches += Crc32::update(start, &bytes[at], n) != uint32_t(crc32_z(start, &bytes[at], n));
            }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(Crc32::update(0, reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCBF43926u);
}

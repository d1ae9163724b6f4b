// The folded CRC-32 gives zlib's value for every length (below, at and past
// the 64 bytes where folding starts, and ragged tails), any start value and
// any alignment, and a piece continued in two calls gives the whole's.
#include "net/Crc32.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>
#include <zlib.h>

TEST(Crc32, MatchesZlibForEveryShape) {
    std::mt19937 random(7);
    std::vector<uint8_t> bytes(70000);
    for (uint8_t& b : bytes)
        b = uint8_t(random());
    int mismatches = 0;
    for (size_t length = 0; length < 1200; ++length)
        for (size_t offset : {size_t(0), size_t(1), size_t(13)}) {
            uint32_t start = length % 3 ? uint32_t(random()) : 0u;
            mismatches += Crc32::update(start, &bytes[offset], length) !=
                          uint32_t(crc32_z(start, &bytes[offset], length));
        }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(Crc32::update(0, bytes.data(), 65536), uint32_t(crc32_z(0, bytes.data(), 65536)));
    uint32_t whole = Crc32::update(0, bytes.data(), 530);
    EXPECT_EQ(Crc32::update(Crc32::update(0, bytes.data(), 14), bytes.data() + 14, 516), whole);
    const uint8_t check[] = "123456789";
    EXPECT_EQ(Crc32::update(0, check, 9), 0xCBF43926u);
}

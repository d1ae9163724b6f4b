#include "SipHash.h"

#include <cstring>

namespace {
inline uint64_t rotl(uint64_t x, int b) { return (x << b) | (x >> (64 - b)); }

inline void round(uint64_t& v0, uint64_t& v1, uint64_t& v2, uint64_t& v3) {
    v0 += v1;
    v1 = rotl(v1, 13);
    v1 ^= v0;
    v0 = rotl(v0, 32);
    v2 += v3;
    v3 = rotl(v3, 16);
    v3 ^= v2;
    v0 += v3;
    v3 = rotl(v3, 21);
    v3 ^= v0;
    v2 += v1;
    v1 = rotl(v1, 17);
    v1 ^= v2;
    v2 = rotl(v2, 32);
}

inline uint64_t littleEndian64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = v << 8 | p[i];
    return v;
}
} // namespace

uint64_t SipHash::hash(const uint64_t key[2], const uint8_t* data, size_t bytes) {
    uint64_t v0 = 0x736f6d6570736575ull ^ key[0], v1 = 0x646f72616e646f6dull ^ key[1];
    uint64_t v2 = 0x6c7967656e657261ull ^ key[0], v3 = 0x7465646279746573ull ^ key[1];
    size_t whole = bytes - bytes % 8;
    for (size_t i = 0; i < whole; i += 8) {
        uint64_t m = littleEndian64(data + i);
        v3 ^= m;
        round(v0, v1, v2, v3);
        round(v0, v1, v2, v3);
        v0 ^= m;
    }
    uint8_t tail[8] = {};
    memcpy(tail, data + whole, bytes % 8);
    uint64_t last = littleEndian64(tail) | uint64_t(bytes & 0xFF) << 56;
    v3 ^= last;
    round(v0, v1, v2, v3);
    round(v0, v1, v2, v3);
    v0 ^= last;
    v2 ^= 0xFF;
    for (int i = 0; i < 4; ++i)
        round(v0, v1, v2, v3);
    return v0 ^ v1 ^ v2 ^ v3;
}

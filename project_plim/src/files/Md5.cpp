#include "Md5.h"

#include "util/ByteOrder.h"

#include <cstring>

namespace {

const uint32_t SINE_TABLE[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

const int SHIFTS[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

uint32_t rotateLeft(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

void transform(uint32_t state[4], const uint8_t block[64]) {
    uint32_t x[16];
    for (int i = 0; i < 16; ++i) x[i] = readUint32LE(block + 4 * i);

    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (int i = 0; i < 64; ++i) {
        uint32_t f;
        int word;
        switch (i / 16) {
        case 0: f = (b & c) | (~b & d); word = i; break;
        case 1: f = (b & d) | (c & ~d); word = (5 * i + 1) % 16; break;
        case 2: f = b ^ c ^ d; word = (3 * i + 5) % 16; break;
        default: f = c ^ (b | ~d); word = (7 * i) % 16; break;
        }
        uint32_t next = b + rotateLeft(a + f + SINE_TABLE[i] + x[word], SHIFTS[i / 16][i % 4]);
        a = d;
        d = c;
        c = b;
        b = next;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

}  // namespace

void md5Init(Md5Context& context) {
    context.bitCount[0] = context.bitCount[1] = 0;
    context.state[0] = 0x67452301;
    context.state[1] = 0xefcdab89;
    context.state[2] = 0x98badcfe;
    context.state[3] = 0x10325476;
    memset(context.buffer, 0, sizeof context.buffer);
}

void md5Update(Md5Context& context, const void* data, int length) {
    if (length <= 0) return;
    const uint8_t* input = static_cast<const uint8_t*>(data);
    unsigned used = (context.bitCount[0] >> 3) & 63;

    uint32_t bits = uint32_t(length) << 3;
    context.bitCount[0] += bits;
    if (context.bitCount[0] < bits) ++context.bitCount[1];
    context.bitCount[1] += uint32_t(length) >> 29;

    size_t remaining = size_t(length);
    if (used) {
        size_t take = 64 - used;
        if (take > remaining) take = remaining;
        memcpy(context.buffer + used, input, take);
        input += take;
        remaining -= take;
        if (used + take < 64) return;
        transform(context.state, context.buffer);
    }
    for (; remaining >= 64; input += 64, remaining -= 64) transform(context.state, input);
    memcpy(context.buffer, input, remaining);
}

void md5Final(Md5Context& context, uint8_t digest[16]) {
    uint8_t lengthBytes[8];
    writeUint32LE(lengthBytes, context.bitCount[0]);
    writeUint32LE(lengthBytes + 4, context.bitCount[1]);

    static const uint8_t padding[64] = {0x80};
    unsigned used = (context.bitCount[0] >> 3) & 63;
    md5Update(context, padding, int(used < 56 ? 56 - used : 120 - used));
    md5Update(context, lengthBytes, 8);

    for (int i = 0; i < 4; ++i) writeUint32LE(digest + 4 * i, context.state[i]);
    memset(&context, 0, sizeof context);
}

void md5Digest(uint8_t digest[16], const void* data, int length) {
    Md5Context context;
    md5Init(context);
    md5Update(context, data, length);
    md5Final(context, digest);
}

void md5DigestWithKey(uint8_t digest[16], uint32_t key, const void* data, int length) {
    uint8_t keyBytes[4];
    writeUint32LE(keyBytes, key);
    Md5Context context;
    md5Init(context);
    md5Update(context, keyBytes, 4);
    md5Update(context, data, length);
    md5Final(context, digest);
}

bool md5DigestEqual(const uint8_t a[16], const uint8_t b[16]) {
    for (int i = 0; i < 16; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

void md5DigestClear(uint8_t digest[16]) { memset(digest, 0, 16); }

UString md5DigestToHex(const uint8_t digest[16]) {
    static const char hex[] = "0123456789abcdef";
    char text[33];
    for (int i = 0; i < 16; ++i) {
        text[2 * i] = hex[digest[i] >> 4];
        text[2 * i + 1] = hex[digest[i] & 15];
    }
    return UString(text, 32);
}

#include "Crc32.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define CRC32_FOLDING 1
#endif

namespace {

#ifdef CRC32_FOLDING
#define FOLDING_TARGET __attribute__((target("pclmul,sse4.1")))

FOLDING_TARGET inline __m128i load(const uint8_t* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }

// a times k (both low, both high halves of the two) added to b.
FOLDING_TARGET inline __m128i fold(__m128i a, __m128i k, __m128i b) {
    __m128i low = _mm_clmulepi64_si128(a, k, 0x00);
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(a, k, 0x11), b), low);
}

// Windows of 16 into this give pshufb masks that shift bytes by a count known
// only at run time: at r, up by 16 - r (zeros in below); at 16 + r, down by r.
alignas(16) const uint8_t SHIFTS[48] = {
    0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80,
    0,    1,    2,    3,    4,    5,    6,    7,    8,    9,    10,   11,   12,   13,   14,   15,
    0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80};

// The last r (1 to 15) bytes before end after the folded x: x's first r bytes,
// led by zeros (which change nothing), fold onto its other 16 - r bytes
// followed by those r. The caller has folded at least 16 bytes, so the load
// of the 16 before end stays inside the data.
FOLDING_TARGET inline __m128i foldTail(__m128i x, __m128i k, const uint8_t* end, size_t r) {
    __m128i up = load(SHIFTS + r);
    __m128i down = load(SHIFTS + 16 + r);
    __m128i rest = _mm_blendv_epi8(load(end - 16), _mm_shuffle_epi8(x, down), up);
    return fold(_mm_shuffle_epi8(x, up), k, rest);
}

// Folds at least 16 bytes into the (inverted) crc: four lanes of 128 bits
// while 64 bytes remain, folded into one, then the rest 16 bytes at a time
// and the last few with one more fold, then reduced (Barrett) to 32 bits. The
// constants are powers of x modulo the bit-reflected polynomial.
FOLDING_TARGET uint32_t foldBlocks(uint32_t crc, const uint8_t* p, size_t n) {
    alignas(16) static const uint64_t k1k2[] = {0x0154442bd4, 0x01c6e41596};
    alignas(16) static const uint64_t k3k4[] = {0x01751997d0, 0x00ccaa009e};
    alignas(16) static const uint64_t k5k0[] = {0x0163cd6124, 0x0000000000};
    alignas(16) static const uint64_t poly[] = {0x01db710641, 0x01f7011641};
    const uint8_t* end = p + n;
    __m128i x1 = _mm_xor_si128(load(p), _mm_cvtsi32_si128(int(crc)));
    __m128i x2;
    __m128i k = _mm_load_si128(reinterpret_cast<const __m128i*>(k3k4));
    if (n >= 64) {
        x2 = load(p + 16);
        __m128i x3 = load(p + 32), x4 = load(p + 48);
        __m128i k12 = _mm_load_si128(reinterpret_cast<const __m128i*>(k1k2));
        for (p += 64; end - p >= 64; p += 64) {
            x1 = fold(x1, k12, load(p));
            x2 = fold(x2, k12, load(p + 16));
            x3 = fold(x3, k12, load(p + 32));
            x4 = fold(x4, k12, load(p + 48));
        }
        x1 = fold(x1, k, x2);
        x1 = fold(x1, k, x3);
        x1 = fold(x1, k, x4);
    } else {
        p += 16;
    }
    for (; end - p >= 16; p += 16)
        x1 = fold(x1, k, load(p));
    if (end > p)
        x1 = foldTail(x1, k, end, size_t(end - p));
    // 128 bits to 64.
    __m128i mask = _mm_setr_epi32(~0, 0, ~0, 0);
    x2 = _mm_clmulepi64_si128(x1, k, 0x10);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2);
    k = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(k5k0));
    x2 = _mm_srli_si128(x1, 4);
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, mask), k, 0x00), x2);
    // Barrett reduction to 32 bits.
    k = _mm_load_si128(reinterpret_cast<const __m128i*>(poly));
    x2 = _mm_clmulepi64_si128(_mm_and_si128(x1, mask), k, 0x10);
    x2 = _mm_clmulepi64_si128(_mm_and_si128(x2, mask), k, 0x00);
    return uint32_t(_mm_extract_epi32(_mm_xor_si128(x1, x2), 1));
}

bool canFold() {
    static const bool can = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return can;
}
#endif

// The fold starts from one whole block; a piece's header of 20 bytes or so
// already folds faster than it goes eight bytes a step.
const size_t FOLD_MINIMUM = 16;

// Eight tables of the reflected polynomial for eight bytes a step: spans
// shorter than a block, and processors that cannot fold.
struct SliceTables {
    uint32_t t[8][256];
    SliceTables() {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][i] = c;
        }
        for (uint32_t i = 0; i < 256; ++i)
            for (int j = 1; j < 8; ++j)
                t[j][i] = t[0][t[j - 1][i] & 0xFF] ^ (t[j - 1][i] >> 8);
    }
};

uint32_t sliced(uint32_t crc, const uint8_t* p, size_t n) {
    static const SliceTables tables;
    const auto& t = tables.t;
    crc = ~crc;
    for (; n >= 8; p += 8, n -= 8) {
        uint32_t low = crc ^ (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
        crc = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^ t[3][p[4]] ^
              t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
    }
    for (; n; ++p, --n)
        crc = t[0][(crc ^ *p) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

} // namespace

uint32_t Crc32::update(uint32_t crc, const uint8_t* bytes, size_t count) {
#ifdef CRC32_FOLDING
    if (count >= FOLD_MINIMUM && canFold())
        return ~foldBlocks(~crc, bytes, count);
#endif
    return count ? sliced(crc, bytes, count) : crc;
}

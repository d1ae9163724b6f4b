#pragma once
// MD5 (RFC 1321) and the digest helpers used to detect damaged or edited data.
#include "util/UString.h"

#include <cstdint>

struct Md5Context {
    uint32_t bitCount[2];  // message length in bits, low word first
    uint32_t state[4];     // A, B, C, D
    uint8_t buffer[64];
};

void md5Init(Md5Context& context);
// A length of 0 or less adds nothing.
void md5Update(Md5Context& context, const void* data, int length);
void md5Final(Md5Context& context, uint8_t digest[16]);

void md5Digest(uint8_t digest[16], const void* data, int length);
// Digest of the key's four little-endian bytes followed by the data.
void md5DigestWithKey(uint8_t digest[16], uint32_t key, const void* data, int length);
bool md5DigestEqual(const uint8_t a[16], const uint8_t b[16]);
void md5DigestClear(uint8_t digest[16]);
// 32 lower-case hex digits.
UString md5DigestToHex(const uint8_t digest[16]);

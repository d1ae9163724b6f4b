#pragma once
// SipHash-2-4: a keyed 64-bit hash. Without the key nobody can tell the hash
// of an input, so a value made from it can be checked later without keeping it.
#include <cstddef>
#include <cstdint>

class SipHash {
public:
    static uint64_t hash(const uint64_t key[2], const uint8_t* data, size_t bytes);
};

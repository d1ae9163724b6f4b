#pragma once
// Fixed-width little-endian fields of the engine's file formats.
#include <cstdint>

inline uint32_t readUint32LE(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline int32_t readInt32LE(const uint8_t* p) { return static_cast<int32_t>(readUint32LE(p)); }

inline void writeUint32LE(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

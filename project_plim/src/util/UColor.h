#pragma once
// 32-bit colour, bytes in memory order red, green, blue, alpha; as a 32-bit
// little-endian value red is the lowest byte.
#include <cstdint>

struct UColor {
    uint8_t r = 0, g = 0, b = 0, a = 0;

    // Opaque white: textures drawn with it keep their own colours.
    static const UColor WHITE;

    constexpr UColor() = default;
    UColor(uint32_t value)
        : r(uint8_t(value)), g(uint8_t(value >> 8)), b(uint8_t(value >> 16)), a(uint8_t(value >> 24)) {}
    constexpr UColor(uint8_t r, uint8_t g, uint8_t b, uint8_t a) : r(r), g(g), b(b), a(a) {}
    // Per channel from + (to - from) * t, truncated and wrapped to 8 bits;
    // t is not clamped.
    UColor(UColor from, UColor to, float t);

    uint32_t toU32() const { return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16 | uint32_t(a) << 24; }
    bool operator==(const UColor& o) const { return toU32() == o.toU32(); }
    bool operator!=(const UColor& o) const { return toU32() != o.toU32(); }
};

#include "UColor.h"

namespace {
uint8_t blend(uint8_t from, uint8_t to, float t) {
    float v = float(from) + (float(to) - float(from)) * t;
    // Truncate toward zero, keep the low 8 bits (values outside 0..255 wrap).
    if (!(v > -9.0e18f && v < 9.0e18f)) return 0;  // NaN or beyond any wrap
    return uint8_t(uint64_t(int64_t(v)));
}
}  // namespace

// Constant-initialised (constexpr constructor), so other files' statics may copy it.
const UColor UColor::WHITE(255, 255, 255, 255);

UColor::UColor(UColor from, UColor to, float t)
    : r(blend(from.r, to.r, t)), g(blend(from.g, to.g, t)), b(blend(from.b, to.b, t)),
      a(blend(from.a, to.a, t)) {}

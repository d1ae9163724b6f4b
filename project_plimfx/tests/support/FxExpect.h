#pragma once
// Shared checks of this layer's tests: fatal errors (EXPECT_FATAL) and pixel
// colours.
#include "ExpectFatal.h"
#include "util/UColor.h"

// Solid test colours as UColor values (red in the lowest byte).
const uint32_t RED = 0xFF0000FF, GREEN = 0xFF00FF00, BLUE = 0xFFFF0000, WHITE = 0xFFFFFFFF;

// Red, green and blue match exactly (alpha of the frame buffer ignored).
inline bool rgbIs(UColor c, uint32_t rgba) {
    UColor want(rgba);
    return c.r == want.r && c.g == want.g && c.b == want.b;
}

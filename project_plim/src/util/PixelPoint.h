#pragma once
// A pixel position in an image: column x, row y (row 0 at the top).

struct PixelPoint {
    int x = 0;
    int y = 0;

    PixelPoint() = default;
    PixelPoint(int px, int py) : x(px), y(py) {}
};

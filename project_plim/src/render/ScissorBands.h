#pragma once
// Cuts the window pixels of one draw into scissor bands around the area its
// texels can show in: rows of 8 pixels (whole 4x4 blocks of the software
// rasteriser) grouped into the bands that cost least, counting each band as a
// draw of its own. Drawn band by band with its own triangles, the draw gives
// every pixel it gives whole, and skips only fully transparent ones.
#include <array>
#include <cstddef>
#include <vector>

class ScissorBands {
public:
    using Point = std::array<double, 2>;
    // A rectangle of window pixels: x0 <= x < x1, y0 <= y < y1.
    struct Rect {
        int x0, y0, x1, y1;
    };

    // The bands holding every pixel of the convex area (window points) within
    // the viewport (x, y, width, height), for triangles that cover
    // wholePixels of the window; bandCost in covered pixels. False when the
    // bands would cost more than the whole draw, or a corner is not finite or
    // lies more than a billion pixels out. None when no pixel of the area
    // lies in the viewport.
    bool plan(const Point* area, int corners, const int viewport[4], double wholePixels, double bandCost);

    std::vector<Rect> bands;

private:
    std::vector<Rect> strips;
    std::vector<double> cheapest;  // the least cost of the first strips, in bands
    std::vector<size_t> bandStart; // the first strip of the last of those bands
};

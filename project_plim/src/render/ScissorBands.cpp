#include "ScissorBands.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Band edges lie on 8-row lines, their sides on 4-pixel ones: the rasteriser
// shades 4x4 blocks, and a block a band edge split would be shaded for both
// bands. 8 rows leave out more pixels than 16 for a band's cost.
const int STRIP_ROWS = 8;
const int BLOCK_COLUMNS = 4;
// The cut works in int window coordinates: a corner farther out (a point
// just in front of the eye) or not finite leaves the draw whole.
const double MAX_COORDINATE = 1.0e9;

// Multiples of step at or below, and at or above.
int down(int v, int step) { return v >= 0 ? v / step * step : -((-v + step - 1) / step * step); }
int up(int v, int step) { return -down(-v, step); }

// The least and greatest x of a convex polygon within y0 <= y <= y1; left >
// right when it has no part there.
void reach(const ScissorBands::Point* poly, int corners, double y0, double y1, double& left, double& right) {
    left = 1e30;
    right = -1e30;
    for (int i = 0; i < corners; ++i) {
        const ScissorBands::Point& p = poly[i];
        const ScissorBands::Point& q = poly[(i + 1) % corners];
        if (p[1] >= y0 && p[1] <= y1) {
            left = std::min(left, p[0]);
            right = std::max(right, p[0]);
        }
        for (double y : {y0, y1})
            if ((p[1] - y) * (q[1] - y) < 0.0) {
                const double x = p[0] + (y - p[1]) * (q[0] - p[0]) / (q[1] - p[1]);
                left = std::min(left, x);
                right = std::max(right, x);
            }
    }
}

} // namespace

bool ScissorBands::plan(const Point* area, int corners, const int viewport[4], double wholePixels, double bandCost) {
    bands.clear();
    for (int i = 0; i < corners; ++i)
        if (!(std::fabs(area[i][0]) <= MAX_COORDINATE && std::fabs(area[i][1]) <= MAX_COORDINATE)) return false;
    const int vx0 = viewport[0], vy0 = viewport[1], vx1 = vx0 + viewport[2], vy1 = vy0 + viewport[3];
    double low = area[0][1], high = low;
    for (int i = 1; i < corners; ++i) {
        low = std::min(low, area[i][1]);
        high = std::max(high, area[i][1]);
    }
    // A pixel more on each side than the area reaches: its corners took
    // other arithmetic than the rasteriser's.
    const int rowsFrom = std::max(vy0, down(int(std::floor(low)) - 1, STRIP_ROWS));
    const int rowsTo = std::min(vy1, up(int(std::ceil(high)) + 1, STRIP_ROWS));
    strips.clear();
    for (int y0 = rowsFrom; y0 < rowsTo; y0 = down(y0, STRIP_ROWS) + STRIP_ROWS) {
        const int y1 = std::min(rowsTo, down(y0, STRIP_ROWS) + STRIP_ROWS);
        double left, right;
        reach(area, corners, y0 - 1.0, y1 + 1.0, left, right);
        Rect strip = {INT_MAX, y0, INT_MIN, y1}; // empty
        if (left <= right && right >= vx0 - 1 && left <= vx1 + 1) {
            strip.x0 = std::max(vx0, down(int(std::floor(left)) - 1, BLOCK_COLUMNS));
            strip.x1 = std::min(vx1, up(int(std::ceil(right)) + 1, BLOCK_COLUMNS));
        }
        strips.push_back(strip);
    }

    // The cheapest grouping of the strips, by the cheapest of their first ones.
    const size_t n = strips.size();
    cheapest.assign(n + 1, 0.0);
    bandStart.assign(n + 1, 0);
    for (size_t j = 1; j <= n; ++j) {
        cheapest[j] = 1e300;
        int x0 = INT_MAX, x1 = INT_MIN;
        for (size_t i = j; i-- > 0;) {
            x0 = std::min(x0, strips[i].x0);
            x1 = std::max(x1, strips[i].x1);
            const double width = x1 > x0 ? double(x1) - double(x0) : 0.0;
            const double cost = cheapest[i] + width * double(strips[j - 1].y1 - strips[i].y0) + bandCost;
            if (cost < cheapest[j]) {
                cheapest[j] = cost;
                bandStart[j] = i;
            }
        }
    }
    if (cheapest[n] >= wholePixels) return false;
    for (size_t j = n; j > 0; j = bandStart[j]) {
        Rect band = {INT_MAX, strips[bandStart[j]].y0, INT_MIN, strips[j - 1].y1};
        for (size_t i = bandStart[j]; i < j; ++i) {
            band.x0 = std::min(band.x0, strips[i].x0);
            band.x1 = std::max(band.x1, strips[i].x1);
        }
        if (band.x0 < band.x1) bands.push_back(band);
    }
    return true;
}

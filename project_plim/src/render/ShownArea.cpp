#include "ShownArea.h"

#include "MemoryImageFile.h"
#include "util/PixelRect.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace {

struct Point {
    double x, y;
};

// The image column (or row) a texel index reads: the image, then the spare
// texels Texture fills (the image's last line after it, its first line in the
// texture's last), wrapping as GL_REPEAT does; -1 where the texture holds
// nothing defined.
int imageLine(int texel, int imageSize, int textureSize) {
    if (texel < 0) texel += textureSize;
    if (texel >= textureSize) texel -= textureSize;
    if (texel < imageSize) return texel;
    if (texel == imageSize) return imageSize - 1;
    if (texel == textureSize - 1) return 0;
    return -1;
}

// The first and last texel a fragment within [from, to] (texel units) can
// read: bilinear filtering mixes the two texels around the coordinate less
// half a texel, and a coordinate may round a little past the span's ends.
void readableTexels(double from, double to, int& first, int& last) {
    first = int(std::floor(from - 0.5 - 1e-3));
    last = int(std::floor(to - 0.5 + 1e-3)) + 1;
}

// The part of the convex polygon where a x + b y >= c.
std::vector<Point> keep(const std::vector<Point>& polygon, double a, double b, double c) {
    std::vector<Point> out;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const Point& p = polygon[i];
        const Point& q = polygon[(i + 1) % polygon.size()];
        const double fp = a * p.x + b * p.y - c, fq = a * q.x + b * q.y - c;
        if (fp >= 0.0) out.push_back(p);
        if ((fp >= 0.0) != (fq >= 0.0)) {
            const double t = fp / (fp - fq);
            out.push_back({p.x + t * (q.x - p.x), p.y + t * (q.y - p.y)});
        }
    }
    return out;
}

} // namespace

ShownArea ShownArea::find(MemoryImageFile* image, const PixelRect& rect, int scale, int textureWidth,
                          int textureHeight, int margin) {
    ShownArea area;
    const double left = double(rect.left) / scale, right = double(rect.right) / scale;
    const double top = double(rect.top) / scale, bottom = double(rect.bottom) / scale;
    int x0, x1, y0, y1;
    readableTexels(left, right, x0, x1);
    readableTexels(top, bottom, y0, y1);

    // Bounds of the texels that are not fully transparent along x, y, x + y and x - y.
    int minX = INT_MAX, maxX = INT_MIN, minY = INT_MAX, maxY = INT_MIN;
    int minSum = INT_MAX, maxSum = INT_MIN, minDiff = INT_MAX, maxDiff = INT_MIN;
    for (int y = y0; y <= y1; ++y) {
        const int row = imageLine(y, image->height, textureHeight);
        for (int x = x0; x <= x1; ++x) {
            const int column = imageLine(x, image->width, textureWidth);
            if (row >= 0 && column >= 0 && image->pixel(column, row)[3] == 0) continue;
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
            minSum = std::min(minSum, x + y);
            maxSum = std::max(maxSum, x + y);
            minDiff = std::min(minDiff, x - y);
            maxDiff = std::max(maxDiff, x - y);
        }
    }
    if (minX > maxX) return area;

    // A sample at (s, t) mixes texel (i, j) only within [i - 0.5, i + 1.5) x
    // [j - 0.5, j + 1.5); a margin of one texel keeps half a texel more than
    // the octagon around those squares.
    const int m = margin;
    std::vector<Point> polygon = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
    polygon = keep(polygon, 1, 0, minX - m);
    polygon = keep(polygon, -1, 0, -(maxX + 1 + m));
    polygon = keep(polygon, 0, 1, minY - m);
    polygon = keep(polygon, 0, -1, -(maxY + 1 + m));
    polygon = keep(polygon, 1, 1, minSum - 1 - m);
    polygon = keep(polygon, -1, -1, -(maxSum + 3 + m));
    polygon = keep(polygon, 1, -1, minDiff - 2 - m);
    polygon = keep(polygon, -1, 1, -(maxDiff + 2 + m));

    std::vector<Point> corners;
    for (const Point& p : polygon)
        if (corners.empty() || std::fabs(p.x - corners.back().x) + std::fabs(p.y - corners.back().y) > 1e-6)
            corners.push_back(p);
    while (corners.size() > 1 &&
           std::fabs(corners.front().x - corners.back().x) + std::fabs(corners.front().y - corners.back().y) <= 1e-6)
        corners.pop_back();
    if (corners.size() < 3 || corners.size() > size_t(MAX_CORNERS)) {
        // Neither is expected from eight cuts; the whole rectangle is safe.
        corners = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
    }
    area.corners = int(corners.size());
    for (int i = 0; i < area.corners; ++i) {
        area.x[i] = float(corners[size_t(i)].x * scale);
        area.y[i] = float(corners[size_t(i)].y * scale);
    }
    return area;
}

bool ShownArea::coversRect(const PixelRect& rect) const {
    if (corners != 4) return false;
    for (int i = 0; i < corners; ++i) {
        const bool onX = x[i] == float(rect.left) || x[i] == float(rect.right);
        const bool onY = y[i] == float(rect.top) || y[i] == float(rect.bottom);
        if (!onX || !onY) return false;
    }
    return true;
}

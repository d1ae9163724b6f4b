// The window area a triangle covers within a rectangle (the batch's fill count
// and its plan of scissor bands), for corners that a vertex near the eye plane
// throws some 1e20 pixels out.
#include "render/DrawBatch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using Point = ScissorBands::Point;

const double FAR = 1e20;

// The corner brought in along its line from the origin to a trillion pixels:
// edges from the window to it turn by less than a billionth of a radian.
Point broughtIn(const Point& p) {
    const double scale = 1e12 / std::hypot(p[0], p[1]);
    return {p[0] * scale, p[1] * scale};
}

TEST(DrawBatchClippedArea, FarCornersCutTheWindowWhereTheirEdgesRun) {
    EXPECT_EQ(DrawBatch::clippedArea({-FAR, -FAR}, {3 * FAR, -FAR}, {-FAR, 3 * FAR}, 0, 0, 640, 480), 640.0 * 480.0);
    // One edge along the diagonal, the far corner beyond the lower right.
    EXPECT_NEAR(DrawBatch::clippedArea({0, 0}, {640, 480}, {FAR, -FAR}, 0, 0, 640, 480), 640.0 * 480.0 / 2, 1e-6);
    // Clipped to an 8-row band this one kept nine corners.
    const Point a = {267.23470268068291, 185.43127539412819}, b = {777.03094085879343, -145.65469795519954},
                far = {-1.9058080760948136e+20, 2.473405669173381e+20};
    EXPECT_NEAR(DrawBatch::clippedArea(a, b, far, 0, 24, 640, 40), DrawBatch::clippedArea(a, b, broughtIn(far), 0, 24, 640, 40),
                0.01);
}

// Crossings toward an infinite corner take 0 x infinity: no longer convex,
// these keep nine and eight corners (the sanitizers see an overrun).
TEST(DrawBatchClippedArea, InfiniteCornersKeepWithinTheCornerArrays) {
    const double INF = INFINITY;
    for (const double area : {DrawBatch::clippedArea({320, INF}, {1e20, 1e20}, {-1e300, -1e300}, 0, 0, 640, 480),
                              DrawBatch::clippedArea({500, INF}, {-1e300, 320}, {1e300, 320}, 0, 0, 640, 480)})
        EXPECT_TRUE(std::isnan(area) || (area >= 0.0 && area <= 640.0 * 480.0)) << area;
}

TEST(DrawBatchClippedArea, ACornerFarOutCoversWhatOneNearerOnItsLineCovers) {
    std::mt19937_64 random(1);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int i = 0; i < 20000; ++i) {
        Point corners[3];
        for (Point& p : corners) p = {320.0 + 700.0 * unit(random), 240.0 + 700.0 * unit(random)};
        const int far = int(random() % 3);
        const double length = std::ldexp(1.0 + 0.5 * unit(random), 40 + int(random() % 32));
        const double angle = M_PI * unit(random);
        corners[far] = {length * std::cos(angle), length * std::sin(angle)};
        Point nearer[3] = {corners[0], corners[1], corners[2]};
        nearer[far] = broughtIn(corners[far]);
        // The window, or one of the bands of 8 rows a draw is cut into.
        const double y0 = random() % 2 ? 0.0 : 8.0 * double(random() % 60);
        const double y1 = y0 == 0.0 ? 480.0 : y0 + 8.0 * double(1 + random() % 3);

        const double area = DrawBatch::clippedArea(corners[0], corners[1], corners[2], 0, y0, 640, y1);
        ASSERT_GE(area, 0.0) << i;
        ASSERT_LE(area, 640.0 * (y1 - y0)) << i;
        if (length > 1e13) {
            ASSERT_NEAR(area, DrawBatch::clippedArea(nearer[0], nearer[1], nearer[2], 0, y0, 640, y1), 0.01) << i;
        }
    }
}

} // namespace

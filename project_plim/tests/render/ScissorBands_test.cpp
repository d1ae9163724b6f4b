// The scissor bands planned around a draw's shown area.
#include "render/ScissorBands.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

// A corner between the eye and the near plane lands billions of pixels out
// (or nowhere): such a draw is not cut, so the batch draws it whole rather
// than drop it as shown nowhere.
TEST(ScissorBandsTest, AreasPastTheIntRangeAreNotCut) {
    const ScissorBands::Point far[] = {{-3e9, -3e9}, {3e9, -3e9}, {3e9, 3e9}, {-3e9, 3e9}};
    const ScissorBands::Point lost[] = {{NAN, 0}, {9, 0}, {0, 9}};
    const int viewport[4] = {0, 0, 640, 480};
    ScissorBands cut;
    EXPECT_FALSE(cut.plan(far, 4, viewport, 640 * 480, 0.0));
    EXPECT_FALSE(cut.plan(lost, 3, viewport, 640 * 480, 0.0));
}

} // namespace

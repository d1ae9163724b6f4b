#include "util/Matrix.h"
#include "util/UColor.h"
#include "util/V3.h"
#include "util/PlimMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {
void expectNear(const V3& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-5f);
    EXPECT_NEAR(v.y, y, 1e-5f);
    EXPECT_NEAR(v.z, z, 1e-5f);
}

// a * b is the identity within eps.
void expectInverse(const Matrix& a, const Matrix& b, float eps) {
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) {
            float s = 0;
            for (int k = 0; k < 4; ++k) s += a.at(row, k) * b.at(k, col);
            EXPECT_NEAR(s, row == col ? 1.0f : 0.0f, eps);
        }
}
}  // namespace

TEST(Maths, InterpolateClampsAndCurves) {
    V3 a(1, 2, 3), b(3, 6, 11), out;
    for (int kind = 0; kind <= 8; ++kind) {
        interpolate(out, a, b, -0.5f, kind);
        expectNear(out, 1, 2, 3);
        interpolate(out, a, b, 2.0f, kind);
        kind <= 5 ? expectNear(out, 3, 6, 11) : expectNear(out, 1, 2, 3);
    }
    out = V3(9, 9, 9);
    interpolate(out, a, b, 0.5f, 9);
    interpolate(out, a, b, 0.5f, -1);
    EXPECT_EQ(out, V3(9, 9, 9));
    interpolate(out, a, b, 0.25f, INTERPOLATE_LINEAR_BACK);
    expectNear(out, 2, 4, 7);
    interpolate(out, a, b, 0.25f, INTERPOLATE_PARABOLA_BACK);
    expectNear(out, 2.5f, 5, 9);
    interpolate(out, a, b, 0.5f, INTERPOLATE_SINE_IN_OUT);
    expectNear(out, 2, 4, 7);
}

TEST(Maths, VectorHelpers) {
    EXPECT_EQ(normalize(V3()), V3());
    expectNear(normalize(V3(3, 0, 4)), 0.6f, 0, 0.8f);
    EXPECT_FALSE(isWithinRadius(V3(1, 1, 1), V3(1, 3, 1), 2.0f));
    EXPECT_TRUE(isWithinRadius(V3(1, 1, 1), V3(1, 2.9f, 1), 2.0f));
    EXPECT_EQ(crossProduct(V3(1, 0, 0), V3(0, 1, 0)), V3(0, 0, 1));
    expectNear(rotateXY(V3(0, 0, -1), HALF_PI, 0), -1, 0, 0);
    expectNear(rotateXY(V3(0, 1, 0), 0, HALF_PI), 0, 0, 1);
    expectNear(rotateZ(V3(1, 0, 5), HALF_PI), 0, 1, 5);
}

TEST(Maths, TransformAndInvert) {
    Matrix t, inv;
    t[12] = 1, t[13] = 2, t[14] = 3;
    expectNear(transformPoint(V3(1, 1, 1), t), 2, 3, 4);
    ASSERT_TRUE(Matrix::invert(inv, t));
    expectNear(V3(inv[12], inv[13], inv[14]), -1, -2, -3);

    Matrix zero;
    for (float& f : zero.m) f = 0;
    EXPECT_FALSE(Matrix::invert(inv, zero));
    Matrix singular;
    for (int c = 0; c < 4; ++c) singular.at(1, c) = singular.at(0, c);
    EXPECT_FALSE(Matrix::invert(inv, singular));

    // (0,0) and (1,0) both zero: the pivot must come from row 2.
    Matrix perm = zero;
    perm[2] = perm[4] = perm[9] = perm[15] = 1;
    ASSERT_TRUE(Matrix::invert(inv, perm));
    expectInverse(perm, inv, 0);

    // A tiny leading entry loses all precision without pivoting.
    Matrix tricky;
    tricky.at(0, 0) = 1e-7f;
    tricky.at(0, 1) = tricky.at(1, 0) = tricky.at(2, 0) = 1;
    Matrix self = tricky;
    ASSERT_TRUE(Matrix::invert(self, self));  // in place
    expectInverse(tricky, self, 1e-5f);

    std::mt19937 rng(7);
    std::uniform_real_distribution<float> d(-10, 10);
    for (int n = 0; n < 50; ++n) {
        Matrix m, back;
        for (float& f : m.m) f = d(rng);
        ASSERT_TRUE(Matrix::invert(inv, m));
        expectInverse(m, inv, 1e-3f);
        ASSERT_TRUE(Matrix::invert(back, inv));
        for (int i = 0; i < 16; ++i) EXPECT_NEAR(back[i], m[i], 1e-2f);
    }
}

TEST(Maths, ColourLayoutAndBlend) {
    UColor red(0xff0000ffu);
    EXPECT_EQ(red.r, 0xff);
    EXPECT_EQ(red.g, 0);
    EXPECT_EQ(red.a, 0xff);
    EXPECT_EQ(UColor(UColor(0, 0, 0, 255), UColor(255, 255, 255, 255), 0.5f), UColor(127, 127, 127, 255));
    UColor a(10, 20, 30, 40), b(250, 0, 30, 41);
    EXPECT_EQ(UColor(a, b, 0.0f), a);
    EXPECT_EQ(UColor(a, b, 1.0f), b);
    EXPECT_EQ(UColor(a, b, 2.0f), UColor(uint8_t(490), uint8_t(-20), 30, 42));  // t unclamped: wraps
    EXPECT_EQ(UColor(a, b, NAN).r, 0);
}

#include "Transform.h"
#include "PlimMath.h"

#include <cmath>

void translateMatrix(Matrix& m, float x, float y, float z) {
    for (int r = 0; r < 4; ++r)
        m.m[12 + r] += m.m[r] * x + m.m[4 + r] * y + m.m[8 + r] * z;
}

void scaleMatrix(Matrix& m, float x, float y, float z) {
    for (int r = 0; r < 4; ++r) {
        m.m[r] *= x;
        m.m[4 + r] *= y;
        m.m[8 + r] *= z;
    }
}

namespace {

// Mixes columns a and b of m by the rotation (c, s): a' = c a + s b, b' = c b - s a.
void rotateColumns(Matrix& m, int a, int b, float degrees) {
    const double radians = degreesToRadians(degrees);
    const float c = float(cos(radians));
    const float s = float(sin(radians));
    for (int r = 0; r < 4; ++r) {
        const float ca = m.m[4 * a + r];
        const float cb = m.m[4 * b + r];
        m.m[4 * a + r] = ca * c + cb * s;
        m.m[4 * b + r] = cb * c - ca * s;
    }
}

} // namespace

void rotateMatrixX(Matrix& m, float degrees) { rotateColumns(m, 1, 2, degrees); }

void rotateMatrixY(Matrix& m, float degrees) { rotateColumns(m, 2, 0, degrees); }

void rotateMatrixZ(Matrix& m, float degrees) { rotateColumns(m, 0, 1, degrees); }


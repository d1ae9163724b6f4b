#include "Matrix.h"

#include <cmath>
#include <utility>

void Matrix::setIdentity() {
    for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

bool Matrix::invert(Matrix& destination, const Matrix& source) {
    // Gauss-Jordan with partial pivoting: each column takes the row with the
    // largest entry as its pivot, so every invertible matrix inverts.
    Matrix a = source;
    Matrix inv;
    for (int k = 0; k < 4; ++k) {
        int pivotRow = k;
        for (int r = k + 1; r < 4; ++r)
            if (fabsf(a.at(r, k)) > fabsf(a.at(pivotRow, k))) pivotRow = r;
        if (a.at(pivotRow, k) == 0.0f) return false;
        if (pivotRow != k) {
            for (int c = 0; c < 4; ++c) {
                std::swap(a.at(k, c), a.at(pivotRow, c));
                std::swap(inv.at(k, c), inv.at(pivotRow, c));
            }
        }
        float scale = 1.0f / a.at(k, k);
        for (int c = 0; c < 4; ++c) {
            a.at(k, c) *= scale;
            inv.at(k, c) *= scale;
        }
        for (int r = 0; r < 4; ++r) {
            if (r == k) continue;
            float f = a.at(r, k);
            if (f == 0.0f) continue;
            for (int c = 0; c < 4; ++c) {
                a.at(r, c) -= f * a.at(k, c);
                inv.at(r, c) -= f * inv.at(k, c);
            }
        }
    }
    destination = inv;
    return true;
}

V3 transformPoint(const V3& p, const Matrix& m) {
    return V3(p.x * m.m[0] + p.y * m.m[4] + p.z * m.m[8] + m.m[12],
              p.x * m.m[1] + p.y * m.m[5] + p.z * m.m[9] + m.m[13],
              p.x * m.m[2] + p.y * m.m[6] + p.z * m.m[10] + m.m[14]);
}

V3 rotateXY(const V3& v, float angleY, float angleX) {
    float cx = cosf(angleX), sx = sinf(angleX);
    Matrix aboutX;
    aboutX.at(1, 1) = cx;
    aboutX.at(1, 2) = -sx;
    aboutX.at(2, 1) = sx;
    aboutX.at(2, 2) = cx;
    V3 p = transformPoint(v, aboutX);

    float cy = cosf(angleY), sy = sinf(angleY);
    Matrix aboutY;
    aboutY.at(0, 0) = cy;
    aboutY.at(0, 2) = sy;
    aboutY.at(2, 0) = -sy;
    aboutY.at(2, 2) = cy;
    return transformPoint(p, aboutY);
}

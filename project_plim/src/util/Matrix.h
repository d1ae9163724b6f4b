#pragma once
// 4x4 float transform in OpenGL order: element 4c + r is row r of column c,
// translation in elements 12..14. Points are transformed as M * (x, y, z, 1).
#include "V3.h"

class Matrix {
public:
    Matrix() { setIdentity(); }

    void setIdentity();
    // Writes the inverse of source into destination (source may be destination).
    // Returns false for a singular matrix; destination is then unspecified.
    static bool invert(Matrix& destination, const Matrix& source);

    float& operator[](int i) { return m[i]; }
    float operator[](int i) const { return m[i]; }
    float& at(int row, int column) { return m[4 * column + row]; }
    float at(int row, int column) const { return m[4 * column + row]; }

    float m[16];
};

// x' = x*m0 + y*m4 + z*m8 + m12, etc.; no division by w.
V3 transformPoint(const V3& p, const Matrix& m);
// v rotated about x by angleX, then about y by angleY (radians).
V3 rotateXY(const V3& v, float angleY, float angleX);

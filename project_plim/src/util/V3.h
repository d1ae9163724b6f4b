#pragma once
// Three-component float vector and the small vector helpers.

struct V3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;

    V3() = default;
    V3(float x, float y, float z) : x(x), y(y), z(z) {}

    V3 operator+(const V3& o) const { return V3(x + o.x, y + o.y, z + o.z); }
    V3 operator-(const V3& o) const { return V3(x - o.x, y - o.y, z - o.z); }
    V3 operator*(float f) const { return V3(x * f, y * f, z * f); }
    V3& operator+=(const V3& o) { x += o.x; y += o.y; z += o.z; return *this; }
    V3& operator-=(const V3& o) { x -= o.x; y -= o.y; z -= o.z; return *this; }
    V3& operator*=(float f) { x *= f; y *= f; z *= f; return *this; }
    bool operator==(const V3& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const V3& o) const { return !(*this == o); }
};

// Easing curves for interpolate; f(t) after t is clamped to [0, 1].
enum InterpolationKind {
    INTERPOLATE_LINEAR = 0,        // t
    INTERPOLATE_QUAD_IN = 1,       // t^2
    INTERPOLATE_QUAD_OUT = 2,      // 1 - (1-t)^2
    INTERPOLATE_SINE_OUT = 3,      // sin(t*pi/2)
    INTERPOLATE_SINE_IN = 4,       // 1 - cos(t*pi/2)
    INTERPOLATE_SINE_IN_OUT = 5,   // (1 - cos(t*pi))/2
    INTERPOLATE_SINE_BACK = 6,     // sin(t*pi): out and back
    INTERPOLATE_LINEAR_BACK = 7,   // 2t, then 2(1-t)
    INTERPOLATE_PARABOLA_BACK = 8  // 1 - (1-2t)^2
};

// radius^2 > |p - centre|^2: a point exactly on the sphere is outside.
bool isWithinRadius(const V3& centre, V3 p, float radius);
// out = a + (b - a) * f(t); an unknown kind leaves out unchanged.
void interpolate(V3& out, const V3& a, const V3& b, float t, int kind);
V3 crossProduct(const V3& a, V3 b);
// Unit vector; (0, 0, 0) for a zero-length vector.
V3 normalize(const V3& v);
// Rotation about z by angle (radians).
V3 rotateZ(const V3& v, float angle);

#include "V3.h"

#include <cmath>

namespace {
const double HALF_PI = 1.5707963267948966;
const double THREE_HALF_PI = 4.71238898038469;
const double PI = 3.141592653589793;
}  // namespace

bool isWithinRadius(const V3& centre, V3 p, float radius) {
    V3 d = p - centre;
    return radius * radius > d.x * d.x + d.y * d.y + d.z * d.z;
}

void interpolate(V3& out, const V3& a, const V3& b, float t, int kind) {
    if (t < 0.0f) t = 0.0f;
    if (t > 1.0f) t = 1.0f;
    float f;
    switch (kind) {
    case INTERPOLATE_LINEAR: f = t; break;
    case INTERPOLATE_QUAD_IN: f = t * t; break;
    case INTERPOLATE_QUAD_OUT: f = 1.0f - (1.0f - t) * (1.0f - t); break;
    case INTERPOLATE_SINE_OUT: f = float(sin(t * HALF_PI)); break;
    case INTERPOLATE_SINE_IN: f = float(sin(t * HALF_PI + THREE_HALF_PI) + 1.0); break;
    case INTERPOLATE_SINE_IN_OUT: f = float(0.5 * sin(t * PI + THREE_HALF_PI) + 0.5); break;
    case INTERPOLATE_SINE_BACK: f = float(sin(t * PI)); break;
    case INTERPOLATE_LINEAR_BACK: f = t < 0.5f ? 2.0f * t : 2.0f * (1.0f - t); break;
    case INTERPOLATE_PARABOLA_BACK: f = 1.0f - (1.0f - 2.0f * t) * (1.0f - 2.0f * t); break;
    default: return;
    }
    out = a + (b - a) * f;
}

V3 crossProduct(const V3& a, V3 b) {
    return V3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

V3 normalize(const V3& v) {
    float l = sqrtf(v.x * v.x + v.y * v.y + v.z * v.z);
    if (l == 0.0f) return V3();
    float inv = 1.0f / l;
    return v * inv;
}

V3 rotateZ(const V3& v, float angle) {
    float c = cosf(angle), s = sinf(angle);
    return V3(v.x * c - v.y * s, v.x * s + v.y * c, v.z);
}

#include "V3.h"
#include "PlimMath.h"

#include <cmath>

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
    case INTERPOLATE_SINE_OUT: f = float(sin(t * (PI_DOUBLE / 2.0))); break;
    case INTERPOLATE_SINE_IN: f = float(sin(t * (PI_DOUBLE / 2.0) + 1.5 * PI_DOUBLE) + 1.0); break;
    case INTERPOLATE_SINE_IN_OUT: f = float(0.5 * sin(t * PI_DOUBLE + 1.5 * PI_DOUBLE) + 0.5); break;
    case INTERPOLATE_SINE_BACK: f = float(sin(t * PI_DOUBLE)); break;
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

#pragma once
// The engine's one pi and the angle helpers built on it: every file takes its
// angle constants from here, in float for the world's maths and in double
// where clocks and audio phases need the precision.

#include <cmath>

constexpr double PI_DOUBLE = 3.14159265358979323846;
constexpr double TWO_PI_DOUBLE = 2.0 * PI_DOUBLE;
constexpr float PI = float(PI_DOUBLE);
constexpr float TWO_PI = 2.0f * PI;
constexpr float HALF_PI = 0.5f * PI;

// The one pair of angle conversions, in double: callers round to float once.
constexpr double degreesToRadians(double degrees) { return degrees * (PI_DOUBLE / 180.0); }
constexpr double radiansToDegrees(double radians) { return radians * (180.0 / PI_DOUBLE); }

// The angle brought into [0, 2 pi); a non-finite angle gives 0.
inline float wrapAngle(float angle) {
    if (!std::isfinite(angle)) return 0.0f;
    // Far-off angles are brought near first so the loops stay short.
    if (angle < -4.0f * TWO_PI || angle >= 5.0f * TWO_PI) angle = std::fmod(angle, TWO_PI);
    while (angle < 0.0f) angle += TWO_PI;
    while (angle >= TWO_PI) angle -= TWO_PI;
    return angle;
}

#pragma once
// A rectangle in world units: left, top, right, bottom, with y growing upwards
// (top > bottom for a rectangle of positive height).

struct Rect {
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;

    Rect() = default;
    Rect(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}
};

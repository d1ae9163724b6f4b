#pragma once
// A rectangle of texture coordinates: left u, top v, right u, bottom v. v = 0 is
// the image's top row, so top v is below bottom v for skins cut from images.

struct UVRect {
    float left = 0.0f;
    float top = 0.0f;
    float right = 1.0f;
    float bottom = 1.0f;

    UVRect() = default;
    UVRect(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}
};

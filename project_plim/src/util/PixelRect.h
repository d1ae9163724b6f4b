#pragma once
// A rectangle of image pixels. The fields are in the order left, top, bottom,
// right; right and bottom are exclusive.

struct PixelRect {
    int left = 0;
    int top = 0;
    int bottom = 0;
    int right = 0;

    PixelRect() = default;
    PixelRect(int l, int t, int b, int r) : left(l), top(t), bottom(b), right(r) {}

    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

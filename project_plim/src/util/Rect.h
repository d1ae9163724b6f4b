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

    // Edges count as inside.
    bool contains(float x, float y) const { return x >= left && x <= right && y <= top && y >= bottom; }
    // The smallest rectangle holding both.
    Rect united(const Rect& o) const {
        return Rect(left < o.left ? left : o.left, top > o.top ? top : o.top, right > o.right ? right : o.right,
                    bottom < o.bottom ? bottom : o.bottom);
    }
    // The two share more than an edge.
    bool overlaps(const Rect& o) const { return left < o.right && o.left < right && bottom < o.top && o.bottom < top; }
};

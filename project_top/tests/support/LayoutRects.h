#pragma once
// Layout checks in a window: the rectangles a view of fovWidth x fovHeight
// units (origin at the centre, y up) covers in a window of the sizes the
// graphics options offer.
#include "render/Camera.h"
#include "render/Renderable.h"
#include "render/Skin.h"
#include "util/Rect.h"

#include <utility>
#include <vector>

namespace LayoutRects {

// The window sizes of the graphics options (the view is scaled to fill each).
inline const std::vector<std::pair<int, int>>& windowSizes() {
    static const std::vector<std::pair<int, int>> sizes = {{640, 480}, {800, 600}, {1024, 768}};
    return sizes;
}

// Where a renderable's skin lies (no rotation or scale).
inline Rect drawn(const Renderable* r) {
    const float cx = r->position.x - r->pSkin->origin.x, cy = r->position.y - r->pSkin->origin.y;
    const float w = 0.5f * r->pSkin->width, h = 0.5f * r->pSkin->height;
    return Rect(cx - w, cy + h, cx + w, cy - h);
}

// A rectangle of the view in a window's pixels, y still up, 0 at the bottom left.
inline Rect inPixels(const Rect& r, int width, int height) {
    const float sx = float(width) / float(Camera::fovWidth()), sy = float(height) / float(Camera::fovHeight());
    const float x0 = 0.5f * float(Camera::fovWidth()), y0 = 0.5f * float(Camera::fovHeight());
    return Rect((r.left + x0) * sx, (r.top + y0) * sy, (r.right + x0) * sx, (r.bottom + y0) * sy);
}

// Whole pixels between the rectangle and the window's edges (negative: past one).
inline float roomToEdges(const Rect& r, int width, int height) {
    const Rect p = inPixels(r, width, height);
    float room = p.left;
    for (float d : {float(width) - p.right, p.bottom, float(height) - p.top}) room = d < room ? d : room;
    return room;
}

// Pixels between two rectangles stacked one above the other (negative: they overlap).
inline float verticalGap(const Rect& upper, const Rect& lower, int width, int height) {
    return inPixels(upper, width, height).bottom - inPixels(lower, width, height).top;
}

} // namespace LayoutRects

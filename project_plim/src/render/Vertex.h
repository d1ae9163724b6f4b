#pragma once
// The interleaved vertex of all geometry, laid out as OpenGL's GL_T2F_C4UB_V3F:
// texture coordinates, colour bytes (red, green, blue, alpha), position.
#include "util/UColor.h"

struct Vertex {
    float u, v;
    UColor color;
    float x, y, z;
};

static_assert(sizeof(Vertex) == 24, "Vertex must match GL_T2F_C4UB_V3F");

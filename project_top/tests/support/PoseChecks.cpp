#include "PoseChecks.h"

#include "render/Texture.h"
#include "util/PlimMath.h"

#include <cmath>

int skinIndex(Texture* frames, Skin* skin) {
    for (size_t i = 0; i < frames->skins.size(); ++i)
        if (frames->skins[i] == skin) return int(i);
    return -1;
}

float angleBetween(float a, float b) {
    float d = std::fmod(a - b, TWO_PI);
    if (d > PI) d -= TWO_PI;
    if (d <= -PI) d += TWO_PI;
    return d;
}

#include "CameraBlenderFactor.h"

CameraBlenderFactor::CameraBlenderFactor() {}

CameraBlenderFactor::~CameraBlenderFactor() {}

void CameraBlenderFactor::tick(double, double dt) {
    if (factor >= 1.0f) return;
    blendElapsed += dt;
    factor = float(blendElapsed / blendTime);
    if (factor < 0.0f) factor = 0.0f;
    if (factor > 1.0f) factor = 1.0f;
}

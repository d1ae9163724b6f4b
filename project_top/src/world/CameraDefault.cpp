#include "CameraDefault.h"

#include "modes/GameController.h"
#include "Vehicle.h"

#include <algorithm>

CameraDefault::CameraDefault() : zoomStartZ(-float(fovWidth()) / 2.0f), zoomTargetZ(-float(fovWidth()) / 2.0f) {}

CameraDefault::~CameraDefault() {}

void CameraDefault::clampToFloor(Camera& camera) {
    const float bottom = camera.getVisibleRect(0.0f).bottom;
    if (bottom >= FLOOR) return;
    camera.position.y += FLOOR - bottom;
    camera.target.y += FLOOR - bottom;
}

void CameraDefault::tick(double time, double dt) {
    CameraBlenderFactor::tick(time, dt);
    Vehicle* a = GameController::currentVehicle(0);
    Vehicle* b = GameController::currentVehicle(1);
    if (!a || !b) return;
    if (zoomProgress < 1.0f) zoomProgress = std::min(1.0f, std::max(0.0f, zoomProgress + float(dt)));

    const float left = std::min(a->position.x, b->position.x) - MARGIN;
    const float right = std::max(a->position.x, b->position.x) + MARGIN;
    const float bottom = std::min(a->position.y, b->position.y) - MARGIN;
    const float top = std::max(a->position.y, b->position.y) + MARGIN;
    const float needed = std::max(right - left, (top - bottom) / fovAspect());
    const float w = float(fovWidth());
    if (!bZoomedOut && needed > w) {
        bZoomedOut = true;
        zoomStartZ = position.z;
        zoomTargetZ = -w;
        zoomProgress = 0.0f;
    } else if (bZoomedOut && needed < ZOOM_BACK_SHARE * w) {
        bZoomedOut = false;
        zoomStartZ = position.z;
        zoomTargetZ = -w / 2.0f;
        zoomProgress = 0.0f;
    }
    V3 z;
    interpolate(z, V3(0.0f, 0.0f, zoomStartZ), V3(0.0f, 0.0f, zoomTargetZ), zoomProgress, INTERPOLATE_SINE_IN_OUT);
    position = V3((left + right) / 2.0f, (bottom + top) / 2.0f, z.z);
    target = V3(position.x, position.y, 0.0f);
    clampToFloor(*this);
}

#include "Camera.h"

#include "core/Plim.h"
#include "PlimGraphics.h"
#include "core/RuntimeClass.h"

#include <SDL_opengl.h>
#include <cmath>

RuntimeClass Camera::runtimeClass("Camera", &PlimBase::runtimeClass,
                                  []() -> void* { return Camera::create(); });

RuntimeClass* Camera::getClass() { return &runtimeClass; }

PlimBase* Camera::create() { return new Camera(); }

int Camera::fovWidth() { return PLIM->graphics ? PLIM->graphics->fovWidth : 640; }

int Camera::fovHeight() { return PLIM->graphics ? PLIM->graphics->fovHeight : 480; }

float Camera::fovAspect() {
    PlimGraphics* g = PLIM->graphics;
    return g ? float(g->fovHeight) / float(g->fovWidth) : 480.0f / 640.0f;
}

float Camera::viewOffsetX() { return PLIM->graphics ? PLIM->graphics->viewOffsetX : 0.0f; }

float Camera::viewOffsetY() { return PLIM->graphics ? PLIM->graphics->viewOffsetY : 0.0f; }

Camera::Camera()
    : position(0.0f, 0.0f, -float(fovWidth()) * 0.5f),
      target(0.0f, 0.0f, 0.0f),
      eye(viewOffsetX(), viewOffsetY(), position.z),
      center(viewOffsetX(), viewOffsetY(), 0.0f) {}

Camera::~Camera() {}

void Camera::tick(double, double) {
    // Whole units in x and y, so the view moves by whole pixels at depth 0.
    eye = V3(std::trunc(position.x) + viewOffsetX(), std::trunc(position.y) + viewOffsetY(), position.z);
    center = V3(std::trunc(target.x) + viewOffsetX(), std::trunc(target.y) + viewOffsetY(), target.z);
}

void Camera::render() {
    if (!PLIM->graphics) return;
    PLIM->graphics->batch.projectionChanging();
    const double aspect = fovAspect();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Mirrored on purpose: the eye looks towards +z, and swapping left and
    // right keeps world +x on the right of the window.
    glFrustum(1.0, -1.0, -aspect, aspect, 1.0, 999999.0);
    lookAt(eye, center, V3(sinf(roll), cosf(roll), 0.0f));
    glMatrixMode(GL_MODELVIEW);
}

void Camera::updateCamera(double, double) {}

float Camera::getUnitsPerPixel(float z) { return (z - eye.z) / (float(fovWidth()) * 0.5f); }

Rect Camera::getVisibleRect(float z) {
    const float d = z - position.z;
    const float a = fovAspect();
    return Rect(target.x - d, target.y + d * a, target.x + d, target.y - d * a);
}

V3 Camera::screenToWorld(float sx, float sy, float z) {
    const float distance = center.z - position.z;
    const float units = getUnitsPerPixel(z);
    const float a = fovAspect();
    return V3((target.x - distance) + units * sx, (target.y - distance * a) + units * sy, z);
}

V3 Camera::worldToScreen(float x, float y, float z) {
    const float distance = center.z - position.z;
    const float units = getUnitsPerPixel(z);
    const float a = fovAspect();
    return V3((x - (target.x - distance)) / units, (y - (target.y - distance * a)) / units, z);
}

#include "CameraBlender.h"

#include "CameraBlenderFactor.h"

#include <cmath>

namespace {
// Lowest y the view may show at depth 0 when a cut is clamped.
const float CLAMP_BOTTOM = -4.0f;
}

CameraBlender::CameraBlender() : basePosition(position) {}

CameraBlender::~CameraBlender() {}

void CameraBlender::shake(double amplitude, double duration) {
    shakeAmplitude = amplitude;
    shakeDuration = duration;
    shakeElapsed = 0.0;
}

void CameraBlender::setPosition(float x, float y, float z, bool clamp) {
    basePosition = V3(x, y, z);
    position = V3(x, y, z);
    target.x = x;
    target.y = y;
    if (clamp) {
        float bottom = getVisibleRect(0.0f).bottom;
        if (bottom < CLAMP_BOTTOM) {
            float raise = CLAMP_BOTTOM - bottom;
            basePosition.y += raise;
            position.y += raise;
            target.y += raise;
        }
    }
    destroyChildren();
}

void CameraBlender::updateCamera(double time, double dt) {
    V3 current = basePosition;
    CameraBlenderFactor* previous = nullptr;
    for (BasicLink* link = firstChild; link;) {
        BasicLink* following = link->next;
        if (link->bDestroyPending || link->bSkip) {
            link = following;
            continue;
        }
        CameraBlenderFactor* child = dynamic_cast<CameraBlenderFactor*>(link);
        if (!child) {
            link = following;
            continue;
        }
        if (child->delay > 0.0) {
            child->delay -= dt;
        } else {
            child->tick(time, dt);
            V3 from = current;
            interpolate(current, from, child->position, child->factor, child->interpolationKind);
            if (previous && child->factor >= 1.0f) {
                removeChild(previous);
                previous->deleteMe();
            }
        }
        previous = child;
        link = following;
    }

    position = current;
    target.x = current.x;
    target.y = current.y;

    if (shakeDuration > shakeElapsed) {
        shakeElapsed += dt;
        if (shakeElapsed < 0.0) shakeElapsed = 0.0;
        if (shakeElapsed > shakeDuration) shakeElapsed = shakeDuration;
        roll = float((shakeDuration - shakeElapsed) * shakeAmplitude * cos(32.0 * shakeElapsed));
    }

    const V3 offset(viewOffsetX(), viewOffsetY(), 0.0f);
    eye = position + offset;
    center = target + offset;
}

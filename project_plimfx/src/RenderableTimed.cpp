#include "RenderableTimed.h"

RenderableTimed::RenderableTimed() {}

RenderableTimed::~RenderableTimed() {}

void RenderableTimed::tick(double time, double dt) {
    PlimBase::tick(time, dt);
    if (delay > 0.0) {
        delay -= dt;
        if (delay > 0.0) return;
    }
    if (elapsed < duration) {
        elapsed += dt;
        float a;
        if (fadeInTime > 0.0 && elapsed < fadeInTime)
            a = float(elapsed / fadeInTime);
        else if (fadeOutTime > 0.0 && elapsed > duration - fadeOutTime)
            a = float((duration - elapsed) / fadeOutTime);
        else
            a = 1.0f;
        if (a < 0.0f) a = 0.0f;
        if (a > 1.0f) a = 1.0f;
        color.a = uint8_t(int(a * 255.0));
    } else {
        bDestroyPending = true;
    }
}

void RenderableTimed::render() {
    if (delay > 0.0) return;
    Renderable::render();
}

#include "RatingLayer.h"

#include "RenderableText.h"
#include "render/DrawHelpers.h"

const UColor RatingLayer::PLATE(0, 0, 0, 176);

void RatingLayer::addPlated(RenderableText* label) {
    addChild(label);
    plated.push_back(label);
}

Rect RatingLayer::plateRect() const {
    bool any = false;
    Rect all;
    for (const RenderableText* label : plated) {
        if (label->bHidden || label->delay > 0.0 || !label->font) continue;
        const Rect r = label->plateRect();
        all = any ? all.united(r) : r;
        any = true;
    }
    return all;
}

void RatingLayer::render() {
    const Rect plate = plateRect();
    if (plate.right > plate.left) drawFilledRect(plate, PLATE);
    PlimBase::render();
}

void RatingLayer::clear() {
    plated.clear();
    destroyChildren();
}

#include "ScreenBeneath.h"

#include "core/Context.h"
#include "render/Camera.h"
#include "render/DrawHelpers.h"
#include "widgets/MenuColors.h"

Context* ScreenBeneath::find(const Context* over) {
    for (BasicLink* s = over->prev; s; s = s->prev) {
        Context* screen = static_cast<Context*>(static_cast<PlimBase*>(s));
        if (!screen->bDone) return screen;
    }
    return nullptr;
}

void ScreenBeneath::render(Context* over) {
    Context* beneath = find(over);
    if (!beneath) return;
    beneath->renderContext();
    // Twice the view each way: windows wider than the view show more of it.
    const float w = float(Camera::fovWidth()), h = float(Camera::fovHeight());
    drawFilledRect(Rect(-w, h, w, -h), MenuColors::behindFrame());
}

#include "ContextPre.h"

#include "Background.h"
#include "CameraBlender.h"
#include "DrawHelpers.h"
#include "Plim.h"
#include "PlimGraphics.h"

ContextPre::ContextPre() {
    addChild(new Background());
    const int fovWidth = PLIM->graphics ? PLIM->graphics->fovWidth : 640;
    const int fovHeight = PLIM->graphics ? PLIM->graphics->fovHeight : 480;
    getCameraBlender()->setPosition(0.0f, float(fovHeight / 2 - 24), float(-fovWidth / 2), false);
}

ContextPre::~ContextPre() {}

void ContextPre::renderContents() {
    ContextBlender::renderContents();
    // Far wider and taller than any view of the backdrop.
    const float reach = 100000.0f;
    drawFilledRect(Rect(-reach, reach, reach, -reach), UColor(0, 0, 0, uint8_t(VEIL_ALPHA)));
}

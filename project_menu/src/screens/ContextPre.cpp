#include "ContextPre.h"

#include "widgets/Background.h"
#include "CameraBlender.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"

ContextPre::ContextPre() {
    addChild(new Background());
    const int fovWidth = PLIM->graphics ? PLIM->graphics->fovWidth : 640;
    const int fovHeight = PLIM->graphics ? PLIM->graphics->fovHeight : 480;
    getCameraBlender()->setPosition(0.0f, float(fovHeight / 2 - 24), float(-fovWidth / 2), false);
}

ContextPre::~ContextPre() {}

#include "ContextZemtroviaLogo.h"

#include "core/Plim.h"
#include "RenderableTimed.h"
#include "core/ResourceManager.h"
#include "render/Skin.h"

ContextZemtroviaLogo::ContextZemtroviaLogo() {
    bDeleteWhenDone = true;
    bBackKeysClose = true;
    bMousePointer = false;
    duration = DURATION;
    clearColour = UColor(0, 0, 0, 255);

    picture = new RenderableTimed();
    picture->delay = 0.0;
    picture->duration = 2.5;
    picture->fadeInTime = 0.25;
    picture->fadeOutTime = 0.5;
    picture->pSkin = static_cast<Skin*>(PLIM->resourceManager->find("zemtrovia:0", true));
    picture->updateVisuals();
    addChild(picture);
}

ContextZemtroviaLogo::~ContextZemtroviaLogo() {}

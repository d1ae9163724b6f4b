#include "Logo.h"

#include "Plim.h"
#include "ResourceManager.h"
#include "Skin.h"

Logo::Logo() {
    pSkin = static_cast<Skin*>(PLIM->resourceManager->find("logo:all", true));
    updateVisuals();
}

Logo::~Logo() {}

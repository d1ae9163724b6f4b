#include "MenuGroup.h"

#include "FontQuad.h"
#include "Global.h"
#include "Plim.h"
#include "ResourceManager.h"
#include "StretchSkin.h"

MenuGroup::MenuGroup(float x, float y, float z, const UString& groupTitle, float width, float height)
    : title(groupTitle) {
    StretchSkin* frame = new StretchSkin(static_cast<Skin*>(PLIM->resourceManager->find("gui-game-square:0", true)));
    frame->setBorders(16, 16, 16, 16);
    frame->setSize(width, height);
    pSkin = frame;
    bOwnsSkin = true;
    position = V3(x, y, z);
    updateVisuals();
}

MenuGroup::~MenuGroup() {}

void MenuGroup::render() {
    if (bHidden) return;
    Renderable::render();
    FontQuad* font = gGlobal ? gGlobal->fontMedium : nullptr;
    if (font)
        font->printAt(position.x, position.y + 0.5f * pSkin->height - 30.0f, position.z, UColor(0, 0, 0, 128), 0x14,
                      title);
    PlimBase::render();
}

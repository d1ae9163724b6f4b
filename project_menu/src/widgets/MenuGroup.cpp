#include "MenuColors.h"
#include "MenuGroup.h"

#include "FontQuad.h"
#include "app/Global.h"
#include "core/Plim.h"
#include "core/ResourceManager.h"
#include "StretchSkin.h"

namespace {

StretchSkin* squareFrame(const char* name) {
    StretchSkin* frame = new StretchSkin(static_cast<Skin*>(PLIM->resourceManager->find(name, true)));
    frame->setBorders(16, 16, 16, 16);
    return frame;
}

} // namespace

MenuGroup::MenuGroup(float x, float y, float z, const UString& groupTitle, float width, float height)
    : title(groupTitle) {
    StretchSkin* frame = squareFrame("gui-game-square:0");
    frame->setSize(width, height);
    pSkin = frame;
    bOwnsSkin = true;
    position = V3(x, y, z);
    updateVisuals();
    if (PLIM->resourceManager->find("gui-game-square:1", false)) {
        titlePlate.pSkin = squareFrame("gui-game-square:1");
        titlePlate.bOwnsSkin = true;
    }
}

MenuGroup::~MenuGroup() {}

void MenuGroup::renderTitlePlate(float y) {
    FontQuad* font = gGlobal ? gGlobal->fontMedium : nullptr;
    if (!titlePlate.pSkin || !font || title.isEmpty()) return;
    const float w = float(font->getTextWidth(title, nullptr).width) + 40.0f;
    const float h = float(font->fontHeight) + 14.0f;
    StretchSkin* plate = static_cast<StretchSkin*>(titlePlate.pSkin);
    if (plate->width != w || plate->height != h) plate->setSize(w, h);
    titlePlate.postXform = postXform;
    titlePlate.position = V3(position.x, y, position.z);
    titlePlate.updateVisuals();
    titlePlate.render();
}

void MenuGroup::render() {
    if (bHidden) return;
    Renderable::render();
    FontQuad* font = gGlobal ? gGlobal->fontMedium : nullptr;
    const float titleY = position.y + 0.5f * pSkin->height - 30.0f;
    renderTitlePlate(titleY);
    if (font) font->printAt(position.x, titleY, position.z, MenuColors::plateText(), 0x14, title);
    PlimBase::render();
}

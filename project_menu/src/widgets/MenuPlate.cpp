#include "MenuPlate.h"

#include "FontQuad.h"
#include "app/Global.h"
#include "core/Plim.h"
#include "render/Camera.h"
#include "RenderableText.h"
#include "core/ResourceManager.h"
#include "render/Skin.h"
#include "StretchSkin.h"

namespace {

struct Picture {
    const char* name;
    int border;
};
// The light plate is also a small key cap: its borders allow a short one.
const Picture kPictures[] = {{"gui-game-square:2", 8}, {"gui-game-square:0", 16}, {"gui-game-square:1", 10}};

} // namespace

StretchSkin* MenuPlate::newFrame(Kind kind) {
    const Picture& p = kPictures[kind];
    Skin* source = dynamic_cast<Skin*>(PLIM->resourceManager->find(p.name, false));
    if (!source) return nullptr;
    StretchSkin* frame = new StretchSkin(source);
    frame->setBorders(p.border, p.border, p.border, p.border);
    return frame;
}

void MenuPlate::give(RenderableText* label, Kind kind) {
    delete label->plateFrame;
    label->plateFrame = newFrame(kind);
}

RenderableText* MenuPlate::pageTitle(const UString& text) {
    RenderableText* title = new RenderableText(0.0f, float(Camera::fovHeight() / 2 - 50), 0.0f, text,
                                               gGlobal->fontLarge, UColor(255, 255, 255, 255));
    title->printFlags |= FontQuad::PRINT_VCENTER;
    give(title);
    return title;
}

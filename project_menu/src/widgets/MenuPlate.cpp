#include "MenuPlate.h"

#include "FontQuad.h"
#include "app/Global.h"
#include "core/Plim.h"
#include "render/Camera.h"
#include "RenderableText.h"
#include "core/ResourceManager.h"
#include "render/Skin.h"
#include "StretchSkin.h"
#include "TextPlate.h"

namespace {

struct Picture {
    const char* name;
    int border;
};
const Picture PICTURES[] = {{"gui-game-square:2", 8}, {"gui-game-square:0", 16}};

} // namespace

StretchSkin* MenuPlate::newFrame(Kind kind) {
    const Picture& p = PICTURES[kind];
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

void MenuPlate::drawBlockPanel(StretchSkin* panel, const std::vector<Rect>& letters, int alpha) {
    bool any = false;
    Rect all;
    for (const Rect& r : letters) {
        if (r.right <= r.left) continue;
        all = any ? all.united(r) : r;
        any = true;
    }
    if (any)
        TextPlate::drawFrameOver(panel, Rect(all.left - BLOCK_MARGIN_X, all.top + BLOCK_MARGIN_Y,
                                             all.right + BLOCK_MARGIN_X, all.bottom - BLOCK_MARGIN_Y),
                                 alpha);
}

std::vector<Rect> MenuPlate::lettersOf(const std::vector<const RenderableText*>& labels) {
    std::vector<Rect> letters;
    for (const RenderableText* label : labels)
        if (label->font)
            letters.push_back(
                TextPlate::inkRect(label->font, label->position.x, label->position.y, label->printFlags, label->text));
    return letters;
}

RenderableText* MenuPlate::pageTitle(const UString& text) {
    RenderableText* title = new RenderableText(0.0f, float(Camera::fovHeight() / 2 - 50), 0.0f, text,
                                               gGlobal->fontLarge, UColor::WHITE);
    title->printFlags |= FontQuad::PRINT_VCENTER;
    give(title);
    return title;
}

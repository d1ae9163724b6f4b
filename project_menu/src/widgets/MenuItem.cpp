#include "MenuItem.h"

#include "app/ContextManager.h"
#include "core/Context.h"
#include "core/ErrorManager.h"
#include "FontQuad.h"
#include "app/Global.h"
#include "app/SubImage.h"
#include "MenuPlate.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "input/PlimInput.h"
#include "render/Quad.h"
#include "core/ResourceManager.h"
#include "core/RuntimeClass.h"
#include "audio/Sound.h"
#include "StretchSkin.h"
#include "TextPlate.h"
#include "render/Texture.h"

namespace {

const UColor SHADOW(0, 0, 0, 64);
// The caption stands 5 units off its box.
const float CAPTION_PLATE_MARGIN = 4.0f;

StretchSkin* frameSkin(Texture* texture, int index, int b1, int b2, int b3, int b4) {
    StretchSkin* skin = new StretchSkin(texture->singleQuad(index, "a menu item frame"));
    skin->setBorders(b1, b2, b3, b4);
    return skin;
}

} // namespace

MenuItem::MenuItem(float x, float y, float z, const UString& itemCaption, const UString& itemDescription)
    : caption(itemCaption), description(itemDescription) {
    font = gGlobal ? gGlobal->fontMedium : nullptr;
    // The hover test takes the mouse into the item's own space.
    bHasInvXform = true;
    position = V3(x, y, z);
    updateVisuals();
    highlightLayer.position = position;
    highlightLayer.updateVisuals();
    setSkin(static_cast<Texture*>(PLIM->resourceManager->find(SubImage::EDIT_BOX, true)), 16, 0, 0, 16);
    setWidth(256);
    captionPlate = MenuPlate::newFrame();
    hintPlate = MenuPlate::newFrame();
}

MenuItem::~MenuItem() {
    delete captionPlate;
    delete hintPlate;
}

void MenuItem::setSkin(Texture* frames, int b1, int b2, int b3, int b4) {
    StretchSkin* normal = frameSkin(frames, SubImage::FRAME_PLAIN, b1, b2, b3, b4);
    StretchSkin* lit = frameSkin(frames, SubImage::FRAME_LIT, b1, b2, b3, b4);
    deleteSkin();
    pSkin = normal;
    bOwnsSkin = true;
    updateVisuals();
    highlightLayer.deleteSkin();
    highlightLayer.pSkin = lit;
    highlightLayer.bOwnsSkin = true;
    highlightLayer.updateVisuals();
}

void MenuItem::setWidth(int width) {
    static_cast<StretchSkin*>(pSkin)->setSize(float(width), -1.0f);
    static_cast<StretchSkin*>(highlightLayer.pSkin)->setSize(float(width), -1.0f);
    updateVisuals();
    highlightLayer.updateVisuals();
}

bool MenuItem::wasClicked() {
    bool clicked = bClicked;
    bClicked = false;
    return clicked;
}

V3 MenuItem::getMousePosition() {
    if (PLIM->currentContext) return PLIM->currentContext->mouseWorld;
    PlimInput* input = PLIM->input;
    if (!input) return V3();
    const int w = PLIM->graphics ? PLIM->graphics->fovWidth : 640;
    const int h = PLIM->graphics ? PLIM->graphics->fovHeight : 480;
    return V3(input->mousePosition[0] - float(w / 2), input->mousePosition[1] - float(h / 2), 0.0f);
}

bool MenuItem::pointerShown() {
    const ContextManager* stack = gGlobal ? gGlobal->contextManager : nullptr;
    return !stack || stack->pointerShown();
}

bool MenuItem::mousePressed() { return PLIM->input && PLIM->input->anyMouseButtonPressed(); }

char MenuItem::typedChar() { return typedText()[0]; }

const char* MenuItem::typedText() { return PLIM->input ? PLIM->input->getTypedText() : ""; }

void MenuItem::onClick() {
    bClicked = true;
    static_cast<Sound*>(PLIM->resourceManager->find("mouseClick", true))->playRandomPitch();
}

void MenuItem::tick(double time, double dt) {
    PlimBase::tick(time, dt);
    bHovered = bForceHighlight || (pointerShown() && isPointInside(getMousePosition()));
    highlight += (bHovered ? 4.0 : -4.0) * dt;
    if (highlight < 0.0) highlight = 0.0;
    if (highlight > 1.0) highlight = 1.0;
    colorCurrent = bDisabled ? colorDisabled : UColor(colorNormal, colorHighlight, float(highlight));
}

void MenuItem::render() {
    if (bHidden) return;
    PlimGraphics* graphics = PLIM->graphics;
    if (bDropShadow && graphics && graphics->bTextShadows) {
        Renderable shadow;
        shadow.postXform = postXform;
        V3 at(position.x + 2.0f, position.y - 2.0f, position.z);
        shadow.setup(pSkin, &at, &rotation, &scale);
        shadow.color = SHADOW;
        shadow.render();
    }
    Renderable::render();

    if (!bDisabled && highlight > 0.0) {
        highlightLayer.scale = scale;
        highlightLayer.updateVisuals();
        const double alpha = highlight > 1.0 ? 1.0 : highlight;
        highlightLayer.color.a = uint8_t(int(alpha * 255.0));
        highlightLayer.render();
    }

    renderValue(position);

    FontQuad* small = gGlobal ? gGlobal->fontSmall : nullptr;
    if (bHovered && small) {
        const int h = graphics ? graphics->fovHeight : 480;
        const float y = float(4 - h / 2);
        TextPlate::drawFrame(hintPlate, small, 0.0f, y, 0x24, bDisabled ? disabledText : description);
        if (!bDisabled)
            small->printAtShadowed(0.0f, y, 0.0f, UColor::WHITE, 0x24, description, 0.0f, -1.0f, 0.0f,
                                   UColor(0, 0, 0, 255));
        else
            small->printAt(0.0f, y, 0.0f, UColor::WHITE, 0x24, disabledText);
    }

    drawCaption();
}

void MenuItem::drawCaption() {
    const float w = pSkin ? pSkin->width : 0.0f;
    const float h = pSkin ? pSkin->height : 0.0f;
    V3 local;
    int flags = 0;
    switch (captionLocation) {
    case 4: local = V3(-0.5f * w - 5.0f, 0.0f, 0.0f); flags = 0x18; break;
    case 5: local = V3(0.0f, 0.0f, 0.0f); flags = 0x14; break;
    case 6: local = V3(0.5f * w + 5.0f, 0.0f, 0.0f); flags = 0x12; break;
    case 8: local = V3(0.0f, 0.5f * h + 5.0f, 0.0f); flags = 0x24; break;
    default:
        ErrorManager::errorAt("render", "project_menu/src/MenuItem", __LINE__, "Invalid caption location.");
    }
    if (!font) return;
    Renderable label;
    V3 at = local2world(local);
    label.setup(nullptr, &at, &rotation, &scale);
    label.color = colorCurrent;
    // A caption inside the box has the box under it; the plate of one beside
    // it stops short of the box.
    if (captionLocation != CAPTION_CENTRE)
        TextPlate::drawFrame(captionPlate, font, at.x, at.y, flags, caption, 255, CAPTION_PLATE_MARGIN);
    if (bDropShadow && !bDisabled)
        font->printShadowed(&label, flags, caption, 2.0f, -2.0f, 0.0f, SHADOW);
    else
        font->print(&label, flags, caption);
}

void MenuItem::drawValueText(V3 at, const UString& text) {
    if (!font) return;
    Renderable place;
    place.setup(nullptr, &at, &rotation, &scale);
    place.color = colorCurrent;
    if (bDropShadow)
        font->printShadowed(&place, 0x14, text, 2.0f, -2.0f, 0.0f, SHADOW);
    else
        font->print(&place, 0x14, text);
}

void MenuItem::renderValue(V3) {}

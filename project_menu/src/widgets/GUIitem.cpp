#include "GUIitem.h"

#include "core/ErrorManager.h"
#include "FontQuad.h"
#include "GUItheme.h"
#include "app/Global.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "StretchSkin.h"
#include "render/Texture.h"

namespace {

int halfFovHeight() {
    const int h = (PLIM && PLIM->graphics) ? PLIM->graphics->fovHeight : 480;
    return h / 2;
}

} // namespace

GUIitem::GUIitem(GUItheme* theme, int style) : pTheme(theme) {
    bHasInvXform = true;
    pFont = theme->font;
    setStyle(style);
}

GUIitem::~GUIitem() {
    pSkin = nullptr;
    deleteFrames();
}

void GUIitem::deleteFrames() {
    for (StretchSkin** frame : {&pSkinNormal, &pSkinDisabled, &pSkinFocused}) {
        if (*frame) (*frame)->deleteMe();
        *frame = nullptr;
    }
}

void GUIitem::copyThemeMetrics() {
    margin = pTheme->margin;
    borderLeft = pTheme->borderLeft;
    borderTop = pTheme->borderTop;
    borderRight = pTheme->borderRight;
    borderBottom = pTheme->borderBottom;
}

void GUIitem::setSize(int newWidth, int newHeight) {
    width = newWidth;
    height = newHeight;
    if (pSkinNormal) sizeFrames();
}

void GUIitem::setTexts(const UString& newCaption, const UString& newHelpText, const UString& newDisabledText) {
    caption = newCaption;
    helpText = newHelpText;
    disabledText = newDisabledText;
}

void GUIitem::setStyle(int style) {
    copyThemeMetrics();
    pTheme->setStyle(this, style);
    if (pSkinNormal) sizeFrames();
}

void GUIitem::sizeFrames() {
    const float w = float(width + 2 * margin);
    const float h = float(height + 2 * margin);
    pSkinDisabled->setSize(w, h);
    pSkinNormal->setSize(w, h);
    pSkinFocused->setSize(w, h);
}

void GUIitem::setSkin(Texture* frames) {
    if (frames->skins.size() < 3)
        ErrorManager::errorAt("setSkin", "project_menu/src/GUIitem", __LINE__,
                              "Frame texture '%s' has %d sub-images; a GUI item needs 3.",
                              frames->name.c_str(), int(frames->skins.size()));
    // The skin pointer would dangle until the next render picks a new frame.
    pSkin = nullptr;
    deleteFrames();
    auto cut = [this](Skin* source) {
        StretchSkin* frame = new StretchSkin(source);
        frame->setBorders(borderLeft, borderTop, borderBottom, borderRight);
        return frame;
    };
    pSkinNormal = cut(frames->skins[1]);
    pSkinDisabled = cut(frames->skins[0]);
    pSkinFocused = cut(frames->skins[2]);
}

void GUIitem::addChild(PlimBase* child) {
    BasicLink::addChild(child);
    updateVisuals();
}

void GUIitem::tick(double time, double dt) {
    PlimBase::tick(time, dt);
    bHovered = isHovered();
    highlight += (bHovered ? 4.0 : -4.0) * dt;
    if (highlight < 0.0) highlight = 0.0;
    if (highlight > 1.0) highlight = 1.0;
    colorCurrent = isPaused() ? colorDisabled : UColor(colorNormal, colorHighlight, float(highlight));
}

StretchSkin* GUIitem::chooseFrame() {
    if (isPaused()) return pSkinDisabled;
    if (isFocused()) return pSkinFocused;
    return pSkinNormal;
}

void GUIitem::render() {
    if (bHidden) return;
    StretchSkin* frame = chooseFrame();
    if (static_cast<Skin*>(frame) != pSkin) {
        pSkin = frame;
        updateVisuals();
    }
    Renderable::render();
    if (bHovered) drawHelpLine();
    if (!caption.isEmpty()) drawCaption();
    PlimBase::render();
}

void GUIitem::drawHelpLine() {
    FontQuad* font = gGlobal ? gGlobal->fontSmall : nullptr;
    if (!font) return;
    const float y = float(4 - halfFovHeight());
    if (!isPaused())
        font->printAtShadowed(0.0f, y, 0.0f, UColor::WHITE, 0x24, helpText, 0.0f, -1.0f, 0.0f,
                              UColor(0, 0, 0, 255));
    else
        font->printAt(0.0f, y, 0.0f, UColor::WHITE, 0x24, disabledText);
}

void GUIitem::drawCaption() {
    // Without frames the item measures the frame it would have.
    const float W = pSkin ? pSkin->width : float(width + 2 * margin);
    const float H = pSkin ? pSkin->height : float(height + 2 * margin);
    const float s = float(pTheme->captionSpacing);
    const int insideLimit = width - 2 * pTheme->captionSpacing;
    float x = 0.0f, y = 0.0f;
    int flags = 0, limit = 9999;
    switch (captionLocation) {
    case 5: flags = 0x14; break;
    case 4: x = -0.5f * W - s; flags = 0x18; break;
    case 6: x = 0.5f * W + s; flags = 0x12; break;
    case 8: y = 0.5f * H + s; flags = 0x24; break;
    case -4: x = -0.5f * W + s; flags = 0x12; limit = insideLimit; break;
    case -6: x = 0.5f * W - s; flags = 0x18; limit = insideLimit; break;
    case -8: y = 0.5f * H - s; flags = 0x05; limit = insideLimit; break;
    default:
        ErrorManager::errorAt("render", "project_menu/src/GUIitem", __LINE__, "Invalid caption location.");
    }
    if (!pFont) return;
    Renderable place;
    place.color = colorCurrent;
    place.postXform = xform;
    place.position = V3(x, y, 0.0f);
    place.updateVisuals();
    pFont->printClipped(&place, flags, caption, limit);
}

void GUIitem::updateVisuals() {
    Renderable::updateVisuals();
    for (BasicLink* link = firstChild; link; link = link->next) {
        if (link->bDestroyPending) continue;
        if (Renderable* child = dynamic_cast<Renderable*>(static_cast<PlimBase*>(link)))
            child->setPostXform(xform);
    }
}

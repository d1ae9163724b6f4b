#include "Logo.h"

#include "FontQuad.h"
#include "app/Global.h"
#include "MenuPlate.h"
#include "core/Plim.h"
#include "RenderableText.h"
#include "core/ResourceManager.h"
#include "render/Skin.h"

namespace {

// The subtitle's line lies this far below the logo's centre at full size.
const float SUBTITLE_DROP = 94.0f;
const UColor SUBTITLE_COLOUR(255, 242, 204, 255);

} // namespace

Logo::Logo() {
    pSkin = static_cast<Skin*>(PLIM->resourceManager->find("logo:all", true));
    updateVisuals();
    subtitle = newSubtitle();
}

Logo::~Logo() { delete subtitle; }

void Logo::render() {
    if (delay > 0.0) return;
    RenderableTimed::render();
    placeSubtitle(subtitle, *this);
    subtitle->render();
}

RenderableText* Logo::newSubtitle() {
    RenderableText* text = new RenderableText(0.0f, 0.0f, 0.0f, "AIR  COMBAT  DEMO", nullptr, SUBTITLE_COLOUR);
    text->color.a = 0;
    text->bShadow = false;
    text->printFlags = FontQuad::PRINT_CENTER | FontQuad::PRINT_VCENTER;
    MenuPlate::give(text);
    text->bPlateFades = true;
    return text;
}

void Logo::placeSubtitle(RenderableText* subtitle, const Renderable& logo) {
    subtitle->font = gGlobal ? (logo.scale.y >= 0.75f ? gGlobal->fontLarge : gGlobal->fontMedium) : nullptr;
    subtitle->position = V3(logo.position.x, logo.position.y - SUBTITLE_DROP * logo.scale.y, logo.position.z);
    subtitle->updateVisuals();
    subtitle->color.a = logo.color.a;
}

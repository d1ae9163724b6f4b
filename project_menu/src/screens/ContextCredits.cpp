#include "widgets/MenuColors.h"
#include "ContextCredits.h"

#include "ContextPre.h"
#include "FontQuad.h"
#include "TextPlate.h"
#include "ContextScroller.h"
#include "app/Global.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "util/PlimUtil.h"
#include "RenderableText.h"

ContextCredits::ContextCredits() {
    bDeleteWhenDone = true;
    bBackKeysClose = true;
    duration = DURATION;
    preContext = gGlobal->contextPre;

    const int w = PLIM->graphics ? PLIM->graphics->fovWidth : 640;
    const int h = PLIM->graphics ? PLIM->graphics->fovHeight : 480;
    // In the corner, its plate clear of the window's edges.
    const float inset = VERSION_INSET + TextPlate::MARGIN;
    versionLine = new RenderableText(float(w / 2) - inset, inset - float(h / 2), 0.0f,
                                     UString::format("%s v%s", PLIM_BUILD_NAME, PLIM_VERSION_STRING),
                                     gGlobal->fontTiny, MenuColors::plateText());
    versionLine->printFlags = FontQuad::PRINT_RIGHT | FontQuad::PRINT_BOTTOM;
    versionLine->bShadow = false;
    // Translucent black reads only over white, not over the sea.
    versionLine->plate = UColor::WHITE;
    addChild(versionLine);

    scroller = new ContextScroller();
    scroller->addCredits();
    addChild(scroller);
}

ContextCredits::~ContextCredits() {}

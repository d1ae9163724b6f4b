#include "ContextOptionsGraphics.h"

#include "app/Global.h"
#include "language/Language.h"
#include "widgets/MenuBool.h"
#include "widgets/MenuEnum.h"
#include "widgets/MenuGroup.h"
#include "core/Plim.h"

ContextOptionsGraphics::ContextOptionsGraphics() : ContextOptionsPage(text(Language::STR_GRAPHICS)) {
    SaveData& data = gGlobal->saveData;
    const int quarter = viewWidth() / 4;

    MenuEnum* detail = new MenuEnum(float(-quarter), 0.0f, 0.0f, text(Language::STR_DETAIL),
                                    text(Language::STR_DETAILHINT), &data.graphicsDetail, 0, 1,
                                    Language::STR_ENUMDETAIL0);
    detail->captionLocation = MenuItem::CAPTION_ABOVE;
    addChild(detail);

    addChild(new MenuGroup(float(quarter), -10.0f, 0.0f, text(Language::STR_ADVANCEDOPTIONS), 320.0f, 340.0f));

    MenuEnum* mode = new MenuEnum(float(quarter + 64), 80.0f, 0.0f, text(Language::STR_VIDEOMODE),
                                  text(Language::STR_VIDEOMODEHINT), &data.videoMode, lowestVideoMode(), 3,
                                  Language::STR_ENUMVIDEOMODES0);
    mode->setWidth(160);
    addChild(mode);
    MenuInt* fps = new MenuInt(float(quarter + 64), 40.0f, 0.0f, text(Language::STR_MAXIMUMFPS),
                               text(Language::STR_MAXIMUMFPSHINT), &data.maxFps, 25, 125, 5);
    fps->setWidth(128);
    addChild(fps);

    const struct {
        float y;
        int caption, hint;
        uint8_t* value;
    } switches[] = {
        {0.0f, Language::STR_FULLSCREEN, Language::STR_FULLSCREENHINT, &data.bFullScreenOption},
        {-40.0f, Language::STR_VSYNC, Language::STR_VSYNCHINT, &data.bVSync},
        {-80.0f, Language::STR_BILINEARFILTER, Language::STR_BILINEARFILTERHINT, &data.bBilinearFilter},
        {-120.0f, Language::STR_SHOWFPS, Language::STR_SHOWFPSHINT, &data.bShowFps},
    };
    for (const auto& s : switches)
        addChild(new MenuBool(float(quarter + 25), s.y, 0.0f, text(s.caption), text(s.hint), s.value));
    addBackButton();
}

ContextOptionsGraphics::~ContextOptionsGraphics() {}

int ContextOptionsGraphics::lowestVideoMode() { return PLIM->bDebugLocked ? 1 : 0; }

void ContextOptionsGraphics::onDeactivate(bool removed) {
    ContextOptionsPage::onDeactivate(removed);
    if (removed) gGlobal->applySettings();
}

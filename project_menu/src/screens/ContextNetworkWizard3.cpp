#include "ContextNetworkWizard3.h"

#include "ContextPre.h"
#include "app/Global.h"
#include "language/Language.h"
#include "widgets/MenuButton.h"
#include "widgets/MenuButtonQuit.h"
#include "widgets/MenuCountry.h"
#include "widgets/MenuPlate.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "RenderableText.h"

namespace {

const char* text(int id) { return PLIM->language->getText(id); }


} // namespace

ContextNetworkWizard3::ContextNetworkWizard3() {
    bDeleteWhenDone = true;
    preContext = gGlobal->contextPre;
    const int w = PLIM->graphics ? PLIM->graphics->fovWidth : 640;
    const int h = PLIM->graphics ? PLIM->graphics->fovHeight : 480;
    addChild(MenuPlate::pageTitle(text(Language::STR_NETCONFIGTITLE)));
    country = new MenuCountry(0.0f, -40.0f, 0.0f, text(Language::STR_SELECTYOURCOUNTRY),
                              text(Language::STR_SELECTYOURCOUNTRYHINT), &gGlobal->saveData.countryIndex);
    addChild(country);
    MenuButtonQuit* cancel = new MenuButtonQuit(float(-w / 2 + 100), float(-h / 2 + 50), 0.0f, text(Language::STR_CANCEL), "");
    cancel->setWidth(128);
    addChild(cancel);
    finishButton = new MenuButton(float(w / 2 - 100), float(-h / 2 + 50), 0.0f, text(Language::STR_FINISH), "");
    finishButton->setWidth(128);
    addChild(finishButton);
}

ContextNetworkWizard3::~ContextNetworkWizard3() {}

void ContextNetworkWizard3::tickContents(double time, double dt) {
    ContextMenu::tickContents(time, dt);
    if (finishButton->wasClicked()) {
        bDone = true;
        gGlobal->saveData.bNetworkTested = 1;
    }
}

#include "ContextOptionsPage.h"

#include "ContextPre.h"
#include "FontQuad.h"
#include "app/Global.h"
#include "language/Language.h"
#include "widgets/MenuButtonQuit.h"
#include "widgets/MenuPlate.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "RenderableText.h"

ContextOptionsPage::ContextOptionsPage(const UString& titleText) {
    bDeleteWhenDone = true;
    preContext = gGlobal->contextPre;
    title = MenuPlate::pageTitle(titleText);
    addChild(title);
}

ContextOptionsPage::~ContextOptionsPage() {}

void ContextOptionsPage::addBackButton() {
    backButton = new MenuButtonQuit(float(-viewWidth() / 2 + 100), float(-viewHeight() / 2 + 50), 0.0f,
                                    text(Language::STR_BACK), "");
    backButton->setWidth(128);
    addChild(backButton);
}

int ContextOptionsPage::viewWidth() { return PLIM->graphics ? PLIM->graphics->fovWidth : 640; }

int ContextOptionsPage::viewHeight() { return PLIM->graphics ? PLIM->graphics->fovHeight : 480; }

const char* ContextOptionsPage::text(int id) { return PLIM->language->getText(id); }

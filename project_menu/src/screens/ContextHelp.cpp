#include "ContextHelp.h"

#include "ContextMain.h"
#include "ContextPre.h"
#include "app/Global.h"
#include "language/Language.h"
#include "widgets/MenuButtonQuit.h"
#include "widgets/MenuButtonURL.h"
#include "widgets/MenuPlate.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "RenderableText.h"

#include <unistd.h>

namespace {

const char* text(int id) { return PLIM->language->getText(id); }

// Adds vertical centring to a text's default flags.

} // namespace

ContextHelp::ContextHelp() {
    bDeleteWhenDone = true;
    preContext = gGlobal->contextPre;

    const int w = PLIM->graphics ? PLIM->graphics->fovWidth : 640;
    const int h = PLIM->graphics ? PLIM->graphics->fovHeight : 480;
    addChild(MenuPlate::pageTitle(text(Language::STR_HELPTITLE)));

    documentation = new MenuButtonURL(0.0f, 50.0f, 0.0f, text(Language::STR_DOCUMENTATION),
                                      text(Language::STR_DOCUMENTATIONHINT));
    documentation->url = documentationUrl();
    addChild(documentation);
    onlineHelp = new MenuButtonURL(0.0f, 0.0f, 0.0f, text(Language::STR_ONLINEHELP), text(Language::STR_ONLINEHELPHINT));
    onlineHelp->url = onlineHelpUrl();
    addChild(onlineHelp);
    back = new MenuButtonQuit(float(-w / 2 + 100), float(-h / 2 + 50), 0.0f, text(Language::STR_BACK), "");
    back->setWidth(128);
    addChild(back);
}

ContextHelp::~ContextHelp() {}

UString ContextHelp::documentationUrl() {
    // The browser runs elsewhere once the game has ended: the address is absolute.
    char folder[4096];
    if (!getcwd(folder, sizeof folder)) return UString("./readme.htm");
    return UString("file://") + folder + "/readme.htm";
}

UString ContextHelp::onlineHelpUrl() {
    return UString("http://") + ContextMain::WEB_SERVICE_HOST + "/corvana2/onlinehelp.php";
}

#include "ContextMain.h"

#include "ContextCredits.h"
#include "ContextHighScores.h"
#include "ContextOptions.h"
#include "app/ContextManager.h"
#include "ContextPost.h"
#include "ContextPre.h"
#include "core/ErrorManager.h"
#include "app/Global.h"
#include "language/Language.h"
#include "widgets/Logo.h"
#include "widgets/MenuButton.h"
#include "widgets/MenuButtonQuit.h"
#include "widgets/MenuButtonURL.h"
#include "widgets/MenuUserDisplay.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "input/PlimInput.h"

namespace {

// Key codes of the crash test.
const int KEY_LEFT_CONTROL = 29;
const int KEY_RIGHT_CONTROL = 157;
const int KEY_LEFT_ALT = 56;
const int KEY_RIGHT_ALT = 184;
const int KEY_X = 45;

const char* text(int id) { return PLIM->language->getText(id); }

} // namespace

const char* const ContextMain::WEBSITE_URL = "http://www.zemtrovia.com/";
const char* const ContextMain::WEB_SERVICE_HOST = "www.zemtrovia.com";

ContextMain::ContextMain() {
    bDeleteWhenDone = true;
    bEscapeAsksQuit = true;
    preContext = gGlobal->contextPre;
    postContext = gGlobal->contextPost;

    const int w = PLIM->graphics ? PLIM->graphics->fovWidth : 640;
    const int h = PLIM->graphics ? PLIM->graphics->fovHeight : 480;

    Logo* logo = new Logo();
    logo->position = V3(0.0f, float(h / 2 - 80), 0.0f);
    logo->setScaleXY(0.5f);
    addChild(logo);
    addChild(new MenuUserDisplay());

    buttonStart = new MenuButton(0.0f, 0.0f, 0.0f, text(Language::STR_STARTGAME), "");
    addChild(buttonStart);
    buttonHighScores = new MenuButton(0.0f, -40.0f, 0.0f, text(Language::STR_HIGHSCORES), "");
    addChild(buttonHighScores);
    buttonOptions = new MenuButton(0.0f, -80.0f, 0.0f, text(Language::STR_OPTIONSDOTS), "");
    addChild(buttonOptions);
    buttonCredits = new MenuButton(0.0f, -120.0f, 0.0f, text(Language::STR_CREDITS), "");
    addChild(buttonCredits);

    // The game's main menu enables start once it can push its game types.
    buttonStart->bDisabled = true;

    MenuButtonURL* website = new MenuButtonURL(float(w / 2 - 100), float(-h / 2 + 50), 0.0f,
                                               text(Language::STR_WEBSITE), text(Language::STR_WEBSITEHINT));
    website->url = WEBSITE_URL;
    website->setWidth(128);
    addChild(website);
    MenuButtonQuit* quit = new MenuButtonQuit(float(-w / 2 + 100), float(-h / 2 + 50), 0.0f, text(Language::STR_QUIT), "");
    quit->setWidth(128);
    addChild(quit);
}

ContextMain::~ContextMain() {}

void ContextMain::onButtonStart() {}

void ContextMain::tickContents(double time, double dt) {
    ContextMenu::tickContents(time, dt);

    PlimInput* input = PLIM->input;
    if (input && (input->isKeyDown(KEY_LEFT_CONTROL) || input->isKeyDown(KEY_RIGHT_CONTROL)) &&
        (input->isKeyDown(KEY_LEFT_ALT) || input->isKeyDown(KEY_RIGHT_ALT)) && input->isKeyDown(KEY_X))
        ErrorManager::errorAt("tickContents", "project_menu/src/ContextMain", 79, "Crash requested.");

    if (buttonStart->wasClicked()) onButtonStart();
    if (buttonOptions->wasClicked()) gGlobal->contextManager->push(new ContextOptions());
    if (buttonHighScores->wasClicked())
        gGlobal->contextManager->push(new ContextHighScores(ContextHighScores::ALL_TABLES));
    if (buttonCredits->wasClicked()) gGlobal->contextManager->push(new ContextCredits());
}

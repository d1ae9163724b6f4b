#include "ContextHighScoresOptions.h"

#include "ContextMain.h"
#include "app/ContextManager.h"
#include "ContextNetworkWizard1.h"
#include "ContextPre.h"
#include "ContextScoreUpload.h"
#include "FontQuad.h"
#include "app/Global.h"
#include "language/Language.h"
#include "widgets/MenuButton.h"
#include "widgets/MenuButtonQuit.h"
#include "widgets/MenuButtonURL.h"
#include "widgets/MenuPlate.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "RenderableText.h"
#include "core/ResourceManager.h"
#include "audio/Sound.h"

namespace {
const char* text(int id) { return PLIM->language->getText(id); }
} // namespace

UString ContextHighScoresOptions::worldTableUrl() {
    return UString::format("http://%s/corvana2/highscoretable.php", ContextMain::WEB_SERVICE_HOST);
}

ContextHighScoresOptions::ContextHighScoresOptions() {
    bDeleteWhenDone = true;
    preContext = gGlobal->contextPre;
    const int h = PLIM->graphics ? PLIM->graphics->fovHeight : 480;

    addChild(MenuPlate::pageTitle(text(Language::STR_HIGHSCOREOPTIONS)));
    MenuButtonQuit* ok = new MenuButtonQuit(0.0f, float(-h / 2 + 50), 0.0f, text(Language::STR_OK), "");
    ok->setWidth(128);
    addChild(ok);
    MenuButtonURL* world = new MenuButtonURL(0.0f, 80.0f, 0.0f, text(Language::STR_WORLDWIDESCORES),
                                             text(Language::STR_WORLDWIDESCORESHINT));
    world->url = worldTableUrl();
    addChild(world);
    uploadButton = new MenuButton(0.0f, 40.0f, 0.0f, text(Language::STR_UPLOADSCORES),
                                  text(Language::STR_UPLOADSCORESHINT));
    addChild(uploadButton);
    resetButton = new MenuButton(0.0f, -40.0f, 0.0f, text(Language::STR_RESETSCORES),
                                 text(Language::STR_RESETSCORESHINT));
    resetButton->questionText = text(Language::STR_CONFIRM);
    addChild(resetButton);
}

ContextHighScoresOptions::~ContextHighScoresOptions() {}

void ContextHighScoresOptions::tickContents(double time, double dt) {
    ContextMenu::tickContents(time, dt);
    if (uploadButton->wasClicked()) {
        // The first upload passes through the network wizard.
        if (gGlobal->saveData.bNetworkTested)
            gGlobal->contextManager->push(new ContextScoreUpload());
        else
            gGlobal->contextManager->push(new ContextNetworkWizard1());
    }
    // A click comes only after "Yes".
    if (resetButton->wasClicked()) {
        static_cast<Sound*>(PLIM->resourceManager->find("pop", true))->playRandomPitch();
        gGlobal->saveData.resetHighScores();
        gGlobal->profiles.lastHighScorePlace = -1;
    }
}

#include "GameControllerTutorial.h"

#include "app/ContextManager.h"
#include "app/Global.h"
#include "render/Renderable.h"
#include "RenderableText.h"
#include "PlayerData.h"
#include "modes/pages/ContextGameHelp.h"
#include "world/Vehicle.h"
#include "world/World.h"

namespace {

const int LEFT_ALIGNED = 0; // print flags of the mouse page's lines
const float MOUSE_TEXT_X = -130.0f;
const float MOUSE_PICTURE_X = -200.0f;


// A title and three lines, as most pages are.
void addLesson(PlimBase* page, const char* title, const char* first, const char* second, const char* third) {
    ContextGameHelp::addText(page, 0.0f, 100.0f, title, gGlobal->fontLarge);
    ContextGameHelp::addText(page, 0.0f, 30.0f, first, gGlobal->fontMedium);
    ContextGameHelp::addText(page, 0.0f, 0.0f, second, gGlobal->fontMedium);
    ContextGameHelp::addText(page, 0.0f, -30.0f, third, gGlobal->fontMedium);
}

} // namespace

GameControllerTutorial::GameControllerTutorial() {
    computerPlayers = 1;
    aiSkill = 0.0f;
    gameType = GAMETYPE_NONE;
    days = TUTORIAL_DAYS;
}

GameControllerTutorial::~GameControllerTutorial() {}

ContextGameHelp* GameControllerTutorial::createPage(Page page) {
    ContextGameHelp* help = new ContextGameHelp();
    PlimBase* c = help->content;
    switch (page) {
    case PAGE_START:
        addLesson(c, "let's go!", "in this tutorial you will fight a short 2-day war.", "your island is to the left.",
                  "the enemy island is to the right.");
        break;
    case PAGE_MOUSE: {
        FontQuad* small = gGlobal->fontSmall;
        ContextGameHelp::addText(c, MOUSE_TEXT_X, 100.0f, "move the arrow pointer on the screen and your airplane will follow it.",
                small, LEFT_ALIGNED);
        ContextGameHelp::addText(c, MOUSE_TEXT_X, 10.0f, "scroll the mouse wheel up and down to adjust your speed.", small,
                LEFT_ALIGNED);
        ContextGameHelp::addText(c, MOUSE_TEXT_X, -10.0f, "hint: you can also use the up and down arrow keys.", small, LEFT_ALIGNED);
        ContextGameHelp::addText(c, MOUSE_TEXT_X, -100.0f, "click to release bombs.", small, LEFT_ALIGNED);
        // The second of each pair is drawn over the first.
        ContextGameHelp::addMousePicture(c, MOUSE_PICTURE_X, 100.0f, 2);
        ContextGameHelp::addMousePicture(c, MOUSE_PICTURE_X, 100.0f, 0);
        ContextGameHelp::addMousePicture(c, MOUSE_PICTURE_X, 0.0f, 0);
        ContextGameHelp::addMousePicture(c, MOUSE_PICTURE_X, 0.0f, 3);
        ContextGameHelp::addMousePicture(c, MOUSE_PICTURE_X, -100.0f, 0);
        ContextGameHelp::addMousePicture(c, MOUSE_PICTURE_X, -100.0f, 1);
        break;
    }
    case PAGE_SUNRISE:
        addLesson(c, "sunrise: attack round", "in this round you control the airplane.",
                  "destroy all enemy trees to proceed.", "but watch out, they will be protected!");
        break;
    case PAGE_NOON:
        addLesson(c, "noon: defense round", "you now control the cannon.", "shoot down the enemy airplane to proceed.",
                  "protect your trees from incoming bombs!");
        break;
    case PAGE_SUNSET:
        addLesson(c, "sunset: dogfight round", "you're now back in the airplane.",
                  "shoot down the enemy airplane to proceed.", "avoid incoming fire!");
        break;
    case PAGE_DAY_OVER:
        ContextGameHelp::addText(c, 0.0f, 100.0f, "day over!", gGlobal->fontLarge);
        ContextGameHelp::addText(c, 0.0f, 15.0f, "this concludes your first day.", gGlobal->fontMedium);
        ContextGameHelp::addText(c, 0.0f, -15.0f, "now try the second day!", gGlobal->fontMedium);
        break;
    case PAGE_WAR_OVER:
        addLesson(c, "war over!", "your game will now be evaluated.", "your rating reflects how well you played,",
                  "and determines your position in the high score tables!");
        break;
    case PAGE_HEALTH:
        addLesson(c, "your health", "every time you're hit your health decreases.",
                  "if it reaches zero, you'll lose this round.", "watch the heart icon at the top!");
        break;
    case PAGE_BLASTER:
        addLesson(c, "your blaster", "every time you fire your blaster energy decreases.",
                  "if it reaches zero, you can't fire until it recharges.", "watch the lightning icon at the top!");
        break;
    case PAGE_BONUS:
        addLesson(c, "a bonus has appeared!", "shoot the bonus balloon to collect it.",
                  "some bonuses make things easier for you,", "others simply make things harder for your opponent!");
        break;
    }
    return help;
}

void GameControllerTutorial::pushPage(Page page) { gGlobal->contextManager->push(createPage(page)); }

void GameControllerTutorial::onStateChange() {
    switch (state) {
    case STATE_START:
        pushPage(PAGE_START);
        break;
    case STATE_NEXT_ROUND:
        if (bFirstDayDone) break;
        // The page pushed last is read first: the sunrise page, then the mouse.
        if (round == ROUND_NONE) {
            if (gGlobal->saveData.bUseMouse) pushPage(PAGE_MOUSE);
            pushPage(PAGE_SUNRISE);
        } else if (round == ROUND_SUNRISE) {
            pushPage(PAGE_NOON);
        } else if (round == ROUND_NOON) {
            pushPage(PAGE_SUNSET);
        }
        break;
    case STATE_DAY_OVER:
        if (!bFirstDayDone) {
            pushPage(PAGE_DAY_OVER);
            bFirstDayDone = true;
        }
        if (day == days) pushPage(PAGE_WAR_OVER);
        break;
    default:
        break;
    }
    GameControllerClassic::onStateChange();
}

void GameControllerTutorial::updateRules() {
    GameControllerClassic::updateRules();
    Vehicle* vehicle = playerData[0]->vehicle();
    if (!bHealthHintShown && vehicle && vehicle->energy < vehicle->maxEnergy) {
        pushPage(PAGE_HEALTH);
        bHealthHintShown = true;
    }
    if (!bBlasterHintShown && vehicle && vehicle->blasterEnergy < vehicle->maxBlasterEnergy) {
        pushPage(PAGE_BLASTER);
        bBlasterHintShown = true;
    }
    if (!bBonusHintShown && layers[LAYER_BALLOONS]->getNumChildren() > 0) {
        pushPage(PAGE_BONUS);
        bBonusHintShown = true;
    }
}

// Every screen rendered by the real engine over the game's data, full screen at
// 1024 x 768, each once with and once without its texts (ScreenText): prints
// the lowest WCAG contrast ratio per screen, on the texts' strokes, and fails
// under 5:1, the margin kept above the 4.5:1 floor (3:1 for the captions of
// disabled widgets). Hovered widgets count too. The menus' backdrop
// is measured against the sky and sea alone, and the texts that could outgrow
// their frames and the widgets behind frames are read back where they lie.
#include "widgets/Background.h"
#include "CameraBlender.h"
#include "render/Camera.h"
#include "screens/ContextCredits.h"
#include "screens/ContextDialog.h"
#include "screens/ContextErrorReport.h"
#include "screens/ContextHelp.h"
#include "screens/ContextHighScores.h"
#include "screens/ContextHighScoresOptions.h"
#include "screens/ContextLanguageSelect.h"
#include "screens/ContextMain.h"
#include "screens/ContextNetworkWizard1.h"
#include "screens/ContextNetworkWizard3.h"
#include "screens/ContextNewUser.h"
#include "screens/ContextOptions.h"
#include "screens/ContextOptionsControls.h"
#include "screens/ContextOptionsControls2.h"
#include "screens/ContextOptionsGameplay.h"
#include "screens/ContextOptionsGraphics.h"
#include "screens/ContextOptionsSound.h"
#include "screens/ContextPre.h"
#include "screens/ContextScoreUpload.h"
#include "screens/ContextUserManager.h"
#include "FontQuad.h"
#include "language/Language.h"
#include "MatchFixture.h"
#include "MatchScenarios.h"
#include "widgets/MenuBool.h"
#include "widgets/MenuButton.h"
#include "widgets/MenuItem.h"
#include "ScreenText.h"
#include "RenderableText.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "render/Quad.h"
#include "render/Texture.h"
#include "files/UserNotices.h"
#include "modes/ContextEnding.h"
#include "modes/ContextLogo.h"
#include "modes/Messenger.h"
#include "modes/PlayerData.h"
#include "modes/PlayerHUD.h"
#include "modes/pages/ContextGameHelp.h"
#include "modes/pages/ContextGametypes.h"
#include "modes/pages/ContextMutators.h"
#include "modes/pages/ContextRulesBalloonPop.h"
#include "modes/pages/ContextRulesCampaign.h"
#include "modes/pages/ContextRulesClassicWar.h"
#include "modes/pages/ContextRulesFFA.h"

#include <GL/gl.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <functional>
#include <numeric>
#include <set>
#include <vector>

namespace {

using namespace ScreenText;

// A margin above the 4.5:1 every text needs: a glyph's placement or a shade of
// the art does not take a text under it.
const double MARGIN = 5.0, DISABLED_FLOOR = 3.0;

// A world rectangle of the default view in window pixels (from the top left).
Box windowBox(float left, float top, float right, float bottom) {
    const Size s = windowSize();
    const float k = float(s.h) / float(Camera::fovHeight());
    return Box{int(std::floor(left * k)) + s.w / 2, s.h / 2 - int(std::ceil(top * k)),
               int(std::ceil(right * k)) + s.w / 2 - 1, s.h / 2 - int(std::floor(bottom * k)) - 1};
}

// The window box of a drawable's skin (a widget's frame, a group's panel).
Box boxOf(const BasicLink* drawable) {
    const Renderable* r = static_cast<const Renderable*>(static_cast<const PlimBase*>(drawable));
    return windowBox(r->position.x - r->pSkin->width / 2, r->position.y + r->pSkin->height / 2,
                     r->position.x + r->pSkin->width / 2, r->position.y - r->pSkin->height / 2);
}

class ContrastWalkTest : public MatchTest {
protected:
    // Coarse frames: the screens only have to settle, and pixels are read once each.
    static void SetUpTestSuite() { startHarness(0.05, true); }
    void TearDown() override { clearStack(); }

    static ContextManager* stack() { return harness->app->contextManager; }
    static void push(Context* screen) { stack()->push(screen); }
    // Runs until the screen has settled, measures, prints and checks it.
    // A match's moment may show no text at all (a blend between rounds). A
    // frame or dialog dims the screens beneath it: only its own texts count.
    void check(const char* name, double seconds, bool needsText = true, bool framed = false) {
        harness->runSeconds(seconds);
        std::vector<BasicLink*> beneath;
        for (BasicLink* screen = framed ? stack()->getTop()->prev : nullptr; screen; screen = screen->prev)
            for (BasicLink* l = screen->firstChild; l; l = l->next) beneath.push_back(l), l->bSkip = true;
        const Lowest low = measure(stack(), name);
        for (BasicLink* l : beneath) l->bSkip = false;
        std::string line = low.texts == 0 ? "no text" : UString::format("lowest %5.2f:1 over %d texts", low.text, low.texts).c_str();
        if (low.disabled < 99.0) line += UString::format(" (disabled %.2f:1)", low.disabled).c_str();
        printf("%-28s %s\n", name, line.c_str());
        if (needsText) {
            EXPECT_GT(low.texts, 0) << name;
        }
        EXPECT_GE(low.text, MARGIN) << name;
        EXPECT_GE(low.disabled, DISABLED_FLOOR) << name;
    }
    // The pointer over a widget: its lit frame, its caption's hover colour, its hint line.
    void hovered(const char* name, MenuItem* widget) {
        widget->bForceHighlight = true;
        check(name, 0.5);
        widget->bForceHighlight = false;
    }
    void screen(const char* name, const std::function<Context*()>& make, double seconds = 1.5, bool framed = false) {
        clearStack();
        push(make());
        check(name, seconds, true, framed);
    }
    // No widget of the screen beneath shows cut by the top screen's frame:
    // outside it, each is dimmed to 60% of itself drawn alone at most.
    static void expectSetApart(Context* beneath, const Box& frame) {
        const Pixels framed = render(stack()), alone = renderContext(beneath);
        auto meanOutside = [&frame](const Pixels& p, const Box& box) {
            double sum = 0.0;
            int n = 0;
            for (int y = std::max(0, box.y0); y <= std::min(windowSize().h - 1, box.y1); ++y)
                for (int x = std::max(0, box.x0); x <= std::min(windowSize().w - 1, box.x1); ++x)
                    if (!Box{x, y, x, y}.inside(frame) && ++n)
                        sum += luminance(&p[4 * (size_t(windowSize().h - 1 - y) * size_t(windowSize().w) + size_t(x))]);
            return n ? sum / n : 0.0;
        };
        for (BasicLink* l = beneath->firstChild; l; l = l->next) {
            const MenuItem* widget = dynamic_cast<const MenuItem*>(static_cast<PlimBase*>(l));
            const Box box = widget ? boxOf(widget) : Box();
            const bool apart = box.x1 < frame.x0 || box.x0 > frame.x1 || box.y1 < frame.y0 || box.y0 > frame.y1;
            if (box.empty() || apart || box.inside(frame)) continue;
            EXPECT_LE(meanOutside(framed, box), 0.6 * meanOutside(alone, box))
                << "\"" << widget->caption.c_str() << "\" shows cut by a frame's edge";
        }
    }
};

TEST_F(ContrastWalkTest, EveryMenuScreenAndDialogReadsAtFiveToOne) {
    harness->app->profiles.addProfile("SkyPatrolLeader");
    screen("main menu", [] { return new ContextMain(); });
    hovered("main menu, a button hovered", static_cast<ContextMain*>(stack()->getTop())->buttonHighScores);
    screen("name entry", [] {
        ContextNewUser* names = new ContextNewUser();
        names->name = "Ace";
        return names;
    });
    screen("quit dialog", [] {
        push(new ContextMain());
        static int answer;
        return ContextDialog::question(UString(), PLIM->language->getText(Language::STR_CONFIRM), &answer);
    }, 1.5, true);
    clearStack();
    push(new ContextMain());
    UserNotices::post("The file 'Corvana2demo.hst' was damaged and has been kept as 'Corvana2demo.hst.damaged'.");
    check("damaged-file notice", 1.5, true, true);
    clearStack();
    push(new ContextMain());
    UserNotices::post("Could not save 'Corvana2demo.hst': No space left on device. Your latest changes are not kept.");
    check("failed-save notice", 1.5, true, true);
    // The players over the main menu, whose corner buttons the frame crosses.
    clearStack();
    ContextMain* menu = new ContextMain();
    push(menu);
    harness->runSeconds(0.5);
    ContextUserManager* players = new ContextUserManager();
    push(players);
    check("players", 1.5, true, true);
    expectSetApart(menu, boxOf(players->firstChild));
    players->buttonAdd->onClick();
    harness->runSeconds(0.5);
    expectSetApart(menu, boxOf(stack()->getTop()->firstChild));
    const Pixels replaced = render(stack());
    stack()->getTop()->bDone = true;
    harness->runSeconds(2.0);
    push(new ContextNewUser());
    harness->runSeconds(0.5);
    EXPECT_TRUE(render(stack()) == replaced) << "the players drawn under the name prompt";
    screen("options", [] { return new ContextOptions(); });
    screen("options: graphics", [] { return new ContextOptionsGraphics(); });
    screen("options: sound", [] { return new ContextOptionsSound(); });
    screen("options: controls", [] { return new ContextOptionsControls(); });
    screen("options: controls 2", [] { return new ContextOptionsControls2(); });
    screen("options: gameplay", [] { return new ContextOptionsGameplay(); });
    screen("high scores", [] { return new ContextHighScores(0); });
    screen("high-score options", [] { return new ContextHighScoresOptions(); });
    screen("help", [] { return new ContextHelp(); });
    screen("credits", [] { return new ContextCredits(); }, 4.0);
    screen("error report", [] { return new ContextErrorReport(); });
    screen("network wizard", [] { return new ContextNetworkWizard1(); });
    hovered("network wizard, a box hovered", static_cast<ContextNetworkWizard1*>(stack()->getTop())->desktopCheckBox);
    screen("network test", [] { return new ContextNetworkWizard3(); });
    screen("score upload", [] { return new ContextScoreUpload(); });
    screen("game types", [] { return new ContextGametypes(); });
    screen("mutators", [] { return new ContextMutators(); });
    screen("rules: invasion", [] { return new ContextRulesCampaign(); });
    screen("rules: classic war", [] { return new ContextRulesClassicWar(); });
    screen("rules: free-for-all", [] { return new ContextRulesFFA(); });
    screen("rules: balloon pop", [] { return new ContextRulesBalloonPop(); });
    screen("language page", [] { return new ContextLanguageSelect(); });
}

// The menus' backdrop (the shared layer under every menu page) against the
// sky and sea alone, drawn through the same camera.
TEST_F(ContrastWalkTest, TheMenuBackdropShowsTheSkyOverTheSea) {
    ContextPre* pre = gGlobal->contextPre;
    ContextBlender bare;
    bare.addChild(new Background());
    const V3 at = pre->getCameraBlender()->basePosition;
    bare.getCameraBlender()->setPosition(at.x, at.y, at.z, false);
    bare.tick(0.0, 0.0);
    pre->tick(0.0, 0.0);
    const double alone = meanLuminance(renderContext(&bare));
    const double menus = meanLuminance(renderContext(pre));
    // (A player, or the main menu asks for a name first.)
    if (harness->app->profiles.countProfiles() == 0) harness->app->profiles.addProfile("SkyPatrolLeader");
    push(new ContextMain());
    harness->runSeconds(1.0);
    double page;
    {
        HiddenText hidden;
        page = meanLuminance(render(stack()));
    }
    printf("backdrop mean luminance %.3f, alone %.3f (%.0f%%); main menu without its texts %.3f (%.0f%%)\n", menus,
           alone, 100.0 * menus / alone, page, 100.0 * page / alone);
    EXPECT_GT(alone, 0.1); // a blue sky, not the black of an empty frame
    EXPECT_GE(menus, 0.5 * alone);
    EXPECT_GE(page, 0.5 * alone);
}

TEST_F(ContrastWalkTest, TheMatchPagesHudMessagesAndEndSceneReadAtFiveToOne) {
    // Real matches, sampled as their cameras pass over sky, sea, islands and
    // explosions, with a message and long bonus popups shown at once.
    for (const char* scenario : {"war", "zeppelin", "fireworks"}) {
        clearStack();
        GameController* match = MatchScenarios::start(scenario, *harness, 2);
        ASSERT_NE(match, nullptr) << scenario;
        match->messenger->setMessage("double damage!", 60.0);
        match->playerHud[0]->showCaption("double blaster capacity!");
        match->playerHud[1]->showCaption("sabotage: turning rate halved!");
        for (int second = 2; second <= 8; second += 3)
            check(UString::format("match %s, %d s", scenario, second).c_str(), second == 2 ? 2.0 : 3.0, false);
    }
    GameController* match = harness->controller;
    match->messenger->setMessage(UString(), 0.0);
    push(new ContextGameHelp());
    check("pause page", 1.5);
    stack()->getTop()->bDone = true;
    harness->step();
    static int answer;
    push(ContextDialog::question(UString(), PLIM->language->getText(Language::STR_CONFIRM), &answer));
    check("quit question in a match", 1.5, true, true);
    stack()->getTop()->bDone = true;
    harness->step();

    ContextGameHelp* hint = new ContextGameHelp();
    ContextGameHelp::addText(hint->content, 0.0f, 100.0f, "weapons", gGlobal->fontLarge);
    ContextGameHelp::addText(hint->content, 0.0f, 0.0f, "shoot it to upgrade your weapon.", gGlobal->fontMedium);
    ContextGameHelp::addText(hint->content, 0.0f, -40.0f,
                             "some weapons are automatic, just press and hold the fire button!", gGlobal->fontSmall);
    push(hint);
    check("hint page", 1.5);
    clearStack();

    match = start<GameController>([](GameController& m) {
        m.playerCount = 1;
        m.palmCount = 3;
        m.gameType = GameController::GAMETYPE_INVASION;
    });
    match->playerData[0]->rating = 0.5f;
    match->bDone = true;
    ContextEnding* ending = new ContextEnding();
    ending->gameType = GameController::GAMETYPE_INVASION;
    push(ending);
    check("end scene: winner", 6.0);
    check("end scene: rating", 12.0);
    check("end scene: click to continue", 12.0);
    clearStack();

    // The longest bonus captions with the view low over the sea: the labels
    // stand over the bright haze of the horizon.
    match = start<GameController>([](GameController& m) { m.playerCount = 2; });
    match->scene->getCameraBlender()->setPosition(0.0f, -150.0f, -320.0f, false);
    for (PlayerHUD* hud : match->playerHud) {
        hud->bHidden = false;
        hud->showCaption("sabotage: turning rate halved!");
        hud->showCaption("double blaster capacity!");
    }
    check("bonus labels over bright sky", 1.5);
    clearStack();

    push(new ContextLogo());
    check("title scene, logo shown", 4.5);
}

// The badge's centre lies on the top edge: its lower half shows.
const int BADGE_HALF_HEIGHT = 32;

// Text pixels (those the texts change) in the window rows from top to
// bottom whose background is not the frame's: where the text-less render is
// the same as one without the frames.
int textPixelsOffFrame(const Pixels& with, const Pixels& without, const Pixels& noFrames, int top, int bottom) {
    const Size s = windowSize();
    int off = 0;
    for (int y = top; y <= bottom; ++y)
        for (int x = 0; x < s.w; ++x) {
            const size_t i = 4 * (size_t(s.h - 1 - y) * size_t(s.w) + size_t(x));
            int text = 0, frame = 0;
            for (size_t c = 0; c < 3; ++c) {
                text = std::max(text, std::abs(int(with[i + c]) - int(without[i + c])));
                frame = std::max(frame, std::abs(int(without[i + c]) - int(noFrames[i + c])));
            }
            if (text >= 3 && frame < 3) ++off;
        }
    return off;
}

TEST_F(ContrastWalkTest, TheLongestNameAndBonusCaptionsStayInsideTheirFramesAndTheScoresInTheWindow) {
    // Fifteen of the large font's widest letter, the cursor shown.
    char widest = 'A';
    for (char c = '!'; c <= '}'; ++c)
        if (ContextNewUser::isAllowedChar(c) &&
            gGlobal->fontLarge->getTextWidth(std::string(1, c), nullptr).width >
                gGlobal->fontLarge->getTextWidth(std::string(1, widest), nullptr).width)
            widest = c;
    ContextNewUser* names = new ContextNewUser();
    names->name = std::string(ContextNewUser::MAX_NAME_LENGTH, widest);
    push(names);
    auto cursorShown = [names] {
        const std::string text = names->nameLabel->text.c_str();
        return !text.empty() && text.back() == '_';
    };
    harness->runSeconds(0.5);
    for (int i = 0; i < 10 && !cursorShown(); ++i) harness->step();
    ASSERT_TRUE(cursorShown());
    Pixels with = render(stack()), without;
    {
        HiddenText hidden;
        without = render(stack());
    }
    const Box frame = boxOf(names->field);
    const Box name = differing(with, without, Box{0, frame.y0 - 32, windowSize().w - 1, frame.y1 + 32});
    EXPECT_FALSE(name.empty());
    EXPECT_TRUE(name.inside(frame)) << "the name at x " << name.x0 << ".." << name.x1 << ", y " << name.y0 << ".."
                                    << name.y1 << "; its field at x " << frame.x0 << ".." << frame.x1 << ", y "
                                    << frame.y0 << ".." << frame.y1;
    clearStack();

    // The two longest bonus captions on either side, and wide scores.
    GameController* match = start<GameController>([](GameController& m) { m.playerCount = 2; });
    for (int player = 0; player < 2; ++player) {
        match->playerHud[player]->bHidden = false;
        match->playerHud[player]->showCaption("sabotage: turning rate halved!");
        match->playerHud[player]->showCaption("double blaster capacity!");
        match->playerData[player]->score = 8888888;
    }
    harness->runSeconds(1.5);
    with = render(stack());
    Pixels noPopups;
    {
        HiddenText hidden;
        without = render(stack());
        for (PlayerHUD* hud : match->playerHud)
            for (BasicLink* l = hud->firstChild; l; l = l->next) l->bSkip = true;
        noPopups = render(stack());
        for (PlayerHUD* hud : match->playerHud)
            for (BasicLink* l = hud->firstChild; l; l = l->next) l->bSkip = false;
    }
    // The scores on the badges' lower halves, the labels below them.
    const float badge = match->playerHud[0]->position.y - float(BADGE_HALF_HEIGHT);
    const int labelsTop = windowBox(0.0f, badge, 0.0f, badge).y0;
    const int labelsBottom = windowBox(0.0f, 0.0f, 0.0f, badge - 60.0f).y1;
    EXPECT_EQ(textPixelsOffFrame(with, without, noPopups, labelsTop, labelsBottom), 0)
        << "caption pixels off their labels";
    const int right = windowSize().w - 1;
    for (const Box& texts : {differing(with, without, Box{0, 0, right, labelsTop - 1}),
                             differing(with, without, Box{0, labelsTop, right, labelsBottom})}) {
        EXPECT_FALSE(texts.empty());
        EXPECT_GE(texts.x0, 2) << "a text touches the left edge below row " << texts.y0;
        EXPECT_LE(texts.x1, right - 2) << "a text touches the right edge below row " << texts.y0;
        EXPECT_GE(texts.y0, 2) << "a text touches the top";
    }
}

} // namespace

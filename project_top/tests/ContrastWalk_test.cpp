// Every screen rendered by the real engine over the game's data, each once with
// and once without its texts: the pixels that differ are the text, the same
// pixels of the text-less render its background. Prints the lowest WCAG
// contrast ratio per screen and fails under 4.5:1, translucent black texts
// included (they are measured where they cover their pixel wholly).
#include "ContextCredits.h"
#include "ContextDialog.h"
#include "ContextErrorReport.h"
#include "ContextHelp.h"
#include "ContextHighScores.h"
#include "ContextHighScoresOptions.h"
#include "ContextMain.h"
#include "ContextNetworkWizard1.h"
#include "ContextNetworkWizard3.h"
#include "ContextNewUser.h"
#include "ContextOptions.h"
#include "ContextOptionsControls.h"
#include "ContextOptionsControls2.h"
#include "ContextOptionsGameplay.h"
#include "ContextOptionsGraphics.h"
#include "ContextOptionsSound.h"
#include "ContextScoreUpload.h"
#include "ContextUserManager.h"
#include "FontQuad.h"
#include "Language.h"
#include "MatchFixture.h"
#include "MatchScenarios.h"
#include "MenuItem.h"
#include "RenderableText.h"
#include "Plim.h"
#include "PlimGraphics.h"
#include "Quad.h"
#include "Texture.h"
#include "UserNotices.h"
#include "modes/ContextEnding.h"
#include "modes/Messenger.h"
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

using Pixels = std::vector<uint8_t>; // RGBA rows of the window

Pixels renderStack(ContextManager* stack) {
    GLint v[4];
    glGetIntegerv(GL_VIEWPORT, v);
    MatchHarness::setDrawing(true); // a match's start turns it off again
    PLIM->graphics->clear(UColor(0, 0, 0, 255));
    stack->renderContext();
    PLIM->graphics->flush();
    glFinish();
    Pixels p(size_t(v[2]) * size_t(v[3]) * 4);
    glReadPixels(0, 0, v[2], v[3], GL_RGBA, GL_UNSIGNED_BYTE, p.data());
    return p;
}

// Every font draws nothing while this lives: the pictures of its glyphs and
// of its cache rows are cleared to transparent in GL (and put back after),
// so texts keep their sizes and everything else draws as before.
class HiddenText {
public:
    HiddenText() {
        std::set<Texture*> textures;
        for (FontQuad* f : {gGlobal->fontTiny, gGlobal->fontSmall, gGlobal->fontMedium, gGlobal->fontLarge, gGlobal->fontHUD}) {
            if (!f) continue;
            for (const FontSymbol& s : f->symbolData)
                for (Skin* image : {s.pQuad, s.pAccentQuad})
                    if (Quad* q = image ? FontQuad::asQuad(image) : nullptr)
                        if (q->pTexture) textures.insert(q->pTexture);
            if (f->cacheTextures)
                for (BasicLink* l = f->cacheTextures->firstChild; l; l = l->next)
                    if (Texture* t = dynamic_cast<Texture*>(static_cast<PlimBase*>(l))) textures.insert(t);
        }
        for (Texture* t : textures) {
            if (!t->glTexHandle) continue;
            Saved s{t->glTexHandle, 0, 0, {}};
            glBindTexture(GL_TEXTURE_2D, s.handle);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &s.w);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &s.h);
            s.pixels.resize(size_t(s.w) * size_t(s.h) * 4);
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, s.pixels.data());
            const std::vector<uint8_t> clear(s.pixels.size(), 0);
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, s.w, s.h, GL_RGBA, GL_UNSIGNED_BYTE, clear.data());
            saved.push_back(std::move(s));
        }
    }
    ~HiddenText() {
        for (const Saved& s : saved) {
            glBindTexture(GL_TEXTURE_2D, s.handle);
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, s.w, s.h, GL_RGBA, GL_UNSIGNED_BYTE, s.pixels.data());
        }
    }

private:
    struct Saved {
        unsigned int handle;
        GLint w, h;
        std::vector<uint8_t> pixels;
    };
    std::vector<Saved> saved;
};

// The texts the walk leaves out, empty while this lives: those of disabled
// widgets (inactive controls need no contrast), with the labels laid over
// them, and texts in the middle of a fade (black at half alpha is a colour,
// not a fade).
class HiddenExempt {
public:
    explicit HiddenExempt(PlimBase* root) {
        findDisabled(root);
        hide(root);
    }
    ~HiddenExempt() {
        for (auto& t : captions) t.first->caption = t.second;
        for (auto& t : labels) t.first->text = t.second;
        for (auto& t : messages) t.first->text = t.second;
    }

private:
    void findDisabled(PlimBase* node) {
        for (BasicLink* l = node->firstChild; l; l = l->next) {
            PlimBase* child = static_cast<PlimBase*>(l);
            if (MenuItem* item = dynamic_cast<MenuItem*>(child))
                if (item->bDisabled) disabled.push_back(item);
            findDisabled(child);
        }
    }
    static bool fading(UColor c) { return c.a < 255 && (c.r | c.g | c.b) != 0; }
    bool exempt(const RenderableText* label) const {
        if (fading(label->color)) return true;
        for (const MenuItem* item : disabled)
            if (item->position.x == label->position.x && item->position.y == label->position.y) return true;
        return false;
    }
    void hide(PlimBase* node) {
        for (BasicLink* l = node->firstChild; l; l = l->next) {
            PlimBase* child = static_cast<PlimBase*>(l);
            MenuItem* item = dynamic_cast<MenuItem*>(child);
            if (item && item->bDisabled) {
                captions.push_back({item, item->caption});
                item->caption = UString();
            }
            RenderableText* label = dynamic_cast<RenderableText*>(child);
            if (label && exempt(label)) {
                labels.push_back({label, label->text});
                label->text = UString();
            }
            Messenger* messenger = dynamic_cast<Messenger*>(child);
            if (messenger && fading(messenger->colour)) {
                messages.push_back({messenger, messenger->text});
                messenger->text = UString();
            }
            hide(child);
        }
    }
    std::vector<MenuItem*> disabled;
    std::vector<std::pair<MenuItem*, UString>> captions;
    std::vector<std::pair<RenderableText*, UString>> labels;
    std::vector<std::pair<Messenger*, UString>> messages;
};

double luminance(const uint8_t* p) {
    double l[3];
    for (int i = 0; i < 3; ++i) {
        const double c = p[i] / 255.0;
        l[i] = c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    }
    return 0.2126 * l[0] + 0.7152 * l[1] + 0.0722 * l[2];
}

double contrast(const uint8_t* a, const uint8_t* b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

int difference(const Pixels& a, const Pixels& b, size_t i) {
    int d = 0;
    for (int c = 0; c < 3; ++c) d = std::max(d, std::abs(int(a[i * 4 + c]) - int(b[i * 4 + c])));
    return d;
}

struct Lowest {
    double text = 99.0;      // every text drawn in an opaque colour
    double halfBlack = 99.0; // texts in translucent black
    int texts = 0;
};

// The texts are the pixels where the render with text differs from the one
// without (and the scene itself did not change between two text-less
// renders); pixels within 2 of each other belong to one text. Anti-aliased
// edges blend text and background, so each text is measured at its core: its
// pixels that differ from the background at least 80% as much as its most
// different pixel, and the text's ratio is the median ratio over that core.
// A text whose most different pixel is about half its background (translucent
// black, as group titles, the greeting and the version line are) is measured at
// that pixel instead. Disabled captions and texts in a fade are left out.
// With CONTRAST_DUMP set to a folder, each screen's renders are written there.
void dump(const char* name, const char* kind, const Pixels& p, int w, int h) {
    const char* folder = getenv("CONTRAST_DUMP");
    if (!folder) return;
    std::string file = std::string(folder) + "/" + name + "-" + kind + ".ppm";
    std::replace(file.begin() + long(strlen(folder)) + 1, file.end(), ' ', '_');
    std::replace(file.begin() + long(strlen(folder)) + 1, file.end(), ':', '_');
    FILE* f = fopen(file.c_str(), "wb");
    if (!f) return;
    fprintf(f, "P6 %d %d 255\n", w, h);
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) fwrite(&p[size_t(y * w + x) * 4], 1, 3, f);
    fclose(f);
}

Lowest measure(ContextManager* stack, const char* name) {
    // Text-less first: a screen that copies the last frame into a picture
    // (a blend) would otherwise show the texts of the render before.
    Pixels without, again;
    {
        HiddenText hidden;
        again = renderStack(stack);
        without = renderStack(stack);
    }
    const Pixels with = renderStack(stack);
    Pixels enabledOnly;
    {
        HiddenExempt hidden(stack);
        enabledOnly = renderStack(stack);
    }
    GLint v[4];
    glGetIntegerv(GL_VIEWPORT, v);
    const int w = v[2], h = v[3];
    const size_t n = size_t(w) * size_t(h);
    dump(name, "text", with, w, h);
    dump(name, "plain", without, w, h);
    std::vector<int> parent(n, -1);
    std::function<int(int)> root = [&](int i) { return parent[i] == i ? i : parent[i] = root(parent[i]); };
    for (size_t i = 0; i < n; ++i)
        if (difference(with, without, i) >= 3 && difference(without, again, i) <= 1) parent[i] = int(i);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int i = y * w + x;
            if (parent[i] < 0) continue;
            for (int dy = 0; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx) {
                    if (dy == 0 && dx <= 0) continue;
                    const int x2 = x + dx, y2 = y + dy;
                    if (x2 < 0 || x2 >= w || y2 >= h || parent[y2 * w + x2] < 0) continue;
                    parent[root(y2 * w + x2)] = root(i);
                }
        }
    struct Text {
        std::vector<int> pixels;
        int most = 0;
        int disabledPixels = 0;
    };
    std::vector<int> index(n, -1);
    std::vector<Text> texts;
    for (size_t i = 0; i < n; ++i) {
        if (parent[i] < 0) continue;
        int& k = index[size_t(root(int(i)))];
        if (k < 0) {
            k = int(texts.size());
            texts.emplace_back();
        }
        texts[size_t(k)].pixels.push_back(int(i));
        texts[size_t(k)].most = std::max(texts[size_t(k)].most, difference(with, without, i));
        if (difference(with, enabledOnly, i) >= 3) ++texts[size_t(k)].disabledPixels;
    }
    Lowest lowest;
    for (const Text& t : texts) {
        if (t.pixels.size() < 12) continue; // a stray pixel or two, not a text
        if (2 * t.disabledPixels > int(t.pixels.size())) continue;
        std::vector<double> ratios;
        int most = t.pixels.front();
        for (int i : t.pixels) {
            if (difference(with, without, size_t(i)) == t.most) most = i;
            if (5 * difference(with, without, size_t(i)) >= 4 * t.most)
                ratios.push_back(contrast(&with[size_t(i) * 4], &without[size_t(i) * 4]));
        }
        const uint8_t* a = &with[size_t(most) * 4];
        const uint8_t* b = &without[size_t(most) * 4];
        bool halfBlack = true;
        // (within what a drop shadow beneath adds)
        for (int c = 0; c < 3; ++c) halfBlack = halfBlack && std::abs(2 * int(a[c]) - int(b[c])) <= 6 + int(b[c]) / 7;
        std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
        // Translucent black is measured where it covers its pixel wholly.
        const double ratio = halfBlack ? contrast(a, b) : ratios[ratios.size() / 2];
        if (getenv("CONTRAST_DUMP") && ratio < 4.5) {
            int x0 = w, y0 = h, x1 = 0, y1 = 0;
            for (int i : t.pixels) {
                x0 = std::min(x0, i % w), x1 = std::max(x1, i % w);
                y0 = std::min(y0, h - 1 - i / w), y1 = std::max(y1, h - 1 - i / w);
            }
            printf("  %.2f:1%s at x %d..%d, y %d..%d (from the top)\n", ratio, halfBlack ? " (translucent black)" : "",
                   x0, x1, y0, y1);
        }
        double& low = halfBlack ? lowest.halfBlack : lowest.text;
        low = std::min(low, ratio);
        ++lowest.texts;
    }
    return lowest;
}

class ContrastWalkTest : public MatchTest {
protected:
    // Coarse frames: the screens only have to settle, and pixels are read once each.
    static void SetUpTestSuite() { startHarness(0.05); }
    void TearDown() override { clearStack(); }

    static ContextManager* stack() { return harness->app->contextManager; }
    static void push(Context* screen) { stack()->push(screen); }
    // Runs until the screen has settled, measures, prints and checks it.
    // A match's moment may show no text at all (a blend between rounds).
    void check(const char* name, double seconds, bool needsText = true) {
        harness->runSeconds(seconds);
        const Lowest low = measure(stack(), name);
        if (low.texts == 0)
            printf("%-28s no text\n", name);
        else if (low.halfBlack < 99.0)
            printf("%-28s lowest %5.2f:1 over %d texts (translucent black %.2f:1)\n", name, low.text, low.texts,
                   low.halfBlack);
        else
            printf("%-28s lowest %5.2f:1 over %d texts\n", name, low.text, low.texts);
        if (needsText) EXPECT_GT(low.texts, 0) << name;
        EXPECT_GE(low.text, 4.5) << name;
        if (low.halfBlack < 99.0) EXPECT_GE(low.halfBlack, 4.5) << name;
    }
    void screen(const char* name, const std::function<Context*()>& make, double seconds = 1.5) {
        clearStack();
        push(make());
        check(name, seconds);
    }
};

TEST_F(ContrastWalkTest, EveryMenuScreenAndDialogReadsAtFourAndAHalfToOne) {
    harness->app->profiles.addProfile("SkyPatrolLeader");
    screen("main menu", [] { return new ContextMain(); });
    screen("name entry", [] {
        ContextNewUser* names = new ContextNewUser();
        names->name = "Ace";
        return names;
    });
    screen("quit dialog", [] {
        push(new ContextMain());
        static int answer;
        return ContextDialog::question(UString(), PLIM->language->getText(Language::STR_CONFIRM), &answer);
    });
    clearStack();
    push(new ContextMain());
    UserNotices::post("The file 'Corvana2demo.hst' was damaged and has been kept as 'Corvana2demo.hst.damaged'.");
    check("damaged-file notice", 1.5);
    clearStack();
    push(new ContextMain());
    UserNotices::post("Could not save 'Corvana2demo.hst': No space left on device. Your latest changes are not kept.");
    check("failed-save notice", 1.5);
    screen("players", [] { return new ContextUserManager(); });
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
    screen("network test", [] { return new ContextNetworkWizard3(); });
    screen("score upload", [] { return new ContextScoreUpload(); });
    screen("game types", [] { return new ContextGametypes(); });
    screen("mutators", [] { return new ContextMutators(); });
    screen("rules: invasion", [] { return new ContextRulesCampaign(); });
    screen("rules: classic war", [] { return new ContextRulesClassicWar(); });
    screen("rules: free-for-all", [] { return new ContextRulesFFA(); });
    screen("rules: balloon pop", [] { return new ContextRulesBalloonPop(); });
}

TEST_F(ContrastWalkTest, TheMatchPagesHudMessagesAndEndSceneReadAtFourAndAHalfToOne) {
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
}

} // namespace

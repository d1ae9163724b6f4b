// The screen stack on a loaded engine: activation order (a recording screen),
// popping and deleting, Escape with and without the quit question, fire keys
// and clicks, the empty stack, the fader and the frame-rate text.
#include "screens/ContextDialog.h"
#include "app/ContextManager.h"
#include "widgets/GUIthemeStandard.h"
#include "app/Global.h"
#include "InjectedInput.h"
#include "widgets/MenuButton.h"
#include "core/Plim.h"
#include "widgets/RadialFader.h"
#include "ShellTestEngine.h"
#include "files/UserNotices.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> events;

// Writes every activation, deactivation, tick and deletion into events.
class RecordingScreen : public Context {
public:
    explicit RecordingScreen(const std::string& name) : name(name) {}
    ~RecordingScreen() override { events.push_back(name + " deleted"); }
    void onActivate(bool first) override { events.push_back(name + (first ? " activate first" : " activate")); }
    void onDeactivate(bool removed) override { events.push_back(name + (removed ? " removed" : " covered")); }
    void tickContents(double time, double dt) override {
        ++ticks;
        Context::tickContents(time, dt);
    }
    std::string name;
    int ticks = 0;
};

class ContextManagerTest : public LoadedEngineTest {
protected:
    void SetUp() override {
        LoadedEngineTest::SetUp();
        events.clear();
    }
    RecordingScreen* screen(const std::string& name, bool deleteWhenDone = true) {
        RecordingScreen* s = new RecordingScreen(name);
        s->bDeleteWhenDone = deleteWhenDone;
        return s;
    }
    void frame() { engine->frame(); }
    void press(SDLKey key) { pressKey(*engine, key); }
    // Button down in one frame, up in the next.
    void click() {
        SDL_Event event = {};
        event.type = event.button.type = SDL_MOUSEBUTTONDOWN;
        event.button.button = SDL_BUTTON_LEFT;
        event.button.state = SDL_PRESSED;
        SDL_PushEvent(&event);
        frame();
        event.type = event.button.type = SDL_MOUSEBUTTONUP;
        event.button.state = SDL_RELEASED;
        SDL_PushEvent(&event);
        frame();
    }
};

TEST_F(ContextManagerTest, OnlyTheTopIsActivatedAndTickedAndUncoveringReactivates) {
    RecordingScreen* a = screen("a");
    RecordingScreen* b = screen("b");
    RecordingScreen* c = screen("c");
    stack->push(a);
    stack->push(b);
    stack->push(c);
    EXPECT_EQ(stack->getTop(), c);
    EXPECT_TRUE(events.empty()); // activation waits for the next tick
    frame();
    frame();
    EXPECT_EQ(events, (std::vector<std::string>{"c activate first"}));
    EXPECT_EQ(a->ticks + b->ticks, 0);
    EXPECT_EQ(c->ticks, 2);

    c->bDone = true;
    stack->fader->target = 1.0f;
    frame();
    EXPECT_EQ(stack->fader->target, 0.0f);
    b->bDone = true;
    frame();
    stack->push(screen("d"));
    frame();
    stack->getTop()->bDone = true;
    frame();
    EXPECT_EQ(events, (std::vector<std::string>{"c activate first", "c removed", "c deleted", "b activate first",
                                                "b removed", "b deleted", "a activate first", "a covered",
                                                "d activate first", "d removed", "d deleted", "a activate"}));
}

TEST_F(ContextManagerTest, AFinishedScreenBelowTheTopGoesWhenUncoveredWithoutActivation) {
    RecordingScreen* kept = screen("kept", false);
    stack->push(kept);
    frame();
    RecordingScreen* next = screen("next");
    stack->push(next);
    kept->bDone = true; // pushes a successor and finishes in the same frame
    frame();
    next->bDone = true;
    frame();
    EXPECT_EQ(events, (std::vector<std::string>{"kept activate first", "kept covered", "next activate first",
                                                "next removed", "next deleted", "kept removed"}));
    EXPECT_EQ(kept->parent, nullptr); // unlinked, not deleted
    EXPECT_TRUE(stack->bQuit);
    delete kept;
}

// Notices that engine code posted (a damaged or unsaved file) reach the player
// once, in one dialog over the top screen, and only once the menus can be drawn.
TEST_F(ContextManagerTest, PendingNoticesAreShownOnceInADialog) {
    UserNotices::take();
    RecordingScreen* under = screen("under");
    stack->push(under);
    GUIthemeStandard* theme = engine->app->themeStandard;
    engine->app->themeStandard = nullptr; // as while the loader runs
    UserNotices::post("first notice");
    frame();
    ASSERT_EQ(under, stack->getTop()) << "no dialog before the themes exist";
    engine->app->themeStandard = theme ? theme : new GUIthemeStandard();
    UserNotices::post("second notice");
    frame();
    ContextDialog* dialog = dynamic_cast<ContextDialog*>(stack->getTop());
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(UString("first notice||second notice"), dialog->text);
    EXPECT_FALSE(UserNotices::pending());
    press(SDLK_ESCAPE);
    frame();
    EXPECT_EQ(under, stack->getTop());
    frame();
    EXPECT_EQ(under, stack->getTop());
}

// A program ended by its window or a signal closes what is still open, top
// first; a screen that is not deleted when done stays its owner's.
TEST_F(ContextManagerTest, ClosingAllPopsEveryScreenTopFirst) {
    RecordingScreen* kept = screen("kept", false);
    stack->push(kept);
    stack->push(screen("top"));
    frame();
    events.clear();
    stack->closeAll();
    EXPECT_EQ(events, (std::vector<std::string>{"top removed", "top deleted", "kept removed"}));
    EXPECT_EQ(nullptr, stack->getTop());
    delete kept;
}

TEST_F(ContextManagerTest, AnEmptyStackRaisesQuitAndTicksNothing) {
    frame();
    EXPECT_TRUE(stack->bQuit);
    EXPECT_EQ(stack->currentTop, nullptr);
}

TEST_F(ContextManagerTest, EscapeClosesOnlyScreensThatAllowIt) {
    RecordingScreen* stays = screen("stays");
    stays->bEscapeCloses = false;
    stack->push(stays);
    frame();
    press(SDLK_ESCAPE);
    EXPECT_FALSE(stays->bDone);
    stack->push(screen("closes"));
    frame();
    press(SDLK_ESCAPE);
    EXPECT_EQ(std::vector<std::string>(events.end() - 3, events.end()),
              (std::vector<std::string>{"closes removed", "closes deleted", "stays activate"}));
}

TEST_F(ContextManagerTest, FireKeysAndClicksCloseOnlyWithEscapeAllowed) {
    RecordingScreen* s = screen("s");
    s->bBackKeysClose = true;
    s->bEscapeCloses = false;
    stack->push(s);
    frame();
    press(SDLK_SPACE);
    click();
    EXPECT_FALSE(s->bDone);

    s->bEscapeCloses = true;
    press(SDLK_LSHIFT); // player 2's fire key
    EXPECT_EQ(events.back(), "s deleted");
    RecordingScreen* t = screen("t");
    t->bBackKeysClose = true;
    stack->push(t);
    frame();
    click();
    EXPECT_EQ(events.back(), "t deleted");

    // Escape and fire together close the screen once.
    RecordingScreen* u = screen("u");
    u->bBackKeysClose = true;
    stack->push(u);
    frame();
    events.clear();
    InjectedInput::key(SDLK_ESCAPE, true);
    InjectedInput::key(SDLK_SPACE, true);
    frame();
    frame();
    InjectedInput::key(SDLK_ESCAPE, false);
    InjectedInput::key(SDLK_SPACE, false);
    frame();
    EXPECT_EQ(events, (std::vector<std::string>{"u removed", "u deleted"}));
}

TEST_F(ContextManagerTest, TheQuitQuestionClosesTheScreenBeneathOnYes) {
    RecordingScreen* main = screen("main");
    main->bEscapeAsksQuit = true;
    stack->push(main);
    frame();
    press(SDLK_ESCAPE);
    ContextDialog* dialog = dynamic_cast<ContextDialog*>(stack->getTop());
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(main->bDone);
    EXPECT_EQ(dialog->text, "Are you sure?");
    EXPECT_EQ(dialog->label1, "Yes");
    EXPECT_EQ(dialog->label2, "No");
    EXPECT_TRUE(dialog->title.isEmpty());
    EXPECT_EQ(dialog->pAnswer, &stack->quitAnswer);

    // Escape again closes the question without an answer.
    press(SDLK_ESCAPE);
    frame();
    EXPECT_EQ(stack->getTop(), main);
    EXPECT_EQ(stack->quitAnswer, -1);
    EXPECT_FALSE(main->bDone);

    // "No" leaves the screen; "Yes" closes it and, as the bottom, ends the run.
    press(SDLK_ESCAPE);
    static_cast<ContextDialog*>(stack->getTop())->pButton2->onClick();
    frame();
    frame();
    EXPECT_EQ(stack->getTop(), main);
    EXPECT_EQ(stack->quitAnswer, 1);
    press(SDLK_ESCAPE);
    EXPECT_EQ(stack->quitAnswer, -1); // the new question resets it
    static_cast<ContextDialog*>(stack->getTop())->pButton1->onClick();
    frame();
    EXPECT_TRUE(main->bDone);
    EXPECT_EQ(stack->quitAnswer, -1);
    frame();
    EXPECT_TRUE(stack->bQuit);
    EXPECT_EQ(events.back(), "main deleted");
}

TEST_F(ContextManagerTest, FrameRateTextSamplesAtMostEightTimesASecond) {
    engine->app->saveData.bShowFps = 1;
    RecordingScreen* hidden = screen("hidden");
    hidden->bHideFps = true;
    stack->push(hidden);
    stack->nextFpsRefresh = 0.0;
    frame();
    EXPECT_EQ(stack->nextFpsRefresh, 0.0); // no text over a screen that hides it

    hidden->bHideFps = false;
    frame();
    double first = stack->nextFpsRefresh;
    EXPECT_GT(first, 0.0);
    int samples = 1;
    double last = first;
    for (int i = 0; i < 100; ++i) { // one second at 100 frames per second
        frame();
        if (stack->nextFpsRefresh != last) ++samples, last = stack->nextFpsRefresh;
    }
    EXPECT_LE(samples, 9);
    EXPECT_GE(samples, 7);
    EXPECT_FLOAT_EQ(stack->shownFps, float(PLIM->fps));
    engine->app->saveData.bShowFps = 0;
}

} // namespace

// Focus, hover, press, drag, move and key events under Xvfb: input is pushed as
// SDL events, each frame runs the input update and then the event manager's.
#include "DeviceTestEngine.h"
#include "EngineTestFolder.h"
#include "input/Event.h"
#include "input/EventManager.h"
#include "ManualTickSource.h"
#include "core/Plim.h"
#include "input/PlimInput.h"
#include "serial/ReplicationRole.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> journal;

const char* typeName(int type) {
    static const char* const names[] = {"CLEARED", "DYING", "LOST", "GAINED",
                                        "PRESS",   "DRAG",  "KEY",  "MOVE"};
    return type >= 0 && type < 8 ? names[type] : "?";
}

// A rectangle of the virtual screen that records what reaches it.
class Box : public PlimBase {
public:
    Box(const char* name, float left, float bottom, float right, float top, PlimBase* parent)
        : name(name), left(left), bottom(bottom), right(right), top(top) {
        if (parent) parent->addChild(this);
    }
    bool isMouseInside() override {
        const float* p = PLIM->input->mousePosition;
        return p[0] >= left && p[0] < right && p[1] >= bottom && p[1] < top;
    }
    bool onPreviewEvent(Event* e) override {
        if (recordPreview) journal.push_back(name + ":preview:" + typeName(e->type));
        return swallowPreview;
    }
    bool onEvent(Event* e) override {
        journal.push_back(name + ":" + typeName(e->type));
        last = *e;
        return consume;
    }
    bool onBubbleEvent(Event* e) override {
        journal.push_back(name + ":bubble:" + typeName(e->type));
        return false;
    }

    std::string name;
    float left, bottom, right, top;
    bool recordPreview = false;
    bool swallowPreview = false;
    bool consume = true;
    Event last;
};

// A network role for the test: an engine object that is also a replication role.
class TestRole : public PlimBase, public ReplicationRole {
public:
    bool isServerSide() const override { return true; }
    void writeRPC(RPC*, Packet*) override {}
    PlimBase* lookupObject(int) override { return nullptr; }
    void registerObject(PlimBase*, int) override {}
    void unregisterObject(PlimBase*) override {}
    void seedRandom(uint32_t) override {}
};

class EventTest : public ::testing::Test {
protected:
    void SetUp() override {
        journal.clear();
        folder.writeUserSettings();
        device = new DeviceTestEngine(true);
        input = PLIM->input;
        events = PLIM->eventManager;
        device->pumpEvents();
        root = new PlimBase();
        // Two overlapping boxes side by side with a child in the left one.
        left = new Box("left", 100, 100, 300, 300, root);
        right = new Box("right", 200, 100, 400, 300, root); // later child: on top
        child = new Box("child", 120, 120, 160, 160, left);
        unfocused = new Box("manager", 0, 0, 0, 0, nullptr);
        events->handler = unfocused;
        frame();
        journal.clear();
    }
    void TearDown() override {
        events->handler = nullptr;
        events->setFocus(nullptr);
        delete root;
        delete unfocused;
        delete device;
    }

    // The pointer goes to a point of the virtual screen (y up), as a click grabs it.
    void pointAt(float x, float y) {
        input->setMouseGrab(false, 0, 0, 0);
        input->setMouseGrab(true, x, 480.0f - y, 0.0f);
    }
    void push(Uint8 type, int buttonOrKey) {
        SDL_Event e = {};
        e.type = type;
        if (type == SDL_KEYDOWN || type == SDL_KEYUP)
            e.key.keysym.sym = SDLKey(buttonOrKey);
        else
            e.button.button = Uint8(buttonOrKey);
        SDL_PushEvent(&e);
    }
    void frame() {
        device->pumpEvents();
        ticks.advance(17);
        device->endFrame();
        events->update(root);
    }
    void click(float x, float y) {
        pointAt(x, y);
        push(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
        frame();
        push(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
        frame();
    }
    static std::vector<std::string> take() {
        std::vector<std::string> out;
        out.swap(journal);
        return out;
    }
    typedef std::vector<std::string> Lines;

    EngineTestFolder folder;
    ManualTickSource ticks;
    DeviceTestEngine* device = nullptr;
    PlimInput* input = nullptr;
    EventManager* events = nullptr;
    PlimBase* root = nullptr;
    Box* left = nullptr;
    Box* right = nullptr;
    Box* child = nullptr;
    Box* unfocused = nullptr; // the manager's handler: what reaches no focus object
};

TEST_F(EventTest, FocusChangesSendLostBeforeGained) {
    events->setFocus(left);
    EXPECT_EQ(take(), (Lines{"left:GAINED"}));
    EXPECT_EQ(left->last.sender, events);
    EXPECT_EQ(left->last.other, nullptr);

    events->setFocus(left); // already focused: nothing
    EXPECT_TRUE(take().empty());

    events->setFocus(right);
    EXPECT_EQ(take(), (Lines{"left:LOST", "right:GAINED"}));
    EXPECT_EQ(left->last.other, right);
    EXPECT_TRUE(right->isFocused());

    events->setFocus(nullptr); // the reference tells the manager it was cleared
    EXPECT_EQ(take(), (Lines{"right:LOST", "manager:CLEARED"}));
    EXPECT_EQ(right->last.other, nullptr);
    EXPECT_EQ(events->getFocus(), nullptr);
}

TEST_F(EventTest, HasFocusHoldsForTheFocusObjectAndItsAncestors) {
    EXPECT_FALSE(events->hasFocus(left));
    events->setFocus(child);
    EXPECT_TRUE(events->hasFocus(child));
    EXPECT_TRUE(left->hasFocus());
    EXPECT_TRUE(root->hasFocus());
    EXPECT_FALSE(right->hasFocus());
    events->setFocus(left);
    EXPECT_FALSE(child->hasFocus());
}

TEST_F(EventTest, WithoutAFocusKeysGoToTheManagerItself) {
    push(SDL_KEYDOWN, SDLK_x);
    frame();
    EXPECT_EQ(take(), (Lines{"manager:KEY"}));
    EXPECT_EQ(unfocused->last.target, events);
    EXPECT_EQ(unfocused->last.manager, events);
    EXPECT_EQ(unfocused->last.sender, events);
}

TEST_F(EventTest, AClickFocusesTheTopmostObjectAndPressesIt) {
    click(250, 200); // both boxes: the later one is on top
    EXPECT_EQ(take(), (Lines{"right:GAINED", "right:PRESS"}));
    EXPECT_TRUE(right->isHovered());
    EXPECT_EQ(events->pressPoint[0], 250.0f);

    click(250, 200); // again: a press without focus events
    EXPECT_EQ(take(), (Lines{"right:PRESS"}));

    click(140, 140); // the child inside the left box
    EXPECT_EQ(take(), (Lines{"right:LOST", "child:GAINED", "child:PRESS"}));

    // Nothing there: the hover reference empties first, then the focus is
    // cleared, and the manager gets the press.
    click(10, 10);
    EXPECT_EQ(take(), (Lines{"manager:CLEARED", "child:LOST", "manager:CLEARED", "manager:PRESS"}));
    EXPECT_EQ(events->getFocus(), nullptr);
    EXPECT_EQ(events->getHover(), nullptr);
}

TEST_F(EventTest, HoldingTabHoversTheObjectBeneath) {
    pointAt(250, 200);
    frame();
    EXPECT_EQ(events->getHover(), right);
    push(SDL_KEYDOWN, SDLK_TAB);
    frame();
    EXPECT_EQ(events->getHover(), left);
    take();
    push(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    frame();
    EXPECT_EQ(events->getFocus(), left);
    EXPECT_EQ(take(), (Lines{"left:GAINED", "left:PRESS"}));
}

TEST_F(EventTest, ParentsPreviewFirstAndGetTheEventBack) {
    events->setFocus(child);
    take();
    child->consume = false;
    left->recordPreview = true;
    push(SDL_KEYDOWN, SDLK_x);
    frame();
    EXPECT_EQ(take(), (Lines{"left:preview:KEY", "child:KEY", "left:bubble:KEY"}));

    left->swallowPreview = true; // swallowed: no onEvent, no bubble
    push(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    pointAt(140, 140);
    frame();
    EXPECT_EQ(take(), (Lines{"left:preview:PRESS"}));
}

TEST_F(EventTest, APausedTargetIsSkippedButItsParentStillBubbles) {
    events->setFocus(child);
    take();
    child->bPaused = true;
    Event e;
    e.type = EVENT_KEY;
    e.sender = events;
    events->sendEvent(&e, child);
    EXPECT_EQ(take(), (Lines{"left:bubble:KEY"}));
    EXPECT_EQ(e.target, child);

    // The next update drops the paused focus before any input event.
    push(SDL_KEYDOWN, SDLK_x);
    frame();
    EXPECT_EQ(take(), (Lines{"left:bubble:LOST", "manager:CLEARED", "manager:KEY"}));
    EXPECT_EQ(events->getFocus(), nullptr);

    // A paused object cannot take the focus by a click either.
    child->bPaused = false;
    left->bPaused = true;
    click(250, 200); // the right box, not paused
    EXPECT_EQ(events->getFocus(), right);
    take();
    click(140, 140); // the paused subtree is not picked at all
    EXPECT_EQ(events->getFocus(), nullptr);
}

TEST_F(EventTest, WheelAloneSendsMoveAndWithTheButtonHeldDrag) {
    events->setFocus(left);
    take();
    push(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELUP);
    frame();
    EXPECT_EQ(take(), (Lines{"left:MOVE"}));

    pointAt(150, 250);
    push(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    frame();
    EXPECT_EQ(take(), (Lines{"left:PRESS"}));
    push(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELDOWN);
    frame();
    EXPECT_EQ(take(), (Lines{"left:MOVE", "left:DRAG"}));

    // A move that a handler consumes still leads to the drag.
    left->consume = true;
    SDL_Event e = {};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = 1;
    e.motion.y = 1;
    e.motion.xrel = 5;
    SDL_PushEvent(&e);
    frame();
    EXPECT_EQ(take(), (Lines{"left:MOVE", "left:DRAG"}));
    frame(); // no motion: nothing
    EXPECT_TRUE(take().empty());
}

TEST_F(EventTest, DestroyingTheFocusObjectEmptiesTheFocusWithoutLost) {
    events->setFocus(child);
    take();
    delete child;
    child = nullptr;
    EXPECT_EQ(take(), (Lines{"manager:CLEARED"}));
    EXPECT_EQ(events->getFocus(), nullptr);
}

TEST_F(EventTest, TheRoleIsCurrentDuringTheUpdateOnly) {
    TestRole role;
    events->role.set(&role);
    ReplicationRole* during = nullptr;
    struct Spy : public PlimBase {
        ReplicationRole** seen;
        bool onEvent(Event*) override {
            *seen = THEROLE;
            return true;
        }
    } spy;
    spy.seen = &during;
    events->handler = &spy;
    push(SDL_KEYDOWN, SDLK_x);
    frame();
    EXPECT_EQ(during, static_cast<ReplicationRole*>(&role));
    EXPECT_EQ(THEROLE, nullptr);
    events->handler = unfocused;
    events->role.set(nullptr);
    take();
    THEROLE = &role; // set by someone else: still cleared by the update
    frame();
    EXPECT_EQ(THEROLE, nullptr);
}

} // namespace

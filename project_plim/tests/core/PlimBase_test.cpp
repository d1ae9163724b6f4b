#include "core/Context.h"
#include "input/Event.h"
#include "input/EventManager.h"
#include "core/Plim.h"
#include "core/PlimBase.h"
#include "core/RuntimeClass.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Log;

// An engine object that records what the walks and the event routing do to it.
struct Probe : PlimBase {
    Probe(Log* log, std::string name) : log(log), name(std::move(name)) {}
    ~Probe() override { log->push_back("delete " + name); }
    void deleteMe() override {
        log->push_back("deleteMe " + name);
        PlimBase::deleteMe();
    }
    void tick(double time, double dt) override {
        log->push_back("tick " + name);
        if (destroyOnTick)
            destroyOnTick->bDestroyPending = true;
        PlimBase::tick(time, dt);
    }
    void render() override {
        log->push_back("render " + name);
        PlimBase::render();
    }
    bool isMouseInside() override { return inside; }
    bool onPreviewEvent(Event* e) override {
        log->push_back("preview " + name);
        return swallowPreview;
    }
    bool onEvent(Event* e) override {
        log->push_back("event " + name);
        return false;
    }
    bool onBubbleEvent(Event* e) override {
        log->push_back("bubble " + name);
        return false;
    }

    Log* log;
    std::string name;
    PlimBase* destroyOnTick = nullptr;
    bool inside = true;
    bool swallowPreview = false;
};

class PlimBaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine = new Plim(Plim::Bare{});
        root = new Probe(&log, "root");
    }
    void TearDown() override {
        delete root;
        delete engine;
        PLIM = nullptr;
    }
    Probe* add(Probe* parent, const char* name) {
        Probe* p = new Probe(&log, name);
        parent->addChild(p);
        return p;
    }

    Plim* engine = nullptr;
    Log log;
    Probe* root = nullptr;
};

} // namespace

TEST_F(PlimBaseTest, ChildThatDestroysItselfGoesRightAfterItsTick) {
    Probe* a = add(root, "a");
    add(root, "b");
    a->destroyOnTick = a;
    root->tick(0.0, 0.1);
    EXPECT_EQ(log, (Log{"tick root", "tick a", "deleteMe a", "delete a", "tick b"}));
    EXPECT_EQ(root->getNumChildren(), 1u);
}

TEST_F(PlimBaseTest, SiblingMarkedDuringTickIsDeletedUnticked) {
    Probe* a = add(root, "a");
    Probe* b = add(root, "b");
    add(root, "c");
    a->destroyOnTick = b;
    root->tick(0.0, 0.1);
    EXPECT_EQ(log, (Log{"tick root", "tick a", "deleteMe b", "delete b", "tick c"}));
}

TEST_F(PlimBaseTest, PendingChildIsDeletedByWhicheverWalkComesFirst) {
    add(root, "a")->bDestroyPending = true;
    add(root, "b");
    root->render();
    EXPECT_EQ(log, (Log{"render root", "deleteMe a", "delete a", "render b"}));
}

TEST_F(PlimBaseTest, SkippedChildIsKeptButNeitherTickedDrawnNorPicked) {
    Probe* a = add(root, "a");
    a->bSkip = true;
    root->tick(0.0, 0.1);
    root->render();
    int n = 0;
    EXPECT_EQ(root->pick(n), root);
    EXPECT_EQ(log, (Log{"tick root", "render root"}));
    EXPECT_EQ(root->firstChild, a);
}

TEST_F(PlimBaseTest, PickingCountsHitsTopmostFirst) {
    Probe* a = add(root, "a");
    Probe* b = add(root, "b"); // drawn after a: on top
    int n = 0;
    EXPECT_EQ(root->pick(n), b);
    n = 1;
    EXPECT_EQ(root->pick(n), a);
    n = 2;
    EXPECT_EQ(root->pick(n), root);
    n = 3;
    EXPECT_EQ(root->pick(n), nullptr);

    // A child's subtree comes before the child itself.
    Probe* g = add(b, "g");
    n = 0;
    EXPECT_EQ(root->pick(n), g);
    n = 1;
    EXPECT_EQ(root->pick(n), b);

    b->inside = false;
    g->inside = false;
    n = 0;
    EXPECT_EQ(root->pick(n), a);
}

TEST_F(PlimBaseTest, PausedObjectIsWalkedButNotPickedAndSwallowsEvents) {
    Probe* a = add(root, "a");
    Probe* g = add(a, "g");
    a->bPaused = true;
    root->tick(0.0, 0.1);
    root->render();
    EXPECT_EQ(log, (Log{"tick root", "tick a", "tick g", "render root", "render a", "render g"}));

    int n = 0;
    EXPECT_EQ(a->pick(n), nullptr);
    EXPECT_EQ(n, 0);
    EXPECT_TRUE(g->isPaused());
    EXPECT_FALSE(root->isPaused());

    Event e;
    EXPECT_TRUE(a->previewEvent(&e));
    EXPECT_FALSE(a->bubbleEvent(&e));
}

TEST_F(PlimBaseTest, DeletingParentDeletesChildrenLastFirstThroughDeleteMe) {
    Probe* a = add(root, "a");
    add(root, "b");
    add(a, "g");
    delete root;
    root = nullptr;
    EXPECT_EQ(log, (Log{"delete root", "deleteMe b", "delete b", "deleteMe a", "delete a",
                        "deleteMe g", "delete g"}));
}

TEST_F(PlimBaseTest, ClearDeletesChildrenThroughDeleteMe) {
    add(root, "a");
    add(root, "b");
    root->doClear();
    EXPECT_EQ(log, (Log{"deleteMe b", "delete b", "deleteMe a", "delete a"}));
}

TEST_F(PlimBaseTest, LiveObjectsListedInCreationOrderUntilDeleted) {
    Probe* a = add(root, "a");
    Probe* b = add(root, "b");
    std::vector<PlimBase*> live;
    for (BasicLink* l = engine->liveObjects.firstChild; l; l = l->next)
        live.push_back(static_cast<ObjectLink*>(l)->object);
    EXPECT_EQ(live, (std::vector<PlimBase*>{root, a, b}));
    a->deleteMe();
    EXPECT_EQ(engine->liveObjects.getNumChildren(), 2u);
    EXPECT_EQ(engine->liveObjects.firstChild->next, &b->objectLink);
}

TEST_F(PlimBaseTest, ObjectMayOutliveTheEngine) {
    Probe* stray = new Probe(&log, "stray");
    ASSERT_EQ(&engine->liveObjects, stray->objectLink.parent);
    delete engine;
    engine = nullptr;
    // The vanished list let go of its entry, so the deletion below touches nothing of it.
    EXPECT_EQ(nullptr, stray->objectLink.parent);
    PLIM = nullptr;
    engine = new Plim(Plim::Bare{});
    Probe* fresh = new Probe(&log, "fresh");
    delete stray;
    EXPECT_EQ(log, (Log{"delete stray"}));
    // Objects of the first engine (the fixture's root too) are not in the new list.
    EXPECT_EQ(&fresh->objectLink, engine->liveObjects.firstChild);
    EXPECT_EQ(&fresh->objectLink, engine->liveObjects.lastChild);
    delete fresh;
    EXPECT_EQ(nullptr, engine->liveObjects.firstChild);
}

TEST_F(PlimBaseTest, DeliveryRunsPreviewDownEventThenBubbleUp) {
    EventManager* events = new EventManager();
    Probe* a = add(root, "a");
    Probe* t = add(a, "t");
    Event e;
    events->sendEvent(&e, t);
    EXPECT_EQ(e.target, t);
    EXPECT_EQ(e.manager, events);
    EXPECT_EQ(log, (Log{"preview root", "preview a", "event t", "bubble a", "bubble root"}));

    // A swallowing ancestor stops the target and the bubble phase.
    log.clear();
    a->swallowPreview = true;
    events->sendEvent(&e, t);
    EXPECT_EQ(log, (Log{"preview root", "preview a"}));

    // A paused target is skipped; its parent chain still sees the event.
    log.clear();
    a->swallowPreview = false;
    t->bPaused = true;
    events->sendEvent(&e, t);
    EXPECT_EQ(log, (Log{"preview root", "preview a", "bubble a", "bubble root"}));

    // With no target given, the sender is the target.
    log.clear();
    events->sendEvent(EVENT_KEY, a, nullptr);
    EXPECT_EQ(log, (Log{"preview root", "event a", "bubble root"}));

    // A plain object hands its hooks to its handler.
    log.clear();
    PlimBase* plain = new PlimBase();
    a->addChild(plain);
    plain->handler = t;
    t->bPaused = false;
    events->sendEvent(&e, plain);
    EXPECT_EQ(log, (Log{"preview root", "preview a", "event t", "bubble a", "bubble root"}));
    delete events;
}

TEST_F(PlimBaseTest, FindContextFindsNearestKindOfContext) {
    static RuntimeClass screenClass("TestScreen", &Context::runtimeClass, nullptr);
    struct Screen : Probe {
        using Probe::Probe;
        RuntimeClass* getClass() override { return &screenClass; }
    };
    Screen* outer = new Screen(&log, "outer");
    Screen* inner = new Screen(&log, "inner");
    root->addChild(outer);
    outer->addChild(inner);
    Probe* a = add(inner, "a");
    EXPECT_EQ(a->findContext(), inner);
    EXPECT_EQ(outer->findContext(), outer);
}

TEST_F(PlimBaseTest, FindContextWithoutContextIsFatal) {
    Probe* a = add(root, "a");
    EXPECT_EXIT(a->findContext(), ::testing::ExitedWithCode(255), "");
}

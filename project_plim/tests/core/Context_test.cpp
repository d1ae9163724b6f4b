// Contexts keep their own clock from the engine's frame time and mark
// themselves as the current context while they tick and render.
#include "core/Context.h"
#include "EngineTestFolder.h"
#include "ManualTickSource.h"
#include "core/Plim.h"
#include "core/TimeKeeper.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> trace;

// Records what the engine's current context is while it works.
class TracingContext : public Context {
public:
    explicit TracingContext(const char* name) : name(name) {}
    void tickContents(double time, double dt) override {
        trace.push_back(std::string("tick ") + name + (PLIM->currentContext == this ? "" : " (not current)"));
        seenTime = time;
        seenDt = dt;
        Context::tickContents(time, dt);
    }
    void renderContents() override {
        trace.push_back(std::string("render ") + name + (PLIM->currentContext == this ? "" : " (not current)"));
        Context::renderContents();
    }
    const char* name;
    double seenTime = -1.0, seenDt = -1.0;
};

class ContextTest : public ::testing::Test {
protected:
    void SetUp() override {
        trace.clear();
        engine = new Plim(Plim::Bare{});
        engine->timeKeeper = new TimeKeeper();
        setFrameLength(0.2);
    }
    void TearDown() override {
        delete engine;
        PLIM = nullptr;
    }
    void setFrameLength(double seconds) {
        PLIM->frameTimer.previousStart = 0.0;
        PLIM->frameTimer.startTime = seconds;
    }

    EngineTestFolder folder;
    ManualTickSource ticks;
    Plim* engine = nullptr;
};

TEST_F(ContextTest, DeltaIsCappedThenScaled) {
    Context context;
    context.tickContext(0.0, 0.0);
    EXPECT_DOUBLE_EQ(context.dt, 0.05);
    EXPECT_DOUBLE_EQ(context.time, 0.05);

    context.timeScale = 0.5;
    context.tickContext(0.0, 0.0);
    EXPECT_DOUBLE_EQ(context.dt, 0.025);
    EXPECT_DOUBLE_EQ(context.time, 0.075);

    setFrameLength(0.01);
    context.tickContext(0.0, 0.0);
    EXPECT_DOUBLE_EQ(context.dt, 0.005);
}

TEST_F(ContextTest, ArgumentsPlayNoPartInTheClock) {
    TracingContext context("c");
    setFrameLength(0.02);
    context.tickContext(123.0, 456.0);
    EXPECT_DOUBLE_EQ(context.time, 0.02);
    EXPECT_DOUBLE_EQ(context.seenTime, 0.02);
    EXPECT_DOUBLE_EQ(context.seenDt, 0.02);
}

TEST_F(ContextTest, DurationEndsOnlyOnceTimeIsPastIt) {
    setFrameLength(0.25);
    PLIM->maxFrameDuration = 1.0;
    Context context;
    context.duration = 1.0;
    for (int i = 0; i < 4; ++i) context.tickContext(0.0, 0.0);
    EXPECT_DOUBLE_EQ(context.time, 1.0);
    EXPECT_FALSE(context.bDone);
    context.tickContext(0.0, 0.0);
    EXPECT_TRUE(context.bDone);

    Context unlimited;
    for (int i = 0; i < 100; ++i) unlimited.tickContext(0.0, 0.0);
    EXPECT_FALSE(unlimited.bDone);
}

TEST_F(ContextTest, CurrentContextNestsAndIsRestored) {
    Context* outer = new TracingContext("outer");
    Context* inner = new TracingContext("inner");
    outer->addChild(inner); // ticked and drawn by the outer context's contents
    Context* before = reinterpret_cast<Context*>(0x1234);
    PLIM->currentContext = before;

    outer->tickContext(0.0, 0.0);
    EXPECT_EQ(PLIM->currentContext, before);
    outer->renderContext();
    EXPECT_EQ(PLIM->currentContext, before);
    EXPECT_EQ(trace, (std::vector<std::string>{"tick outer", "tick inner", "render outer", "render inner"}));
    PLIM->currentContext = nullptr;
    delete outer;
}

TEST_F(ContextTest, LayersTickAroundTheContextWithItsOldAndNewTime) {
    TracingContext background("pre"), overlay("post"), screen("screen");
    screen.preContext = &background;
    screen.postContext = &overlay;
    setFrameLength(0.04);
    screen.tickContext(0.0, 0.0);
    screen.renderContext();
    EXPECT_EQ(trace, (std::vector<std::string>{"tick pre", "tick screen", "tick post", "render pre",
                                               "render screen", "render post"}));
    // Each layer runs its own clock off the engine's frame time.
    EXPECT_DOUBLE_EQ(background.time, 0.04);
    EXPECT_DOUBLE_EQ(overlay.time, 0.04);
}

TEST_F(ContextTest, DeletingAContextLeavesItsLayersAndPointer) {
    Context* background = new Context();
    Context* overlay = new Context();
    PlimBase* pointer = new PlimBase();
    Context* screen = new Context();
    screen->preContext = background;
    screen->postContext = overlay;
    screen->mousePointer = pointer;
    uint32_t alive = PLIM->liveObjects.getNumChildren();
    delete screen; // with its camera
    EXPECT_EQ(PLIM->liveObjects.getNumChildren(), alive - 2);
    delete background;
    delete overlay;
    delete pointer;
}

} // namespace

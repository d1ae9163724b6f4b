// The whole path from the X server to the input table: xdotool sends real key,
// button, wheel and pointer events to the grabbed window. Each test program runs
// on an X server of its own (tools/test-display.sh), so no other window lies
// over this one and swallows the pointer events.
#include "DeviceTestEngine.h"
#include "EngineTestFolder.h"
#include "ManualTickSource.h"
#include "core/Plim.h"
#include "input/PlimInput.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <unistd.h>

namespace {

class RealInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "needs xdotool";
        folder.writeUserSettings();
        device = new DeviceTestEngine(true);
        input = PLIM->input;
        ASSERT_TRUE(input->bMouseGrabbed);
        waitFor([] { return false; }, 20); // let the window's own events settle
        frame();
    }
    void TearDown() override {
        delete device;
    }

    static void xdotool(const std::string& arguments) {
        ASSERT_EQ(system(("xdotool " + arguments).c_str()), 0) << arguments;
    }
    // Hands SDL's events to the input part until done() holds. The X server
    // delivers asynchronously; the bound only keeps a broken setup from hanging.
    bool waitFor(const std::function<bool()>& done, int rounds = 500) {
        for (int i = 0; i < rounds; ++i) {
            device->pumpEvents();
            if (done()) return true;
            usleep(10000);
        }
        return false;
    }
    void frame() {
        device->pumpEvents();
        ticks.advance(17);
        device->endFrame();
    }

    EngineTestFolder folder;
    ManualTickSource ticks;
    DeviceTestEngine* device = nullptr;
    PlimInput* input = nullptr;
};

TEST_F(RealInputTest, KeysButtonsWheelAndMotionReachTheFrameState) {
    xdotool("keydown a");
    ASSERT_TRUE(waitFor([&] { return input->keysLive[30] != 0; }));
    frame();
    EXPECT_TRUE(input->isKeyPressed(30));
    EXPECT_EQ(input->getChar(30), 'a');
    xdotool("keyup a");
    ASSERT_TRUE(waitFor([&] { return input->keysLive[30] == 0; }));
    frame();
    EXPECT_FALSE(input->isKeyDown(30));

    xdotool("key F9");
    ASSERT_TRUE(waitFor([&] { return input->lastKey == KEY_F9; }));

    xdotool("mousedown 1");
    ASSERT_TRUE(waitFor([&] { return input->buttonsLive[0] != 0; }));
    frame();
    EXPECT_TRUE(input->buttonsNow[0]);
    xdotool("mouseup 1");
    ASSERT_TRUE(waitFor([&] { return input->buttonsLive[0] == 0; }));

    // Taps: down and up in one xdotool call, with no frame between; the
    // marker key typed after them says both have arrived.
    const auto tapped = [&](const std::string& tap) {
        input->lastKey = 0;
        xdotool(tap + " key z");
        return waitFor([&] { return input->lastKey == 44 && input->keysLive[44] == 0; });
    };
    ASSERT_TRUE(tapped("keydown b keyup b"));
    frame();
    EXPECT_TRUE(input->isKeyPressed(48));
    frame();
    EXPECT_FALSE(input->isKeyDown(48));
    ASSERT_TRUE(tapped("click 1"));
    frame();
    EXPECT_TRUE(input->anyMouseButtonPressed());
    frame();
    EXPECT_FALSE(input->buttonsNow[0]);

    float z = input->mousePosition[2];
    xdotool("click 4");
    ASSERT_TRUE(waitFor([&] { return input->motionAccumulator[2] != 0.0f; }));
    frame();
    EXPECT_FLOAT_EQ(input->mousePosition[2] - z, 120.0f);

    float x = input->mousePosition[0], y = input->mousePosition[1];
    xdotool("mousemove_relative -- 30 -10"); // right and up
    ASSERT_TRUE(waitFor([&] { return input->motionAccumulator[0] != 0.0f; }));
    frame();
    EXPECT_FLOAT_EQ(input->mousePosition[0] - x, 30.0f);
    EXPECT_FLOAT_EQ(input->mousePosition[1] - y, 10.0f); // up is positive
}

} // namespace

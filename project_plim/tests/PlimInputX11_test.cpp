// The whole path from the X server to the input table: xdotool sends real key,
// button, wheel and pointer events to the grabbed window. The test runs its own
// Xvfb: on a shared server other programs' windows may lie over this one, and
// pointer events over them never reach the grabbing window.
#include "DeviceTestEngine.h"
#include "EngineTestFolder.h"
#include "ManualTickSource.h"
#include "Plim.h"
#include "PlimInput.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// An Xvfb of our own, on the first free display; DISPLAY points at it while it runs.
class PrivateXServer {
public:
    PrivateXServer() {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid = fork();
        if (pid == 0) {
            close(fds[0]);
            std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "800x600x24",
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        char buffer[32] = {};
        ssize_t n = read(fds[0], buffer, sizeof buffer - 1); // written once it accepts clients
        close(fds[0]);
        if (n <= 0) return;
        const char* old = getenv("DISPLAY");
        if (old) previousDisplay = old;
        display = ":" + std::string(buffer, size_t(n));
        while (!display.empty() && (display.back() == '\n' || display.back() == ' ')) display.pop_back();
        setenv("DISPLAY", display.c_str(), 1);
    }
    ~PrivateXServer() {
        if (!previousDisplay.empty()) setenv("DISPLAY", previousDisplay.c_str(), 1);
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
    bool ok() const { return !display.empty(); }

    pid_t pid = -1;
    std::string display;
    std::string previousDisplay;
};

class RealInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "needs xdotool";
        server = new PrivateXServer();
        ASSERT_TRUE(server->ok()) << "Xvfb did not start";
        folder.writeUserSettings();
        device = new DeviceTestEngine(true);
        input = PLIM->input;
        ASSERT_TRUE(input->bMouseGrabbed);
        waitFor([] { return false; }, 20); // let the window's own events settle
        frame();
    }
    void TearDown() override {
        delete device;
        delete server;
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
    PrivateXServer* server = nullptr;
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

// Quitting from the menus on a full disk, through the real entry loop and
// shutdown: the dialog names each failed save and why; "Try again" saves once
// there is room and leaves no word of the failures, "Quit unsaved" leaves the
// old saves, no list, and a line on standard error for each file.
#include "app/ContextManager.h"
#include "screens/ContextDialog.h"
#include "FullDisk.h"
#include "app/Global.h"
#include "widgets/MenuButton.h"
#include "widgets/MenuButtonQuit.h"
#include "ProgramRun.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <unistd.h>

namespace {

// Saves once it is up; when the test leaves "quit", changes the saved data and
// presses its Quit button; tells where the dialog's buttons lie from the pointer.
class MainScreen : public Context {
public:
    MainScreen() { bDeleteWhenDone = true; }
    void tickContents(double time, double dt) override {
        Context::tickContents(time, dt);
        if (!quit) {
            gGlobal->writeSaves();
            addChild(quit = new MenuButtonQuit(0.0f, 0.0f, 0.0f, "Quit", ""));
            writeMarker("saved");
        }
        if (!EngineTestFolder::exists("quit") || unlink("quit") != 0) return;
        gGlobal->saveData.playTime += 1000;
        quit->onClick();
    }
    void onDeactivate(bool removed) override {
        ContextDialog* dialog = dynamic_cast<ContextDialog*>(gGlobal->contextManager->getTop());
        if (removed || !dialog || !dialog->pButton2) return;
        V3 one = dialog->pButton1->position - mouseWorld, two = dialog->pButton2->position - mouseWorld;
        writeMarker("asked", dialog->text.str() + "\n" + std::to_string(int(one.x)) + " " + std::to_string(int(one.y)) +
                                 " " + std::to_string(int(two.x)) + " " + std::to_string(int(two.y)));
    }
    MenuButtonQuit* quit = nullptr;
};

class TestApp : public Global {
public:
    void pushFirstContexts() override { contextManager->push(new MainScreen()); }
};

Global* makeApp() { return new TestApp(); }

class QuitSavesTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!getenv("DISPLAY") || system("command -v xdotool >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "needs an X server (xvfb-run) and xdotool";
        disk.reset(new FullDisk(user.substr(0, user.size() - 1)));
        run.folder.writeUserSettings();
        run.errorsPath = run.folder.root + "/errors.txt";
        // The log goes elsewhere, where it can still be written.
        ASSERT_EQ(symlink((run.folder.root + "/game.log").c_str(), run.folder.logPath().c_str()), 0);
    }
    void TearDown() override { disk.reset(); }
    // Starts the game, lets it save, fills the disk and quits: the dialog's text.
    std::string quitOnAFullDisk() {
        run.start(makeApp);
        EXPECT_TRUE(run.waitForFile("saved", 60.0)) << run.log();
        hst = EngineTestFolder::readFile(user + "Corvana2demo.hst");
        disk->fill();
        writeMarker("quit");
        EXPECT_TRUE(run.waitForFile("asked")) << run.log();
        return run.read("asked").substr(0, run.read("asked").find('\n'));
    }
    // Clicks a button of the dialog with real input, from a little above its
    // centre downwards (the pointer may lag a few pixels) until the game ends.
    void click(int button) {
        const std::string asked = run.read("asked");
        int x[2] = {}, y[2] = {};
        ASSERT_EQ(sscanf(asked.c_str() + asked.find('\n') + 1, "%d %d %d %d", &x[0], &y[0], &x[1], &y[1]), 4);
        xdotool("mousemove_relative -- " + std::to_string(x[button]) + " " + std::to_string(-y[button] - 30));
        for (int step = 0; step < 12 && run.log().find("~Plim(): Initiating shutdown") == std::string::npos; ++step)
            xdotool("mousemove_relative -- 0 6 sleep 0.1 mousedown 1 sleep 0.1 mouseup 1 sleep 0.3");
    }
    static void xdotool(const std::string& arguments) {
        ASSERT_EQ(system(("xdotool " + arguments).c_str()), 0) << arguments;
    }

    ProgramRun run;
    const std::string user = run.folder.userFolder();
    std::string hst;
    std::unique_ptr<FullDisk> disk;
};

TEST_F(QuitSavesTest, QuitWithoutSavingKeepsTheOldSaves) {
    const std::string text = quitOnAFullDisk();
    for (const char* kind : {".pro", ".hst", ".cfg"})
        EXPECT_NE(text.find("Could not save '" + user + "Corvana2demo" + kind + "': No space left on device.|"),
                  std::string::npos) << text;
    click(1);
    ASSERT_EQ(run.wait(), 0) << run.log();
    EXPECT_TRUE(!hst.empty() && EngineTestFolder::readFile(user + "Corvana2demo.hst") == hst);
    EXPECT_FALSE(EngineTestFolder::exists(user + "Corvana2demo.unsaved"));
    const std::string errors = run.read("errors.txt");
    for (const char* kind : {".pro", ".hst", ".cfg"}) {
        const std::string line = "Could not save '" + user + "Corvana2demo" + kind + "': No space left on device. "
                                 "Your latest changes are not kept.\n";
        EXPECT_TRUE(errors.find(line) != std::string::npos && errors.find(line) == errors.rfind(line)) << errors;
    }
}

TEST_F(QuitSavesTest, TryAgainSavesOnceThereIsRoom) {
    quitOnAFullDisk();
    disk->free();
    click(0);
    ASSERT_EQ(run.wait(), 0) << run.log();
    const std::string saved = EngineTestFolder::readFile(user + "Corvana2demo.hst");
    EXPECT_TRUE(!hst.empty() && saved.size() > 68 && saved != hst);
    EXPECT_EQ(run.read("errors.txt").find("not kept"), std::string::npos) << run.read("errors.txt");
    EXPECT_FALSE(EngineTestFolder::exists(user + "Corvana2demo.unsaved"));
}

} // namespace

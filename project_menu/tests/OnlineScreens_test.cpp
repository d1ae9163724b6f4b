// The error report and help screens on generated pictures: the report's
// lines and buttons with the connection untested and tested, the form it
// posts (through http_proxy to the local web service), its failure lines,
// which crash files it keeps or deletes; and the help page's two addresses.
#include "Config.h"
#include "ContextErrorReport.h"
#include "ContextHelp.h"
#include "ContextManager.h"
#include "EngineTestFolder.h"
#include "ErrorManager.h"
#include "Logger.h"
#include "MenuButton.h"
#include "MenuButtonQuit.h"
#include "MenuButtonURL.h"
#include "MenuTestWorld.h"
#include "MessageViewer.h"
#include "online/HttpFormPost.h"

#include "WebService.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

class OnlineScreensTest : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("http_proxy");
        world = new MenuTestWorld();
        world->createSharedContexts();
        world->moveAway();
    }
    void TearDown() override {
        delete world;
        unsetenv("http_proxy");
    }
    Context* top() { return world->global->contextManager->getTop(); }
    void push(Context* screen) {
        world->global->contextManager->push(screen);
        world->frame(0.0);
    }
    void clickOn(MenuItem* item) { world->click(item->position.x, item->position.y); }
    std::vector<std::string> lines(ContextErrorReport* report) {
        return std::vector<std::string>(report->messageViewer->lines.begin(), report->messageViewer->lines.end());
    }
    // Frames, letting the post's thread run, until the viewer's last line is one of two.
    bool runUntilLast(ContextErrorReport* report, const std::string& a, const std::string& b) {
        for (int i = 0; i < 2000; ++i) {
            world->frame(0.02);
            const std::string last = report->messageViewer->lines.back().c_str();
            if (last == a || last == b) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }
    void writeCrashFiles(const std::string& log, const std::string& screenshot) {
        EngineTestFolder::writeFile(Config::getCRASHLOGfile().c_str(), log);
        if (!screenshot.empty()) EngineTestFolder::writeFile(Config::getCRASHSCREENSHOTfile().c_str(), screenshot);
    }

    MenuTestWorld* world = nullptr;
};

TEST_F(OnlineScreensTest, CrashFilesLieWhereTheFatalPathWritesThem) {
    const std::string folder = world->folder.userFolder();
    EXPECT_EQ(Config::getCRASHLOGfile(), Logger::crashLogPath());
    EXPECT_EQ(Config::getCRASHLOGfile(), folder + "crash.Corvana2demo.log");
    EXPECT_EQ(Config::getCRASHSCREENSHOTfile(), ErrorManager::crashScreenshotPath());
    EXPECT_EQ(Config::getCRASHSCREENSHOTfile(), folder + "crash.Corvana2demo.jpg");
    EXPECT_EQ(Config::getCRASHNETTRAFFICfile(), folder + "crash.Corvana2demo.net");
    EXPECT_FALSE(ContextErrorReport::hasCrashLog());
    writeCrashFiles("log", "");
    EXPECT_TRUE(ContextErrorReport::hasCrashLog());
}

TEST_F(OnlineScreensTest, UntestedTheReportOnlyOffersTheWizardAndKeepsTheFiles) {
    writeCrashFiles("log", "jpg");
    ContextErrorReport* report = new ContextErrorReport();
    push(report);
    EXPECT_EQ(lines(report), (std::vector<std::string>{"An error report has been found on your computer.",
                                                       "Please help us to improve the game",
                                                       "by submitting your report automatically!", "",
                                                       "Before your error can be reported,",
                                                       "you'll need to run the network wizard first."}));
    EXPECT_EQ(report->messageViewer->y, -5.0f * report->messageViewer->lineStep);
    EXPECT_LT(report->messageViewer->lineStep, 0.0f);
    EXPECT_TRUE(report->sendButton->bDisabled);
    EXPECT_EQ(report->sendButton->position, V3(220.0f, -190.0f, 0.0f));
    ASSERT_NE(report->wizardButton, nullptr);
    EXPECT_EQ(report->wizardButton->position, V3(0.0f, -190.0f, 0.0f));

    clickOn(report->sendButton);
    EXPECT_EQ(report->post, nullptr);
    world->typeKey(SDLK_ESCAPE, 27);
    EXPECT_EQ(top(), report) << "Escape does not close the report";

    world->click(-220.0f, -190.0f); // Cancel
    world->frame();
    EXPECT_NE(top(), report);
    EXPECT_TRUE(EngineTestFolder::exists(Config::getCRASHLOGfile().c_str()));
    EXPECT_TRUE(EngineTestFolder::exists(Config::getCRASHSCREENSHOTfile().c_str()));
}

TEST_F(OnlineScreensTest, TestedTheReportPostsTheFilesAndFinishDeletesThem) {
    WebService service;
    setenv("http_proxy", service.proxyUrl().c_str(), 1);
    world->global->saveData.bNetworkTested = 1;
    const std::string log(12345, 'L');
    const std::string screenshot("\xff\xd8\0jpg", 6);
    writeCrashFiles(log, screenshot);

    ContextErrorReport* report = new ContextErrorReport();
    push(report);
    EXPECT_EQ(report->wizardButton, nullptr);
    EXPECT_EQ(lines(report).size(), 3u);
    ASSERT_FALSE(report->sendButton->bDisabled);
    clickOn(report->sendButton);
    ASSERT_NE(report->post, nullptr);
    ASSERT_TRUE(runUntilLast(report, "Done.", "Failed."));

    EXPECT_EQ(service.request(1).rfind("POST http://www.zemtrovia.com/corvana2/crashreport.php HTTP/1.0\r\n", 0), 0u);
    EXPECT_EQ(service.fields(1), "gameName\t\t12\ngameVersion\t\t4\ncrashLog\tcrash.Corvana2demo.log\t12345\n"
                                 "crashScreenshot\tcrash.Corvana2demo.jpg\t6\n");
    EXPECT_EQ(service.field(1, 0), "Corvana2demo");
    EXPECT_EQ(service.field(1, 1), "2.60");
    EXPECT_EQ(service.field(1, 2), log);
    EXPECT_EQ(service.field(1, 3), screenshot);
    // The viewer keeps its last ten lines.
    EXPECT_EQ(lines(report), (std::vector<std::string>{
                                 "by submitting your report automatically!", "Uploading error data (12,351 bytes).",
                                 "Please wait...", "Connected.", "ok", "gameName: 12 bytes", "gameVersion: 4 bytes",
                                 "crashLog: crash.Corvana2demo.log, 12345 bytes",
                                 "crashScreenshot: crash.Corvana2demo.jpg, 6 bytes", "Done."}));

    EXPECT_FALSE(report->sendButton->bDisabled);
    EXPECT_EQ(report->sendButton->caption, "Finish");
    clickOn(report->sendButton);
    world->frame();
    EXPECT_NE(top(), report);
    EXPECT_FALSE(EngineTestFolder::exists(Config::getCRASHLOGfile().c_str()));
    EXPECT_FALSE(EngineTestFolder::exists(Config::getCRASHSCREENSHOTfile().c_str()));
    EXPECT_FALSE(ContextErrorReport::hasCrashLog());
}

TEST_F(OnlineScreensTest, AFailedReportShowsWhyAndOnlyCancelRemains) {
    WebService service("500");
    setenv("http_proxy", service.proxyUrl().c_str(), 1);
    world->global->saveData.bNetworkTested = 1;
    writeCrashFiles(std::string(1234567, 'x'), "");
    ContextErrorReport* report = new ContextErrorReport();
    push(report);
    clickOn(report->sendButton);
    EXPECT_EQ(lines(report)[3], "Uploading error data (1,234,567 bytes).");
    ASSERT_TRUE(runUntilLast(report, "Done.", "Failed."));
    const std::vector<std::string> shown = lines(report);
    ASSERT_EQ(shown.size(), 8u);
    EXPECT_EQ(shown[5].rfind("Failed with HTTP status code 500 (Internal Server Error", 0), 0u) << shown[5];
    EXPECT_EQ(shown[6], "Please check your internet connection and try again.");
    EXPECT_EQ(shown[7], "Failed.");
    EXPECT_TRUE(report->sendButton->bDisabled);
    world->click(-220.0f, -190.0f);
    world->frame();
    EXPECT_NE(top(), report);
    EXPECT_FALSE(EngineTestFolder::exists(Config::getCRASHLOGfile().c_str())) << "tested: deleted, sent or not";
}

TEST_F(OnlineScreensTest, UnreadableCrashFilesAreLeftOutAndABusyPostOutlivesItsScreen) {
    WebService silent("silence");
    setenv("http_proxy", silent.proxyUrl().c_str(), 1);
    world->global->saveData.bNetworkTested = 1;
    // The crash log is a folder; the screenshot cannot be read.
    mkdir(Config::getCRASHLOGfile().c_str(), 0755);
    EngineTestFolder::writeFile(Config::getCRASHSCREENSHOTfile().c_str(), "jpg");
    chmod(Config::getCRASHSCREENSHOTfile().c_str(), 0);
    const bool readable = access(Config::getCRASHSCREENSHOTfile().c_str(), R_OK) == 0; // root reads anyway
    EngineTestFolder::writeFile(Config::getCRASHNETTRAFFICfile().c_str(), "net");
    std::string bytes;
    EXPECT_FALSE(ContextErrorReport::readCrashFile(Config::getCRASHLOGfile(), bytes));
    EXPECT_FALSE(ContextErrorReport::readCrashFile(Config::getCRASHLOGfile() + ".gone", bytes));

    ContextErrorReport* report = new ContextErrorReport();
    push(report);
    clickOn(report->sendButton);
    EXPECT_EQ(lines(report)[3], readable ? "Uploading error data (6 bytes)." : "Uploading error data (3 bytes).");
    EXPECT_EQ(lines(report)[4], "Please wait...");
    EXPECT_TRUE(report->sendButton->bDisabled) << "while sending";
    // Cancel while the service is silent: the screen goes at once.
    world->click(-220.0f, -190.0f);
    world->frame();
    EXPECT_NE(top(), report);
}

TEST_F(OnlineScreensTest, HelpLinksEndTheGameWithAbsoluteAddresses) {
    ContextHelp* help = new ContextHelp();
    push(help);
    char folder[4096];
    ASSERT_NE(getcwd(folder, sizeof folder), nullptr);
    EXPECT_EQ(help->documentation->url, std::string("file://") + folder + "/readme.htm");
    EXPECT_EQ(help->onlineHelp->url, "http://www.zemtrovia.com/corvana2/onlinehelp.php");
    EXPECT_EQ(help->documentation->position, V3(0.0f, 50.0f, 0.0f));
    EXPECT_EQ(help->onlineHelp->position, V3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(help->back->position, V3(-220.0f, -190.0f, 0.0f));
    EXPECT_TRUE(help->bDeleteWhenDone);

    clickOn(help->onlineHelp);
    EXPECT_EQ(world->global->urlToOpen, "http://www.zemtrovia.com/corvana2/onlinehelp.php");
    EXPECT_TRUE(world->global->contextManager->bQuit);
}

TEST_F(OnlineScreensTest, EscapeClosesHelpLikeBack) {
    ContextHelp* help = new ContextHelp();
    push(help);
    world->typeKey(SDLK_ESCAPE, 27);
    world->frame();
    EXPECT_NE(top(), help);
    help = new ContextHelp();
    push(help);
    clickOn(help->back);
    world->frame();
    EXPECT_NE(top(), help);
    EXPECT_EQ(world->global->urlToOpen, "");
}

}  // namespace

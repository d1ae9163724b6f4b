// The online screens on generated pictures, posting through http_proxy to the
// local web service: the error report (its lines and buttons with the
// connection untested and tested, the form, the failure lines, which crash
// files it keeps or deletes), the network wizard (the address it stores, its
// failure and odd replies, the country page), the score upload and the help
// page's two addresses.
#include "app/Config.h"
#include "screens/ContextErrorReport.h"
#include "screens/ContextHelp.h"
#include "app/ContextManager.h"
#include "screens/ContextNetworkWizard1.h"
#include "screens/ContextNetworkWizard3.h"
#include "screens/ContextScoreUpload.h"
#include "EngineTestFolder.h"
#include "core/ErrorManager.h"
#include "core/Logger.h"
#include "widgets/MenuButton.h"
#include "widgets/MenuButtonQuit.h"
#include "widgets/MenuButtonURL.h"
#include "widgets/MenuBool.h"
#include "widgets/MenuCountry.h"
#include "MenuTestWorld.h"
#include "StandInOpener.h"
#include "net/NetAddress.h"
#include "widgets/MessageViewer.h"
#include "online/HttpFormPost.h"

#include "WebService.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
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
    template <class Screen> std::vector<std::string> lines(Screen* screen) {
        return std::vector<std::string>(screen->messageViewer->lines.begin(), screen->messageViewer->lines.end());
    }
    // Frames, letting the post's thread run, until the viewer's last line is one of two.
    template <class Screen> bool runUntilLast(Screen* screen, const std::string& a, const std::string& b) {
        for (int i = 0; i < 2000; ++i) {
            world->frame(0.02);
            const std::string last = screen->messageViewer->lines.back().c_str();
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
    writeCrashFiles("", "jpg");
    EXPECT_FALSE(ContextErrorReport::hasCrashLog()) << "an empty log is no report";
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

TEST_F(OnlineScreensTest, AFailedReportShowsWhyAndCancelKeepsItForTheNextStart) {
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
    EXPECT_TRUE(ContextErrorReport::hasCrashLog()) << "not sent: kept for the next start";

    // The next start: closed without sending, the report is discarded.
    report = new ContextErrorReport();
    push(report);
    EXPECT_FALSE(report->sendButton->bDisabled);
    world->click(-220.0f, -190.0f);
    world->frame();
    EXPECT_NE(top(), report);
    EXPECT_FALSE(ContextErrorReport::hasCrashLog());
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
    // Cancel while the service is silent: the screen goes at once, and the
    // report, not known to have arrived, stays.
    world->click(-220.0f, -190.0f);
    world->frame();
    EXPECT_NE(top(), report);
    EXPECT_TRUE(EngineTestFolder::exists(Config::getCRASHNETTRAFFICfile().c_str()));
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

    StandInOpener opener(world->folder.root, 0);
    clickOn(help->onlineHelp);
    EXPECT_EQ(world->global->urlToOpen, "http://www.zemtrovia.com/corvana2/onlinehelp.php");
    EXPECT_TRUE(world->runUntil([&] { return world->global->contextManager->bQuit; }, 20.0));
    EXPECT_EQ(opener.opened(), "http://www.zemtrovia.com/corvana2/onlinehelp.php");
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

TEST_F(OnlineScreensTest, TheWizardStoresTheAddressTheServiceSawAndFinishRecordsTheSetUp) {
    WebService service;
    setenv("http_proxy", service.proxyUrl().c_str(), 1);
    SaveData& data = world->global->saveData;
    data.bFullScreenOption = 0;
    // Another program holds the test's UDP port: the test goes on.
    int holder = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in port = {};
    port.sin_family = AF_INET;
    port.sin_port = htons(ContextNetworkWizard1::NET_TEST_PORT);
    bind(holder, reinterpret_cast<sockaddr*>(&port), sizeof port);

    ContextNetworkWizard1* wizard = new ContextNetworkWizard1();
    push(wizard);
    EXPECT_EQ(lines(wizard), (std::vector<std::string>{"This wizard will help you set up your network.", "",
                                                       "Your internet connection will now be tested.",
                                                       "If your firewall asks,", "please allow access to the internet."}));
    EXPECT_TRUE(wizard->desktopCheckBox->bHidden) << "windowed";
    EXPECT_TRUE(wizard->desktopCheckBox->bDisabled);
    EXPECT_EQ(wizard->bRunTestOnDesktop, 1);
    EXPECT_EQ(wizard->helpButton->position, V3(0.0f, -190.0f, 0.0f));
    EXPECT_EQ(wizard->desktopCheckBox->position, V3(220.0f, -140.0f, 0.0f));

    clickOn(wizard->nextButton);
    EXPECT_EQ(lines(wizard)[5], "Starting...");
    ASSERT_TRUE(runUntilLast(wizard, "Done.", "You can continue, but some network features will be unavailable."));
    close(holder);
    EXPECT_EQ(service.request(1).rfind("POST http://www.zemtrovia.com/corvana2/nettest.php HTTP/1.0\r\n", 0), 0u);
    EXPECT_EQ(service.fields(1), "gameName\t\t12\ngameVersion\t\t4\n");
    EXPECT_EQ(lines(wizard).back(), "Done.");
    EXPECT_EQ(lines(wizard)[6], "Connection test was successful.") << "an address shows no reply lines";
    EXPECT_EQ(lines(wizard).size(), 8u);
    // The block holds the address in the socket form: family 2, the port
    // big-endian, 127.0.0.1, eight zeros.
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&data.externalAddress);
    const std::string seen = wizard->post->reply.c_str();
    const int seenPort = atoi(seen.c_str() + seen.find(':') + 1);
    ASSERT_GT(seenPort, 0);
    const uint8_t expected[16] = {0, 2, uint8_t(seenPort >> 8), uint8_t(seenPort), 127, 0, 0, 1};
    EXPECT_EQ(memcmp(bytes, expected, 16), 0);

    EXPECT_FALSE(wizard->nextButton->bDisabled);
    clickOn(wizard->nextButton);
    ContextNetworkWizard3* config = dynamic_cast<ContextNetworkWizard3*>(top());
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(config->country->position, V3(0.0f, -40.0f, 0.0f));
    EXPECT_EQ(data.bNetworkTested, 0);
    clickOn(config->finishButton);
    world->frame();
    EXPECT_EQ(data.bNetworkTested, 1);
    EXPECT_EQ(top(), nullptr) << "both pages closed";
}

TEST_F(OnlineScreensTest, AFailedTestOrAnAnswerThatIsNoAddressKeepsTheAddressAndLetsThePlayerOn) {
    SaveData& data = world->global->saveData;
    data.bFullScreenOption = 0;
    data.bNetworkTested = 1;
    NetAddress kept;
    kept.set(0x01020304, 5);
    {
        WebService failing("500");
        setenv("http_proxy", failing.proxyUrl().c_str(), 1);
        data.externalAddress.set(0x01020304, 5);
        ContextNetworkWizard1* wizard = new ContextNetworkWizard1();
        push(wizard);
        EXPECT_EQ(wizard->bRunTestOnDesktop, 0);
        clickOn(wizard->nextButton);
        ASSERT_TRUE(runUntilLast(wizard, "Done.", "You can continue, but some network features will be unavailable."));
        const std::vector<std::string> shown = lines(wizard);
        ASSERT_EQ(shown.size(), 9u);
        EXPECT_EQ(shown[6].rfind("Failed with HTTP status code 500 (Internal Server Error", 0), 0u);
        EXPECT_EQ(shown[7], "Please check your internet connection and try again.");
        EXPECT_EQ(memcmp(data.externalAddress.bytes, kept.bytes, sizeof kept.bytes), 0) << "a failed test changes nothing";
        EXPECT_EQ(data.bNetworkTested, 1);
        EXPECT_FALSE(wizard->nextButton->bDisabled);
        world->click(-220.0f, -190.0f); // Cancel
        world->frame();
    }
    {
        // The right shape, but no address: a failed test, said so, nothing changed.
        WebService odd("normal", 1.0, "999.1.1.1:99999");
        setenv("http_proxy", odd.proxyUrl().c_str(), 1);
        ContextNetworkWizard1* wizard = new ContextNetworkWizard1();
        push(wizard);
        clickOn(wizard->nextButton);
        ASSERT_TRUE(runUntilLast(wizard, "Done.", "You can continue, but some network features will be unavailable."));
        const std::vector<std::string> shown = lines(wizard);
        ASSERT_EQ(shown.size(), 9u);
        EXPECT_EQ(shown[6], "The answer to the test is not an address.");
        EXPECT_EQ(shown[7], "Please check your internet connection and try again.");
        EXPECT_EQ(memcmp(data.externalAddress.bytes, kept.bytes, sizeof data.externalAddress.bytes), 0);
    }
    {
        // A closed proxy port.
        setenv("http_proxy", ("127.0.0.1:" + std::to_string(closedLocalPort())).c_str(), 1);
        world->global->contextManager->getTop()->bDone = true;
        world->frame();
        ContextNetworkWizard1* wizard = new ContextNetworkWizard1();
        push(wizard);
        clickOn(wizard->nextButton);
        ASSERT_TRUE(runUntilLast(wizard, "Done.", "You can continue, but some network features will be unavailable."));
        EXPECT_EQ(lines(wizard)[6], "Request failed (error 111:Connection refused)");
    }
}

TEST_F(OnlineScreensTest, TheUploadSendsTheWholeSavedBlock) {
    WebService service;
    setenv("http_proxy", service.proxyUrl().c_str(), 1);
    ContextScoreUpload* upload = new ContextScoreUpload();
    push(upload);
    EXPECT_EQ(lines(upload), (std::vector<std::string>{"Your data will now be uploaded", "to the Zemtrovia website.",
                                                       "Please connect to the internet before proceeding."}));
    const SaveDataBlock& data = world->global->saveData;
    const std::string block(reinterpret_cast<const char*>(&data), sizeof data);
    clickOn(upload->nextButton);
    ASSERT_TRUE(runUntilLast(upload, "Done.", "Failed."));
    EXPECT_EQ(service.fields(1), "HSTfile\tCorvana2demo.hst\t2744\n");
    EXPECT_EQ(service.field(1, 0), block);
    EXPECT_EQ(lines(upload), (std::vector<std::string>{"Your data will now be uploaded", "to the Zemtrovia website.",
                                                       "Please connect to the internet before proceeding.",
                                                       "Starting...", "Connected.", "ok",
                                                       "HSTfile: Corvana2demo.hst, 2744 bytes", "Done."}));
    EXPECT_EQ(upload->nextButton->caption, "Finish");
    clickOn(upload->nextButton);
    world->frame();
    EXPECT_EQ(top(), nullptr);
}

TEST_F(OnlineScreensTest, CancelWhileTheServiceIsSilentClosesTheUploadAtOnce) {
    WebService silent("silence");
    setenv("http_proxy", silent.proxyUrl().c_str(), 1);
    ContextScoreUpload* upload = new ContextScoreUpload();
    push(upload);
    clickOn(upload->nextButton);
    EXPECT_TRUE(upload->nextButton->bDisabled);
    world->click(-220.0f, -190.0f); // Cancel
    world->frame();
    EXPECT_EQ(top(), nullptr);
}

}  // namespace

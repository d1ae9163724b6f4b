// The game's online pages driven through the real program under Xvfb with
// real X key and mouse events (xdotool): the network wizard and the score
// upload posting through http_proxy to the local web service, and the help
// links opening their pages in a stand-in browser.
#include "MenuDriving.h"
#include "WebService.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The network wizard through the whole program, posting through http_proxy to
// the local web service: the address the service saw lands in the saved block.
TEST(GameMenus, TheNetworkWizardStoresTheAddressTheServiceSaw) {
    SKIP_WITHOUT_X_INPUT();
    WebService service;
    GameRun run("screenWidth=640\nscreenHeight=480\n");
    setenv("http_proxy", service.proxyUrl().c_str(), 1);
    run.start();
    unsetenv("http_proxy");
    ASSERT_TRUE(waitForWindow(run)) << run.errors();
    reachMainMenu(run, "ann");
    auto click = [&run](float x, float y) { clickInView(run, x, y, 640, 480, 640, 480); };
    ASSERT_TRUE(clickUntilScreen(run, 0.0f, -80.0f, "ContextOptions")) << run.topScreen();        // Options...
    ASSERT_TRUE(clickUntilScreen(run, 0.0f, -80.0f, "ContextNetworkWizard1")) << run.topScreen(); // Network Wizard
    click(220.0f, -190.0f); // Next: windowed, the test starts at once
    TestDeadline::waitFor([&] { return !service.answer(1).empty(); });
    // Next once the test is over: the configuration page; Finish: the hub.
    ASSERT_TRUE(clickUntilScreen(run, 220.0f, -190.0f, "ContextOptions", 8)) << run.topScreen();
    // Back to the main menu (the hub's Back lies where the menu's Quit does) and out.
    ASSERT_TRUE(clickUntilScreen(run, -220.0f, -190.0f, "MyContextMain")) << run.topScreen();
    for (int i = 0; i < 3 && run.running(); i++) {
        click(-220.0f, -190.0f);
        for (int j = 0; j < 40 && run.running(); j++) pause(50);
    }
    ASSERT_EQ(run.wait(), 0) << run.errors();

    const std::string answer = service.answer(1);
    ASSERT_EQ(answer.rfind("127.0.0.1:", 0), 0u) << answer;
    EXPECT_EQ(service.fields(1), "gameName\t\t12\ngameVersion\t\t4\n");
    const int port = atoi(answer.c_str() + 10);
    std::vector<uint8_t> block = savedBlock(run);
    ASSERT_EQ(block.size(), 2744u);
    EXPECT_EQ(block[2609], 1) << "network tested";
    const std::vector<uint8_t> address = {0, 2, uint8_t(port >> 8), uint8_t(port), 0x7f, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(block.begin() + 2612, block.begin() + 2628), address);
}

// Options, Help: each link ends the program and the stand-in browser gets its
// absolute address. Where the browser fails to start, the game stays and
// tells the address in a dialog.
TEST(GameMenus, TheHelpLinksEndTheGameAndOpenTheirPages) {
    SKIP_WITHOUT_X_INPUT();
    struct Link {
        float y;
        bool online;
        int status;
    } links[] = {{50.0f, false, 0}, {0.0f, true, 0}, {0.0f, true, 4}};
    for (const Link& link : links) {
        GameRun run("screenWidth=640\nscreenHeight=480\n");
        startWithStandInBrowser(run, link.status); // it ends with the pages on the stack
        ASSERT_TRUE(waitForWindow(run)) << run.errors();
        reachMainMenu(run, "ann");
        auto click = [&run](float x, float y) { clickInView(run, x, y, 640, 480, 640, 480); };
        ASSERT_TRUE(clickUntilScreen(run, 0.0f, -80.0f, "ContextOptions")) << run.topScreen(); // Options...
        ASSERT_TRUE(clickUntilScreen(run, 0.0f, -190.0f, "ContextHelp")) << run.topScreen();   // Help
        click(0.0f, link.y);
        if (link.status != 0) {
            EXPECT_TRUE(run.waitForLog("showNotices(): Could not open 'http://www.zemtrovia.com/corvana2/onlinehelp.php': "
                                       "xdg-open ended with status 4. Open it in your browser yourself.", 20.0));
            EXPECT_TRUE(run.waitForScreen("ContextDialog")) << run.topScreen();
            kill(run.pid, SIGTERM);
            EXPECT_EQ(run.wait(), 0) << "the game stayed until it was ended";
            continue;
        }
        EXPECT_EQ(run.wait(), 0) << run.errors();
        TestDeadline::waitFor([&] { return exists(run.folder + "/opened"); });
        char real[4096]; // the data folder: the program's own
        ASSERT_NE(realpath(PLIM_TEST_BINARY_DIR, real), nullptr);
        EXPECT_EQ(readFile(run.folder + "/opened"), link.online ? std::string("http://www.zemtrovia.com/corvana2/onlinehelp.php")
                                                                : "file://" + std::string(real) + "/readme.htm");
    }
}

// High Scores, More options, Upload scores through the whole program: the
// network wizard the first time, then the upload of the saved block; the next
// start goes straight to the upload page, whose Cancel closes it at once while
// the service stays silent, and the program still ends cleanly.
TEST(GameMenus, TheScoreUploadSendsTheSavedBlock) {
    SKIP_WITHOUT_X_INPUT();
    GameRun run("screenWidth=640\nscreenHeight=480\n");
    auto click = [&run](float x, float y) { clickInView(run, x, y, 640, 480, 640, 480); };
    // High Scores, More options..., Upload scores: each once its screen is up.
    auto openUpload = [&](const char* upload) {
        ASSERT_TRUE(run.waitForScreen("MyContextMain")) << run.topScreen();
        ASSERT_TRUE(clickUntilScreen(run, 0.0f, -40.0f, "ContextHighScores")) << run.topScreen();
        ASSERT_TRUE(clickUntilScreen(run, 172.0f, -190.0f, "ContextHighScoresOptions")) << run.topScreen();
        ASSERT_TRUE(clickUntilScreen(run, 0.0f, 40.0f, upload)) << run.topScreen();
    };
    {
        WebService service;
        setenv("http_proxy", service.proxyUrl().c_str(), 1);
        startWithoutLeakCheck(run); // it ends by its window with screens open
        unsetenv("http_proxy");
        ASSERT_TRUE(waitForWindow(run)) << run.errors();
        reachMainMenu(run, "ann");
        ASSERT_NO_FATAL_FAILURE(openUpload("ContextNetworkWizard1")); // untested: the network wizard
        // Next: the test, until the service has answered.
        click(220.0f, -190.0f);
        TestDeadline::waitFor([&] { return !service.answer(1).empty(); });
        // Next once the test is over, then Finish: back on the options.
        ASSERT_TRUE(clickUntilScreen(run, 220.0f, -190.0f, "ContextHighScoresOptions", 8)) << run.topScreen();
        // Upload scores, then Next until the service has the fields.
        ASSERT_TRUE(clickUntilScreen(run, 0.0f, 40.0f, "ContextScoreUpload")) << run.topScreen();
        click(220.0f, -190.0f);
        TestDeadline::waitFor([&] { return !service.fields(2).empty(); });
        // Finish, once the upload is over.
        ASSERT_TRUE(clickUntilScreen(run, 220.0f, -190.0f, "ContextHighScoresOptions", 8)) << run.topScreen();
        closeWith(run, "alt+F4");
        ASSERT_EQ(run.wait(), 0) << run.errors();

        EXPECT_EQ(service.request(2).rfind("POST http://www.zemtrovia.com/corvana2/highscoreupload.php HTTP/1.0\r\n", 0),
                  0u);
        EXPECT_EQ(service.fields(2), "HSTfile\tCorvana2demo.hst\t2744\n");
        const std::string sent = service.field(2, 0);
        std::vector<uint8_t> saved = savedBlock(run);
        ASSERT_EQ(saved.size(), 2744u);
        ASSERT_EQ(sent.size(), 2744u);
        for (size_t i = 0; i < saved.size(); i++) {
            if (i < 2720 || i >= 2724) {
                EXPECT_EQ(uint8_t(sent[i]), saved[i]) << "byte " << i;
            }
        }
        EXPECT_EQ(saved[2609], 1);
        const std::string log = run.log();
        const size_t connected = log.find("addMessage(): > Connected.");
        ASSERT_NE(connected, std::string::npos);
        EXPECT_LT(connected, log.find("addMessage(): > HSTfile: Corvana2demo.hst, 2744 bytes"));
        EXPECT_LT(log.find("addMessage(): > HSTfile: Corvana2demo.hst, 2744 bytes"), log.find("addMessage(): > Done.", connected));
    }
    {
        WebService silent("silence");
        setenv("http_proxy", silent.proxyUrl().c_str(), 1);
        startWithoutLeakCheck(run);
        unsetenv("http_proxy");
        ASSERT_TRUE(waitForWindow(run)) << run.errors();
        xdotool("search --onlyvisible --name '^Corvana2demo' windowfocus");
        // Past the maker's logo and the title to the main menu; the first
        // press there only takes the pointer, so it goes where the menu has nothing.
        ASSERT_TRUE(skipIntros(run, "MyContextMain")) << run.topScreen();
        click(-280.0f, 100.0f);
        ASSERT_NO_FATAL_FAILURE(openUpload("ContextScoreUpload")); // tested: the upload page at once
        click(220.0f, -190.0f); // Next
        TestDeadline::waitFor([&] { return !silent.request(1).empty(); });
        click(-220.0f, -190.0f); // Cancel while the service is silent
        closeWith(run, "alt+F4");
        EXPECT_EQ(run.wait(), 0) << run.errors();
        EXPECT_FALSE(silent.request(1).empty());
        const std::string log = run.log();
        EXPECT_NE(log.find("addMessage(): > Starting..."), std::string::npos);
        EXPECT_EQ(log.find("addMessage(): > Connected."), std::string::npos);
        EXPECT_NE(log.find("Done. Clean exit."), std::string::npos);
    }
}

} // namespace

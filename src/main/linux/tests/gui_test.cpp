// The game's menus driven through the real program under Xvfb with real X key
// and mouse events (xdotool): the forced first profile, the profile list, a
// profile added by typing its name and the ".pro" file it leaves; F9
// screenshots of the main menu and the credits probed for the backdrop, and
// the main menu for captions that read over its buttons.
//
// The view is made taller than the window (fovHeight 1000), so that above the
// sky picture the backdrop's clear colour shows at the top of every menu.
#include "MenuDriving.h"
#include "JpegImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const int WINDOW_W = 640, WINDOW_H = 480;
const int FOV_W = 640, FOV_H = 1000;
// The backdrop's clear colour, which the sky's top rows repeat: nothing is
// laid over the backdrop (the menus' texts stand on plates of their own).
const int CLEAR[3] = {16, 128, 208};

// The pixel is the clear colour, allowing for the JPEG's rounding.
::testing::AssertionResult isClearColour(const JpegImage& image, int x, int y) {
    const uint8_t* p = image.at(x, y);
    for (int c = 0; c < 3; c++)
        if (std::abs(int(p[c]) - CLEAR[c]) > 10)
            return ::testing::AssertionFailure() << "(" << x << ", " << y << ") is (" << int(p[0]) << ", "
                                                 << int(p[1]) << ", " << int(p[2]) << ")";
    return ::testing::AssertionSuccess();
}

int colourDistance(const JpegImage& a, const JpegImage& b, int x, int y) {
    int d = 0;
    for (int c = 0; c < 3; c++) d += std::abs(int(a.at(x, y)[c]) - int(b.at(x, y)[c]));
    return d;
}

// WCAG's contrast ratio of two sRGB colours.
double contrastRatio(const double a[3], const double b[3]) {
    auto luminance = [](const double rgb[3]) {
        const double weight[3] = {0.2126, 0.7152, 0.0722};
        double l = 0.0;
        for (int c = 0; c < 3; c++) {
            const double v = rgb[c] / 255.0;
            l += weight[c] * (v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
        }
        return l;
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A menu caption reads at 4.5:1 over the widget's body at the pixel: the
// normal colour (0, 160, 0). (Disabled captions belong to inactive widgets.)
::testing::AssertionResult captionsRead(const JpegImage& image, int x, int y) {
    const uint8_t* p = image.at(x, y);
    const double body[3] = {double(p[0]), double(p[1]), double(p[2])};
    const double normal[3] = {0.0, 160.0, 0.0};
    const double n = contrastRatio(normal, body);
    if (n >= 4.5) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "over (" << int(p[0]) << ", " << int(p[1]) << ", " << int(p[2])
                                         << ") at (" << x << ", " << y << ") captions read at " << n << ":1";
}

// The largest colour distance of two screenshots along a row.
int largestDistance(const JpegImage& a, const JpegImage& b, int x0, int x1, int y) {
    int d = 0;
    for (int x = x0; x <= x1; ++x) d = std::max(d, colourDistance(a, b, x, y));
    return d;
}

void clickAt(GameRun& run, float x, float y) { clickInView(run, x, y, FOV_W, FOV_H, WINDOW_W, WINDOW_H); }

TEST(GameMenus, ProfilesAreAddedFromTheMainMenuAndTheMenusStandOverTheBackdrop) {
    SKIP_WITHOUT_X_INPUT();
    GameRun run("screenWidth=640\nscreenHeight=480\nfovWidth=" + std::to_string(FOV_W) +
                "\nfovHeight=" + std::to_string(FOV_H) + "\n");
    run.start();
    ASSERT_TRUE(waitForWindow(run)) << run.errors();
    // No profile yet: the main menu opens the name screen.
    reachMainMenu(run, "ann");
    int current = -1;
    std::vector<std::string> names = profiles(run, &current);
    ASSERT_EQ(names, std::vector<std::string>({"ann"})) << "written as soon as it is added";
    EXPECT_EQ(current, 0);

    // The main menu over the backdrop, once it has opened: clear colour above the sky picture.
    JpegImage menu = readJpeg(settledScreenshot(run));
    ASSERT_EQ(menu.width, WINDOW_W);
    ASSERT_EQ(menu.height, WINDOW_H);
    for (int x : {4, 160, 320, 480, 635}) EXPECT_TRUE(isClearColour(menu, x, 4));
    EXPECT_TRUE(isClearColour(menu, 10, 60));
    // The credits button (view y -120) is no part of the backdrop.
    const int creditsRow = int(240 + 120 * float(WINDOW_H) / FOV_H);
    bool captionSeen = false;
    for (int x = 280; x <= 360; ++x) captionSeen = captionSeen || !isClearColour(menu, x, creditsRow);
    EXPECT_TRUE(captionSeen);
    // Its body, and the quit button's, beside their captions.
    EXPECT_TRUE(captionsRead(menu, 400, creditsRow));
    EXPECT_TRUE(captionsRead(menu, 150, 456));

    // The greeting opens the profile list; its Add button the name screen.
    clickAt(run, 0.0f, 310.0f); // inside the greeting, 20 below its line (y 330)
    clickAt(run, -160.0f, -128.0f); // Add
    // Typed fast, 10 ms a letter, capitals (each with its Shift) and a
    // repeated letter: every one reaches the name.
    xdotool("type --delay 10 ZEDANMZKMMMQWXY");
    screenshot(run);
    press("Return");
    TestDeadline::waitFor([&] { return profiles(run, &current).size() >= 2; });
    names = profiles(run, &current);
    EXPECT_EQ(names, std::vector<std::string>({"ann", "ZEDANMZKMMMQWXY"}));
    EXPECT_EQ(current, 1);

    // The credits, over the same backdrop, without the menu's buttons.
    clickAt(run, 0.0f, -120.0f);
    pause(1500);
    JpegImage credits = readJpeg(screenshot(run));
    ASSERT_EQ(credits.width, WINDOW_W);
    for (int x : {4, 160, 320, 480, 635}) EXPECT_TRUE(isClearColour(credits, x, 4));
    EXPECT_GT(largestDistance(menu, credits, 280, 360, creditsRow), 60) << "the credits button is gone";
    EXPECT_LT(colourDistance(menu, credits, 20, 300), 30) << "the sky beside the buttons is the same";

    // Back to the main menu and out through its quit button.
    press("Escape");
    ASSERT_TRUE(run.waitForScreen("MyContextMain")) << run.topScreen();
    clickAt(run, -220.0f, -450.0f);
    EXPECT_EQ(run.wait(), 0) << run.errors();
    names = profiles(run, &current);
    EXPECT_EQ(names, std::vector<std::string>({"ann", "ZEDANMZKMMMQWXY"}));
    EXPECT_EQ(current, 1);
    // The log is written out as the program ends.
    EXPECT_NE(run.log().find("onCurrentProfileChanged(): Changing profile to 'ann'..."), std::string::npos);
    EXPECT_NE(run.log().find("onCurrentProfileChanged(): Changing profile to 'ZEDANMZKMMMQWXY'..."), std::string::npos);
}

TEST(GameMenus, AfterAFatalErrorTheNextStartOffersTheErrorReport) {
    SKIP_WITHOUT_X_INPUT();
    GameRun run("screenWidth=640\nscreenHeight=480\nfovWidth=" + std::to_string(FOV_W) +
                "\nfovHeight=" + std::to_string(FOV_H) + "\n");
    startWithoutLeakCheck(run); // ends in the fatal error, everything alive
    ASSERT_TRUE(waitForWindow(run)) << run.errors();
    reachMainMenu(run, "ann");
    ASSERT_TRUE(run.waitForScreen("MyContextMain")) << run.topScreen();
    // Ctrl+Alt+X on the main menu: the fatal error leaves the crash files.
    xdotool("keydown Control_L");
    xdotool("keydown Alt_L");
    xdotool("keydown x");
    pause(300);
    xdotool("keyup x");
    xdotool("keyup Alt_L");
    xdotool("keyup Control_L");
    ASSERT_EQ(run.wait(), 255) << run.errors();
    ASSERT_TRUE(exists(run.userFolder + "crash.Corvana2demo.log"));

    // The next start shows the report before the maker's logo. With the
    // connection untested only Cancel works; Escape does not close it.
    run.start();
    ASSERT_TRUE(waitForWindow(run)) << run.errors();
    ASSERT_TRUE(run.waitForScreen("ContextErrorReport")) << run.topScreen();
    for (int i = 0; i < 6; i++) press("Escape");
    screenshot(run); // a frame after the last
    EXPECT_EQ(run.topScreen(), "ContextErrorReport");
    // The first press only takes the pointer: make it where the report has no widget.
    clickAt(run, 0.0f, 300.0f);
    clickAt(run, -220.0f, -450.0f); // Cancel
    // The maker's logo, then the title over the main menu.
    ASSERT_TRUE(skipIntros(run, "MyContextMain")) << run.topScreen();
    clickAt(run, -220.0f, -450.0f); // Quit
    EXPECT_EQ(run.wait(), 0) << run.errors();
    const std::string log = run.log();
    const size_t report = log.find("addMessage(): > An error report has been found on your computer.");
    EXPECT_NE(report, std::string::npos) << log;
    EXPECT_NE(log.find("addMessage(): > you'll need to run the network wizard first."), std::string::npos);
    EXPECT_NE(log.find("Done. Clean exit."), std::string::npos);
    EXPECT_TRUE(exists(run.userFolder + "crash.Corvana2demo.log")) << "kept until the connection is tested";
}

// The options pages and the high-score tables through the real program: each
// page's choices land in the saved block and the settings file, the new video
// mode resizes the window at once and opens the next start at that size, and
// the world-wide tables end the program and open the online table.
TEST(GameMenus, OptionsChosenInTheMenusSurviveARestart) {
    SKIP_WITHOUT_X_INPUT();
    std::vector<uint8_t> first;
    {
        GameRun run("screenWidth=640\nscreenHeight=480\n");
        startWithStandInBrowser(run); // it ends through the online tables' button
        ASSERT_TRUE(waitForWindow(run)) << run.errors();
        reachMainMenu(run, "ann");
        auto click = [&run](float x, float y) { clickInView(run, x, y, 640, 480, 640, 480); };

        ASSERT_TRUE(clickUntilScreen(run, 0.0f, -80.0f, "ContextOptions")) << run.topScreen();        // Options...
        ASSERT_TRUE(clickUntilScreen(run, 0.0f, 80.0f, "ContextOptionsGameplay")) << run.topScreen(); // Gameplay
        click(0.0f, 20.0f);  // in-game help off
        click(0.0f, -20.0f); // cheats on
        ASSERT_TRUE(clickUntilScreen(run, -220.0f, -190.0f, "ContextOptions")) << run.topScreen();  // Back
        ASSERT_TRUE(clickUntilScreen(run, 0.0f, -40.0f, "ContextOptionsSound")) << run.topScreen(); // Sound
        click(168.0f, 80.0f);    // quality up: very high
        click(-40.0f, 0.0f); // music 15 -> 12
        clickHere(run, 2);
        press("Escape");
        ASSERT_TRUE(run.waitForScreen("ContextOptions")) << run.topScreen();
        ASSERT_TRUE(clickUntilScreen(run, 0.0f, 40.0f, "ContextOptionsControls")) << run.topScreen(); // Controls
        // Hovered, the key item takes the next key as player 1's fire: F9, of
        // the screenshot after the click.
        click(0.0f, -40.0f);
        press("Escape");
        ASSERT_TRUE(run.waitForScreen("ContextOptions")) << run.topScreen();
        ASSERT_TRUE(clickUntilScreen(run, 0.0f, 0.0f, "ContextOptionsGraphics")) << run.topScreen(); // Graphics
        click(184.0f, 40.0f); // fps 100 -> 60
        clickHere(run, 7);
        click(280.0f, 80.0f); // 800x600
        click(-220.0f, -190.0f); // Back applies: a new window size
        EXPECT_TRUE(waitForWindowSize("800x600")) << windowSize();
        press("Escape"); // the hub
        ASSERT_TRUE(run.waitForScreen("MyContextMain")) << run.topScreen();

        // The tables, reset after the question, then the online tables.
        auto wide = [&run](float x, float y) { clickInView(run, x, y, 640, 480, 800, 600); };
        wide(0.0f, -40.0f);    // High Scores
        wide(172.0f, -190.0f); // More options...
        wide(0.0f, 80.0f);     // World-wide scores
        EXPECT_EQ(run.wait(), 0) << run.errors();
        TestDeadline::waitFor([&] { return exists(run.folder + "/opened"); });
        EXPECT_EQ(readFile(run.folder + "/opened"), "http://www.zemtrovia.com/corvana2/highscoretable.php");
        const std::string log = run.log();
        EXPECT_NE(log.find("Restarting to apply configuration."), std::string::npos);

        first = savedBlock(run);
        ASSERT_EQ(first.size(), 2744u);
        EXPECT_EQ(int32At(first, 2512), 12) << "music volume";
        EXPECT_EQ(int32At(first, 2504), 2) << "audio quality";
        EXPECT_EQ(int32At(first, 2496), 60) << "maximum fps";
        EXPECT_EQ(int32At(first, 2492), 2) << "video mode";
        EXPECT_EQ(int32At(first, 2692), 67) << "player 1's fire";
        EXPECT_EQ(first[2525], 1) << "cheats";
        EXPECT_EQ(first[2526], 0) << "in-game help";
        const std::string cfg = readFile(run.userFolder + "Corvana2demo.cfg");
        EXPECT_NE(cfg.find("frequency=44100"), std::string::npos) << cfg;
        EXPECT_NE(cfg.find("screenWidth=800"), std::string::npos) << cfg;

        // The next start opens at 800 x 600 and keeps every byte.
        run.start();
        ASSERT_TRUE(waitForWindow(run)) << run.errors();
        EXPECT_EQ(windowSize(), "800x600");
        // Past the logo and the title over the main menu, then the menu's
        // quit button.
        ASSERT_TRUE(skipIntros(run, "MyContextMain")) << run.topScreen();
        for (int i = 0; i < 3 && run.running(); i++) {
            wide(-220.0f, -190.0f);
            for (int j = 0; j < 40 && run.running(); j++) pause(50);
        }
        EXPECT_EQ(run.wait(), 0);
        std::vector<uint8_t> second = savedBlock(run);
        ASSERT_EQ(second.size(), 2744u);
        for (size_t offset : {2492, 2496, 2504, 2512, 2692})
            EXPECT_EQ(int32At(second, offset), int32At(first, offset)) << offset;
        EXPECT_EQ(second[2525], 1);
        EXPECT_EQ(second[2526], 0);
        const std::string log2 = run.log();
        const size_t obtained = log2.find("Obtained audio spec:");
        ASSERT_NE(obtained, std::string::npos);
        EXPECT_EQ(log2.find("freq: ", obtained), log2.find("freq: 44100", obtained)) << "a 44,100 Hz device";
    }
}

// From a full-screen start (the display offers 1024 x 768 only), switching
// full screen off on the graphics page gives a 640 x 480 window at once, and
// the settings file keeps the window for the next start.
TEST(GameMenus, FullScreenSwitchedOffGivesAWindow) {
    SKIP_WITHOUT_X_INPUT();
    GameRun run;
    std::ofstream(run.userFolder + "Corvana2demo.cfg") << "[PlimGraphics]\nbFullScreen=Yes\n";
    run.start();
    ASSERT_TRUE(waitForWindow(run)) << run.errors();
    ASSERT_TRUE(waitForWindowSize("1024x768")) << windowSize();
    reachMainMenu(run, "ann");
    auto click = [&run](int x, int y) {
        pointInFullScreen(run, x, y, 640, 480);
        clickHere(run);
    };
    click(0, -80);    // Options...
    click(0, 0);      // Graphics
    click(185, 0);    // full screen off
    pointInFullScreen(run, -220, -190, 640, 480);
    pressButton(); // Back: the keyboard's focus leaves with the full-screen window
    EXPECT_TRUE(waitForWindowSize("640x480")) << windowSize();
    // Without a window manager the keyboard focus went with the full-screen
    // window: out through the buttons.
    clickInView(run, -220.0f, -190.0f, 640, 480, 640, 480); // the hub's Back
    ASSERT_TRUE(run.waitForScreen("MyContextMain")) << run.topScreen();
    clickInView(run, -220.0f, -190.0f, 640, 480, 640, 480); // the main menu's Quit
    EXPECT_EQ(run.wait(), 0) << run.errors();
    const std::string cfg = readFile(run.userFolder + "Corvana2demo.cfg");
    EXPECT_NE(cfg.find("bFullScreen=No"), std::string::npos) << cfg;
    std::vector<uint8_t> block = savedBlock(run);
    ASSERT_EQ(block.size(), 2744u);
    EXPECT_EQ(block[2500], 0) << "the full-screen switch";
}

// In multi-language mode the hub's Language button forgets the language
// choice, whichever way its dialog closes: the settings file keeps no
// language, and the next start asks for one.
TEST(GameMenus, LanguageMakesTheNextStartAskAgain) {
    SKIP_WITHOUT_X_INPUT();
    GameRun run;
    const std::string game = run.copyProgram(), staticPath = run.folder + "/bin/Corvana2demo.cfg.static";
    std::string settings = readFile(staticPath);
    const size_t key = settings.find("bMultilanguage=No");
    ASSERT_NE(key, std::string::npos);
    settings.replace(key, 17, "bMultilanguage=Yes");
    unlink(staticPath.c_str());
    std::ofstream(staticPath) << settings;
    std::ofstream(run.userFolder + "Corvana2demo.cfg", std::ios::app) << "[Plim]\ndefaultLanguage=0\n";
    run.start(game);
    ASSERT_TRUE(waitForWindow(run)) << run.errors();
    reachMainMenu(run, "ann");
    auto click = [&run](float x, float y) { clickInView(run, x, y, 640, 480, 640, 480); };
    ASSERT_TRUE(clickUntilScreen(run, 0.0f, -80.0f, "ContextOptions")) << run.topScreen(); // Options...
    ASSERT_TRUE(clickUntilScreen(run, 0.0f, -120.0f, "ContextDialog")) << run.topScreen(); // Language
    press("Escape");      // the dialog
    ASSERT_TRUE(run.waitForScreen("ContextOptions")) << run.topScreen();
    press("Escape");      // the hub
    ASSERT_TRUE(run.waitForScreen("MyContextMain")) << run.topScreen();
    click(-220.0f, -190.0f); // Quit
    EXPECT_EQ(run.wait(), 0) << run.errors();
    const std::string cfg = readFile(run.userFolder + "Corvana2demo.cfg");
    EXPECT_NE(cfg.find("defaultLanguage=-1"), std::string::npos) << cfg;

    startWithoutLeakCheck(run, game); // closed on the language screen
    ASSERT_TRUE(waitForWindow(run)) << run.errors();
    ASSERT_TRUE(run.waitForScreen("ContextLanguageSelect")) << run.topScreen();
    press("alt+F4");
    EXPECT_EQ(run.wait(), 0) << run.errors();
    EXPECT_NE(run.log().find("Multilanguage mode (-1)."), std::string::npos);
}

TEST(GameMenus, StartGameLeadsToTheGameTypesWhosePagesSaveTheirOptions) {
    SKIP_WITHOUT_X_INPUT();
    GameRun run;
    run.start();
    ASSERT_TRUE(waitForWindow(run)) << run.errors();
    reachMainMenu(run, "bo");
    ASSERT_TRUE(run.waitForScreen("MyContextMain")) << run.topScreen();
    auto click = [&run](float x, float y) { clickInView(run, x, y, 640, 480, 640, 480); };
    ASSERT_TRUE(clickUntilScreen(run, 0.0f, 0.0f, "ContextGametypes")) << run.topScreen();       // Start Game
    ASSERT_TRUE(clickUntilScreen(run, 0.0f, 100.0f, "ContextRulesCampaign")) << run.topScreen(); // invasion
    click(104.0f, 0.0f);     // difficulty: hard
    click(104.0f, 40.0f);    // with a friend
    ASSERT_TRUE(clickUntilScreen(run, -220.0f, -190.0f, "ContextGametypes")) << run.topScreen(); // Back
    ASSERT_TRUE(clickUntilScreen(run, 220.0f, -190.0f, "ContextMutators")) << run.topScreen();   // mutators...
    click(0.0f, 40.0f);      // berserk mode
    press("Escape");
    ASSERT_TRUE(run.waitForScreen("ContextGametypes")) << run.topScreen();
    ASSERT_TRUE(clickUntilScreen(run, -220.0f, -190.0f, "MyContextMain")) << run.topScreen();    // Back
    click(-220.0f, -190.0f); // Quit
    EXPECT_EQ(run.wait(), 0) << run.errors();

    std::vector<uint8_t> block = savedBlock(run);
    ASSERT_EQ(block.size(), 2744u);
    EXPECT_EQ(int32At(block, 2528), 3); // difficulty
    EXPECT_EQ(int32At(block, 2544), 1); // players
    EXPECT_EQ(block[2571], 1);          // berserk mode
    EXPECT_EQ(block[2570], 0);
}

} // namespace

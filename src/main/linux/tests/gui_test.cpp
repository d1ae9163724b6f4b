// The game's menus driven through the real program under Xvfb with real X key
// and mouse events (xdotool): the forced first profile, the profile list, a
// profile added by typing its name and the ".pro" file it leaves; F9
// screenshots of the main menu and the credits probed for the backdrop.
//
// The view is made taller than the window (fovHeight 1000), so that above the
// sky picture the backdrop's clear colour shows at the top of every menu.
#include "FileManager.h"
#include "GameRun.h"

#include <gtest/gtest.h>

#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <set>
#include <string>
#include <vector>

namespace {

const int WINDOW_W = 640, WINDOW_H = 480;
const int FOV_W = 640, FOV_H = 1000;
const int CLEAR[3] = {16, 128, 208}; // the backdrop's clear colour

struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* at(int x, int y) const { return &rgb[size_t(y * width + x) * 3]; }
};

Image readJpeg(const std::string& path) {
    Image image;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return image;
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, f);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    image.width = int(info.output_width);
    image.height = int(info.output_height);
    image.rgb.resize(size_t(image.width * image.height * 3));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &image.rgb[size_t(info.output_scanline) * size_t(image.width) * 3];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    fclose(f);
    return image;
}

// The pixel is the clear colour, allowing for the JPEG's rounding.
::testing::AssertionResult isClearColour(const Image& image, int x, int y) {
    const uint8_t* p = image.at(x, y);
    for (int c = 0; c < 3; c++)
        if (std::abs(int(p[c]) - CLEAR[c]) > 10)
            return ::testing::AssertionFailure() << "(" << x << ", " << y << ") is (" << int(p[0]) << ", "
                                                 << int(p[1]) << ", " << int(p[2]) << ")";
    return ::testing::AssertionSuccess();
}

int colourDistance(const Image& a, const Image& b, int x, int y) {
    int d = 0;
    for (int c = 0; c < 3; c++) d += std::abs(int(a.at(x, y)[c]) - int(b.at(x, y)[c]));
    return d;
}

// The game's window is mapped.
bool waitForWindow(GameRun& run, double seconds) {
    for (int i = 0; i < int(seconds * 10) && run.running(); ++i) {
        if (system("xdotool search --onlyvisible --name '^Corvana2demo' >/dev/null 2>&1") == 0) return true;
        pause(100);
    }
    return false;
}

std::set<std::string> screenshots(const GameRun& run) {
    std::set<std::string> names;
    if (DIR* d = opendir(run.userFolder.c_str())) {
        while (dirent* e = readdir(d))
            if (strstr(e->d_name, ".jpg")) names.insert(e->d_name);
        closedir(d);
    }
    return names;
}

// F9, and the new screenshot's file.
std::string screenshot(const GameRun& run) {
    std::set<std::string> before = screenshots(run);
    press("F9");
    for (int i = 0; i < 40; i++) {
        for (const std::string& name : screenshots(run))
            if (!before.count(name)) {
                pause(300); // let the writer finish
                return run.userFolder + name;
            }
        pause(100);
    }
    return std::string();
}

// The names of the used profile slots and the current index, from the ".pro"
// file as the program wrote it; empty when it does not check out.
std::vector<std::string> profiles(const GameRun& run, int* current) {
    std::vector<uint8_t> block(1608);
    std::string dir = run.userFolder.substr(0, run.userFolder.size() - 1);
    if (!FileManager::loadProtectedData(dir.c_str(), "Corvana2demo.pro", "2.60", block.data(), 1608)) return {};
    std::vector<std::string> names;
    for (int i = 0; i < 10; i++) {
        const char* name = reinterpret_cast<const char*>(&block[size_t(8 + 160 * i)]);
        if (*name) names.push_back(std::string(name, strnlen(name, 16)));
    }
    memcpy(current, &block[4], 4);
    return names;
}

// A click at a point of the view (origin at the centre, y up). The program
// holds the pointer and moves it by relative motion only, so the click first
// makes it let go: pushed past the window's edge, a menu's pointer releases
// the grab. The press that follows takes the pointer again at the window point
// under the X pointer, and counts as a click there.
void clickAt(float x, float y) {
    // The first motion after a grab is skipped without recentring, so each
    // push left comes with a step back that the next push can count on.
    for (int i = 0; i < 4; i++) {
        xdotool("mousemove_relative -- -400 0");
        pause(60);
        xdotool("mousemove_relative -- 50 0");
        pause(60);
    }
    const int wx = int(x + float(FOV_W / 2) + 0.5f);
    const int wy = int(float(WINDOW_H) - (y + float(FOV_H / 2)) * float(WINDOW_H) / float(FOV_H) + 0.5f);
    xdotool("mousemove " + std::to_string(wx) + " " + std::to_string(wy));
    pause(150);
    xdotool("mousedown 1");
    pause(120);
    xdotool("mouseup 1");
    pause(250);
}

TEST(GameMenus, ProfilesAreAddedFromTheMainMenuAndTheMenusStandOverTheBackdrop) {
    SKIP_WITHOUT_X_INPUT();
    GameRun run("screenWidth=640\nscreenHeight=480\nfovWidth=" + std::to_string(FOV_W) +
                "\nfovHeight=" + std::to_string(FOV_H) + "\n");
    run.start();
    ASSERT_TRUE(waitForWindow(run, 30.0)) << run.errors();
    // Escape is safe on every start-up screen: the loader and the
    // configuration check ignore it, it ends the maker's logo early, and the
    // name screen that the main menu opens ignores it.
    for (int i = 0; i < 20; i++) {
        press("Escape");
        pause(250);
    }

    // No profile yet: the main menu has opened the name screen.
    for (const char* key : {"a", "n", "n", "Return"}) press(key);
    pause(500);
    int current = -1;
    std::vector<std::string> names = profiles(run, &current);
    ASSERT_EQ(names, std::vector<std::string>({"ann"})) << "written as soon as it is added";
    EXPECT_EQ(current, 0);

    // The main menu over the backdrop: clear colour above the sky picture.
    Image menu = readJpeg(screenshot(run));
    ASSERT_EQ(menu.width, WINDOW_W);
    ASSERT_EQ(menu.height, WINDOW_H);
    for (int x : {4, 160, 320, 480, 635}) EXPECT_TRUE(isClearColour(menu, x, 4));
    EXPECT_TRUE(isClearColour(menu, 10, 60));
    // The credits button (view y -120) is no part of the backdrop.
    const int creditsRow = int(240 + 120 * float(WINDOW_H) / FOV_H);
    EXPECT_FALSE(isClearColour(menu, 400, creditsRow));

    // The greeting opens the profile list; its Add button the name screen.
    clickAt(0.0f, 310.0f); // inside the greeting, 20 below its line (y 330)
    pause(400);
    clickAt(-160.0f, -128.0f); // Add
    pause(400);
    for (const char* key : {"z", "e", "d", "Return"}) press(key);
    pause(500);
    names = profiles(run, &current);
    EXPECT_EQ(names, std::vector<std::string>({"ann", "zed"}));
    EXPECT_EQ(current, 1);

    // The credits, over the same backdrop, without the menu's buttons.
    clickAt(0.0f, -120.0f);
    pause(1500);
    Image credits = readJpeg(screenshot(run));
    ASSERT_EQ(credits.width, WINDOW_W);
    for (int x : {4, 160, 320, 480, 635}) EXPECT_TRUE(isClearColour(credits, x, 4));
    EXPECT_GT(colourDistance(menu, credits, 400, creditsRow), 60) << "the credits button is gone";
    EXPECT_LT(colourDistance(menu, credits, 20, 300), 30) << "the sky beside the buttons is the same";

    // Back to the main menu and out through its quit button.
    press("Escape");
    pause(400);
    clickAt(-220.0f, -450.0f);
    EXPECT_EQ(run.wait(20.0), 0) << run.errors();
    names = profiles(run, &current);
    EXPECT_EQ(names, std::vector<std::string>({"ann", "zed"}));
    EXPECT_EQ(current, 1);
    // The log is written out as the program ends.
    EXPECT_NE(run.log().find("onCurrentProfileChanged(): Changing profile to 'ann'..."), std::string::npos);
    EXPECT_NE(run.log().find("onCurrentProfileChanged(): Changing profile to 'zed'..."), std::string::npos);
}

TEST(GameMenus, AfterAFatalErrorTheNextStartOffersTheErrorReport) {
    SKIP_WITHOUT_X_INPUT();
    GameRun run("screenWidth=640\nscreenHeight=480\nfovWidth=" + std::to_string(FOV_W) +
                "\nfovHeight=" + std::to_string(FOV_H) + "\n");
    run.start();
    ASSERT_TRUE(waitForWindow(run, 30.0)) << run.errors();
    for (int i = 0; i < 20; i++) {
        press("Escape");
        pause(250);
    }
    for (const char* key : {"a", "n", "n", "Return"}) press(key);
    pause(500);
    // Ctrl+Alt+X on the main menu: the fatal error leaves the crash files.
    xdotool("keydown Control_L");
    xdotool("keydown Alt_L");
    xdotool("keydown x");
    pause(300);
    xdotool("keyup x");
    xdotool("keyup Alt_L");
    xdotool("keyup Control_L");
    ASSERT_EQ(run.wait(20.0), 255) << run.errors();
    ASSERT_TRUE(exists(run.userFolder + "crash.Corvana2demo.log"));

    // The next start shows the report before the maker's logo. With the
    // connection untested only Cancel works; Escape does not close it.
    run.start();
    ASSERT_TRUE(waitForWindow(run, 30.0)) << run.errors();
    pause(3000);
    for (int i = 0; i < 6; i++) {
        press("Escape");
        pause(250);
    }
    // The first press only takes the pointer: make it where the report has no widget.
    clickAt(0.0f, 300.0f);
    clickAt(-220.0f, -450.0f); // Cancel
    pause(4000); // the maker's logo, then the main menu
    clickAt(-220.0f, -450.0f); // Quit
    EXPECT_EQ(run.wait(20.0), 0) << run.errors();
    const std::string log = run.log();
    const size_t report = log.find("addMessage(): > An error report has been found on your computer.");
    EXPECT_NE(report, std::string::npos) << log;
    EXPECT_NE(log.find("addMessage(): > you'll need to run the network wizard first."), std::string::npos);
    EXPECT_NE(log.find("Done. Clean exit."), std::string::npos);
    EXPECT_TRUE(exists(run.userFolder + "crash.Corvana2demo.log")) << "kept until the connection is tested";
}

} // namespace

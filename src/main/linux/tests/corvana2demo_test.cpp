// The game program: the data-folder search and whole runs of the built game
// under Xvfb, driven by real X input (xdotool).
#include "DataFolder.h"
#include "GameRun.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string GAME = CORVANA2DEMO_PATH;

std::string makeTempFolder() {
    char pattern[] = "/tmp/corvana2demo-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? std::string(made) : std::string();
}

void touch(const std::string& path) { std::ofstream(path) << "x"; }

// The log's lines without their time prefixes.
std::vector<std::string> logLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        size_t tab = line.find('\t');
        lines.push_back(tab == std::string::npos ? line : line.substr(tab + 1));
    }
    return lines;
}

// The lines of the log that begin with prefix, up to the line stop.
std::vector<std::string> linesWith(const std::vector<std::string>& lines, const std::string& prefix,
                                   const std::string& stop) {
    std::vector<std::string> found;
    for (const std::string& line : lines) {
        if (line.compare(0, stop.size(), stop) == 0) break;
        if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
    }
    return found;
}

TEST(DataFolder, TakesTheFirstCandidateHoldingTheArchive) {
    std::string a = makeTempFolder(), b = makeTempFolder(), c = makeTempFolder();
    ASSERT_FALSE(a.empty() || b.empty() || c.empty());
    touch(b + "/Game.dat");
    touch(c + "/Game.dat");
    EXPECT_EQ(findDataFolder({a, b, c}, "Game.dat"), b);
    EXPECT_EQ(findDataFolder({"", c, b}, "Game.dat"), c);
    EXPECT_EQ(findDataFolder({a}, "Game.dat"), "");
    // A folder of the archive's name is not the archive.
    mkdir((a + "/Game.dat").c_str(), 0755);
    EXPECT_EQ(findDataFolder({a, c}, "Game.dat"), c);
    system(("rm -rf " + a + " " + b + " " + c).c_str());
}

TEST(DataFolder, ExecutableFolderIsWhereThisTestLives) {
    char buffer[4096];
    std::string self(buffer, size_t(readlink("/proc/self/exe", buffer, sizeof buffer)));
    EXPECT_EQ(executableFolder(), self.substr(0, self.rfind('/')));
}

TEST(DataFolder, TheMessageNamesTheArchiveAndEveryFolder) {
    std::string text = missingDataMessage({"/one", "", "/two"}, "Game.dat");
    EXPECT_NE(text.find("'Game.dat'"), std::string::npos);
    EXPECT_NE(text.find("  /one\n"), std::string::npos);
    EXPECT_NE(text.find("  /two\n"), std::string::npos);
}

// The files the loader reads, in the order of its list.
const char* const TEXTURES[] = {
    "gui/game/progressbar", "gui/game/mousepointer", "system/zemtrovia", "system/languageflags",
    "font/font-tiny", "font/alphabet-myriad", "font/font-medium", "font/font-large-1", "font/font-large-2",
    "font/alphabet-hud", "system/autoconfigure", "gui/game/editbox", "gui/game/button", "gui/game/square",
    "logo_0_0", "logo_1_0", "logo_0_1", "logo_1_1", "sky-colormatched", "sea_0_0", "sea_1_0", "island",
    "ovalbuttons", "palm", "3ds_explosion", "3ds_smoke", "propeller", "biplane", "biplane-markings", "p35",
    "p35-markings", "cannon", "projectiles", "splash", "circularsplash", "propelledBomb", "hotairballoon",
    "torpedo", "atombomb", "hud-energybar", "hud-bonusicons", "balloons", "flare-small", "intellimouse",
    "arrow-mousecontrol", "laser", "lightning", "crate", "parachute", "ballistic", "zeppelin", "kamikaze", "bomber"};
const char* const SOUNDS[] = {
    "clickXP", "pop", "rot5loo1", "ovrevlp1", "ovrevlp1", "arc2", "bmbwstl2", "bmbwstl2short", "cannonfire",
    "laserFire", "laserHit", "lightninghit", "splash", "planesplash", "fireworklaunch", "fireworkbang",
    "planehit(ricocnvs)", "spanloo", "firetree", "engnxploshort", "fx113", "balloonPop", "bubbles",
    "bubbleburst", "deflate", "waterExit", "missilelaunch", "missilehit", "kamikazeentry",
    "ballisticentry(gp32)", "rot5loo1fade", "propelledbombentry", "bomberdropbomb", "crateBreak", "nyuck",
    "levelup", "leveldown", "drum_roll_1", "cymbalcrash", "lackerol3", "lackerol3lower", "clocktick",
    "clockchime"};

TEST(Game, AFreshStartLoadsEverythingInOrderAndQuitsThroughTheQuestion) {
    SKIP_WITHOUT_X_INPUT();
    GameRun run;
    run.start();
    // The title plays over the main menu first: a click skips it. A fresh
    // user folder has no player: the main menu then asks for a name, and the
    // new profile is written at once.
    for (int attempt = 0; attempt < 60 && !exists(run.userFolder + "Corvana2demo.pro"); ++attempt) {
        xdotool("mousedown 1");
        pause(100);
        xdotool("mouseup 1");
        pause(100);
        for (const char* key : {"p", "i", "l", "o", "t", "Return"}) press(key);
        pause(300);
    }
    ASSERT_TRUE(exists(run.userFolder + "Corvana2demo.pro")) << run.errors();
    pause(300);
    press("Escape");
    pause(300);
    // "Yes" lies left of the centre, a text line or so below it: try a few
    // heights from the middle of the screen, where the pointer goes from the
    // top right corner the skipped title left it in (one unit a pixel).
    for (int step = 0; step < 4; ++step) {
        xdotool("mousemove_relative -- -68 52");
        pause(60);
    }
    xdotool("mousemove_relative -- -85 0");
    for (int step = 0; step < 7 && run.running(); ++step) {
        xdotool("mousemove_relative -- 0 6");
        pause(100);
        xdotool("mousedown 1");
        pause(100);
        xdotool("mouseup 1");
        pause(400);
    }
    ASSERT_EQ(run.wait(20.0), 0) << run.errors();

    std::vector<std::string> lines = logLines(run.log());
    ASSERT_FALSE(lines.empty());
    const std::string done = "initPostLoader(): Global initialization complete at t=";
    std::vector<std::string> textures = linesWith(lines, "Texture(): Loading texture '", done);
    std::vector<std::string> expected;
    for (const char* t : TEXTURES) expected.push_back(std::string("Texture(): Loading texture 'gfx/") + t + ".tga'...");
    EXPECT_EQ(textures, expected);
    std::vector<std::string> sounds = linesWith(lines, "Sound(): Loading sound file '", done);
    expected.clear();
    for (const char* s : SOUNDS) expected.push_back(std::string("Sound(): Loading sound file 'sfx/") + s + ".ogg'.");
    EXPECT_EQ(sounds, expected);
    EXPECT_EQ(linesWith(lines, done, "~Plim(): Initiating shutdown...").size(), 1u);
    EXPECT_EQ(lines.back(), "~Plim(): Done. Clean exit.");
    EXPECT_TRUE(exists(run.userFolder + "Corvana2demo.hst"));
}

TEST(Game, WithoutItsDataItSaysWhereItLookedAndFails) {
    GameRun run;
    std::string copy = run.folder + "/bin";
    mkdir(copy.c_str(), 0755);
    ASSERT_EQ(system(("cp '" + GAME + "' '" + copy + "/'").c_str()), 0);
    unlink((run.folder + "/Corvana2demo.dat").c_str());
    run.start(copy + "/corvana2demo");
    EXPECT_EQ(run.wait(30.0), 1);
    std::string errors = run.errors();
    EXPECT_NE(errors.find("Cannot find the game data 'Corvana2demo.dat'"), std::string::npos) << errors;
    EXPECT_NE(errors.find("  " + copy + "\n"), std::string::npos) << errors;
    EXPECT_FALSE(exists(run.folder + "/Corvana2demo.log"));
}

} // namespace

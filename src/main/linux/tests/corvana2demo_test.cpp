// The game program: the data-folder search and whole runs of the built game
// under Xvfb, driven by real X input (xdotool). Its files' troubles: user_files_test.cpp.
#include "DataFolder.h"
#include "GameRun.h"
#include "OtherUser.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string GAME = CORVANA2DEMO_PATH;

void touch(const std::string& path) { std::ofstream(path) << "x"; }

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

TEST(DataFolder, AnArchiveThatIsThereButUnreadableIsNamedWithTheReason) {
    std::string a = makeTempFolder(), b = makeTempFolder();
    touch(b + "/Game.dat");
    EXPECT_EQ(unreadableDataMessage({a, b}, "Game.dat"), "");
    mkdir((a + "/Game.dat").c_str(), 0755);
    const std::string advice = ". Put the game's own data archive there (bash tools/run-game.sh builds it).\n";
    EXPECT_EQ(unreadableDataMessage({"", a, b}, "Game.dat"), "Corvana2demo cannot read '" + a + "/Game.dat': Is a directory" + advice);
    chmod((b + "/Game.dat").c_str(), 0);
    if (access((b + "/Game.dat").c_str(), R_OK) != 0) {
        EXPECT_EQ(unreadableDataMessage({b}, "Game.dat"), "Corvana2demo cannot read '" + b + "/Game.dat': Permission denied" + advice);
    }
    system(("rm -rf " + a + " " + b).c_str());
}

TEST(DataFolder, TheMessageNamesTheArchiveAndEveryFolderInOneLine) {
    EXPECT_EQ(missingDataMessage({"/one", "", "/two", "/three"}, "Game.dat"),
              "Corvana2demo cannot find the game data 'Game.dat' in '/one', '/two' or '/three'. Put it beside the "
              "program, or install the game (bash tools/run-game.sh builds it).\n");
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
    // Escape on the main menu asks the question; under load a press can fall
    // between frames, so it is pressed again until the question is up.
    ASSERT_TRUE(run.waitForScreen("MyContextMain", 30.0)) << run.topScreen();
    for (int attempt = 0; attempt < 3 && !run.waitForScreen("ContextDialog", attempt ? 5.0 : 0.0); ++attempt)
        press("Escape");
    ASSERT_TRUE(run.waitForScreen("ContextDialog", 5.0)) << run.topScreen();
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
    EXPECT_NE(errors.find("Corvana2demo cannot find the game data 'Corvana2demo.dat'"), std::string::npos) << errors;
    EXPECT_NE(errors.find("'" + copy + "'"), std::string::npos) << errors;
    EXPECT_FALSE(exists(run.userFolder + "Corvana2demo.log"));
}

TEST(Game, AnUnreadableArchiveIsNotCalledMissing) {
    GameRun run;
    std::string copy = run.folder + "/bin";
    mkdir(copy.c_str(), 0755);
    ASSERT_EQ(system(("cp '" + GAME + "' '" + copy + "/'").c_str()), 0);
    unlink((run.folder + "/Corvana2demo.dat").c_str());
    mkdir((run.folder + "/Corvana2demo.dat").c_str(), 0755); // unreadable as a file, even for root
    run.start(copy + "/corvana2demo");
    EXPECT_EQ(run.wait(30.0), 1);
    EXPECT_EQ(run.errors(), "Corvana2demo cannot read '" + run.folder + "/Corvana2demo.dat': Is a directory. Put the game's own data "
                            "archive there (bash tools/run-game.sh builds it).\n");
}

// Every file of the user folder with its contents (the log, which its copy
// writes on, aside).
std::vector<std::pair<std::string, std::string>> folderContents(const std::string& folder) {
    std::vector<std::pair<std::string, std::string>> files;
    FILE* p = popen(("cd '" + folder + "' && find . -type f | sort").c_str(), "r");
    char line[4096];
    while (p && fgets(line, sizeof line, p)) {
        std::string name(line);
        name.pop_back();
        if (name != "./Corvana2demo.log") files.emplace_back(name, readFile(folder + "/" + name));
    }
    if (p) pclose(p);
    return files;
}

// A second copy on the same user folder says so, ends with status 1 and leaves every file alone:
// the first copy's log and saves are untouched, and the first still ends cleanly.
// Removing the folder frees nothing; where it cannot be locked (flock as on NFS),
// a lock file in it holds, for other machines (runtime folders) too.
TEST(Game, ASecondCopyOnTheSameUserFolderLeavesEveryFileAlone) {
    SKIP_WITHOUT_DISPLAY();
    keepDisplayOpen();
    GameRun run;
    run.start();
    // The log is buffered: its file's existence says the first copy holds the lock.
    ASSERT_TRUE(run.waitForLog("Log file:", 60.0) || exists(run.userFolder + "Corvana2demo.log")) << run.errors();
    pause(2000);
    const auto before = folderContents(run.userFolder);
    const std::string firstLog = run.log();
    const std::string refused = "Corvana2demo is already running (its user folder '" + run.userFolder + "' is in use).\n";

    pid_t second = run.spawn(GAME, "second-");
    EXPECT_EQ(GameRun::waitFor(second, 30.0), 1);
    EXPECT_EQ(readFile(run.folder + "/second-errors.txt"), refused);
    EXPECT_EQ(run.log().compare(0, firstLog.size(), firstLog), 0) << "the first copy's log was written over";
    EXPECT_EQ(folderContents(run.userFolder), before);

    std::ifstream removedLog(run.userFolder + "Corvana2demo.log");
    ASSERT_EQ(system(("rm -rf '" + run.folder + "/user'").c_str()), 0);
    EXPECT_EQ(GameRun::waitFor(run.spawn(GAME, "third-"), 30.0), 1);
    EXPECT_EQ(readFile(run.folder + "/third-errors.txt"), refused);
    kill(run.pid, SIGTERM);
    EXPECT_EQ(run.wait(30.0), 0) << run.errors();
    std::ostringstream firstLogToTheEnd;
    firstLogToTheEnd << removedLog.rdbuf();
    EXPECT_EQ(logLines(firstLogToTheEnd.str()).back(), "~Plim(): Done. Clean exit.");
    const std::string stale = run.userFolder + "Corvana2demo.hst.tmp-Zz9Yx8", lockFile = run.userFolder + "Corvana2demo.lock";
    const std::string staleCrash = run.userFolder + "crash.Corvana2demo.log.tmp-signal";
    const std::string staleCrashPicture = run.userFolder + "crash.Corvana2demo.jpg.tmp-Zz9Yx8";
    for (const std::string& path : {stale, staleCrash, staleCrashPicture}) touch(path);
    run.environment = {{"LD_PRELOAD", FLOCK_AS_ON_NFS_PATH}};
    run.start();
    ASSERT_TRUE(run.waitForLog("Global initialization complete", 60.0)) << run.errors();
    EXPECT_TRUE(exists(lockFile) && !exists(stale) && !exists(staleCrash) && !exists(staleCrashPicture)) << run.errors();
    run.environment.emplace_back("XDG_RUNTIME_DIR", run.folder);
    EXPECT_EQ(GameRun::waitFor(run.spawn(GAME, "fourth-"), 30.0), 1);
    EXPECT_EQ(readFile(run.folder + "/fourth-errors.txt"), refused);
    kill(run.pid, SIGTERM);
    EXPECT_EQ(run.wait(30.0), 0) << run.errors();
    EXPECT_FALSE(exists(lockFile));
}

// A frame period of 68 years would freeze the loop in its sleep: it falls back
// to the default, the program answers SIGTERM, and the file keeps the value.
TEST(Game, AnAbsurdFrameRateStillEndsOnSigterm) {
    SKIP_WITHOUT_DISPLAY();
    keepDisplayOpen();
    GameRun run("[Plim]\nframeRate=2147483647\n");
    run.start();
    // The log is buffered; a start-up this far has its signal handlers.
    for (int i = 0; i < 600 && !exists(run.userFolder + "Corvana2demo.log"); ++i) pause(50);
    pause(3000);
    ASSERT_TRUE(run.running()) << run.errors();
    kill(run.pid, SIGTERM);
    EXPECT_EQ(run.wait(20.0), 0) << "did not end on SIGTERM";
    std::vector<std::string> lines = logLines(run.log());
    EXPECT_EQ(linesWith(lines, "readSetting(): Setting frameRate", "~Plim(): Done.").size(), 1u);
    EXPECT_NE(run.log().find("readSetting(): Setting frameRate=2147483647 of [Plim] is out of range (0 to 1); using 0.015."),
              std::string::npos);
    EXPECT_NE(readFile(run.userFolder + "Corvana2demo.cfg").find("\nframeRate=2147483647\n"), std::string::npos);
}

// Without a sound device the game plays silent and says so in one line (ALSA's
// own complaints go to the log); the player's setting stays for the next start.
TEST(Game, WithoutASoundDeviceItPlaysSilentAndSaysSoInOneLine) {
    SKIP_WITHOUT_DISPLAY();
    keepDisplayOpen();
    for (const char* driver : {"nosuchdriver", "alsa"}) {
        GameRun run;
        run.environment = {{"SDL_AUDIODRIVER", driver}, {"AUDIODEV", "nosuchpcm"}};
        run.start();
        ASSERT_TRUE(run.waitForLog("Global initialization complete", 60.0)) << run.errors();
        kill(run.pid, SIGTERM);
        EXPECT_EQ(run.wait(30.0), 0) << run.errors();
        const std::string why = std::string("cannot open the audio device (No available audio device, SDL_AUDIODRIVER=") + driver + ")";
        EXPECT_EQ(run.programErrors(), "Corvana2demo: " + why + "; the game runs without sound.\n");
        std::vector<std::string> lines = logLines(run.log());
        EXPECT_EQ(linesWith(lines, "PlimAudio(): Running without sound: " + why + ".", "~Plim(): Done.").size(), 1u);
        EXPECT_EQ(linesWith(lines, "Sound(): Loading sound file", "~Plim(): Done.").size(), 0u);
        EXPECT_EQ(linesWith(lines, "ALSA(): pcm.c", "~Plim(): Done.").size(), *driver == 'a' ? 1u : 0u);
        EXPECT_FALSE(exists(run.userFolder + "crash.Corvana2demo.log"));
        EXPECT_NE(readFile(run.userFolder + "Corvana2demo.cfg").find("\nbMute=No\n"), std::string::npos);
    }
}

// Relative folders (U3_APP_DATA_PATH too) count for nothing, each said in a line: nothing goes below the game.
// Without a home folder to put the user folder in, the game says so and ends
// before it writes anything (root runs it as a user the system does not know).
TEST(Game, RelativeFoldersCountForNothingAndWithoutAnyHomeItSaysSo) {
    GameRun run;
    if (getenv("DISPLAY")) {
        run.environment = {{"U3_APP_DATA_PATH", "relu3"}, {"XDG_DATA_HOME", run.folder + "/data"}};
        run.userFolder = run.folder + "/data/Zemtrovia/Corvana2demo/2.60/";
        run.start();
        EXPECT_TRUE(run.waitForLog("Global initialization complete", 60.0)) << run.errors();
        kill(run.pid, SIGTERM);
        EXPECT_EQ(run.wait(30.0), 0) << run.errors();
        EXPECT_FALSE(exists(run.folder + "/relu3"));
        EXPECT_EQ(run.programErrors(), "Corvana2demo: U3_APP_DATA_PATH='relu3' is ignored, as it is not an absolute folder.\n");
    }
    if (!canBecomeUser(54321)) GTEST_SKIP() << OTHER_USER_NEEDS;
    run.openToOthers();
    chmod(run.folder.c_str(), 0777);
    EXPECT_EQ(WEXITSTATUS(system(("cd '" + run.folder + "' && env -i XDG_DATA_HOME=x U3_APP_DATA_PATH=relu3 setpriv --reuid=54321 --regid=54321 --clear-groups '" + GAME + "' 2>errors.txt").c_str())), 1);
    EXPECT_EQ(run.errors(), "Corvana2demo: U3_APP_DATA_PATH='relu3' is ignored, as it is not an absolute folder.\n"
                            "Corvana2demo: XDG_DATA_HOME='x' is ignored, as it is not an absolute folder.\n"
                            "Corvana2demo cannot find a folder for its user files: HOME is not set to an absolute folder and user 54321 has no home folder in the password database. Set HOME (or XDG_DATA_HOME) to an absolute folder.\n");
    EXPECT_FALSE(exists(run.folder + "/Zemtrovia") || exists(run.folder + "/x") || exists(run.folder + "/relu3"));
}

} // namespace

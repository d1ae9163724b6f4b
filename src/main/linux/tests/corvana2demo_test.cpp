// The game program: the data-folder search and whole runs of the built game
// under Xvfb, driven by real X input (xdotool).
#include "DataFolder.h"
#include "FullDisk.h"
#include "GameRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <glob.h>
#include <map>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string GAME = CORVANA2DEMO_PATH;

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

#define SKIP_WITHOUT_DISPLAY()                                                                                 \
    do {                                                                                                       \
        if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (xvfb-run)";                              \
    } while (0)

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
    touch(stale);
    run.environment = {{"LD_PRELOAD", FLOCK_AS_ON_NFS_PATH}};
    run.start();
    ASSERT_TRUE(run.waitForLog("Global initialization complete", 60.0)) << run.errors();
    EXPECT_TRUE(exists(lockFile) && !exists(stale)) << run.errors();
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

// A user folder whose name holds a picture's ending: F9 writes a JPEG there
// all the same, and the game plays on.
TEST(Game, F9WritesAScreenshotInAUserFolderNamedLikeAPicture) {
    SKIP_WITHOUT_X_INPUT();
    GameRun run;
    run.environment = {{"U3_APP_DATA_PATH", run.folder + "/pics.tga"}};
    run.userFolder = run.folder + "/pics.tga/2.60/";
    ASSERT_EQ(system(("mkdir -p '" + run.userFolder + "'").c_str()), 0);
    std::ofstream(run.userFolder + "Corvana2demo.cfg") << "[PlimGraphics]\nbFullScreen=No\n";
    run.start();
    ASSERT_TRUE(run.waitForLog("Global initialization complete", 60.0)) << run.errors();
    auto screenshots = [&run]() {
        glob_t found = {};
        glob((run.userFolder + "Corvana2demo *.jpg").c_str(), 0, nullptr, &found);
        const size_t count = found.gl_pathc;
        globfree(&found);
        return count;
    };
    // Under load a press may fall between frames: pressed until one is written.
    for (int attempt = 0; attempt < 10 && run.running() && screenshots() == 0; ++attempt) {
        press("F9");
        for (int i = 0; i < 20 && screenshots() == 0; ++i) pause(50);
    }
    EXPECT_GE(screenshots(), 1u);
    pause(500);
    ASSERT_TRUE(run.running()) << run.errors();
    kill(run.pid, SIGTERM);
    EXPECT_EQ(run.wait(30.0), 0) << run.errors();
}

TEST(Game, F9OnAFullDiskIsToldAndTheGamePlaysOn) {
    SKIP_WITHOUT_X_INPUT();
    GameRun run;
    FullDisk disk(run.userFolder.substr(0, run.userFolder.size() - 1));
    run.start(disk.mounted ? CORVANA2DEMO_PATH : CORVANA2DEMO_PRETEND_DISK_PATH);
    ASSERT_TRUE(run.waitForLog("Global initialization complete", 60.0)) << run.errors();
    disk.fill();
    const std::string told = "Corvana2demo: could not save the screenshot '" + run.userFolder + "Corvana2demo ";
    for (const TestDeadline limit; run.running() && run.errors().find(told) == std::string::npos && !limit.passed();)
        press("F9");
    EXPECT_NE(system(("ls '" + run.userFolder + "' | grep -q '^Corvana2demo '").c_str()), 0) << "no file is left";
    kill(run.pid, SIGTERM);
    EXPECT_EQ(run.wait(30.0), 0) << run.errors();
    EXPECT_NE(run.errors().find(".jpg': No space left on device.\n", run.errors().find(told)), std::string::npos);
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

// Damaged saves (and settings that are not settings text) are kept aside under
// a name of their own, logged, and shown to the player once; the game starts
// from the defaults and saves new files. A temporary file that a killed save
// left is removed; the player's own copies beside the saves stay.
TEST(Game, DamagedSavesAreKeptAsideAndThePlayerIsTold) {
    SKIP_WITHOUT_DISPLAY();
    keepDisplayOpen();
    GameRun run;
    const std::string pro = run.userFolder + "Corvana2demo.pro", hst = run.userFolder + "Corvana2demo.hst";
    const std::string damaged = std::string(200, 'p');
    std::ofstream(pro, std::ios::binary) << damaged;
    std::ofstream(hst, std::ios::binary) << std::string(40, 'h');
    std::ofstream(pro + ".tmp-Zz9Yx8") << "left by a save that was killed";
    const std::string cfg = run.userFolder + "Corvana2demo.cfg";
    std::ofstream(pro + ".backup") << "the player's copy";
    std::ofstream(cfg + ".BACKUP") << "the player's copy";
    std::ofstream(cfg, std::ios::app) << "\x89PNG\r\n\x1a\n";
    const std::string settings = readFile(cfg);
    run.start();
    for (int i = 0; i < 600 && !exists(pro + ".bad"); ++i) pause(50);
    ASSERT_TRUE(exists(pro + ".bad")) << run.errors();
    // The log is buffered: give the loader time to finish and the menus to show the notices.
    run.waitForLog("showNotices(): ", 20.0);
    kill(run.pid, SIGTERM);
    EXPECT_EQ(run.wait(30.0), 0) << run.errors();

    EXPECT_FALSE(exists(pro + ".tmp-Zz9Yx8"));
    EXPECT_EQ(readFile(pro + ".backup"), "the player's copy");
    EXPECT_EQ(readFile(cfg + ".BACKUP"), "the player's copy");
    EXPECT_EQ(readFile(pro + ".bad"), damaged);
    EXPECT_EQ(readFile(hst + ".bad"), std::string(40, 'h'));
    EXPECT_GT(readFile(pro).size(), 68u);
    EXPECT_GT(readFile(hst).size(), 68u);
    EXPECT_EQ(readFile(cfg + ".bad"), settings);
    EXPECT_NE(readFile(cfg).find("\nmaxFrameDuration=0.05000000\n"), std::string::npos);
    std::vector<std::string> lines = logLines(run.log());
    EXPECT_EQ(linesWith(lines, "keepDamagedFile(): File '" + cfg + "' is damaged (it is not text (byte 0x1a on line 4)); kept as '" + cfg + ".bad'.", "~Plim").size(), 1u);
    EXPECT_EQ(linesWith(lines, "keepDamagedFile(): File '" + hst + "' is damaged (it is too short); kept as '" + hst + ".bad'.", "~Plim").size(), 1u);
    EXPECT_EQ(linesWith(lines, "keepDamagedFile(): File '" + pro + "' is damaged (it fails its digest check); kept as '" + pro + ".bad'.", "~Plim").size(), 1u);
    const std::string told = "showNotices(): The file '" + pro + "' was damaged and has been kept as '" + pro +
                             ".bad'. The game starts from the defaults.";
    EXPECT_EQ(linesWith(lines, told, "~Plim").size(), 1u);
    EXPECT_EQ(linesWith(lines, "showNotices(): ", "~Plim").size(), 3u);
}

// Until the game has run a while: its log is there and some seconds passed.
bool startedAWhile(GameRun& run, int ms) {
    for (int i = 0; i < 600 && !exists(run.userFolder + "Corvana2demo.log"); ++i) pause(50);
    pause(ms);
    return run.running();
}

// A crash signal writes out what the log held, adds the signal and the stack,
// copies it to the crash log (no older crash picture stays beside it) and ends
// the process by that signal. The next start offers the report; a hang-up (a
// closed terminal) then ends it as SIGTERM does, saves written.
TEST(Game, ACrashSignalLeavesItsLogAndTheNextStartOffersTheReport) {
    SKIP_WITHOUT_DISPLAY();
    keepDisplayOpen();
    GameRun run;
    std::ofstream(run.userFolder + "crash.Corvana2demo.jpg") << "the picture of an older crash";
    run.start();
    ASSERT_TRUE(startedAWhile(run, 2000)) << run.errors();
    kill(run.pid, SIGSEGV);
    EXPECT_EQ(run.wait(20.0), -2);
    EXPECT_TRUE(WIFSIGNALED(run.status) && WTERMSIG(run.status) == SIGSEGV) << run.status;
    const std::string crash = readFile(run.userFolder + "crash.Corvana2demo.log");
    EXPECT_EQ(crash, run.log());
    std::vector<std::string> lines = logLines(crash);
    ASSERT_GE(lines.size(), 2u) << crash;
    EXPECT_EQ(lines[1], "Log file: " + run.userFolder + "Corvana2demo.log");
    EXPECT_EQ(linesWith(lines, "Plim(): Started.", "error()").size(), 1u) << "the buffered lines come first";
    auto report = std::find(lines.begin(), lines.end(), "error(): Fatal signal SIGSEGV (segmentation fault). Stack:");
    ASSERT_NE(report, lines.end()) << crash;
    EXPECT_NE(report[1].find("[0x"), std::string::npos) << report[1];
    EXPECT_EQ(lines.back(), "error(): Forced exit.");
    EXPECT_FALSE(exists(run.userFolder + "crash.Corvana2demo.jpg"));
    EXPECT_EQ(readFile(run.folder + "/output.txt"), "*** ERROR *** Fatal signal SIGSEGV (segmentation fault).\n");

    run.start();
    EXPECT_TRUE(run.waitForLog("addMessage(): > An error report has been found on your computer.", 30.0));
    kill(run.pid, SIGHUP);
    EXPECT_EQ(run.wait(30.0), 0) << run.errors();
    lines = logLines(run.log());
    EXPECT_EQ(linesWith(lines, "SDL_main(): Hang-up signal: shutting down.", "~Plim").size(), 1u);
    EXPECT_EQ(lines.back(), "~Plim(): Done. Clean exit.");
    for (const char* kind : {".hst", ".pro", ".cfg"})
        EXPECT_GT(readFile(run.userFolder + "Corvana2demo" + kind).size(), 68u) << kind;
}

// Under a file-size limit the log stops at the limit; the game runs on and ends
// in order. The save that fails on the way out is said on standard error and
// told in the game at the next start.
TEST(Game, UnderAFileSizeLimitAWriteFailsInsteadOfKillingTheGame) {
    SKIP_WITHOUT_DISPLAY();
    keepDisplayOpen();
    GameRun run;
    run.fileSizeLimit = 1024; // the settings fit, the saved block does not
    run.start();
    for (int i = 0; i < 600 && run.running() && run.log().size() < 1024; ++i) pause(50);
    pause(1000);
    kill(run.pid, SIGTERM);
    EXPECT_EQ(run.wait(30.0), 0) << run.errors();
    EXPECT_EQ(run.log().size(), 1024u);
    const std::string hst = run.userFolder + "Corvana2demo.hst";
    EXPECT_EQ(run.programErrors(), "Could not save '" + hst + "': File too large. Your latest changes are not kept.\n");

    run.fileSizeLimit = 0;
    run.start();
    EXPECT_TRUE(run.waitForLog("showNotices(): Could not save '" + hst + "' when the game last ended: File too large. "
                               "The changes of that game were not kept.", 60.0)) << run.errors();
    kill(run.pid, SIGTERM);
    EXPECT_EQ(run.wait(30.0), 0) << run.errors();
    EXPECT_FALSE(exists(run.userFolder + "Corvana2demo.unsaved"));
}

// A user folder the player may not write: it is still locked, and the saves
// that fail on the way out are said on standard error, once each.
TEST(Game, InAReadOnlyUserFolderTheFailedSavesAreSaidAtExit) {
    SKIP_WITHOUT_DISPLAY();
    keepDisplayOpen();
    GameRun run;
    // Only the log may be written; the archive is readable by anyone.
    run.openToOthers();
    std::ofstream(run.userFolder + "Corvana2demo.log");
    if (geteuid() == 0 && chown((run.userFolder + "Corvana2demo.log").c_str(), 65534, 65534) == 0) run.user = 65534;
    chmod(run.userFolder.c_str(), 0555);
    run.start();
    ASSERT_TRUE(startedAWhile(run, 4000)) << run.errors();
    // Each save is told at start, in one dialog, as the one that will fail.
    EXPECT_TRUE(run.waitForLog("showNotices(): ", 60.0));
    kill(run.pid, SIGTERM);
    EXPECT_EQ(run.wait(30.0), 0) << run.errors();
    chmod(run.userFolder.c_str(), 0755);
    std::string expected;
    const std::vector<std::string> lines = logLines(run.log());
    for (const char* kind : {".pro", ".hst", ".cfg"}) {
        const std::string path = run.userFolder + "Corvana2demo" + kind;
        expected += "Could not save '" + path + "': Permission denied. Your latest changes are not kept.\n";
        EXPECT_EQ(linesWith(lines, "showNotices(): The file '" + path + "' cannot be saved (Permission denied). The "
                                   "changes made in this game will not be kept.", "~Plim").size(), 1u);
    }
    // A sanitizer build's leak check may add its list of suppressions after.
    const std::string errors = run.errors();
    EXPECT_EQ(errors.substr(0, errors.find("-----")), expected);
}

// On a disk short of room the start tells the player that the saves cannot or may fail.
// Full, at exit each failure is said on standard error, the list for the next
// start's too, which cannot be written either, and the old saves stay as they
// were; with room for the saves, though not for the margin, they are written
// and nothing is said of them.
TEST(Game, OnAFullDiskTheStartSaysSoAndTheOldSavesStay) {
    SKIP_WITHOUT_DISPLAY();
    keepDisplayOpen();
    GameRun run;
    FullDisk disk(run.userFolder.substr(0, run.userFolder.size() - 1));
    // Where no small disk can be mounted, the test-only copy of the game pretends one.
    const std::string game = disk.mounted ? CORVANA2DEMO_PATH : CORVANA2DEMO_PRETEND_DISK_PATH;
    std::ofstream(run.userFolder + "Corvana2demo.cfg") << "[PlimGraphics]\nbFullScreen=No\n";
    // The log goes elsewhere, where the test can still read it.
    ASSERT_EQ(symlink((run.folder + "/game.log").c_str(), (run.userFolder + "Corvana2demo.log").c_str()), 0);
    auto runAWhile = [&](const std::string& until) {
        run.start(game);
        EXPECT_TRUE(run.waitForLog(until, 60.0)) << run.errors();
        kill(run.pid, SIGTERM);
        EXPECT_EQ(run.wait(30.0), 0) << run.errors();
    };
    runAWhile("Global initialization complete");
    std::map<std::string, std::string> saved;
    for (const char* kind : {".pro", ".hst", ".cfg"}) saved[kind] = readFile(run.userFolder + "Corvana2demo" + kind);
    disk.fill();
    const std::string hst = run.userFolder + "Corvana2demo.hst",
                      mayFail = "showNotices(): The file '" + hst + "' may not be saved (its disk has only ",
                      mayBeLost = " KiB free). The changes made in this game may not be kept.";
    runAWhile("showNotices(): The file '" + hst + "' cannot be saved (its disk has only 0 KiB free). The changes made in this game will not be kept.");
    const std::string errors = run.errors();
    for (const char* kind : {".pro", ".hst", ".cfg"}) {
        const std::string path = run.userFolder + "Corvana2demo" + kind;
        EXPECT_TRUE(!saved[kind].empty() && readFile(path) == saved[kind]) << kind;
        EXPECT_NE(errors.find("Could not save '" + path + "': No space left on device. Your latest changes are not "
                              "kept.\n"), std::string::npos) << errors;
    }
    EXPECT_NE(errors.find("Could not save '" + run.userFolder + "Corvana2demo.unsaved': No space left on device."),
              std::string::npos) << errors;

    disk.fill(560 * 1024);
    std::ofstream(run.folder + "/game.log");  // so that the last run's notice is not taken for this one's
    runAWhile(mayFail);
    const std::vector<std::string> told = linesWith(logLines(run.log()), mayFail, "~Plim");
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].substr(told[0].size() - mayBeLost.size()), mayBeLost);
    EXPECT_EQ(run.programErrors(), "");
    EXPECT_EQ(run.log().find("Cannot save"), std::string::npos);
    EXPECT_NE(readFile(hst), saved[".hst"]);
    EXPECT_FALSE(exists(run.userFolder + "Corvana2demo.unsaved"));
}

// A FIFO, a link to a device or an unreadable save is left as it is, never waited
// on; a linked save is written through its link, a read-only one kept and its
// failed save told once; a stray settings line loses nothing. As nobody under root.
TEST(Game, OddSaveFilesAreLeftAloneOrWrittenThroughTheirLinks) {
    SKIP_WITHOUT_DISPLAY();
    keepDisplayOpen();
    GameRun run;
    run.openToOthers();
    const std::string dot = run.folder + "/dotfiles/", cfg = run.userFolder + "Corvana2demo.cfg",
                      hst = run.userFolder + "Corvana2demo.hst", pro = run.userFolder + "Corvana2demo.pro";
    mkdir(dot.c_str(), 0755);
    // -h: the links themselves, never what they point to.
    auto toNobody = [&]() { return geteuid() == 0 && !system(("chown -hR 65534:65534 '" + run.folder + "'").c_str()); };
    if (toNobody()) run.user = 65534;
    auto runAWhile = [&](const char* until) {
        unlink((run.userFolder + "Corvana2demo.log").c_str());
        run.start();
        EXPECT_TRUE(run.waitForLog(until, 60.0)) << run.errors();
        kill(run.pid, SIGTERM);
        EXPECT_EQ(run.wait(30.0), 0) << run.errors();
        return logLines(run.log());
    };
    struct stat info;
    auto mode = [&](const std::string& path) { return lstat(path.c_str(), &info) == 0 ? info.st_mode : 0u; };
    runAWhile("Global initialization complete");
    const std::string saved = readFile(hst);
    ASSERT_EQ(0, system(("cd '" + run.userFolder + "' && sed 1ahello Corvana2demo.cfg >../../dotfiles/real.cfg && chmod 640 "
                         "../../dotfiles/real.cfg && ln -sf ../../dotfiles/real.cfg Corvana2demo.cfg && chmod 444 "
                         "Corvana2demo.hst && rm Corvana2demo.pro && mkfifo Corvana2demo.pro").c_str()));
    toNobody();
    std::vector<std::string> lines = runAWhile("showNotices(): ");
    EXPECT_TRUE(S_ISLNK(mode(cfg)) && (mode(dot + "real.cfg") & 07777) == 0640);
    const std::string settings = readFile(dot + "real.cfg");
    EXPECT_TRUE(settings.find("hello") == std::string::npos && settings.find("\nbFullScreen=No\n") != std::string::npos);
    EXPECT_EQ(linesWith(lines, "MemoryIniFile(): Ignoring 1 line of '" + cfg + "' that is neither a section nor a key (the first is line 2).", "~Plim").size(), 1u);
    EXPECT_TRUE(readFile(hst) == saved && (mode(hst) & 07777) == 0444);
    const std::string errors = run.errors(), told = "Could not save '" + hst + "': it is read-only. Your latest changes are not kept.\n";
    EXPECT_TRUE(errors.find(told) != std::string::npos && errors.find(told) == errors.rfind(told)) << errors;
    EXPECT_EQ(linesWith(lines, "showNotices(): The file '" + hst + "' cannot be saved (it is read-only). The changes "
                               "made in this game will not be kept.", "~Plim").size(), 1u) << "told at start";
    EXPECT_TRUE(S_ISFIFO(mode(pro)));
    EXPECT_NE(errors.find("Could not save '" + pro + "': the file there cannot be read and is kept. Your latest "
                          "changes are not kept.\n"), std::string::npos) << errors;
    EXPECT_EQ(linesWith(lines, "showNotices(): The file '" + pro + "' cannot be read (it is not a regular file). It is left as it is and nothing is saved over it; the game starts from the defaults.", "~Plim").size(), 1u);

    std::ofstream(dot + "real.cfg", std::ios::app) << "\x1a";  // damaged: set aside beside it, the link kept
    const std::string damaged = readFile(dot + "real.cfg");
    ASSERT_EQ(0, system(("chmod 0 '" + hst + "' && ln -sf /dev/zero '" + pro + "'").c_str()));
    lines = runAWhile("showNotices(): ");
    EXPECT_EQ(mode(hst) & 07777, 0u);
    chmod(hst.c_str(), 0644);
    EXPECT_TRUE(readFile(hst) == saved && S_ISLNK(mode(pro)) && !exists(hst + ".bad") && !exists(pro + ".bad"));
    EXPECT_TRUE(S_ISLNK(mode(cfg)) && readFile(dot + "real.cfg.bad") == damaged && !exists(cfg + ".bad"));
    EXPECT_NE(readFile(dot + "real.cfg").find("\nmaxFrameDuration=0.05000000\n"), std::string::npos);
    EXPECT_EQ(linesWith(lines, "keepDamagedFile(): File '" + cfg + "' is damaged (it is not text (byte 0x1a on line " + std::to_string(
              std::count(damaged.begin(), damaged.end(), '\n') + 1) + ")); kept as '" + dot + "real.cfg.bad'.", "~Plim").size(), 1u);
    EXPECT_EQ(linesWith(lines, "keepRefusedFile(): File '" + hst + "' cannot be read (Permission denied); it is left as it is and not saved over.", "~Plim").size(), 1u);
    EXPECT_EQ(linesWith(lines, "keepRefusedFile(): File '" + pro + "' cannot be read (it is not a regular file); it is left as it is and not saved over.", "~Plim").size(), 1u);
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
    if (geteuid() != 0) GTEST_SKIP() << "needs a user without a home folder (root)";
    run.openToOthers();
    chmod(run.folder.c_str(), 0777);
    EXPECT_EQ(WEXITSTATUS(system(("cd '" + run.folder + "' && env -i XDG_DATA_HOME=x U3_APP_DATA_PATH=relu3 setpriv --reuid=54321 --regid=54321 --clear-groups '" + GAME + "' 2>errors.txt").c_str())), 1);
    EXPECT_EQ(run.errors(), "Corvana2demo: U3_APP_DATA_PATH='relu3' is ignored, as it is not an absolute folder.\n"
                            "Corvana2demo: XDG_DATA_HOME='x' is ignored, as it is not an absolute folder.\n"
                            "Corvana2demo cannot find a folder for its user files: HOME is not set to an absolute folder and user 54321 has no home folder in the password database. Set HOME (or XDG_DATA_HOME) to an absolute folder.\n");
    EXPECT_FALSE(exists(run.folder + "/Zemtrovia") || exists(run.folder + "/x") || exists(run.folder + "/relu3"));
}

} // namespace

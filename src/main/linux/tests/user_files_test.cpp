// The user folder's files when something goes wrong, in whole runs of the
// built game under Xvfb: screenshots, damaged and odd saves, a crash signal,
// a file-size limit, a read-only folder and a full disk.
#include "FullDisk.h"
#include "GameRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <glob.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

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

// Damaged saves (and settings that are not settings text) are kept aside under
// a name of their own, logged, and shown to the player once; the game starts
// from the defaults and saves new files. A temporary file that a killed save
// left is removed; the player's own copies beside the saves stay.
TEST(Game, DamagedSavesAreKeptAsideAndThePlayerIsTold) {
    SKIP_WITHOUT_DISPLAY();
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

// On a full disk a crash leaves no crash log, nor a cut one where a little room
// is left, and the next start offers no report.
TEST(Game, ACrashOnAFullDiskLeavesNoReportToOffer) {
    SKIP_WITHOUT_DISPLAY();
    GameRun run;
    FullDisk disk(run.userFolder.substr(0, run.userFolder.size() - 1));
    if (!disk.mounted) GTEST_SKIP() << "needs a small disk to mount (root)";
    std::ofstream(run.userFolder + "Corvana2demo.cfg") << "[PlimGraphics]\nbFullScreen=No\n";
    for (off_t room : {0, 24 * 1024, -1}) {
        unlink((run.userFolder + "Corvana2demo.log").c_str());  // the last run's
        run.start();
        ASSERT_TRUE(run.waitForLog("Global initialization complete", 60.0)) << run.errors();
        if (room < 0) break;
        disk.fill(room);
        kill(run.pid, SIGSEGV);
        EXPECT_TRUE(run.wait(20.0) == -2 && WTERMSIG(run.status) == SIGSEGV) << run.status;
        EXPECT_FALSE(exists(run.userFolder + "crash.Corvana2demo.log")) << room << " bytes free";
        disk.free();
    }
    kill(run.pid, SIGTERM);
    EXPECT_EQ(run.wait(30.0), 0) << run.errors();
    EXPECT_EQ(run.log().find("An error report has been found"), std::string::npos);
}

// Under a file-size limit the log stops at the limit; the game runs on and ends
// in order. The save that fails on the way out is said on standard error and
// told in the game at the next start.
TEST(Game, UnderAFileSizeLimitAWriteFailsInsteadOfKillingTheGame) {
    SKIP_WITHOUT_DISPLAY();
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

} // namespace

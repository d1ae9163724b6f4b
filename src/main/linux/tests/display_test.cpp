// The built game against its display: a pointer another program holds (a
// small X client of ours, tests/pointer_holder.cpp), an X server that goes
// away, and no display at all.
#include "GameRun.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string GAME = CORVANA2DEMO_PATH;
const std::string HOLDER = POINTER_HOLDER_PATH;

// The last line of the log without its time prefix.
std::string lastLogLine(const std::string& log) {
    std::string text = log;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    std::string line = text.substr(text.rfind('\n') + 1);
    return line.substr(line.find('\t') + 1);
}

// A child whose standard output the test reads; killed and reaped at the end.
struct Child {
    pid_t pid = -1;
    int out = -1;
    explicit Child(const std::vector<std::string>& command) {
        int pipeFds[2];
        if (pipe(pipeFds) != 0) return;
        pid = fork();
        if (pid == 0) {
            dup2(pipeFds[1], 1);
            dup2(pipeFds[1], 3);
            close(pipeFds[0]);
            std::vector<char*> argv;
            for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
            argv.push_back(nullptr);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        close(pipeFds[1]);
        out = pipeFds[0];
    }
    ~Child() {
        stop();
        if (out >= 0) close(out);
    }
    // The first line it prints, "" when none comes within the time.
    std::string readLine(double seconds) {
        std::string line;
        for (int i = 0; i < int(seconds * 20); ++i) {
            struct pollfd ready = {out, POLLIN, 0};
            if (poll(&ready, 1, 50) <= 0) continue;
            char c;
            if (read(out, &c, 1) != 1) break;
            if (c == '\n') return line;
            line += c;
        }
        return std::string();
    }
    void stop() {
        if (pid <= 0) return;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
};

int probePointer() {
    int status = system((HOLDER + " probe").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool waitForProbe(int expected, double seconds) {
    for (int i = 0; i < int(seconds * 10); ++i) {
        if (probePointer() == expected) return true;
        pause(100);
    }
    return false;
}

bool gameWindowShows(double seconds) {
    for (int i = 0; i < int(seconds * 10); ++i) {
        if (system("xdotool search --onlyvisible --name '^Corvana2demo' >/dev/null 2>&1") == 0) return true;
        pause(100);
    }
    return false;
}

const char* const HELD_AT_FULL_SCREEN = "restorePresentation(): Another program holds the pointer: a window until it is free.";
const char* const HELD_AT_GRAB = "takeSystemGrab(): Another program holds the pointer: grabbing it once it is free.";
const char* const LOADED = "initPostLoader(): Global initialization complete";

// Start-up no longer waits inside SDL for a pointer that a screen locker or
// another copy holds: the window shows, the game runs, full screen and the
// grab come once the pointer is free, and SIGINT and SIGTERM end it in order
// meanwhile.
TEST(Display, APointerHeldElsewhereNeitherStopsStartUpNorTheSignals) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (xvfb-run)";
    keepDisplayOpen();
    {
        Child holder({HOLDER, "hold", "300"});
        ASSERT_EQ(holder.readLine(20.0), "held");
        GameRun run;
        std::ofstream(run.userFolder + "Corvana2demo.cfg") << "[PlimGraphics]\nbFullScreen=Yes\n";
        run.start();
        ASSERT_TRUE(run.waitForLog(HELD_AT_FULL_SCREEN, 60.0)) << run.errors();
        ASSERT_TRUE(run.waitForLog(LOADED, 60.0)) << run.errors();
        EXPECT_TRUE(gameWindowShows(20.0));
        EXPECT_EQ(probePointer(), 3) << "the holder still has it";
        holder.stop();
        EXPECT_TRUE(run.waitForLog("retryFullScreen(): The pointer is free: going full screen.", 30.0));
        EXPECT_TRUE(waitForProbe(3, 30.0)) << "the game holds the pointer";
        kill(run.pid, SIGINT);
        EXPECT_EQ(run.wait(20.0), 0) << run.errors();
        const std::string log = run.log();
        const size_t free = log.find("The pointer is free: going full screen.");
        EXPECT_NE(log.find("Best mode found 1024x768, fullscreen.", free), std::string::npos);
        EXPECT_NE(log.find("SDL_main(): Interrupt signal: shutting down."), std::string::npos);
        EXPECT_EQ(lastLogLine(log), "~Plim(): Done. Clean exit.");
        EXPECT_NE(readFile(run.userFolder + "Corvana2demo.cfg").find("\nbFullScreen=Yes\n"), std::string::npos);
    }
    {
        Child holder({HOLDER, "hold", "300"});
        ASSERT_EQ(holder.readLine(20.0), "held");
        GameRun run;
        run.start();
        ASSERT_TRUE(run.waitForLog(HELD_AT_GRAB, 60.0)) << run.errors();
        ASSERT_TRUE(run.waitForLog(LOADED, 60.0)) << run.errors();
        kill(run.pid, SIGTERM);
        EXPECT_EQ(run.wait(20.0), 0) << "did not end on SIGTERM while another program held the pointer";
        EXPECT_NE(run.log().find("SDL_main(): Termination signal: shutting down."), std::string::npos);
        EXPECT_EQ(lastLogLine(run.log()), "~Plim(): Done. Clean exit.");
        for (const char* kind : {".hst", ".pro", ".cfg"})
            EXPECT_GT(readFile(run.userFolder + "Corvana2demo" + kind).size(), 68u) << kind;
        EXPECT_EQ(probePointer(), 3) << "the holder kept it throughout";
    }
}

// The X server ends under the running game: it ends as on a hang-up, with its
// saves written and the loss in its log, and leaves no crash report.
TEST(Display, LosingTheDisplayEndsTheGameWithItsSavesWritten) {
    if (system("command -v Xvfb >/dev/null 2>&1") != 0) GTEST_SKIP() << "needs Xvfb";
    Child server({"Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"});
    const std::string number = server.readLine(30.0);
    ASSERT_FALSE(number.empty()) << "Xvfb did not start";
    const std::string display = ":" + number;
    const char* outer = getenv("DISPLAY");
    const std::string outerDisplay = outer ? outer : "";
    setenv("DISPLAY", display.c_str(), 1);
    GameRun run;
    run.start();
    if (outer) setenv("DISPLAY", outerDisplay.c_str(), 1); else unsetenv("DISPLAY");
    ASSERT_TRUE(run.waitForLog(LOADED, 60.0)) << run.errors();
    for (const char* kind : {".hst", ".pro"})
        EXPECT_FALSE(exists(run.userFolder + "Corvana2demo" + kind)) << kind << " is written only at the end";
    server.stop();
    // A killed server leaves its lock and socket behind.
    unlink(("/tmp/.X" + number + "-lock").c_str());
    unlink(("/tmp/.X11-unix/X" + number).c_str());
    EXPECT_EQ(run.wait(30.0), 1) << run.errors();
    EXPECT_EQ(run.errors(), "Corvana2demo: the connection to the display '" + display + "' was lost; the game has ended.\n");
    const std::string log = run.log();
    EXPECT_NE(log.find("onIOError(): Lost the connection to the display '" + display + "': shutting down."),
              std::string::npos);
    EXPECT_EQ(lastLogLine(log), "~Plim(): Done. Clean exit.");
    for (const char* kind : {".hst", ".pro", ".cfg"})
        EXPECT_GT(readFile(run.userFolder + "Corvana2demo" + kind).size(), 68u) << kind;
    EXPECT_FALSE(exists(run.userFolder + "crash.Corvana2demo.log"));
}

// Without a display (none set, or none there) the game says so in one line
// with the way to run it under Xvfb, and starts nothing: no SDL fallback on the
// terminal, no log, no crash report.
TEST(Display, WithoutADisplayItSaysHowToRunItAndTouchesNothing) {
    for (const std::string setting : {"unset DISPLAY", "export DISPLAY=:65000"}) {
        GameRun run;
        const std::string wrapper = run.folder + "/run.sh";
        std::ofstream(wrapper) << "#!/bin/sh\nunset SDL_VIDEODRIVER\n" << setting << "\nexec '" << GAME << "'\n";
        chmod(wrapper.c_str(), 0755);
        run.start(wrapper);
        EXPECT_EQ(run.wait(30.0), 1) << setting;
        const std::string why = setting == "unset DISPLAY" ? "DISPLAY is not set" : "the display ':65000' cannot be opened";
        EXPECT_EQ(run.errors(), "Corvana2demo needs an X display, and " + why +
                                    ". Without a screen, run it under Xvfb: xvfb-run -a -s '-screen 0 1024x768x24' " +
                                    GAME + "\n");
        const std::string output = readFile(run.folder + "/output.txt");
        EXPECT_TRUE(output.empty()) << setting << ": " << output.size() << " bytes on standard output";
        EXPECT_FALSE(exists(run.userFolder + "Corvana2demo.log")) << setting;
        EXPECT_FALSE(exists(run.userFolder + "crash.Corvana2demo.log")) << setting;
    }
}

} // namespace

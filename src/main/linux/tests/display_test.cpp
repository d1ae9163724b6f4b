// The built game against its display: a pointer another client holds
// (tests/pointer_holder.cpp), an X server that ends, none at all.
#include "GameRun.h"

#include <sys/stat.h>

namespace {

const std::string LOADED = "initPostLoader(): Global initialization complete", DONE = "~Plim(): Done. Clean exit.";

bool pointerHeldElsewhere() { return WEXITSTATUS(system(POINTER_HOLDER_PATH " probe")) == 3; }

// Start-up no longer waits inside SDL while a screen locker or another copy
// holds the pointer: the window shows and SIGTERM ends the game in order; once
// the pointer is free the game takes it and goes full screen.
TEST(Display, APointerHeldElsewhereStopsNeitherStartUpNorSignals) {
    SKIP_WITHOUT_X_INPUT();
    keepDisplayOpen();
    for (const bool release : {false, true}) {
        GameRun run;
        FILE* holder = popen("exec " POINTER_HOLDER_PATH " hold", "r");
        int holderPid = 0;
        ASSERT_TRUE(fscanf(holder, "held %d", &holderPid) == 1 && holderPid > 1);
        std::ofstream(run.userFolder + "Corvana2demo.cfg") << "[PlimGraphics]\nbFullScreen=Yes\n";
        run.start();
        ASSERT_TRUE(run.waitForLog("waitForPointer(): Another program holds the pointer: a window until it is free.", 60));
        EXPECT_TRUE(run.waitForLog(LOADED, 60) && system("xdotool search --onlyvisible --name '^Corvana2demo' >/dev/null") == 0);
        if (release) {
            kill(holderPid, SIGKILL);
            EXPECT_TRUE(run.waitForLog("retryFullScreen(): The pointer is free: going full screen.", 30));
            for (int i = 0; i < 300 && !pointerHeldElsewhere(); ++i) pause(100);
        }
        EXPECT_TRUE(pointerHeldElsewhere()) << (release ? "by the game" : "by the holder");
        kill(run.pid, release ? SIGINT : SIGTERM);
        EXPECT_EQ(run.wait(20), 0) << run.errors();
        kill(holderPid, SIGKILL);
        pclose(holder);
        EXPECT_NE(run.log().find(std::string("SDL_main(): ") + (release ? "Interrupt" : "Termination") + " signal: shutting down."),
                  std::string::npos);
        EXPECT_NE(run.log().find(DONE), std::string::npos);
        EXPECT_NE(readFile(run.userFolder + "Corvana2demo.cfg").find("\nbFullScreen=Yes\n"), std::string::npos);
    }
}

// The X server ends under the game: it ends as on a hang-up, saves written and
// the loss logged, with no crash report.
TEST(Display, LosingTheDisplayEndsTheGameWithItsSavesWritten) {
    FILE* server = popen("Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp -noreset 2>/dev/null & echo pid $!; wait", "r");
    int pid = 0, number = -1;
    char line[64];
    for (int i = 0; i < 2 && server && fgets(line, sizeof line, server); ++i)
        if (sscanf(line, "pid %d", &pid) != 1) sscanf(line, "%d", &number);
    if (pid <= 1 || number < 0) GTEST_SKIP() << "needs Xvfb";
    const std::string display = ":" + std::to_string(number), outer = getenv("DISPLAY") ? getenv("DISPLAY") : "";
    GameRun run;
    setenv("DISPLAY", display.c_str(), 1);
    run.start();
    outer.empty() ? unsetenv("DISPLAY") : setenv("DISPLAY", outer.c_str(), 1);
    ASSERT_TRUE(run.waitForLog(LOADED, 60)) << run.errors();
    EXPECT_FALSE(exists(run.userFolder + "Corvana2demo.hst"));
    kill(pid, SIGTERM); // the server removes its own lock and socket, which a later one may have taken
    pclose(server);
    EXPECT_EQ(run.wait(30), 1);
    EXPECT_EQ(run.errors(), "Corvana2demo: the connection to the display '" + display + "' was lost; the game has ended.\n");
    EXPECT_NE(run.log().find("onIOError(): Lost the connection to the display '" + display + "': shutting down."),
              std::string::npos);
    EXPECT_NE(run.log().find(DONE), std::string::npos);
    for (const char* kind : {".hst", ".pro", ".cfg"})
        EXPECT_GT(readFile(run.userFolder + "Corvana2demo" + kind).size(), 68u) << kind;
    EXPECT_FALSE(exists(run.userFolder + "crash.Corvana2demo.log"));
}

// Without a display (none named, none there, an SDL driver without OpenGL
// asked for, or OpenGL through the network refused) the game says so in one
// line, with the way to run it under Xvfb, and starts nothing: no SDL driver on
// the terminal, no log, no crash report.
TEST(Display, WithoutADisplayItSaysHowToRunItAndTouchesNothing) {
    const std::pair<std::string, std::string> settings[] = {
        {"unset DISPLAY", "DISPLAY is not set"},
        {"export DISPLAY=:65000", "the display ':65000' cannot be opened"},
        {"export SDL_VIDEODRIVER=dummy", "SDL_VIDEODRIVER asks for SDL's 'dummy' driver, which has no OpenGL (unset it)"},
        {"export SDL_VIDEODRIVER=caca", "SDL_VIDEODRIVER asks for SDL's 'caca' driver, which has no OpenGL (unset it)"},
        {"export SDL_VIDEODRIVER=; unset DISPLAY", "DISPLAY is not set"},
        {"export LIBGL_ALWAYS_INDIRECT=1", "the display '" + std::string(getenv("DISPLAY") ? getenv("DISPLAY") : "") +
                                               "' refuses its OpenGL context (BadValue (integer parameter out of range "
                                               "for operation) in X_GLXCreateContext), as X servers do for OpenGL "
                                               "through the network (ssh -X, LIBGL_ALWAYS_INDIRECT): unset "
                                               "LIBGL_ALWAYS_INDIRECT, or run it on that machine's own display"}};
    for (const auto& [setting, why] : settings) {
        // Xvfb, as the tests start it, refuses OpenGL through the network (no +iglx).
        if (setting.find("INDIRECT") != std::string::npos && !getenv("DISPLAY")) continue;
        GameRun run;
        std::ofstream(run.folder + "/run.sh") << "#!/bin/sh\nunset SDL_VIDEODRIVER\n" << setting << "\nexec " CORVANA2DEMO_PATH "\n";
        chmod((run.folder + "/run.sh").c_str(), 0755);
        run.start(run.folder + "/run.sh");
        EXPECT_EQ(run.wait(30), 1) << setting;
        EXPECT_EQ(run.errors(), "Corvana2demo needs an X display, and " + why +
                                    ". Without a screen, run it under Xvfb: xvfb-run -a -s '-screen 0 1024x768x24' " CORVANA2DEMO_PATH "\n");
        EXPECT_EQ(readFile(run.folder + "/output.txt").size(), 0u) << setting;
        EXPECT_FALSE(exists(run.userFolder + "Corvana2demo.log") || exists(run.userFolder + "crash.Corvana2demo.log"));
    }
}

// SDL_VIDEODRIVER set to nothing counts as not set: SDL's X11 driver.
TEST(Display, AnEmptyVideoDriverIsTakenAsNoneAskedFor) {
    SKIP_WITHOUT_DISPLAY();
    GameRun run;
    run.environment = {{"SDL_VIDEODRIVER", ""}};
    run.start();
    EXPECT_TRUE(run.waitForLog(LOADED, 60)) << run.errors();
    kill(run.pid, SIGTERM);
    EXPECT_EQ(run.wait(30), 0) << run.errors();
}

} // namespace

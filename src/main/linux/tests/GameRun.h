#pragma once
// The built game as a child process in a throw-away folder of its own (links
// to the data archive and the static settings, a fresh user folder with a
// windowed settings file), driven by real X input (xdotool) under Xvfb.
#include "TempFolder.h"
#include "TestDeadline.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// Under AddressSanitizer the leak check runs at exit, after SDL has closed the
// display, which unloads the OpenGL driver; the blocks the driver still held
// through its globals then show as leaks in an "<unknown module>" that no
// suppression can name. Called in the child just before exec, this preloads
// the driver (after the sanitizer runtime, which must come first) so that it
// stays loaded for the whole run. Does nothing in other builds.
inline void preloadGlDriverForLeakCheck() {
#if defined(__SANITIZE_ADDRESS__)
    const char* const driver = "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so";
    Dl_info info;
    void* runtime = dlsym(RTLD_DEFAULT, "__asan_init");
    if (!runtime || !dladdr(runtime, &info) || !info.dli_fname) return;
    const std::string asan = info.dli_fname;
    if (asan.find("libasan") == std::string::npos || access(driver, R_OK) != 0) return;
    std::string preload = asan + ":" + driver;
    const char* previous = getenv("LD_PRELOAD");
    if (previous && *previous) preload += std::string(":") + previous;
    setenv("LD_PRELOAD", preload.c_str(), 1);
#endif
}

// Returns from the test where the whole runs cannot work.
#define SKIP_WITHOUT_X_INPUT()                                                                                      \
    do {                                                                                                           \
        if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (xvfb-run)";                                   \
        if (system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "needs xdotool";                   \
    } while (0)

// Returns from the test where no X server runs it.
#define SKIP_WITHOUT_DISPLAY()                                                                                 \
    do {                                                                                                       \
        if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (xvfb-run)";                              \
    } while (0)

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

inline std::string makeTempFolder() { return makeTempFolder("corvana2demo-test-"); }

inline void pause(int ms) { usleep(useconds_t(ms) * 1000); }

inline void xdotool(const std::string& arguments) {
    if (system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()) != 0) ADD_FAILURE() << "xdotool " << arguments;
}

// A key down and up a few frames apart, so that a frame sees the press even
// when load stretches a frame past 100 ms.
inline void press(const std::string& key) {
    xdotool("keydown " + key);
    pause(160);
    xdotool("keyup " + key);
    pause(120);
}

// An X server without -noreset resets when its last client leaves, and a
// window opened during the reset fails; xdotool's short connections would
// cause just that, so the test process keeps a connection of its own.
inline void keepDisplayOpen() {
    static void* display = []() -> void* {
        void* x11 = getenv("DISPLAY") ? dlopen("libX11.so.6", RTLD_NOW | RTLD_GLOBAL) : nullptr;
        auto open = x11 ? reinterpret_cast<void* (*)(const char*)>(dlsym(x11, "XOpenDisplay")) : nullptr;
        return open ? open(nullptr) : nullptr;
    }();
    (void)display;
}

// The log's lines without their time prefixes.
inline std::vector<std::string> logLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        size_t tab = line.find('\t');
        lines.push_back(tab == std::string::npos ? line : line.substr(tab + 1));
    }
    return lines;
}

// The lines of the log that begin with prefix, up to the line stop.
inline std::vector<std::string> linesWith(const std::vector<std::string>& lines, const std::string& prefix,
                                          const std::string& stop) {
    std::vector<std::string> found;
    for (const std::string& line : lines) {
        if (line.compare(0, stop.size(), stop) == 0) break;
        if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
    }
    return found;
}

class GameRun {
public:
    // extraSettings: more lines for the [PlimGraphics] section of the user settings.
    explicit GameRun(const std::string& extraSettings = std::string()) {
        keepDisplayOpen();
        folder = makeTempFolder();
        std::string build = PLIM_TEST_BINARY_DIR;
        symlink((build + "/Corvana2demo.dat").c_str(), (folder + "/Corvana2demo.dat").c_str());
        symlink((build + "/Corvana2demo.cfg.static").c_str(), (folder + "/Corvana2demo.cfg.static").c_str());
        userFolder = folder + "/user/2.60/";
        system(("mkdir -p '" + userFolder + "'").c_str());
        std::ofstream(userFolder + "Corvana2demo.cfg") << "[PlimGraphics]\nbFullScreen=No\n" << extraSettings;
    }
    ~GameRun() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        system(("rm -rf '" + folder + "'").c_str());
    }
    GameRun(const GameRun&) = delete;
    GameRun& operator=(const GameRun&) = delete;

    // Lets another user (run.user) run the game here: the archive copied out of
    // the build, the folder open to all.
    void openToOthers() {
        const std::string archive = folder + "/Corvana2demo.dat";
        ASSERT_EQ(system(("cp --remove-destination \"$(readlink '" + archive + "')\" '" + archive + "'").c_str()), 0);
        chmod(archive.c_str(), 0644);
        chmod(folder.c_str(), 0755);
    }
    // A copy of the game in bin/ with its own data beside it (the data it
    // takes before the working folder's); returns the program's path.
    std::string copyProgram() const {
        const std::string bin = folder + "/bin", build = PLIM_TEST_BINARY_DIR;
        mkdir(bin.c_str(), 0755);
        EXPECT_EQ(system(("cp '" CORVANA2DEMO_PATH "' '" + build + "/Corvana2demo.dat' '" + build +
                          "/Corvana2demo.cfg.static' '" + bin + "/'").c_str()), 0);
        return bin + "/corvana2demo";
    }
    // As from a shell in the folder; standard output and error go to files there.
    void start(const std::string& program = CORVANA2DEMO_PATH) { pid = spawn(program, ""); }
    // Another copy in the same folder, its output going to files named with prefix.
    pid_t spawn(const std::string& program, const std::string& prefix) {
        pid_t child = fork();
        if (child == 0) {
            if (chdir(folder.c_str()) != 0) _exit(99);
            setenv("U3_APP_DATA_PATH", (folder + "/user").c_str(), 1);
            setenv("SDL_VIDEODRIVER", "x11", 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            for (const auto& variable : environment) setenv(variable.first.c_str(), variable.second.c_str(), 1);
            preloadGlDriverForLeakCheck();
            freopen((prefix + "output.txt").c_str(), "w", stdout);
            freopen((prefix + "errors.txt").c_str(), "w", stderr);
            if (fileSizeLimit > 0) {
                struct rlimit limit = {fileSizeLimit, fileSizeLimit};
                setrlimit(RLIMIT_FSIZE, &limit);
            }
            if (user >= 0 && (setgid(gid_t(user)) != 0 || setuid(uid_t(user)) != 0)) _exit(97);
            execl(program.c_str(), program.c_str(), (char*)nullptr);
            _exit(98);
        }
        return child;
    }
    // The exit status of a spawned copy; -1 when it had to be killed.
    static int waitFor(pid_t child, double seconds = TestDeadline::SECONDS) {
        int childStatus = 0;
        if (TestDeadline::waitFor([&] { return waitpid(child, &childStatus, WNOHANG) == child; }, seconds, 50))
            return WIFEXITED(childStatus) ? WEXITSTATUS(childStatus) : -2;
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        return -1;
    }
    // True once the log holds text (false after the timeout or when the game ended).
    bool waitForLog(const std::string& text, double seconds = TestDeadline::SECONDS) {
        TestDeadline::waitFor([&] { return log().find(text) != std::string::npos || !running(); }, seconds, 50);
        return log().find(text) != std::string::npos;
    }
    // The screen on top as the log last named it ("" before the first).
    std::string topScreen() const {
        const std::string text = log(), key = "activateTop(): ";
        size_t at = text.rfind(key);
        if (at == std::string::npos) return std::string();
        at += key.size();
        return text.substr(at, text.find('\n', at) - at);
    }
    // True once the screen is on top (false after the timeout or when the game ended).
    bool waitForScreen(const std::string& name, double seconds = TestDeadline::SECONDS) {
        TestDeadline::waitFor([&] { return topScreen() == name || !running(); }, seconds, 50);
        return topScreen() == name;
    }
    bool running() { return pid > 0 && wait4(pid, &status, WNOHANG, &usage) == 0; }
    // The exit status; -1 when it had to be killed.
    int wait(double seconds = TestDeadline::SECONDS) {
        TestDeadline::waitFor([&] { return !running(); }, seconds, 50);
        if (running()) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            pid = -1;
            return -1;
        }
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    }
    std::string errors() const { return readFile(folder + "/errors.txt"); }
    // What the program itself wrote there: a sanitizer build adds the
    // suppressions it used after a line of dashes.
    std::string programErrors() const {
        const std::string all = errors();
        return all.substr(0, all.find("-----------------------------------------------------\nSuppressions used:"));
    }
    std::string log() const { return readFile(userFolder + "Corvana2demo.log"); }

    std::string folder, userFolder;
    pid_t pid = -1;
    int status = 0;      // the last wait's raw status
    struct rusage usage = {};  // what the ended program used (ru_maxrss: its peak in KiB)
    int user = -1;       // run as this user and group (from root)
    rlim_t fileSizeLimit = 0;  // bytes a file may grow to (ulimit -f); 0: none
    std::vector<std::pair<std::string, std::string>> environment;  // set for the copies started next
};

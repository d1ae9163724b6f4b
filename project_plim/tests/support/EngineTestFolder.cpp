#include "EngineTestFolder.h"
#include "TempFolder.h"

#include <csignal>
#include <cstdio>
#include <dlfcn.h>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

namespace {
const char* const VERSION_FOLDER = "2.60";

// An X server started without -noreset resets whenever its last client leaves,
// and a window opened during the reset fails. Tests open and close the engine's
// window many times, so the process keeps one idle connection of its own.
// The OpenGL driver libraries are pinned as well: SDL unloads them when it
// quits, after which the leak checker cannot name (or suppress) their frames.
// (libGLX_mesa must stay unpinned: a second window would find no visual.)
void keepDisplayOpen() {
    static void* display = []() -> void* {
        if (!getenv("DISPLAY")) return nullptr;
        for (const char* lib : {"libglapi.so.0", "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so"})
            dlopen(lib, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
        void* x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_GLOBAL);
        if (!x11) return nullptr;
        auto openDisplay = reinterpret_cast<void* (*)(const char*)>(dlsym(x11, "XOpenDisplay"));
        return openDisplay ? openDisplay(nullptr) : nullptr;
    }();
    (void)display;
}
} // namespace

EngineTestFolder::EngineTestFolder() {
    keepDisplayOpen();
    char buffer[4096];
    if (getcwd(buffer, sizeof buffer)) previousFolder = buffer;
    root = makeTempFolder("plimtest.");
    setenv("U3_APP_DATA_PATH", (root + "/data").c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (chdir(root.c_str()) != 0) perror("chdir");
}

EngineTestFolder::~EngineTestFolder() {
    if (!previousFolder.empty() && chdir(previousFolder.c_str()) != 0) perror("chdir");
    std::string command = "rm -rf '" + root + "'";
    if (system(command.c_str()) != 0) perror("rm");
}

void EngineTestFolder::writeStaticSettings(const char* omitKey) const {
    const char* const lines[][2] = {
        {"[Language]", nullptr},       {"bMultilanguage", "Yes"}, {"singleLanguage", "0"},
        {"[Edition]", nullptr},        {"bHoliday", "No"},        {"[Graphics]", nullptr},
        {"ditherDepth", "0"},          {"[Input]", nullptr},      {"hardwareMouseScaling", "1.00000000"},
    };
    std::ostringstream text;
    for (const auto& line : lines) {
        if (!line[1])
            text << line[0] << "\n";
        else if (!omitKey || std::string(omitKey) != line[0])
            text << line[0] << "=" << line[1] << "\n";
    }
    writeFile(root + "/Corvana2demo.cfg.static", text.str());
}

void EngineTestFolder::writeUserSettings(const std::string& extra, bool fullScreen) const {
    std::string command = "mkdir -p '" + userFolder() + "'";
    if (system(command.c_str()) != 0) perror("mkdir");
    writeFile(userSettingsPath(), std::string("[PlimGraphics]\nbFullScreen=") + (fullScreen ? "Yes" : "No") +
                                      "\n[PlimInput]\nbTrackJoystick=No\n" + extra);
}

std::string EngineTestFolder::userFolder() const { return root + "/data/" + VERSION_FOLDER + "/"; }

std::string EngineTestFolder::userSettingsPath() const { return userFolder() + "Corvana2demo.cfg"; }

std::string EngineTestFolder::logPath() const { return userFolder() + "Corvana2demo.log"; }

std::string EngineTestFolder::crashLogPath() const { return userFolder() + "crash.Corvana2demo.log"; }

std::string EngineTestFolder::readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool EngineTestFolder::exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

void EngineTestFolder::writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

void EngineTestFolder::routeStdoutToStderr() {
    fflush(stdout);
    dup2(2, 1);
}

void EngineTestFolder::limitFileSize(long bytes) {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit;
    limit.rlim_cur = limit.rlim_max = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

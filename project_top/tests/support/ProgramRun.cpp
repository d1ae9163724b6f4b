#include "ProgramRun.h"

#include "PretendDisk.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

ProgramRun::ProgramRun() {
    EngineTestFolder::writeFile(folder.root + "/Corvana2demo.cfg.static",
                                "[Language]\nbMultilanguage=No\nsingleLanguage=0\n[Edition]\nbHoliday=No\n"
                                "[Graphics]\nditherDepth=0\n[Input]\nhardwareMouseScaling=1.0\n");
    folder.writeUserSettings();
    std::string archive = std::string(PLIM_TEST_BINARY_DIR) + "/Corvana2demo.dat";
    if (symlink(archive.c_str(), (folder.root + "/Corvana2demo.dat").c_str()) != 0) perror("symlink");
}

ProgramRun::~ProgramRun() {
    if (child > 0) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
}

void ProgramRun::start(ApplicationFactory factory) {
    fflush(stdout);
    fflush(stderr);
    child = fork();
    if (child == 0) {
        if (!errorsPath.empty() && !freopen(errorsPath.c_str(), "w", stderr)) _exit(99);
        PretendDisk::useNamedInEnvironment();
        applicationFactory = factory;
        int result = SDL_main(0, nullptr);
        // Screens that a quit key leaves on the stack stay alive to the end by
        // design; skip the leak check's exit handlers.
        fflush(stdout);
        fflush(stderr);
        _exit(result);
    }
}

int ProgramRun::wait(double seconds) {
    int status = 0;
    if (TestDeadline::waitFor([&] { return waitpid(child, &status, WNOHANG) == child; }, seconds)) {
        child = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    child = -1;
    return -1;
}

bool ProgramRun::waitForFile(const std::string& name, double seconds) const {
    return TestDeadline::waitFor([&] { return EngineTestFolder::exists(folder.root + "/" + name); }, seconds);
}

std::string ProgramRun::read(const std::string& name) const { return EngineTestFolder::readFile(folder.root + "/" + name); }

void writeMarker(const std::string& name, const std::string& text) {
    std::string temporary = name + ".part";
    std::ofstream(temporary) << text;
    rename(temporary.c_str(), name.c_str());
}

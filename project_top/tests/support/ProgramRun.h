#pragma once
// Runs the game's own entry loop (SDL_main) in a child process, with an
// application object of the test's choosing, in a throw-away folder that holds
// the game's data archive, static settings and a windowed user settings file.
// The child's screens talk back through files in that folder. A disk that the
// test pretends (PretendDisk) in the environment is the child's.
#include "EngineTestFolder.h"
#include "TestDeadline.h"
#include "app/WMhooks.h"

#include <string>
#include <sys/types.h>

class ProgramRun {
public:
    ProgramRun();
    // Kills a child still running.
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    // Forks; the child installs the factory and ends with SDL_main's result.
    void start(ApplicationFactory factory);
    // The child's exit status; -1 when it had to be killed after the timeout,
    // -2 when it died from a signal.
    int wait(double seconds = TestDeadline::SECONDS);
    // True once the file exists in the folder (false after the timeout).
    bool waitForFile(const std::string& name, double seconds = TestDeadline::SECONDS) const;
    // A file of the folder ("" when missing).
    std::string read(const std::string& name) const;
    std::string log() const { return EngineTestFolder::readFile(folder.logPath()); }

    EngineTestFolder folder;
    pid_t child = -1;
    std::string errorsPath;  // where the child's standard error goes, when set
};

// Writes text to a file of the working folder (what the child's screens use).
void writeMarker(const std::string& name, const std::string& text = std::string());

// The game's start-up on Linux: finds the folder that holds the data archive,
// checks its data, makes it the working folder (every data file is read
// relative to it, like the bundle's resource folder elsewhere), takes the lock
// on the user folder, sets up how crashes, signals and a lost display end the
// game, and runs the entry loop. A set-up problem (data, display, user folder)
// ends the start in one line, status 1, before anything is written.
#include "DataCheck.h"
#include "DataFolder.h"
#include "DisplayCheck.h"
#include "StandardStreams.h"
#include "render/DisplayLink.h"
#include "util/PlimUtil.h"
#include "core/ProcessSignals.h"
#include "files/ReplaceFile.h"
#include "files/UserFolderCheck.h"
#include "files/UserFolderLock.h"
#include "app/WMhooks.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#ifndef CORVANA2DEMO_DATA_DIR
#define CORVANA2DEMO_DATA_DIR "/usr/local/share/corvana2demo"
#endif

namespace {

// The data beside the program first, then where the build installs it, and
// the working folder last, so that a stray archive where the game is started
// is never taken for its own. Empty once in the data folder; else the line to say.
std::string enterDataFolder() {
    const std::string archive = std::string(PLIM_BUILD_NAME) + ".dat";
    char cwd[4096];
    const std::string working = getcwd(cwd, sizeof cwd) ? std::string(cwd) : std::string(".");
    const std::vector<std::string> candidates = {executableFolder(), CORVANA2DEMO_DATA_DIR, working};
    const std::string folder = findDataFolder(candidates, archive);
    if (folder.empty()) {
        const std::string unreadable = unreadableDataMessage(candidates, archive);
        return unreadable.empty() ? missingDataMessage(candidates, archive) : unreadable;
    }
    const std::string problem = dataProblem(folder);
    if (!problem.empty()) return problem;
    if (chdir(folder.c_str()) != 0) return "Cannot enter the game's data folder '" + folder + "': " + strerror(errno) + ".\n";
    return std::string();
}

std::string lineOf(const UString& text) { return text.isEmpty() ? std::string() : text.str() + "\n"; }

// Every check that can end the start, in order; the first problem's line.
std::string setUpProblem(const std::string& program) {
    std::string problem = enterDataFolder();
    if (problem.empty()) problem = lineOf(userFolderProblem());
    if (problem.empty()) problem = missingDisplayMessage(program);
    if (problem.empty()) problem = lineOf(UserFolderCheck::makeProblem());
    return problem;
}

// One copy per user folder; a second one leaves every file alone (false).
// Where the folder cannot be locked at all, the game runs unguarded rather
// than not at all.
bool lockUserFolder(UserFolderLock& lock) {
    const UString folder = getUserDataFolder(true);
    if (!lock.acquire(folder)) {
        if (lock.problem.isEmpty()) {
            fprintf(stderr, "%s is already running (its user folder '%s' is in use).\n", PLIM_BUILD_NAME,
                    folder.c_str());
            return false;
        }
        fprintf(stderr, "Cannot lock '%s': %s\n", lock.path.c_str(), lock.problem.c_str());
        return true;
    }
    if (!lock.pathProblem.isEmpty())
        fprintf(stderr,
                "%s cannot lock its user folder's path (%s): only the folder itself is locked, which does not keep "
                "a second copy out once the folder is removed and made again.\n",
                PLIM_BUILD_NAME, lock.pathProblem.c_str());
    // Saves cut short by a kill left their temporary files; no one else writes here.
    for (const char* kind : {".cfg", ".hst", ".pro"}) removeStaleTempFiles(folder + PLIM_BUILD_NAME + kind);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    reopenClosedStandardStreams();
    const std::string problem = setUpProblem(argc > 0 ? argv[0] : "corvana2demo");
    if (!problem.empty()) {
        fputs(problem.c_str(), stderr);
        return 1;
    }
    for (const UString& line : UserFolderCheck::ignoredVariables()) fprintf(stderr, "%s\n", line.c_str());
    UserFolderLock lock;
    if (!lockUserFolder(lock)) return 1;
    ProcessSignals::install();
    DisplayLink::onLoss(endAfterLostDisplay);
    return SDL_main(argc, argv);
}

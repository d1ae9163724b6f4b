// The game's start-up on Linux: finds the folder that holds the data archive,
// makes it the working folder (every data file is read relative to it, like
// the bundle's resource folder elsewhere), takes the lock on the user folder,
// sets up how crashes, signals and a lost display end the game, and runs the
// entry loop. Without a display it says so and ends before it writes anything.
#include "DataFolder.h"
#include "DisplayCheck.h"
#include "render/DisplayLink.h"
#include "util/PlimUtil.h"
#include "core/ProcessSignals.h"
#include "files/ReplaceFile.h"
#include "files/UserFolderLock.h"
#include "app/WMhooks.h"

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#ifndef CORVANA2DEMO_DATA_DIR
#define CORVANA2DEMO_DATA_DIR "/usr/local/share/corvana2demo"
#endif

int main(int argc, char** argv) {
    const std::string archive = std::string(PLIM_BUILD_NAME) + ".dat";
    char cwd[4096];
    std::string working = getcwd(cwd, sizeof cwd) ? std::string(cwd) : std::string(".");
    std::vector<std::string> candidates = {working, executableFolder(), CORVANA2DEMO_DATA_DIR};
    std::string folder = findDataFolder(candidates, archive);
    if (folder.empty()) {
        std::string unreadable = unreadableDataMessage(candidates, archive);
        fputs((unreadable.empty() ? missingDataMessage(candidates, archive) : unreadable).c_str(), stderr);
        return 1;
    }
    if (chdir(folder.c_str()) != 0) {
        perror(folder.c_str());
        return 1;
    }
    const UString noUserFolder = userFolderProblem();
    if (!noUserFolder.isEmpty()) {
        fprintf(stderr, "%s\n", noUserFolder.c_str());
        return 1;
    }
    const std::string noDisplay = missingDisplayMessage(argc > 0 ? argv[0] : "corvana2demo");
    if (!noDisplay.empty()) {
        fputs(noDisplay.c_str(), stderr);
        return 1;
    }
    // One copy per user folder; a second one leaves every file alone. Where the
    // folder cannot be locked at all, the game runs unguarded rather than not at all.
    UserFolderLock lock;
    if (!lock.acquire(getUserDataFolder(true))) {
        if (lock.problem.isEmpty()) {
            fprintf(stderr, "%s is already running (its user folder '%s' is in use).\n", PLIM_BUILD_NAME,
                    getUserDataFolder(true).c_str());
            return 0;
        }
        fprintf(stderr, "Cannot lock '%s': %s\n", lock.path.c_str(), lock.problem.c_str());
    } else {
        // Saves cut short by a kill left their temporary files; no one else writes here.
        for (const char* kind : {".cfg", ".hst", ".pro"})
            removeStaleTempFiles(getUserDataFolder(true) + PLIM_BUILD_NAME + kind);
    }
    ProcessSignals::install();
    DisplayLink::onLoss(endAfterLostDisplay);
    return SDL_main(argc, argv);
}

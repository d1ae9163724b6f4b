#include "StartChecks.h"

#include "DataCheck.h"
#include "DataFolder.h"
#include "DisplayCheck.h"
#include "StartLine.h"
#include "UserFolderCheck.h"

#include "core/ErrorManager.h"
#include "core/Logger.h"
#include "files/PrintableText.h"
#include "files/ReplaceFile.h"
#include "files/UserFolderLock.h"
#include "util/PlimUtil.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

#ifndef CORVANA2DEMO_DATA_DIR
#define CORVANA2DEMO_DATA_DIR "/usr/local/share/corvana2demo"
#endif

// The data before anything that depends on it, the user folder made last:
// a start that ends leaves nothing behind.
const StartChecks::Check StartChecks::CHECKS[] = {
    &StartChecks::findData,
    &StartChecks::dataArchive,
    &StartChecks::staticSettings,
    &StartChecks::enterDataFolder,
    &StartChecks::userFolderPlace,
    &StartChecks::display,
    &StartChecks::userFolder,
};

StartChecks::StartChecks(const std::string& program) : program(program) {}

bool StartChecks::pass(UserFolderLock& lock) {
    // Before any problem line: a variable the player set may be why.
    for (const std::string& line : UserFolderCheck::ignoredVariables()) fputs(line.c_str(), stderr);
    for (Check check : CHECKS) {
        const std::string problem = (this->*check)();
        if (!problem.empty()) {
            fputs(problem.c_str(), stderr);
            return false;
        }
    }
    UserFolderCheck::settleHome();
    return lockUserFolder(lock);
}

// The data beside the program first, then where the build installs it, and
// the working folder last, so that a stray archive where the game is started
// is never taken for its own.
std::string StartChecks::findData() {
    const std::string archive = std::string(PLIM_BUILD_NAME) + ".dat";
    char cwd[4096];
    const std::string working = getcwd(cwd, sizeof cwd) ? std::string(cwd) : std::string(".");
    const std::vector<std::string> candidates = {executableFolder(), CORVANA2DEMO_DATA_DIR, working};
    dataFolder = findDataFolder(candidates, archive);
    if (!dataFolder.empty()) return std::string();
    const std::string unreadable = unreadableDataMessage(candidates, archive);
    return unreadable.empty() ? missingDataMessage(candidates, archive) : unreadable;
}

std::string StartChecks::dataArchive() { return dataArchiveProblem(dataFolder); }

std::string StartChecks::staticSettings() { return staticSettingsProblem(dataFolder); }

// Every data file is read relative to the data folder, like the bundle's
// resource folder elsewhere.
std::string StartChecks::enterDataFolder() {
    if (chdir(dataFolder.c_str()) == 0) return std::string();
    const int failure = errno;
    return startLine(" cannot enter its data folder " + quotedValue(dataFolder) + ": " + strerror(failure) + ".");
}

std::string StartChecks::userFolderPlace() { return UserFolderCheck::placeProblem(); }

std::string StartChecks::display() { return missingDisplayMessage(program); }

std::string StartChecks::userFolder() { return UserFolderCheck::makeProblem(); }

// One copy per user folder; a second one leaves every file alone (false).
// Where the folder cannot be locked at all, the game runs unguarded rather
// than not at all.
bool StartChecks::lockUserFolder(UserFolderLock& lock) {
    const UString folder = getUserDataFolder(true);
    const std::string limit = formatString("%.0f s", UserFolderLock::WAIT_LIMIT_SECONDS).str();
    const auto waiting = [&limit](const UString& lockFolder) {
        fputs(startLine(" is waiting for its lock folder " + quotedValue(lockFolder.str()) +
                        ", which another program holds; it gives up after " + limit + ".").c_str(),
              stderr);
    };
    if (!lock.acquire(folder, waiting)) {
        if (!lock.heldLockFolder.isEmpty()) {
            fputs(startLine(" gave up waiting for its lock folder " + quotedValue(lock.heldLockFolder.str()) +
                            ": another program has held it for " + limit + ". End that program.").c_str(),
                  stderr);
            return false;
        }
        if (lock.problem.isEmpty()) {
            fputs(startLine(" is already running (its user folder " + quotedValue(folder.str()) + " is in use).").c_str(),
                  stderr);
            return false;
        }
        fputs(startLine(" cannot lock " + quotedValue(folder.str()) + ": " + lock.problem.str() + ".").c_str(), stderr);
        return true;
    }
    if (!lock.pathProblem.isEmpty())
        fputs(startLine(" cannot lock its user folder's path (" + printableText(lock.pathProblem.str()) +
                        "): only the folder itself is locked, which does not keep a second copy out once the folder " +
                        "is removed and made again.").c_str(),
              stderr);
    // Saves and crash copies cut short by a kill left their temporary files; no one else writes here.
    for (const char* kind : {".cfg", ".hst", ".pro"}) removeStaleTempFiles(folder + PLIM_BUILD_NAME + kind);
    removeStaleTempFiles(Logger::crashLogPath());
    removeStaleTempFiles(ErrorManager::crashScreenshotPath());
    return true;
}

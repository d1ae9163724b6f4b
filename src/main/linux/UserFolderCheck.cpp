#include "UserFolderCheck.h"

#include "StartLine.h"

#include "util/PlimUtil.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The home folder the user folder goes under; empty when U3_APP_DATA_PATH or
// XDG_DATA_HOME decides instead.
std::string homeInUse() { return userFolderVariable() >= HOME_FOLDER ? findHome().str() : std::string(); }

// Why home cannot hold the user folder; empty when it is a folder.
std::string homeProblem(const std::string& home) {
    struct stat info;
    const int failure = stat(home.c_str(), &info) == 0 ? 0 : errno;
    const std::string shown = "the home folder " + quotedValue(home);
    if (failure == ENOENT) return shown + " does not exist";
    if (failure != 0) return shown + " cannot be reached (" + strerror(failure) + ")";
    return S_ISDIR(info.st_mode) ? std::string() : shown + " is not a folder";
}

// The first level of folder that is not a folder and cannot be made, with why.
std::string firstLevelProblem(const std::string& folder) {
    for (size_t at = folder.find('/', 1); at != std::string::npos; at = folder.find('/', at + 1)) {
        const std::string level = folder.substr(0, at);
        if (level.empty() || isFolder(level) || mkdir(level.c_str(), 0755) == 0) continue;
        const int failure = errno;
        const std::string shown = quotedValue(level);
        if (failure == EEXIST) return shown + " is there and is not a folder";
        return shown + " cannot be made (" + strerror(failure) + ")";
    }
    return std::string();
}

} // namespace

std::vector<std::string> UserFolderCheck::ignoredVariables() {
    std::vector<std::string> lines;
    for (int i = APP_DATA_PATH; i < userFolderVariable(); ++i) {
        const char* value = getenv(USER_FOLDER_VARIABLES[i]);
        if (value && *value)
            lines.push_back(startLine(std::string(": ") + USER_FOLDER_VARIABLES[i] + "=" + quotedValue(value) +
                                      " is ignored, as it is not an absolute folder."));
    }
    return lines;
}

std::string UserFolderCheck::placeProblem() {
    if (userFolderVariable() == APP_DATA_PATH || !findDataHome().isEmpty()) return std::string();
    return startLine(" cannot find a folder for its user files: HOME is not set to an absolute folder and user " +
                     std::to_string(getuid()) + " has no home folder in the password database. Set HOME (or " +
                     "XDG_DATA_HOME) to an absolute folder.");
}

std::string UserFolderCheck::makeProblem() {
    const std::string home = homeInUse();
    std::string why = home.empty() ? std::string() : homeProblem(home);
    std::string folder;
    if (why.empty()) {
        folder = getUserDataFolder(true).str();
        if (!folder.empty() && isFolder(folder)) return std::string();
        why = firstLevelProblem(folder);
        if (why.empty()) why = "it is not a folder";
    }
    return startLine(" cannot make its user folder" + (folder.empty() ? "" : " " + quotedValue(folder)) + ": " + why +
                     ". Set U3_APP_DATA_PATH (or HOME) to a folder you can write.");
}

void UserFolderCheck::settleHome() {
    const char* home = getenv(USER_FOLDER_VARIABLES[HOME_FOLDER]);
    if (!home || userFolderVariable(HOME_FOLDER) == HOME_FOLDER) return;
    const UString used = findHome();
    if (used.isEmpty())
        unsetenv(USER_FOLDER_VARIABLES[HOME_FOLDER]);
    else
        setenv(USER_FOLDER_VARIABLES[HOME_FOLDER], used.c_str(), 1);
}

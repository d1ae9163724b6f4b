#include "UserFolderCheck.h"

#include "files/PrintableText.h"
#include "util/PlimUtil.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const FOLDER_VARIABLES[] = {"U3_APP_DATA_PATH", "XDG_DATA_HOME", "HOME"};

bool isFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The home folder the user folder goes under; empty when U3_APP_DATA_PATH or
// XDG_DATA_HOME decides instead.
std::string homeInUse() {
    if (environmentFolder("U3_APP_DATA_PATH") || environmentFolder("XDG_DATA_HOME")) return std::string();
    return findHome().str();
}

// Why home cannot hold the user folder; empty when it is a folder.
std::string homeProblem(const std::string& home) {
    struct stat info;
    const int failure = stat(home.c_str(), &info) == 0 ? 0 : errno;
    const std::string shown = "the home folder '" + printableText(home) + "'";
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
        const std::string shown = "'" + printableText(level) + "'";
        if (failure == EEXIST) return shown + " is there and is not a folder";
        return shown + " cannot be made (" + strerror(failure) + ")";
    }
    return std::string();
}

} // namespace

std::vector<std::string> UserFolderCheck::ignoredVariables() {
    std::vector<std::string> lines;
    for (const char* name : FOLDER_VARIABLES) {
        const char* value = getenv(name);
        if (!value || !*value) continue;
        if (environmentFolder(name)) break;
        lines.push_back(std::string(PLIM_BUILD_NAME) + ": " + name + "='" + printableText(std::string(value)) +
                        "' is ignored, as it is not an absolute folder.\n");
    }
    return lines;
}

std::string UserFolderCheck::placeProblem() {
    if (environmentFolder("U3_APP_DATA_PATH") || !findDataHome().isEmpty()) return std::string();
    return std::string(PLIM_BUILD_NAME) + " cannot find a folder for its user files: HOME is not set to an absolute " +
           "folder and user " + std::to_string(getuid()) + " has no home folder in the password database. Set HOME " +
           "(or XDG_DATA_HOME) to an absolute folder.\n";
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
    return std::string(PLIM_BUILD_NAME) + " cannot make its user folder" +
           (folder.empty() ? "" : " '" + printableText(folder) + "'") + ": " + why +
           ". Set U3_APP_DATA_PATH (or HOME) to a folder you can write.\n";
}

#include "UserFolderCheck.h"

#include "util/PlimUtil.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
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
    for (const char* name : {"U3_APP_DATA_PATH", "XDG_DATA_HOME"}) {
        const char* value = getenv(name);
        if (value && value[0] == '/') return std::string();
    }
    return findHome().str();
}

// The first level of folder that is not a folder and cannot be made, with why.
std::string firstLevelProblem(const std::string& folder) {
    for (size_t at = folder.find('/', 1); at != std::string::npos; at = folder.find('/', at + 1)) {
        const std::string level = folder.substr(0, at);
        if (level.empty() || isFolder(level) || mkdir(level.c_str(), 0755) == 0) continue;
        if (errno == EEXIST) return "'" + level + "' is there and is not a folder";
        return "'" + level + "' cannot be made (" + strerror(errno) + ")";
    }
    return std::string();
}

} // namespace

std::vector<UString> UserFolderCheck::ignoredVariables() {
    std::vector<UString> lines;
    for (const char* name : FOLDER_VARIABLES) {
        const char* value = getenv(name);
        if (!value || !*value) continue;
        if (value[0] == '/') break;
        lines.push_back(formatString("%s: %s='%s' is ignored, as it is not an absolute folder.", PLIM_BUILD_NAME,
                                     name, value));
    }
    return lines;
}

UString UserFolderCheck::makeProblem() {
    const std::string home = homeInUse();
    std::string why;
    if (!home.empty() && !isFolder(home)) why = "the home folder '" + home + "' does not exist";
    std::string folder;
    if (why.empty()) {
        folder = getUserDataFolder(true).str();
        if (!folder.empty() && isFolder(folder)) return UString();
        why = firstLevelProblem(folder);
        if (why.empty()) why = "it is not a folder";
    }
    return formatString("%s cannot make its user folder%s: %s. Set U3_APP_DATA_PATH (or HOME) to a folder you can "
                        "write.",
                        PLIM_BUILD_NAME, folder.empty() ? "" : (" '" + folder + "'").c_str(), why.c_str());
}

#include "DataFolder.h"

#include "StartLine.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::string findDataFolder(const std::vector<std::string>& candidates, const std::string& archiveName) {
    for (const std::string& folder : candidates) {
        if (folder.empty()) continue;
        struct stat info;
        std::string path = folder + "/" + archiveName;
        if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), R_OK) == 0)
            return folder;
    }
    return std::string();
}

std::string executableFolder() {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return std::string();
    std::string exe(path, size_t(length));
    size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : slash == 0 ? std::string("/") : exe.substr(0, slash);
}

std::string missingDataMessage(const std::vector<std::string>& candidates, const std::string& archiveName) {
    std::vector<std::string> folders;
    for (const std::string& folder : candidates)
        if (!folder.empty()) folders.push_back(quotedValue(folder));
    std::string list;
    for (size_t i = 0; i < folders.size(); ++i)
        list += (i == 0 ? "" : i + 1 == folders.size() ? " or " : ", ") + folders[i];
    return startLine(" cannot find the game data " + quotedValue(archiveName) + " in " + list +
                     ". Put it beside the program, or install the game (" + DATA_REBUILD_HINT + ").");
}

std::string unreadableDataMessage(const std::vector<std::string>& candidates, const std::string& archiveName) {
    for (const std::string& folder : candidates) {
        if (folder.empty()) continue;
        std::string path = folder + "/" + archiveName;
        struct stat info;
        if (stat(path.c_str(), &info) != 0) continue;
        std::string reason;
        if (S_ISDIR(info.st_mode)) {
            reason = strerror(EISDIR);
        } else if (!S_ISREG(info.st_mode)) {
            reason = "it is not a regular file";
        } else {
            int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                close(fd);
                continue;
            }
            reason = strerror(errno);
        }
        return startLine(" cannot read " + quotedValue(path) + ": " + reason + ". Put the game's own data archive there (" +
                         DATA_REBUILD_HINT + ").");
    }
    return std::string();
}

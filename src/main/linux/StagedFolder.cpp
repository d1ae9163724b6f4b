#include "StagedFolder.h"

#include "files/ReplaceFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string because(const std::string& what, const std::string& path, int error) {
    return what + " '" + path + "': " + strerror(error);
}

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// The folder that holds path ("." for a bare name).
std::string parentOf(const std::string& path) {
    const std::string p = withoutTrailingSlashes(path);
    const size_t slash = p.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : p.substr(0, slash);
}

// Each folder on the way to name's file, as a path below folder.
std::vector<std::string> foldersOf(const std::string& name) {
    std::vector<std::string> folders;
    for (size_t slash = name.find('/'); slash != std::string::npos; slash = name.find('/', slash + 1))
        folders.push_back(name.substr(0, slash));
    return folders;
}

mode_t newFolderMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0777 & ~mask;
}

} // namespace

StagedFolder::StagedFolder(const std::string& target) : target(target) {}

StagedFolder::~StagedFolder() {
    std::error_code ec;
    if (!staging.empty() && !(placed && !existed)) std::filesystem::remove_all(staging, ec);
    if (placed) return;
    for (auto it = madeParents.rbegin(); it != madeParents.rend(); ++it) rmdir(it->c_str());
}

bool StagedFolder::create(std::string& problem) {
    return checkTarget(problem) && makeParents(problem) && makeStaging(problem);
}

bool StagedFolder::checkTarget(std::string& problem) {
    struct stat info;
    if (stat(target.c_str(), &info) == 0) {
        existed = S_ISDIR(info.st_mode);
        if (!existed) return problem = because("cannot create folder", target, EEXIST), false;
    } else if (errno != ENOENT || lstat(target.c_str(), &info) == 0) {
        // A link that leads nowhere is no place to make the folder either.
        return problem = because("cannot create folder", target, errno == ENOENT ? EEXIST : errno), false;
    }
    return true;
}

bool StagedFolder::makeParents(std::string& problem) {
    if (existed) return true;
    std::vector<std::string> missing;  // outermost first
    struct stat info;
    for (std::string p = parentOf(target); stat(p.c_str(), &info) != 0; p = parentOf(p)) {
        if (errno != ENOENT) return problem = because("cannot create folder", p, errno), false;
        missing.insert(missing.begin(), p);
    }
    for (const std::string& p : missing) {
        if (mkdir(p.c_str(), 0777) != 0) return problem = because("cannot create folder", p, errno), false;
        madeParents.push_back(p);
    }
    return true;
}

bool StagedFolder::makeStaging(std::string& problem) {
    std::string pattern = existed ? target + "/.wadtool" + TEMP_MARKER + "XXXXXX"
                                  : withoutTrailingSlashes(target) + TEMP_MARKER + "XXXXXX";
    if (!mkdtemp(&pattern[0]))
        return problem = because(existed ? "cannot write into folder" : "cannot create folder", target, errno), false;
    staging = pattern;
    // mkdtemp makes it private; a new target ends as an ordinary new folder.
    if (!existed && chmod(staging.c_str(), newFolderMode()) != 0)
        return problem = because("cannot create folder", target, errno), false;
    return true;
}

bool StagedFolder::makeFolders(const std::string& folder, const std::string& name,
                               std::vector<std::string>* made, std::string& problem) const {
    for (const std::string& sub : foldersOf(name)) {
        const std::string path = folder + "/" + sub;
        if (mkdir(path.c_str(), 0777) == 0) {
            if (made) made->push_back(path);
        } else if (errno != EEXIST) {
            return problem = because("cannot create folder", shown(sub), errno), false;
        }
    }
    return true;
}

bool StagedFolder::write(const std::string& name, const void* bytes, int count, std::string& problem) {
    if (!makeFolders(staging, name, nullptr, problem)) return false;
    // Not synced here: place syncs every staged file at once.
    const std::string path = staging + "/" + name;
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    int failure = fd < 0 ? errno : 0;
    for (const char* p = static_cast<const char*>(bytes); !failure && count > 0;) {
        const ssize_t n = ::write(fd, p, size_t(count));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) failure = n < 0 ? errno : ENOSPC;
        else p += n, count -= int(n);
    }
    if (fd >= 0 && close(fd) != 0 && !failure) failure = errno;
    if (failure) {
        if (fd >= 0) unlink(path.c_str());
        return problem = because("cannot write", shown(name), failure), false;
    }
    names.push_back(name);
    return true;
}

bool StagedFolder::sync(const std::string& folder, std::string& problem) const {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int failure = fd < 0 || syncfs(fd) != 0 ? errno : 0;
    if (fd >= 0) close(fd);
    if (failure) problem = because("cannot write into folder", target, failure);
    return !failure;
}

std::string StagedFolder::obstacle(const std::string& name) const {
    struct stat info;
    std::vector<std::string> parts = foldersOf(name);
    parts.push_back(name);
    for (const std::string& part : parts) {
        const std::string path = shown(part);
        if (lstat(path.c_str(), &info) != 0) return std::string();  // made new from here on
        if (S_ISLNK(info.st_mode)) return "refusing to write '" + name + "': '" + path + "' is a link";
        if (part != name && !S_ISDIR(info.st_mode))
            return "cannot write '" + shown(name) + "': '" + path + "' is not a folder";
    }
    UString reason;
    if (replaceTarget(shown(name).c_str(), &reason).isEmpty())
        return "cannot write '" + shown(name) + "': " + reason.str();
    return std::string();
}

bool StagedFolder::moveIn(std::string& problem) {
    std::vector<std::string> madeFolders;
    std::string moved;
    problem.clear();
    for (const std::string& name : names) {
        const std::string from = staging + "/" + name, to = shown(name);
        // A replaced file keeps its mode, as a file saved over does.
        struct stat old;
        if (stat(to.c_str(), &old) == 0) chmod(from.c_str(), old.st_mode & 07777);
        if (!makeFolders(target, name, &madeFolders, problem) || rename(from.c_str(), to.c_str()) != 0) {
            if (problem.empty()) problem = because("cannot write", to, errno);
            problem += moved.empty() ? " (no file was written)" : " (already written:" + moved + ")";
            for (auto it = madeFolders.rbegin(); it != madeFolders.rend(); ++it) rmdir(it->c_str());
            return false;
        }
        moved += " '" + to + "'";
    }
    return true;
}

bool StagedFolder::place(std::string& problem) {
    // Every byte is on the disk before a file goes into place, and every file
    // is in its place on the disk before success is told.
    if (!sync(staging, problem)) return false;
    if (!existed) {
        // Never over a folder made there meanwhile.
        if (renameat2(AT_FDCWD, staging.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0 &&
            ((errno != EINVAL && errno != ENOSYS) || rename(staging.c_str(), target.c_str()) != 0))
            return problem = because("cannot create folder", target, errno), false;
        placed = true;
        return sync(target, problem);
    }
    for (const std::string& name : names) {
        problem = obstacle(name);
        if (!problem.empty()) return false;
    }
    if (!moveIn(problem)) return false;
    placed = true;
    return sync(target, problem);
}

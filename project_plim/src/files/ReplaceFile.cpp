#include "ReplaceFile.h"

#include "DiskAccess.h"
#include "util/FileStream.h"

#include <cctype>
#include <climits>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
void setError(UString* error, int code) {
    if (error) *error = strerror(code);
}

// The mode the file at path ends with: the old file's when it is replaced, or
// the one an ordinary create would give (mkstemp alone makes it private).
mode_t finalMode(const UString& path) {
    struct stat old;
    if (stat(path.c_str(), &old) == 0) return old.st_mode & 07777;
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Errno, or 0 once the temporary file of path exists, open as *fd, with its final mode.
int openTemp(const UString& path, UString& temp, int* fd) {
    std::string pattern = path.str() + TEMP_MARKER + "XXXXXX";
    *fd = mkostemp(&pattern[0], O_CLOEXEC);
    if (*fd < 0) return errno;
    temp = pattern.c_str();
    if (fchmod(*fd, finalMode(path)) == 0) return 0;
    int failure = errno;
    close(*fd);
    unlink(pattern.c_str());
    return failure;
}

// path with its folder written without links, "." or ".." (as the player
// finds it), where that folder exists.
std::string inRealFolder(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    char* real = realpath(folder.c_str(), nullptr);
    if (!real) return path;
    std::string written = real;
    free(real);
    if (written.back() != '/') written += '/';
    return written + path.substr(slash == std::string::npos ? 0 : slash + 1);
}
} // namespace

UString followLinks(const UString& path, UString* error) {
    std::string target = path.str();
    struct stat info;
    for (int links = 0;; ++links) {
        if (lstat(target.c_str(), &info) != 0) {
            if (errno == ENOENT) return links ? UString(inRealFolder(target)) : UString(target);
            setError(error, errno);
            return UString();
        }
        if (!S_ISLNK(info.st_mode)) return links ? UString(inRealFolder(target)) : UString(target);
        if (links == 40) {
            setError(error, ELOOP);
            return UString();
        }
        std::string next(size_t(info.st_size > 0 ? info.st_size : PATH_MAX) + 1, '\0');
        ssize_t n = readlink(target.c_str(), &next[0], next.size());
        if (n < 0 || size_t(n) >= next.size()) {
            setError(error, n < 0 ? errno : ENAMETOOLONG);
            return UString();
        }
        next.resize(size_t(n));
        size_t slash = target.rfind('/');
        if (!next.empty() && next[0] != '/' && slash != std::string::npos) next = target.substr(0, slash + 1) + next;
        target = next;
    }
}

UString replaceTarget(const UString& path, UString* error) {
    const UString target = followLinks(path, error);
    if (target.isEmpty()) return target;
    struct stat info;
    if (lstat(target.c_str(), &info) != 0) {
        // Nothing there yet (or a link to nothing): the save creates it.
        if (errno == ENOENT) return target;
        setError(error, errno);
        return UString();
    }
    const char* why = nullptr;
    if (S_ISDIR(info.st_mode)) why = strerror(EISDIR);
    else if (!S_ISREG(info.st_mode)) why = FileStream::NOT_REGULAR;
    // Judged by the mode bits, since no permission stops root: its owner's
    // write bit for one's own file, else any write bit.
    else if ((info.st_mode & (info.st_uid == geteuid() ? S_IWUSR : 0222)) == 0)
        why = READ_ONLY_REASON;
    if (!why) return target;
    if (error) *error = why;
    return UString();
}

UString makeTempFileFor(const UString& path, UString* error) {
    UString temp;
    int fd;
    if (int failure = openTemp(path, temp, &fd)) {
        setError(error, failure);
        return UString();
    }
    close(fd);
    return temp;
}

bool replaceFile(const UString& path, const void* bytes, int count, UString* error) {
    if (count < 0 || path.isEmpty()) {
        setError(error, EINVAL);
        return false;
    }
    const UString target = replaceTarget(path, error);
    if (target.isEmpty()) return false;
    UString temp;
    int fd;
    int failure = openTemp(target, temp, &fd);
    if (failure) {
        setError(error, failure);
        return false;
    }
    const char* p = static_cast<const char*>(bytes);
    int left = count;
    const DiskAccess& disk = DiskAccess::current();
    while (!failure && left > 0) {
        ssize_t n = disk.write(fd, p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) failure = errno;
        else if (n == 0) failure = ENOSPC;
        else {
            p += n;
            left -= static_cast<int>(n);
        }
    }
    if (!failure && fsync(fd) != 0) failure = errno;
    if (close(fd) != 0 && !failure) failure = errno;
    if (!failure && rename(temp.c_str(), target.c_str()) != 0) failure = errno;
    if (failure) {
        unlink(temp.c_str());
        setError(error, failure);
        return false;
    }
    return true;
}

int removeStaleTempFiles(const UString& path) {
    const std::string& full = path.str();
    size_t slash = full.rfind('/');
    std::string folder = slash == std::string::npos ? "." : full.substr(0, slash + 1);
    std::string prefix = (slash == std::string::npos ? full : full.substr(slash + 1)) + TEMP_MARKER;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return 0;
    int removed = 0;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
        bool temp = true;
        for (size_t i = prefix.size(); i < name.size(); ++i)
            temp = temp && (isalnum(static_cast<unsigned char>(name[i])) != 0);
        std::string victim = slash == std::string::npos ? name : folder + name;
        if (temp && unlink(victim.c_str()) == 0) ++removed;
    }
    closedir(dir);
    return removed;
}

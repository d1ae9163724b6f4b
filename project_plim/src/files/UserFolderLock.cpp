#include "UserFolderLock.h"

#include "Md5.h"
#include "util/PlimUtil.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum class Taken { YES, BUSY, FAILED };

// Tries lost to a holder that removed its lock file at once, before this one
// gives up (and counts the lock as held by another).
constexpr int LOCK_FILE_TRIES = 100;

int lockExclusive(int fd) {
    int result;
    do {
        result = flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result;
}

// Locks the file name (made when missing), open for writing, which every file
// system can lock. The holder before removes it while letting go: a lock won
// on a removed file is given up and the new one tried.
Taken lockFile(const std::string& name, int* fd, int* failure) {
    for (int attempt = 0; attempt < LOCK_FILE_TRIES; ++attempt) {
        int handle = open(name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (handle < 0) {
            *failure = errno;
            return Taken::FAILED;
        }
        if (lockExclusive(handle) != 0) {
            *failure = errno;
            close(handle);
            return *failure == EWOULDBLOCK ? Taken::BUSY : Taken::FAILED;
        }
        struct stat held, there;
        if (fstat(handle, &held) == 0 && stat(name.c_str(), &there) == 0 && held.st_dev == there.st_dev &&
            held.st_ino == there.st_ino) {
            *fd = handle;
            return Taken::YES;
        }
        close(handle);
    }
    return Taken::BUSY;
}

// Removes the lock files of copies that ended without letting go (a crash, a
// kill): one no one holds is taken, removed while locked, and let go, which
// the holders' protocol above already expects.
void sweepStaleLocks(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() < 5 || name.compare(name.size() - 5, 5, ".lock") != 0) continue;
        const std::string full = folder + "/" + name;
        int handle = open(full.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        if (handle < 0) continue;
        if (lockExclusive(handle) == 0) unlink(full.c_str());
        close(handle);
    }
    closedir(dir);
}

// The lock file of folder's path in a folder only this user can write, that
// no user folder's removal takes along; empty when there is none.
std::string pathLockName(const UString& folder) {
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    const std::string mine = std::string(runtime && runtime[0] == '/' ? runtime : "/tmp") + "/" +
                             PLIM_BUILD_NAME + "-" + std::to_string(geteuid());
    mkdir(mine.c_str(), 0700);
    struct stat info;
    if (lstat(mine.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid() ||
        (info.st_mode & 077) != 0)
        return std::string();
    sweepStaleLocks(mine);
    // One name however the folder is written (links, "..", a final slash).
    char* real = realpath(folder.c_str(), nullptr);
    const std::string full = real ? real : folder.c_str();
    free(real);
    uint8_t digest[16];
    md5Digest(digest, full.data(), int(full.size()));
    return mine + "/" + md5DigestToHex(digest).str() + ".lock";
}

void unlockFile(int& fd, UString& name) {
    // Removed while still locked, so that no one takes the lock in between.
    if (!name.isEmpty()) unlink(name.c_str());
    name = UString();
    if (fd < 0) return;
    flock(fd, LOCK_UN);
    close(fd);
    fd = -1;
}

} // namespace

UserFolderLock::~UserFolderLock() { release(); }

bool UserFolderLock::acquire(const UString& folder) {
    release();
    problem = UString();
    path = folder;
    int failure = 0;
    // Without a private folder the folder's own lock still guards it.
    const std::string pathName = pathLockName(folder);
    Taken taken = pathName.empty() ? Taken::FAILED : lockFile(pathName, &pathLock, &failure);
    if (taken == Taken::BUSY) return false;
    if (taken == Taken::YES) pathLockFile = pathName.c_str();

    // Read access is enough to lock, so a read-only folder is guarded too.
    int handle = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0) {
        problem = strerror(errno);
        return false;
    }
    if (lockExclusive(handle) == 0) {
        folderLock = handle;
        return true;
    }
    failure = errno;
    close(handle);
    if (failure == EWOULDBLOCK) {
        release();
        return false;
    }
    // The folder cannot be locked here: a lock file in it instead.
    std::string name = path.str();
    if (name.empty() || name.back() != '/') name += '/';
    name += std::string(PLIM_BUILD_NAME) + ".lock";
    taken = lockFile(name, &folderLock, &failure);
    if (taken == Taken::YES) {
        folderLockFile = name.c_str();
        return true;
    }
    if (taken == Taken::FAILED) problem = strerror(failure);
    else release();
    return false;
}

void UserFolderLock::release() {
    unlockFile(folderLock, folderLockFile);
    unlockFile(pathLock, pathLockFile);
}

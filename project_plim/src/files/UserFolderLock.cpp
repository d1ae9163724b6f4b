#include "UserFolderLock.h"

#include "Md5.h"
#include "util/PlimUtil.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

enum class Taken { YES, BUSY, FAILED };

std::string& sharedFolder() {
    static std::string folder = "/tmp";
    return folder;
}

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

using Clock = std::chrono::steady_clock;

// A taking's wait in the private folders, from the start of acquire; told once.
struct Wait {
    const UserFolderLock::Waiting& waiting;
    Clock::time_point start = Clock::now();
    bool told = false;
};

// How often a busy private folder is tried again: its holders let go within moments.
constexpr useconds_t TURN_RETRY_MICROSECONDS = 2000;

// Sweeps and takings in the private folder never overlap: a sweep holds the
// folder's own lock exclusively, a taking shares it. Otherwise a sweep that
// briefly locks a stale file would make a copy taking that name give up.
// A sweep (no wait) is housekeeping: it goes ahead only when the folder is
// free at once, and leaves the stale files to a later start otherwise. A
// taking waits within its bound. Where the folder cannot be locked, both go
// ahead without.
class FolderTurn {
public:
    FolderTurn(const std::string& folder, int operation, Wait* wait) {
        fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        while (fd >= 0 && flock(fd, operation | LOCK_NB) != 0) {
            if (errno == EINTR) continue;
            if (errno != EWOULDBLOCK) return;
            const double waited = wait ? std::chrono::duration<double>(Clock::now() - wait->start).count() : 0;
            busy = !wait || waited >= UserFolderLock::WAIT_LIMIT_SECONDS;
            if (busy) return;
            if (waited >= UserFolderLock::WAIT_NOTICE_SECONDS && !wait->told && wait->waiting) {
                wait->told = true;
                wait->waiting(folder.c_str());
            }
            usleep(TURN_RETRY_MICROSECONDS);
        }
    }
    ~FolderTurn() {
        if (fd >= 0) close(fd);
    }
    FolderTurn(const FolderTurn&) = delete;
    FolderTurn& operator=(const FolderTurn&) = delete;
    bool mayGoAhead() const { return !busy; }

private:
    int fd = -1;
    bool busy = false;
};

// Removes the lock files of copies that ended without letting go (a crash, a
// kill): one no one holds is taken, removed while locked, and let go, which
// the holders' protocol above already expects; one that is busy is skipped.
void sweepStaleLocks(const std::string& folder) {
    FolderTurn turn(folder, LOCK_EX, nullptr);
    if (!turn.mayGoAhead()) return;
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

// A folder that only this user can reach: a real folder (no link), its own,
// closed to everyone else. Empty when it is; else why not.
std::string whyNotPrivate(const std::string& folder) {
    struct stat info;
    if (lstat(folder.c_str(), &info) != 0) return strerror(errno);
    if (!S_ISDIR(info.st_mode)) return "it is not a folder";
    if (info.st_uid != geteuid()) return "it belongs to another user";
    if ((info.st_mode & 077) != 0) return "others may use it";
    return std::string();
}

// This user's private folders for path locks: Corvana2demo-<uid> in
// $XDG_RUNTIME_DIR when that is this user's own folder, and in /tmp. A copy
// locks the path in both, so that copies that started before and after the
// runtime folder was made meet in /tmp. One that another user planted (or
// made open to others) is never used; why, in *problem, when neither will do.
std::vector<std::string> privateLockFolders(std::string* problem) {
    const std::string leaf = std::string("/") + PLIM_BUILD_NAME + "-" + std::to_string(geteuid());
    std::vector<std::string> bases;
    const char* runtime = environmentFolder("XDG_RUNTIME_DIR");
    struct stat info;
    if (runtime && lstat(runtime, &info) == 0 && S_ISDIR(info.st_mode) &&
        info.st_uid == geteuid())
        bases.push_back(runtime);
    bases.push_back(sharedFolder());
    std::vector<std::string> folders;
    for (const std::string& base : bases) {
        const std::string mine = base + leaf;
        mkdir(mine.c_str(), 0700);
        const std::string why = whyNotPrivate(mine);
        if (why.empty())
            folders.push_back(mine);
        else
            *problem = "'" + mine + "' cannot hold it (" + why + ")";
    }
    return folders;
}

// The lock file of folder's path in a folder only this user can write, that
// no user folder's removal takes along.
std::string pathLockName(const std::string& mine, const UString& folder) {
    // One name however the folder is written (links, "..", a final slash).
    char* real = realpath(folder.c_str(), nullptr);
    const std::string full = real ? real : folder.c_str();
    free(real);
    uint8_t digest[16];
    md5Digest(digest, full.data(), int(full.size()));
    return mine + "/" + md5DigestToHex(digest).str() + ".lock";
}

} // namespace

void UserFolderLock::LockFile::unlock() {
    // Removed while still locked, so that no one takes the lock in between.
    if (!name.isEmpty()) unlink(name.c_str());
    name = UString();
    if (fd < 0) return;
    flock(fd, LOCK_UN);
    close(fd);
    fd = -1;
}

UserFolderLock::~UserFolderLock() { release(); }

void UserFolderLock::useSharedFolder(const UString& folder) { sharedFolder() = folder.str(); }

bool UserFolderLock::acquire(const UString& folder, const Waiting& waiting) {
    release();
    problem = UString();
    path = folder;
    pathProblem = UString();
    heldLockFolder = UString();
    if (!lockPath(waiting)) {
        release();
        return false;
    }
    // Read access is enough to lock, so a read-only folder is guarded too.
    // One that cannot be opened or locked keeps the path locks: the game runs
    // on, still guarded by them.
    int failure = 0;
    int handle = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0) {
        problem = strerror(errno);
        return false;
    }
    if (lockExclusive(handle) == 0) {
        folderLock.fd = handle;
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
    const Taken taken = lockFile(name, &folderLock.fd, &failure);
    if (taken == Taken::YES) {
        folderLock.name = name.c_str();
        return true;
    }
    if (taken == Taken::FAILED) problem = strerror(failure);
    else release();
    return false;
}

bool UserFolderLock::lockPath(const Waiting& waiting) {
    std::string why;
    const std::vector<std::string> folders = privateLockFolders(&why);
    bool held = false;
    Wait wait{waiting};
    for (size_t i = 0; i < folders.size() && i < PATH_PLACES; ++i) {
        sweepStaleLocks(folders[i]);
        const std::string name = pathLockName(folders[i], path);
        FolderTurn turn(folders[i], LOCK_SH, &wait);
        if (!turn.mayGoAhead()) {
            heldLockFolder = folders[i].c_str();
            return false;
        }
        int failure = 0;
        const Taken taken = lockFile(name, &pathLocks[i].fd, &failure);
        if (taken == Taken::BUSY) return false;
        if (taken == Taken::YES) {
            pathLocks[i].name = name.c_str();
            held = true;
        } else {
            why = "'" + name + "': " + strerror(failure);
        }
    }
    // Without a private folder the folder's own lock still guards it.
    if (!held) pathProblem = why.c_str();
    return true;
}

void UserFolderLock::release() {
    folderLock.unlock();
    for (LockFile& lock : pathLocks) lock.unlock();
}

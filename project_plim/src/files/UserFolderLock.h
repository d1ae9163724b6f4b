#pragma once
// Keeps two copies of the game off one user folder, so that their saves and
// logs never overwrite each other. The first copy holds two locks for its
// whole run:
// - one on the folder's path: a lock file named after the folder's full path,
//   in each private folder of this user outside it (Corvana2demo-<uid> in
//   $XDG_RUNTIME_DIR when that is the user's own, and in /tmp; never one that
//   is a link, another user's or open to others), so that a copy that started
//   before the runtime folder was made and one that started after meet in
//   /tmp. It holds when the user folder is removed and made again under the
//   running copy;
// - one on the folder itself (flock), which other machines sharing the folder
//   see too. Where the file system cannot lock a folder (NFS emulates flock
//   with a lock that needs a file open for writing), a lock file in the folder
//   stands in for it.
// Lock files go again at release; a copy that is killed leaves an unlocked one.
// A copy takes its turn in a private folder for moments only; one another
// program holds is waited for a bounded while.
#include "util/UString.h"

#include <functional>

class UserFolderLock {
public:
    UserFolderLock() = default;
    // Releases the lock.
    ~UserFolderLock();
    UserFolderLock(const UserFolderLock&) = delete;
    UserFolderLock& operator=(const UserFolderLock&) = delete;

    // A copy of the game holds a private folder's own lock for moments (a
    // sweep, a taking): one held for a second is another program's doing,
    // which waiting is told of. One held for WAIT_LIMIT_SECONDS is not let go
    // by itself, and the taking gives up rather than keep the start silent.
    static constexpr double WAIT_NOTICE_SECONDS = 1.0;
    static constexpr double WAIT_LIMIT_SECONDS = 10.0;
    using Waiting = std::function<void(const UString& lockFolder)>;

    // Locks folder. False when another process holds it or its path (then
    // problem is empty), another program held a private folder too long (then
    // heldLockFolder names it), or the folder cannot be opened or locked (then
    // problem holds the system's reason, and the path locks stay held).
    bool acquire(const UString& folder, const Waiting& waiting = nullptr);
    void release();
    bool isHeld() const { return folderLock.fd >= 0; }
    // Where the copies of all users meet for the path locks: /tmp. A test
    // gives a folder of its own, which no other run shares.
    static void useSharedFolder(const UString& folder);

    UString path;
    UString problem;
    // Set when the lock on the folder's path could be taken nowhere (no
    // private folder for it): the folder's own lock alone guards it. Says why.
    UString pathProblem;
    // The private folder whose lock acquire gave up waiting for.
    UString heldLockFolder;

private:
    // A held lock: its descriptor, and the lock file to remove at release
    // (empty for the folder itself).
    struct LockFile {
        int fd = -1;
        UString name;
        void unlock();
    };
    static constexpr size_t PATH_PLACES = 2;  // the runtime folder's and /tmp's

    // Takes the path lock in every private folder; false when one is held.
    bool lockPath(const Waiting& waiting);

    LockFile pathLocks[PATH_PLACES];
    LockFile folderLock;
};

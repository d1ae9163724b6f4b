#pragma once
// Keeps two copies of the game off one user folder: the first holds an
// exclusive lock (flock) on the folder itself for its whole run, so that their
// saves and logs never overwrite each other. Unlike a lock file, the folder
// cannot be deleted from under a running copy while it holds the game's files.
#include "util/UString.h"

class UserFolderLock {
public:
    UserFolderLock() = default;
    // Releases the lock.
    ~UserFolderLock();
    UserFolderLock(const UserFolderLock&) = delete;
    UserFolderLock& operator=(const UserFolderLock&) = delete;

    // Locks folder. False when another process holds it (then problem is
    // empty) or the folder cannot be opened or locked (then problem holds the
    // system's reason).
    bool acquire(const UString& folder);
    void release();
    bool isHeld() const { return fd >= 0; }

    UString path;
    UString problem;

private:
    int fd = -1;
};

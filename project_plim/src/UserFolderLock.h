#pragma once
// Keeps two copies of the game off one user folder: the first holds an
// exclusive lock (flock) on a lock file there for its whole run, so that their
// saves and logs never overwrite each other.
#include "UString.h"

class UserFolderLock {
public:
    UserFolderLock() = default;
    // Releases the lock.
    ~UserFolderLock();
    UserFolderLock(const UserFolderLock&) = delete;
    UserFolderLock& operator=(const UserFolderLock&) = delete;

    // Locks folder + fileName, creating the lock file when needed. False when
    // another process holds it (then problem is empty) or the file cannot be
    // opened (then problem holds the system's reason).
    bool acquire(const UString& folder, const UString& fileName);
    void release();
    bool isHeld() const { return fd >= 0; }

    UString path;
    UString problem;

private:
    int fd = -1;
};

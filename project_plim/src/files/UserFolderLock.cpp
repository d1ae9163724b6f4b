#include "UserFolderLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

UserFolderLock::~UserFolderLock() { release(); }

bool UserFolderLock::acquire(const UString& folder) {
    release();
    problem = UString();
    path = folder;
    // Read access is enough to lock, so a read-only folder is guarded too.
    int handle = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0) {
        problem = strerror(errno);
        return false;
    }
    int result;
    do {
        result = flock(handle, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        if (errno != EWOULDBLOCK) problem = strerror(errno);
        close(handle);
        return false;
    }
    fd = handle;
    return true;
}

void UserFolderLock::release() {
    if (fd < 0) return;
    flock(fd, LOCK_UN);
    close(fd);
    fd = -1;
}

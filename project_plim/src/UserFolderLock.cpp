#include "UserFolderLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

UserFolderLock::~UserFolderLock() { release(); }

bool UserFolderLock::acquire(const UString& folder, const UString& fileName) {
    release();
    problem = UString();
    path = folder + fileName;
    int file = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (file < 0) {
        // A read-only folder may still hold a lock file from an earlier run;
        // when it holds none, the first failure is the reason that matters.
        const int createError = errno;
        file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (file < 0) {
            problem = strerror(errno == ENOENT ? createError : errno);
            return false;
        }
    }
    int result;
    do {
        result = flock(file, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        if (errno != EWOULDBLOCK) problem = strerror(errno);
        close(file);
        return false;
    }
    fd = file;
    return true;
}

void UserFolderLock::release() {
    if (fd < 0) return;
    flock(fd, LOCK_UN);
    close(fd);
    fd = -1;
}

#include "SignalSafeFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

SignalSafeFile::SignalSafeFile(const char* path, const char* temp) : path(path), temp(temp) {
    // Never waits on a FIFO of that name, and writes only into a regular file.
    fd = open(temp, O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    struct stat info;
    if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        close(fd);
        fd = -1;
    }
    whole = fd >= 0;
}

void SignalSafeFile::write(const char* bytes, size_t count) {
    while (whole && count > 0) {
        ssize_t written = ::write(fd, bytes, count);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) whole = false;
        else {
            bytes += written;
            count -= size_t(written);
        }
    }
}

void SignalSafeFile::put(const char* text) { write(text, strlen(text)); }

void SignalSafeFile::copyFrom(const char* from) {
    int in = whole ? open(from, O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
    // A FIFO or a device would give no bytes, or never end.
    struct stat info;
    whole = in >= 0 && fstat(in, &info) == 0 && S_ISREG(info.st_mode);
    char block[4096];
    while (whole) {
        ssize_t got = read(in, block, sizeof block);
        if (got < 0 && errno == EINTR) continue;
        if (got == 0) break;
        if (got < 0) whole = false;
        else write(block, size_t(got));
    }
    if (in >= 0) close(in);
}

bool SignalSafeFile::commit() {
    if (fd < 0) return false;
    if (whole && fsync(fd) != 0) whole = false;
    if (close(fd) != 0) whole = false;
    fd = -1;
    if (whole && rename(temp, path) == 0) return true;
    unlink(temp);
    return false;
}

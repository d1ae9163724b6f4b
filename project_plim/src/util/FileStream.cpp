#include "FileStream.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

const char* const FileStream::NOT_REGULAR = "it is not a regular file";

int FileStream::openRegular(const UString& path, bool forWriting, UString* problem) {
    // Non-blocking, so that opening a FIFO never waits for its other end;
    // truncated only once it is known to be a regular file.
    int flags = (forWriting ? O_WRONLY | O_CREAT : O_RDONLY) | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    int fd;
    do {
        fd = open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (problem) *problem = strerror(errno);
        return -1;
    }
    struct stat info;
    const char* why = nullptr;
    if (fstat(fd, &info) != 0) why = strerror(errno);
    else if (S_ISDIR(info.st_mode)) why = strerror(EISDIR);
    else if (!S_ISREG(info.st_mode)) why = NOT_REGULAR;
    else if (forWriting && info.st_size > 0 && ftruncate(fd, 0) != 0) why = strerror(errno);
    if (!why) return fd;
    if (problem) *problem = why;
    close(fd);
    return -1;
}

FileStream::FileStream(const UString& fileName, int mode) {
    if (!(mode & (MODE_READ | MODE_WRITE))) return;
    const bool reading = (mode & MODE_READ) != 0;
    fd = openRegular(fileName, !reading, &problem);
    bOk = fd >= 0;
    if (bOk && reading) {
        off_t length = lseek(fd, 0, SEEK_END);
        size = length < 0 ? 0 : length > 0x7fffffff ? 0x7fffffff : int(length);
        lseek(fd, 0, SEEK_SET);
    }
}

FileStream::~FileStream() {
    if (fd >= 0) close(fd);
}

int FileStream::read(void* buffer, int count) {
    if (!bOk) return -1;
    char* at = static_cast<char*>(buffer);
    int done = 0;
    while (done < count) {
        ssize_t n = ::read(fd, at + done, size_t(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += int(n);
    }
    return done;
}

void FileStream::write(const void* bytes, int count) {
    if (!bOk || writeError) return;
    const char* at = static_cast<const char*>(bytes);
    while (count > 0) {
        ssize_t n = ::write(fd, at, size_t(count));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            writeError = n < 0 ? errno : ENOSPC;
            return;
        }
        at += n;
        count -= int(n);
    }
}

bool FileStream::finishWriting() {
    if (!bOk) return false;
    if (!writeError && fsync(fd) != 0) writeError = errno;
    if (close(fd) != 0 && !writeError) writeError = errno;
    fd = -1;
    bOk = false;
    return writeError == 0;
}

// Writes go straight to the file: nothing is held back.
void FileStream::flush() {}

void FileStream::seek(int position) {
    if (bOk) lseek(fd, position, SEEK_SET);
}

void FileStream::writeLine(const UString& text) {
    if (!bOk) return;
    UString line = text + "\n";
    write(line.c_str(), int(line.length()));
}

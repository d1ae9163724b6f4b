// Preloaded into the game by its tests: flock as an NFS client gives it, a
// byte-range lock, exclusive only on a file open for writing (else EBADF).
#include <cerrno>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>

extern "C" int flock(int fd, int operation) {
    static const auto systemFlock = reinterpret_cast<int (*)(int, int)>(dlsym(RTLD_NEXT, "flock"));
    if ((operation & LOCK_EX) && (fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDONLY) {
        errno = EBADF;
        return -1;
    }
    return systemFlock(fd, operation);
}

// Preloaded into wadtool by its test: each call that has the kernel write files
// out to the disk adds a byte to the file that COUNT_SYNCS_FILE names.
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

static void counted() {
    const char* file = getenv("COUNT_SYNCS_FILE");
    const int fd = file ? open(file, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644) : -1;
    if (fd < 0) return;
    if (write(fd, "s", 1) != 1) {}
    close(fd);
}

#define COUNTED(name)                                                                  \
    extern "C" int name(int fd) {                                                      \
        static const auto call = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, #name)); \
        counted();                                                                     \
        return call(fd);                                                               \
    }
COUNTED(fsync)
COUNTED(fdatasync)
COUNTED(syncfs)

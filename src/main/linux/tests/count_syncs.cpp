// Preloaded into wadtool by its test: each call that writes files out to the
// disk adds a byte to the file that COUNT_SYNCS_FILE names.
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#define COUNTED(name)                                                                              \
    extern "C" int name(int fd) {                                                                  \
        const int log = open(getenv("COUNT_SYNCS_FILE"), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644); \
        if (log >= 0 && write(log, "s", 1) == 1) {}                                                \
        if (log >= 0) close(log);                                                                  \
        return reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, #name))(fd);                        \
    }
COUNTED(fsync)
COUNTED(fdatasync)
COUNTED(syncfs)

#include "PretendDisk.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

int64_t PretendDisk::pretended() const {
    std::ifstream in(flag);
    if (!in) return -1;
    std::ostringstream text;
    text << in.rdbuf();
    return std::max(0ll, atoll(text.str().c_str()));
}

int64_t PretendDisk::freeBytes(const std::string& folder) const {
    const int64_t free = pretended();
    return free >= 0 ? free : DiskAccess::freeBytes(folder);
}

ssize_t PretendDisk::write(int fd, const void* bytes, size_t count) const {
    const int64_t free = pretended();
    if (free >= 0 && int64_t(count) > free) {
        errno = ENOSPC;
        return -1;
    }
    return DiskAccess::write(fd, bytes, count);
}

void PretendDisk::useNamedInEnvironment() {
    const char* flag = getenv(VARIABLE);
    if (!flag || !*flag) return;
    // Never destroyed: a save may come late in the program's exit.
    static PretendDisk* disk = new PretendDisk(flag);
    disk->flag = flag;
    DiskAccess::use(disk);
}

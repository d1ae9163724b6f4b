#include "DiskAccess.h"

#include <sys/statvfs.h>
#include <unistd.h>

namespace {

const DiskAccess realDisk;
const DiskAccess* inUse = nullptr;

} // namespace

int64_t DiskAccess::freeBytes(const std::string& folder) const {
    struct statvfs disk;
    if (statvfs(folder.c_str(), &disk) != 0) return -1;
    // Blocks kept for root are root's to fill.
    const fsblkcnt_t blocks = geteuid() == 0 ? disk.f_bfree : disk.f_bavail;
    return int64_t(blocks) * int64_t(disk.f_frsize);
}

ssize_t DiskAccess::write(int fd, const void* bytes, size_t count) const { return ::write(fd, bytes, count); }

const DiskAccess& DiskAccess::current() { return inUse ? *inUse : realDisk; }

void DiskAccess::use(const DiskAccess* access) { inUse = access; }

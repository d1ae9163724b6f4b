#include "DiskSpace.h"

#include "util/PlimUtil.h"

#include <cstdlib>
#include <string>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// The bytes this process may still write on the disk of folder; -1 when unknown.
int64_t freeBytes(const std::string& folder) {
    if (DiskSpace::fullForTest()) return 0;
    struct statvfs disk;
    if (statvfs(folder.c_str(), &disk) != 0) return -1;
    // Blocks kept for root are root's to fill.
    const fsblkcnt_t blocks = geteuid() == 0 ? disk.f_bfree : disk.f_bavail;
    return int64_t(blocks) * int64_t(disk.f_frsize);
}

} // namespace

UString DiskSpace::whyNoRoom(const UString& path, int64_t bytes) {
    const std::string& full = path.str();
    const size_t slash = full.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : full.substr(0, slash);
    const int64_t free = freeBytes(folder);
    if (free < 0 || free >= bytes + MARGIN) return UString();
    return formatString("its disk has only %lld KiB free", (long long)(free / 1024));
}

bool DiskSpace::fullForTest() {
    const char* flag = getenv(TEST_HOOK);
    return flag && *flag && access(flag, F_OK) == 0;
}

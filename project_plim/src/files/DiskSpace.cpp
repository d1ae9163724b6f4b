#include "DiskSpace.h"

#include "DiskAccess.h"
#include "util/PlimUtil.h"

#include <string>

UString DiskSpace::whyNoRoom(const UString& path, int64_t bytes, bool* sure) {
    const std::string& full = path.str();
    const size_t slash = full.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : full.substr(0, slash);
    const int64_t free = DiskAccess::current().freeBytes(folder);
    if (free < 0 || free >= bytes + MARGIN) return UString();
    if (sure) *sure = free < bytes;
    return formatString("its disk has only %lld KiB free", (long long)(free / 1024));
}

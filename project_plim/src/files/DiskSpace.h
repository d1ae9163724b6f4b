#pragma once
// Room for saves on the disk of a folder.
#include "util/UString.h"

#include <cstdint>

class DiskSpace {
public:
    // Kept free beyond the saves themselves: the log grows beside them, and a
    // file takes whole blocks.
    static constexpr int64_t MARGIN = 1024 * 1024;

    // Empty when the disk of the folder that path lies in has room for bytes
    // and the margin; else why not ("its disk has only 12 KiB free"), with
    // *sure, when given, true when not even bytes fit. A disk that cannot be
    // asked passes.
    static UString whyNoRoom(const UString& path, int64_t bytes, bool* sure = nullptr);
};

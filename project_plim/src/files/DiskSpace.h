#pragma once
// Room for saves on the disk of a folder. Where a test cannot mount a small
// disk to fill, a named test hook stands in for a full one: while the file
// that the environment variable PLIM_TEST_DISK_FULL names exists, every disk
// has no byte free, and every save's write fails with "No space left on
// device" (the empty temporary file is still made, as on a disk whose blocks
// are full and whose inodes are not).
#include "util/UString.h"

#include <cstdint>

class DiskSpace {
public:
    // Kept free beyond the saves themselves: the log grows beside them, and a
    // file takes whole blocks.
    static constexpr int64_t MARGIN = 1024 * 1024;
    static constexpr char TEST_HOOK[] = "PLIM_TEST_DISK_FULL";

    // Empty when the disk of the folder that path lies in has room for bytes
    // and the margin; else why not ("its disk has only 12 KiB free"). A disk
    // that cannot be asked passes.
    static UString whyNoRoom(const UString& path, int64_t bytes);
    // The test hook's full disk.
    static bool fullForTest();
};

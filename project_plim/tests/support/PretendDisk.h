#pragma once
// A disk short of room while a flag file exists, for tests that cannot mount a
// small disk to fill: the flag holds the bytes the disk has free (none when it
// is empty), and a write of more fails with "No space left on device" (a
// save's empty temporary file is still made, as on a disk whose blocks are
// full and whose inodes are not). Without the flag it is the real disk.
#include "files/DiskAccess.h"

#include <string>

class PretendDisk : public DiskAccess {
public:
    // Names the flag to the programs a test starts.
    static constexpr char VARIABLE[] = "PLIM_TEST_DISK_FULL";

    explicit PretendDisk(const std::string& flag) : flag(flag) {}
    int64_t freeBytes(const std::string& folder) const override;
    ssize_t write(int fd, const void* bytes, size_t count) const override;

    // The saves use a pretended disk from now on when the environment names a flag.
    static void useNamedInEnvironment();

private:
    // The free bytes the flag holds; -1 without the flag.
    int64_t pretended() const;

    std::string flag;
};

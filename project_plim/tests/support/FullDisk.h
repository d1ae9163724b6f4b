#pragma once
// A folder whose disk a test fills and frees: a small tmpfs mounted on it where
// the test may mount one (root outside a locked-down container), else a
// pretended disk (PretendDisk, its flag file beside the folder), named in the
// environment for the programs started after: the test's own forked runs take
// it up, and so does the test-only copy of the game, which stands in for the
// game then.
#include "PretendDisk.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/mount.h>
#include <unistd.h>
#include <vector>

class FullDisk {
public:
    // folder: what is in it now is hidden while the small disk is mounted.
    explicit FullDisk(const std::string& folder) : folder(folder), flag(folder + ".full") {
        mounted = mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=4m") == 0;
        if (!mounted) setenv(PretendDisk::VARIABLE, flag.c_str(), 1);
    }
    ~FullDisk() {
        if (mounted) umount2(folder.c_str(), MNT_DETACH);
        unsetenv(PretendDisk::VARIABLE);
        unlink(flag.c_str());
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    // Not a byte left but the bytes to leave.
    void fill(off_t leave = 0) const {
        if (!mounted) {
            // What the pretended disk has free.
            std::ofstream(flag) << leave;
            return;
        }
        int fd = open((folder + "/filler").c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
        const std::vector<char> block(65536, 0);
        for (size_t size = block.size(); size > 0; size /= 2)
            while (write(fd, block.data(), size) > 0) {}
        const off_t filled = lseek(fd, 0, SEEK_CUR);
        if (leave > 0 && ftruncate(fd, std::max<off_t>(filled - leave, 0)) != 0) perror("ftruncate");
        close(fd);
    }
    void free() const { unlink((mounted ? folder + "/filler" : flag).c_str()); }

    std::string folder, flag;
    bool mounted = false;
};

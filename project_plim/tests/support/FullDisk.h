#pragma once
// A folder whose disk a test fills and frees: a small tmpfs mounted on it where
// the test may mount one (root outside a locked-down container), else the
// engine's named test hook for a full disk (PLIM_TEST_DISK_FULL, its flag file
// beside the folder), set in the environment for the programs started after.
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/mount.h>
#include <unistd.h>
#include <vector>

class FullDisk {
public:
    // folder: what is in it now is hidden while the small disk is mounted.
    explicit FullDisk(const std::string& folder) : folder(folder), flag(folder + ".full") {
        mounted = mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=4m") == 0;
        if (!mounted) setenv("PLIM_TEST_DISK_FULL", flag.c_str(), 1);
    }
    ~FullDisk() {
        if (mounted) umount2(folder.c_str(), MNT_DETACH);
        unsetenv("PLIM_TEST_DISK_FULL");
        unlink(flag.c_str());
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    // Not a byte left.
    void fill() const {
        int fd = open((mounted ? folder + "/filler" : flag).c_str(), O_CREAT | O_WRONLY | O_APPEND | O_CLOEXEC, 0644);
        const std::vector<char> block(65536, 0);
        for (size_t size = block.size(); mounted && size > 0; size /= 2)
            while (write(fd, block.data(), size) > 0) {}
        close(fd);
    }
    void free() const { unlink((mounted ? folder + "/filler" : flag).c_str()); }

    std::string folder, flag;
    bool mounted = false;
};

// The lock that keeps a second copy of the game off a user folder: held by
// one process at a time, given up at release or exit, and usable in a folder
// where the lock file exists but cannot be written.
#include "EngineTestFolder.h"
#include "UserFolderLock.h"

#include <gtest/gtest.h>

#include <string>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Whether another process can take the lock: 0 it can, 1 it is busy, 2 error.
int otherProcessTakes(const std::string& folder) {
    pid_t child = fork();
    if (child == 0) {
        UserFolderLock lock;
        _exit(lock.acquire(folder.c_str(), "Game.lock") ? 0 : lock.problem.isEmpty() ? 1 : 2);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(UserFolderLock, OneProcessAtATime) {
    EngineTestFolder folder;
    const std::string root = folder.root + "/";
    EXPECT_EQ(0, otherProcessTakes(root));
    {
        UserFolderLock lock;
        ASSERT_TRUE(lock.acquire(root.c_str(), "Game.lock"));
        EXPECT_TRUE(lock.isHeld());
        EXPECT_EQ(UString(root + "Game.lock"), lock.path);
        EXPECT_EQ(1, otherProcessTakes(root));
        lock.release();
        EXPECT_FALSE(lock.isHeld());
        EXPECT_EQ(0, otherProcessTakes(root));
        ASSERT_TRUE(lock.acquire(root.c_str(), "Game.lock"));
        EXPECT_EQ(1, otherProcessTakes(root));
    }
    EXPECT_EQ(0, otherProcessTakes(root)) << "the destructor releases";

    UserFolderLock nowhere;
    EXPECT_FALSE(nowhere.acquire((root + "missing/").c_str(), "Game.lock"));
    EXPECT_EQ(UString("No such file or directory"), nowhere.problem);
}

// A folder the player may read but not write, holding no lock file yet: the
// reason given is the refused creation, not the missing file. Root may write
// anywhere, so then the attempt runs as the unprivileged user.
TEST(UserFolderLock, AReadOnlyFolderGivesTheRealReason) {
    // Straight under /tmp: the test's own temporary folder is closed to others.
    char pattern[] = "/tmp/plimlock.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string root = pattern, readOnly = root + "/ro/";
    ASSERT_EQ(0, mkdir(readOnly.c_str(), 0555));
    ASSERT_EQ(0, chmod(root.c_str(), 0755));
    int report[2];
    ASSERT_EQ(0, pipe(report));
    pid_t child = fork();
    if (child == 0) {
        close(report[0]);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
        UserFolderLock lock;
        bool taken = lock.acquire(readOnly.c_str(), "Game.lock");
        if (write(report[1], lock.problem.c_str(), lock.problem.length()) < 0) _exit(4);
        _exit(taken ? 1 : 0);
    }
    close(report[1]);
    char text[256] = {};
    ssize_t got = read(report[0], text, sizeof text - 1);
    close(report[0]);
    int status = 0;
    waitpid(child, &status, 0);
    rmdir(readOnly.c_str());
    rmdir(root.c_str());
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3) GTEST_SKIP() << "cannot drop root";
    EXPECT_EQ(0, WEXITSTATUS(status));
    EXPECT_EQ(std::string("Permission denied"), std::string(text, size_t(got > 0 ? got : 0)));
}

} // namespace

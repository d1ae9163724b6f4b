// The lock that keeps a second copy of the game off a user folder: held by
// one process at a time on the folder itself (deleting its files frees
// nothing), given up at release or exit, and usable in a read-only folder.
#include "EngineTestFolder.h"
#include "files/UserFolderLock.h"

#include <gtest/gtest.h>

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
        _exit(lock.acquire(folder.c_str()) ? 0 : lock.problem.isEmpty() ? 1 : 2);
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
        ASSERT_TRUE(lock.acquire(root.c_str()));
        EXPECT_TRUE(lock.isHeld());
        EXPECT_EQ(UString(root), lock.path);
        ASSERT_EQ(0, system(("touch '" + root + "Game.lock' && rm -rf '" + root + "'*").c_str()));
        EXPECT_EQ(1, otherProcessTakes(root));
        ASSERT_EQ(0, system(("rm -rf '" + root + "' && mkdir '" + root + "'").c_str()));
        EXPECT_EQ(1, otherProcessTakes(root)) << "the folder made again is still held";
        lock.release();
        EXPECT_FALSE(lock.isHeld());
        EXPECT_EQ(0, otherProcessTakes(root));
        chmod(root.c_str(), 0555);
        ASSERT_TRUE(lock.acquire(root.c_str()));
        EXPECT_EQ(1, otherProcessTakes(root));
    }
    EXPECT_EQ(0, otherProcessTakes(root)) << "the destructor releases";

    UserFolderLock nowhere;
    EXPECT_FALSE(nowhere.acquire((root + "missing/").c_str()));
    EXPECT_EQ(UString("No such file or directory"), nowhere.problem);
}

} // namespace

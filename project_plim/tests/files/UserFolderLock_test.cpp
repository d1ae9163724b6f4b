// The lock that keeps a second copy of the game off a user folder: held by
// one process at a time on the folder itself (deleting its files frees
// nothing), given up at release or exit, and usable in a read-only folder;
// the lock on the folder's path falls back to /tmp when the runtime folder
// will not do, and a sweep of stale locks never turns a starting copy away.
#include "EngineTestFolder.h"
#include "OtherUser.h"
#include "TempFolder.h"
#include "files/UserFolderLock.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The path locks of every case meet in a folder of the test's own, which goes
// with it, rather than in /tmp, where their folders would stay.
class SharedFolderOfItsOwn : public ::testing::Environment {
    void SetUp() override { UserFolderLock::useSharedFolder((folder = makeTempFolder("shared.")).c_str()); }
    void TearDown() override { system(("rm -rf '" + folder + "'").c_str()); }
    std::string folder;
};
::testing::Environment* const SHARED = ::testing::AddGlobalTestEnvironment(new SharedFolderOfItsOwn);

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

// Runs body with XDG_RUNTIME_DIR set to runtime, then restores it.
template <class Body>
void withRuntimeFolder(const std::string& runtime, Body body) {
    const char* was = getenv("XDG_RUNTIME_DIR");
    const std::string previous = was ? was : "";
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    body();
    was ? setenv("XDG_RUNTIME_DIR", previous.c_str(), 1) : unsetenv("XDG_RUNTIME_DIR");
}

// Holds the folder, removes and makes it again: another process is still kept out.
void expectPathLockHolds(const std::string& root) {
    UserFolderLock lock;
    ASSERT_TRUE(lock.acquire(root.c_str()));
    EXPECT_TRUE(lock.pathProblem.isEmpty()) << lock.pathProblem.c_str();
    ASSERT_EQ(0, system(("rm -rf '" + root + "' && mkdir '" + root + "'").c_str()));
    EXPECT_EQ(1, otherProcessTakes(root));
}

// A runtime folder that is missing, another user's, or holds a planted lock
// folder (a link, one open to others, another user's): the path lock goes to
// /tmp and holds all the same.
TEST(UserFolderLock, ThePathLockFallsBackToTmp) {
    EngineTestFolder folder;
    const std::string root = folder.root + "/user/", runtime = folder.root + "/run";
    const std::string planted = runtime + "/Corvana2demo-" + std::to_string(geteuid());
    mkdir(root.c_str(), 0755);
    mkdir(runtime.c_str(), 0700);
    std::vector<std::string> setUps = {"true", "mkdir -m 700 '" + planted + "'.real && ln -s '" + planted + ".real' '" + planted + "'",
                                       "mkdir -m 755 '" + planted + "'"};
    if (chown(runtime.c_str(), 65534, -1) == 0) { // planted as another user where we may (CAP_CHOWN)
        setUps.push_back("mkdir -m 700 '" + planted + "' && chown 65534 '" + planted + "'");
        setUps.push_back("chown 65534 '" + runtime + "'");
    }
    withRuntimeFolder(runtime + "/missing", [&] { expectPathLockHolds(root); });
    for (const std::string& setUp : setUps) {
        ASSERT_EQ(0, system(("rm -rf '" + runtime + "'* && mkdir -m 700 '" + runtime + "' && " + setUp).c_str()));
        withRuntimeFolder(runtime, [&] { expectPathLockHolds(root); });
        EXPECT_EQ(0, system(("test ! -e '" + planted + "/'*.lock").c_str())) << setUp;
    }
}

// Where no private folder can be had (another user planted the one in the shared folder),
// the folder's own lock still guards it, and pathProblem says why.
TEST(UserFolderLock, WithoutAPrivateFolderThePathProblemIsSaid) {
    const uid_t stranger = 54329;
    if (!canBecomeUser(stranger)) GTEST_SKIP() << OTHER_USER_NEEDS;
    char pattern[] = "/tmp/lock-test-XXXXXX";  // a folder the stranger can reach
    const std::string root = mkdtemp(pattern) ? pattern : "";
    const std::string planted = root + "/Corvana2demo-" + std::to_string(stranger);  // root shared, as /tmp is
    system(("mkdir -m 700 '" + planted + "'").c_str());
    if (chown(root.c_str(), stranger, stranger) != 0) {
        system(("rm -rf '" + root + "'").c_str());
        GTEST_SKIP() << "planting a folder as another user takes CAP_CHOWN";
    }
    pid_t child = fork();
    if (child == 0) {
        unsetenv("XDG_RUNTIME_DIR");
        if (setgid(stranger) != 0 || setuid(stranger) != 0) _exit(1);
        UserFolderLock::useSharedFolder(root.c_str());
        UserFolderLock lock;
        const bool taken = lock.acquire((root + "/").c_str());
        const std::string expected = "'" + planted + "' cannot hold it (it belongs to another user)";
        _exit(taken && lock.isHeld() && expected == lock.pathProblem.c_str() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    system(("rm -rf '" + planted + "' '" + root + "'").c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// Copies for two folders whose stale locks a crash left start while other
// copies keep sweeping the private folder: none is turned away.
TEST(UserFolderLock, ASweepNeverTurnsAwayACopyForAnotherFolder) {
    EngineTestFolder folder;
    const std::string a = folder.root + "/a/", b = folder.root + "/b/", c = folder.root + "/c/";
    for (const std::string& f : {a, b, c}) mkdir(f.c_str(), 0755);
    // Each acquire sweeps: these keep a sweep running most of the time.
    std::vector<pid_t> sweepers;
    for (int i = 0; i < 4; ++i) {
        pid_t sweeper = fork();
        if (sweeper == 0) {
            for (;;) {
                UserFolderLock lock;
                lock.acquire(c.c_str());
            }
        }
        sweepers.push_back(sweeper);
    }
    int refused = 0;
    for (int run = 0; run < 20; ++run) {
        for (const std::string& f : {a, b}) {
            pid_t crashed = fork();
            if (crashed == 0) {
                UserFolderLock lock;
                lock.acquire(f.c_str());
                _exit(0);  // no release: its lock file stays behind, unlocked
            }
            waitpid(crashed, nullptr, 0);
        }
        pid_t copies[2];
        for (int i = 0; i < 2; ++i) {
            copies[i] = fork();
            if (copies[i] == 0) {
                UserFolderLock lock;
                _exit(lock.acquire((i ? b : a).c_str()) ? 0 : 1);
            }
        }
        for (pid_t copy : copies) {
            int status = 0;
            waitpid(copy, &status, 0);
            refused += !WIFEXITED(status) || WEXITSTATUS(status) != 0;
        }
    }
    for (pid_t sweeper : sweepers) {
        kill(sweeper, SIGKILL);
        waitpid(sweeper, nullptr, 0);
    }
    EXPECT_EQ(refused, 0);
}

} // namespace

// The fatal path, run in child processes: exit status, the standard-output
// line, the log's last entries and the crash copy, from the main thread and
// from other threads.
#include "EngineTestFolder.h"
#include "FullDisk.h"
#include "core/ErrorManager.h"
#include "core/Logger.h"
#include "core/Plim.h"
#include "core/ProcessSignals.h"
#include "util/PlimUtil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <pthread.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

struct ChildResult {
    int status = -1;  // exit status, or -1 when the child did not exit normally
    int signal = 0;   // the signal that ended it
    std::string out;  // everything the child wrote to standard output
};

// Runs body in a forked child with standard output captured; a body that
// returns ends the child with status 0.
ChildResult runChild(const std::function<void()>& body) {
    fflush(stdout);
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        dup2(fds[1], 1);
        body();
        fflush(stdout);
        _exit(0);
    }
    close(fds[1]);
    ChildResult result;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
        result.out.append(buffer, size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    return result;
}

// A bare engine with only its log, as early in start-up.
void startEngineWithLog() {
    new Plim(Plim::Bare{});
    PLIM->log = new Logger();
    PLIM->log->print("%s(): %s", "test", "before the error");
}

// Lines of a log file without their tab / "+N\t" prefixes.
std::string stripPrefixes(const std::string& text) {
    std::string out;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && (line[0] == '\t' || line[0] == '+'))
            line = line.substr(line.find('\t') + 1);
        out += line + "\n";
        at = end + 1;
    }
    return out;
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

int countOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

class FatalErrorTest : public ::testing::Test {
protected:
    std::string crashLog() { return stripPrefixes(EngineTestFolder::readFile(folder.crashLogPath())); }
    EngineTestFolder folder;
};

TEST_F(FatalErrorTest, ErrorLogsPrintsCopiesTheLogAndExitsWith255) {
    ChildResult r = runChild([] {
        startEngineWithLog();
        // Shows that the engine was marked as shutting down before the exit.
        atexit([] { printf("shutdown=%d\n", PLIM->bShutdown ? 1 : 0); });
        ErrorManager::error("%s", "100% broken %s %d");
    });
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "*** ERROR *** 100% broken %s %d\nshutdown=1\n");
    std::string log = crashLog();
    EXPECT_TRUE(endsWith(log, "test(): before the error\n"
                              "error(): 100% broken %s %d\n"
                              "error(): Forced exit.\n"))
        << log;
    EXPECT_EQ(EngineTestFolder::readFile(folder.crashLogPath()),
              EngineTestFolder::readFile(folder.logPath()));
}

const int failingCheckLine = __LINE__ + 1;
void failingCheck(int value) { PLIM_ASSERT(value == 3); }

TEST_F(FatalErrorTest, AssertionMessageLayout) {
    ChildResult r = runChild([] {
        startEngineWithLog();
        failingCheck(2);
    });
    std::string message = std::string("Error: Assertion failed.\n Statement: value == 3\n"
                                      " Function: failingCheck()\n File: ") +
                          __FILE__ + "\n Line: " + std::to_string(failingCheckLine);
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "*** ERROR *** " + message + "\n");
    EXPECT_TRUE(endsWith(crashLog(), "error(): " + message + "\nerror(): Forced exit.\n")) << crashLog();
}

const int missingResourceLine = __LINE__ + 1;
void missingResource(const char* name) { PLIM_ERROR("Could not find resource '%s'.", name); }
void badVideoMode() { PLIM_ASSERT_MSG(1 == 2, UString("No video mode")); }

TEST_F(FatalErrorTest, LocatedErrorAndTellingAssertionMessage) {
    ChildResult r = runChild([] { missingResource("logo:all"); });
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, std::string("*** ERROR *** Error: Could not find resource 'logo:all'.\n"
                                 " Function: missingResource()\n File: ") +
                         __FILE__ + "\n Line: " + std::to_string(missingResourceLine) + "\n");

    r = runChild([] { badVideoMode(); });
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out.find("*** ERROR *** Error: No video mode\n Statement: 1 == 2\n Function: badVideoMode()\n"),
              0u)
        << r.out;
}

TEST_F(FatalErrorTest, ErrorBeforeTheLogExistsStillPrintsAndExits) {
    ChildResult r = runChild([] {
        new Plim(Plim::Bare{});
        ErrorManager::error("SDL failed");
    });
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "*** ERROR *** SDL failed\n");
    EXPECT_FALSE(EngineTestFolder::exists(folder.crashLogPath()));

    r = runChild([] { ErrorManager::error("no engine at all"); });
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "*** ERROR *** no engine at all\n");
}

TEST_F(FatalErrorTest, ErrorOnAnotherThreadExitsWithoutTheMainThread) {
    ChildResult r = runChild([] {
        startEngineWithLog();
        // Exit handlers do not run for an error off the main thread.
        atexit([] { printf("exit handler\n"); });
        std::thread audio([] { ErrorManager::error("mixer underrun %d", 7); });
        audio.join();
        printf("main thread returned\n");
    });
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "*** ERROR *** mixer underrun 7\n");
    EXPECT_TRUE(endsWith(crashLog(), "error(): mixer underrun 7\nerror(): Forced exit.\n")) << crashLog();
}

TEST_F(FatalErrorTest, TwoThreadsRaisingAtOnceGiveOneReport) {
    for (int round = 0; round < 20; ++round) {
        ChildResult r = runChild([] {
            startEngineWithLog();
            pthread_barrier_t barrier;
            pthread_barrier_init(&barrier, nullptr, 3);
            auto raise = [&barrier](int which) {
                pthread_barrier_wait(&barrier);
                ErrorManager::error("thread %d failed", which);
            };
            std::thread a(raise, 1), b(raise, 2);
            pthread_barrier_wait(&barrier);
            a.join();
            b.join();
        });
        ASSERT_EQ(r.status, 255);
        ASSERT_EQ(countOf(r.out, "*** ERROR ***"), 1) << r.out;
        std::string log = crashLog();
        ASSERT_EQ(countOf(log, "error(): thread "), 1) << log;
        ASSERT_EQ(countOf(log, "error(): Forced exit."), 1) << log;
        ASSERT_TRUE(endsWith(log, "error(): Forced exit.\n")) << log;
        ASSERT_NE(r.out.find(log.substr(log.find("error(): thread ") + 9, 15)), std::string::npos);
    }
}

// A crash signal ends the process by that signal once its report follows the log.
TEST_F(FatalErrorTest, EveryCrashSignalEndsTheProcessByItselfAfterItsReport) {
    const std::pair<int, const char*> crashes[] = {
        {SIGABRT, "SIGABRT (abort)"}, {SIGFPE, "SIGFPE (arithmetic exception)"},
        {SIGBUS, "SIGBUS (bus error)"}, {SIGILL, "SIGILL (illegal instruction)"}};
    for (const auto& crash : crashes) {
        ChildResult r = runChild([&] {
            ProcessSignals::install();
            startEngineWithLog();
            raise(crash.first);
        });
        EXPECT_EQ(r.signal, crash.first);
        const std::string log = crashLog();
        EXPECT_NE(log.find(std::string("test(): before the error\nerror(): Fatal signal ") + crash.second), std::string::npos) << log;
        EXPECT_TRUE(endsWith(log, "]\nerror(): Forced exit.\n")) << log;
    }
}

// A crash signal during the fatal path's copy on another thread waits for it,
// then adds its report; a crash of the copying thread then still ends it all.
TEST_F(FatalErrorTest, CrashSignalDuringTheFatalCopyFollowsIt) {
    for (bool copierCrashes : {false, true}) {
        ChildResult r = runChild([copierCrashes] {
            alarm(60);  // a deadlock fails the test
            ProcessSignals::install();
            startEngineWithLog();
            static const pthread_t mainThread = pthread_self();
            static bool crashes = copierCrashes;
            Logger::whileSavingCrashLog = [] {  // holds the copy until the handler waits
                pthread_kill(mainThread, SIGSEGV);
                while (!Logger::isCrashLogAwaited()) std::this_thread::yield();
                fputs("the copy went on\n", stdout), fflush(stdout);
                if (crashes) raise(SIGSEGV);
            };
            std::thread([] { ErrorManager::error("mixer underrun"); }).join();
        });
        EXPECT_EQ(r.out, "*** ERROR *** mixer underrun\nthe copy went on\n*** ERROR *** Fatal signal SIGSEGV (segmentation fault).\n");
        const std::string log = crashLog();
        EXPECT_NE(log.find(copierCrashes ? "error(): Fatal signal SIGSEGV"
                                         : "before the error\nerror(): mixer underrun\nerror(): Forced exit.\nerror(): Fatal signal SIGSEGV"), std::string::npos);
        EXPECT_TRUE(r.signal == SIGSEGV && endsWith(log, "]\nerror(): Forced exit.\n") && log.find('\0') == std::string::npos) << log;
    }
}

// On a full disk the crash log is whole (saying so when its log lost lines), else the older one and its picture stay.
TEST_F(FatalErrorTest, OnAFullDiskTheCrashLogIsWholeOrTheOlderOne) {
    const std::string picture = ErrorManager::crashScreenshotPath().str();
    const std::string user = getUserDataFolder(true).str();
    FullDisk disk(user.substr(0, user.size() - 1));
    if (!disk.mounted) GTEST_SKIP() << "needs a small disk to mount (root)";
    // No room; room for the log (three pages) and a page of its copy; room again once lines were lost.
    for (off_t room : {0, 4 * 4096, -1})
        for (bool signal : {true, false}) {
            disk.free();
            unlink(folder.logPath().c_str());  // its room would be the next log's
            EngineTestFolder::writeFile(folder.crashLogPath(), "an older crash");
            EngineTestFolder::writeFile(picture, "its picture");
            disk.fill(room > 0 ? room : 0);
            runChild([&] {
                ProcessSignals::install();
                startEngineWithLog();
                for (int i = 0; i < 190; ++i) PLIM->log->print("test(): line %03d of a log of two and a half pages", i);
                if (room < 0) disk.free();
                if (signal) raise(SIGSEGV);
                ErrorManager::error("Disk full.");
            });
            EXPECT_NE(crashLog().find(room < 0 ? "error(): This log is cut: its disk refused some of its lines.\n"
                                               : "an older crash"), std::string::npos) << room;
            EXPECT_EQ(EngineTestFolder::exists(picture), room >= 0 || !signal) << room;
        }
}

TEST(ErrorManagerTest, GLErrorNames) {
    EXPECT_EQ(ErrorManager::getGLErrorString(0), "GL_NO_ERROR");
    EXPECT_EQ(ErrorManager::getGLErrorString(0x0500), "GL_INVALID_ENUM");
    EXPECT_EQ(ErrorManager::getGLErrorString(0x0502), "GL_INVALID_OPERATION");
    EXPECT_EQ(ErrorManager::getGLErrorString(0x0505), "GL_OUT_OF_MEMORY");
    EXPECT_EQ(ErrorManager::getGLErrorString(0x0506), "Unknown error.");
}

} // namespace

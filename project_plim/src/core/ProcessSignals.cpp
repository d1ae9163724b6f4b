#include "ProcessSignals.h"

#include "ErrorManager.h"
#include "Logger.h"
#include "Plim.h"
#include "files/SignalSafeFile.h"
#include "util/UString.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <execinfo.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

const int CRASH_SIGNALS[] = {SIGSEGV, SIGABRT, SIGFPE, SIGBUS, SIGILL};
const int MAX_FRAMES = 64;

// The signal that asked to quit (0: none).
volatile sig_atomic_t quitSignal = 0;
// Thread handling a crash (0: none).
std::atomic<long> crashOwner{0};

// Prepared by install: the handler may not allocate.
char crashLogPath[4096];
char crashLogTemp[4096];
char crashScreenshotPath[4096];
// A stack overflow leaves no stack to run the handler on.
char alternateStack[65536];

void copyPath(char* to, const UString& path) {
    strncpy(to, path.c_str(), sizeof crashLogPath - 1);
    to[sizeof crashLogPath - 1] = 0;
}

const char* describe(int signal) {
    switch (signal) {
    case SIGSEGV: return "SIGSEGV (segmentation fault)";
    case SIGABRT: return "SIGABRT (abort)";
    case SIGFPE: return "SIGFPE (arithmetic exception)";
    case SIGBUS: return "SIGBUS (bus error)";
    case SIGILL: return "SIGILL (illegal instruction)";
    default: return "unknown signal";
    }
}

// False when not every byte went in.
bool put(int fd, const char* text) {
    if (fd < 0) return false;
    for (size_t left = strlen(text); left > 0;) {
        ssize_t written = write(fd, text, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        text += written;
        left -= size_t(written);
    }
    return true;
}

// The report's last line. When it went in whole, so did the lines before: a
// disk that refused a byte refuses every later one, and the stack's writer
// tells no failure of its own.
const char FORCED_EXIT[] = "\terror(): Forced exit.\n";

// What the fatal path logs, in the log's own line format, but its last line.
void writeStack(int fd, const char* what, void* const* frames, int count) {
    if (fd < 0) return;
    put(fd, "\terror(): Fatal signal ");
    put(fd, what);
    put(fd, ". Stack:\n");
    backtrace_symbols_fd(frames, count, fd);
}

[[noreturn]] void dieOf(int signal) {
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = SIG_DFL;
    sigaction(signal, &action, nullptr);
    raise(signal);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    _exit(128 + signal);  // only when the signal was caught elsewhere after all
}

} // namespace

void ProcessSignals::install() {
    copyPath(crashLogPath, Logger::crashLogPath());
    copyPath(crashLogTemp, Logger::crashLogTempPath());
    copyPath(crashScreenshotPath, ErrorManager::crashScreenshotPath());
    // The first backtrace loads the unwinder (and allocates); later ones do not.
    void* frames[MAX_FRAMES];
    backtrace(frames, MAX_FRAMES);

    stack_t stack;
    memset(&stack, 0, sizeof stack);
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    sigaltstack(&stack, nullptr);

    struct sigaction action;
    memset(&action, 0, sizeof action);
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_ONSTACK;
    action.sa_handler = onCrash;
    for (int signal : CRASH_SIGNALS) sigaction(signal, &action, nullptr);

    // SDL leaves SIGTERM and SIGINT to a handler that is there before it starts.
    action.sa_flags = SA_RESTART;
    action.sa_handler = onQuitSignal;
    for (int signal : {SIGHUP, SIGTERM, SIGINT}) sigaction(signal, &action, nullptr);

    action.sa_flags = 0;
    action.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &action, nullptr);
}

bool ProcessSignals::quitRequested() { return quitSignal != 0; }

const char* ProcessSignals::quitReason() {
    switch (quitSignal) {
    case SIGHUP: return "Hang-up signal";
    case SIGTERM: return "Termination signal";
    case SIGINT: return "Interrupt signal";
    default: return "No signal";
    }
}

void ProcessSignals::onQuitSignal(int signal) {
    if (quitSignal == 0) quitSignal = signal;
}

void ProcessSignals::onCrash(int signal) {
    // The fatal path's copy on another thread ends first and this report
    // follows it; another thread's crash waits for this report, whose end
    // ends the process. A crash of the copying thread goes on: it holds the
    // crash log already.
    Logger::claimCrashLog();
    // So only this thread gets here again: the report itself failed, go at once.
    long owner = 0;
    if (!crashOwner.compare_exchange_strong(owner, syscall(SYS_gettid))) dieOf(signal);
    void* frames[MAX_FRAMES];
    const int count = backtrace(frames, MAX_FRAMES);
    const char* what = describe(signal);

    Logger* log = PLIM ? PLIM->log : nullptr;
    // After the fatal path (a crash on its way out) its picture stands.
    const bool afterFatalPath = log && log->isCrashCopySaved();
    const int logFile = log ? log->flushFromSignal() : -1;
    writeStack(logFile, what, frames, count);
    const bool reportLogged = put(logFile, FORCED_EXIT);
    // Whole or not at all: a cut log is never offered as a report, and an
    // older one stays, with its picture, until this one is whole.
    SignalSafeFile crash(crashLogPath, crashLogTemp);
    if (logFile >= 0 || afterFatalPath) log->copyForCrash(crash);
    if (!reportLogged) {
        writeStack(crash.descriptor(), what, frames, count);
        crash.put(FORCED_EXIT);
    }
    // The report sent at the next start holds no older picture.
    if (crash.commit() && !afterFatalPath) unlink(crashScreenshotPath);
    put(STDOUT_FILENO, "*** ERROR *** Fatal signal ");
    put(STDOUT_FILENO, what);
    put(STDOUT_FILENO, ".\n");
    dieOf(signal);
}

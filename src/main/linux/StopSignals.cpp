#include "StopSignals.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

// Only a lock-free flag may be written from the handler.
static_assert(std::atomic<bool>::is_always_lock_free, "the stop flag takes a lock");
std::atomic<bool> StopSignals::stop{false};

namespace {
// Readable from the first signal on: the byte is never read back.
int wakeRead = -1, wakeWrite = -1;
std::atomic<bool> atOnce{false};
char endLine[256], endFolder[PATH_MAX];

// rm -rf for a signal handler: no allocation, no library state.
void removeTree(int parent, const char* name) {
    if (unlinkat(parent, name, 0) == 0 || errno != EISDIR) return;
    const int folder = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0) return;
    alignas(dirent64) char entries[2048];
    for (ssize_t got; (got = getdents64(folder, entries, sizeof entries)) > 0;)
        for (ssize_t at = 0; at < got; at += reinterpret_cast<dirent64*>(entries + at)->d_reclen) {
            const char* entry = reinterpret_cast<dirent64*>(entries + at)->d_name;
            if (strcmp(entry, ".") && strcmp(entry, "..")) removeTree(folder, entry);
        }
    close(folder);
    unlinkat(parent, name, AT_REMOVEDIR);
}
} // namespace

void StopSignals::install() {
    int ends[2];
    if (wakeRead < 0 && pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
        wakeRead = ends[0];
        wakeWrite = ends[1];
    }
    struct sigaction action;
    memset(&action, 0, sizeof action);
    sigemptyset(&action.sa_mask);
    action.sa_handler = onSignal;
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

void StopSignals::endAtOnce(const char* line, const char* folder) {
    snprintf(endLine, sizeof endLine, "%s", line);
    snprintf(endFolder, sizeof endFolder, "%s", folder);
    atOnce = true;
}

void StopSignals::inOrder() { atOnce = false; }

void StopSignals::onSignal(int) {
    const int saved = errno;
    if (atOnce) {
        if (*endFolder) removeTree(AT_FDCWD, endFolder);
        ssize_t ignored = write(STDOUT_FILENO, endLine, strlen(endLine));
        (void)ignored;
        _exit(0);
    }
    stop = true;
    // SA_RESETHAND gave this signal back its default action; a second one of
    // the other kind must end the process at once too.
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    if (wakeWrite >= 0) {
        const char byte = 1;
        ssize_t ignored = write(wakeWrite, &byte, 1);
        (void)ignored;
    }
    errno = saved;
}

bool StopSignals::wait(double seconds) {
    using namespace std::chrono;
    const auto end = steady_clock::now() + duration<double>(seconds);
    for (auto now = steady_clock::now(); !stop && now < end; now = steady_clock::now()) {
        pollfd wake = {wakeRead, POLLIN, 0};
        // Rounded up, so that a sleep under a millisecond still sleeps.
        const auto left = duration_cast<microseconds>(end - now).count();
        poll(&wake, wakeRead >= 0 ? 1 : 0, int((left + 999) / 1000));
    }
    return stop;
}

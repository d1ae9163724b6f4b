#include "LinkOpener.h"

#include "util/PlimUtil.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

LinkOpener::State LinkOpener::start(const UString& link) {
    if (child > 0) return STARTING;
    url = link;
    problem = UString();
    char* const arguments[] = {const_cast<char*>("xdg-open"), const_cast<char*>(url.c_str()), nullptr};
    // Unlike fork and exec, spawning reports a program that cannot be started.
    // The browser it starts keeps none of the game's files or sockets, and
    // gets the signals' default actions and an empty mask.
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addclosefrom_np(&files, 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    const int error = posix_spawnp(&child, "xdg-open", &files, &attributes, arguments, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&files);
    if (error != 0) {
        child = -1;
        problem = formatString("xdg-open could not be started (%s)", strerror(error));
        return FAILED;
    }
    startedAt = getMilliseconds();
    return STARTING;
}

LinkOpener::State LinkOpener::poll() {
    if (child <= 0) return IDLE;
    int status = 0;
    const pid_t ended = waitpid(child, &status, WNOHANG);
    if (ended == 0) return getMilliseconds() - startedAt >= STARTED_AFTER_MS ? finish(OPENED) : STARTING;
    if (ended == child && WIFEXITED(status) && WEXITSTATUS(status) == 0) return finish(OPENED);
    if (ended != child)
        problem = formatString("xdg-open could not be followed (%s)", strerror(errno));
    else if (WIFEXITED(status))
        problem = formatString("xdg-open ended with status %d", WEXITSTATUS(status));
    else
        problem = formatString("xdg-open ended by signal %d", WTERMSIG(status));
    return finish(FAILED);
}

LinkOpener::State LinkOpener::finish(State state) {
    child = -1;
    return state;
}

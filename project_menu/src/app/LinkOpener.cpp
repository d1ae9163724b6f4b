#include "LinkOpener.h"

#include "util/PlimUtil.h"

#include <cerrno>
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
    const int error = posix_spawnp(&child, "xdg-open", nullptr, nullptr, arguments, environ);
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

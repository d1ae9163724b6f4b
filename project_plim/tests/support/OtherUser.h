#pragma once
// Whether a test may run something as another user. Being root is not enough:
// a container or a dropped bounding set takes CAP_SETUID and CAP_SETGID away,
// and a user namespace may not map the id. So a child tries the switch itself.
#include <cstdio>
#include <grp.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

inline bool canBecomeUser(uid_t user) {
    fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0)
        _exit(setgroups(0, nullptr) == 0 && setresgid(user, user, user) == 0 && setresuid(user, user, user) == 0 ? 0 : 1);
    int status = -1;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// What a test that needs it says when it skips.
constexpr const char* OTHER_USER_NEEDS = "needs CAP_SETUID and CAP_SETGID to run as another user";

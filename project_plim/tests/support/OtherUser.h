#pragma once
// Whether a test may run something as another user: a container or a dropped bounding set takes CAP_SETUID
// and CAP_SETGID from root, and a user namespace may leave the id unmapped, so a child tries the switch.
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

inline bool canBecomeUser(uid_t user) {
    const pid_t pid = fork();
    if (pid == 0) _exit(setgroups(0, nullptr) || setresgid(user, user, user) || setresuid(user, user, user));
    int status = -1;
    return pid > 0 && waitpid(pid, &status, 0) == pid && status == 0;
}
constexpr const char* OTHER_USER_NEEDS = "running as another user takes CAP_SETUID and CAP_SETGID";

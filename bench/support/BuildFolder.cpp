#include "BuildFolder.h"

#include <climits>
#include <unistd.h>

std::string buildFolder() {
    char exe[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return std::string();
    const std::string program(exe, size_t(n)), folder = program.substr(0, program.rfind('/'));
    return folder.substr(0, folder.rfind('/'));
}

#include "UserNotices.h"

#include <cstdio>
#include <mutex>
#include <set>
#include <string>

namespace {
std::mutex noticeLock;

std::vector<UString>& notices() {
    static std::vector<UString> list;
    return list;
}
} // namespace

void UserNotices::post(const UString& text) {
    std::lock_guard<std::mutex> guard(noticeLock);
    notices().push_back(text);
}

bool UserNotices::pending() {
    std::lock_guard<std::mutex> guard(noticeLock);
    return !notices().empty();
}

std::vector<UString> UserNotices::take() {
    std::lock_guard<std::mutex> guard(noticeLock);
    std::vector<UString> taken;
    taken.swap(notices());
    return taken;
}

void UserNotices::say(const UString& text) {
    static std::set<std::string> said;
    std::lock_guard<std::mutex> guard(noticeLock);
    if (said.insert(text.str()).second) fprintf(stderr, "%s\n", text.c_str());
}

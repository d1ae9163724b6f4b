#include "UserNotices.h"

#include <mutex>

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

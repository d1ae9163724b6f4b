#include "UserNotices.h"

#include "util/PlimUtil.h"

#include <cctype>
#include <cstdint>
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

namespace {
// Writes line, unless the notice was said before.
void sayOnce(const std::string& notice, const std::string& line) {
    static std::set<std::string> said;
    std::lock_guard<std::mutex> guard(noticeLock);
    if (said.insert(notice).second) fprintf(stderr, "%s\n", line.c_str());
}
} // namespace

void UserNotices::say(const UString& text) { sayOnce(text.str(), text.str()); }

void UserNotices::sayAsProgram(const UString& notice) {
    // A notice begins a sentence on its screen; after the name it goes on one.
    std::string line = notice.str();
    if (!line.empty()) line[0] = char(tolower(uint8_t(line[0])));
    sayOnce(notice.str(), std::string(PLIM_BUILD_NAME) + ": " + line);
}

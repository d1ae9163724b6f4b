#include "UString.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace {
const size_t MAX_FORMATTED = 65535;
}

UString UString::formatV(const char* fmt, va_list args) {
    char buffer[MAX_FORMATTED + 1];
    int n = vsnprintf(buffer, sizeof buffer, fmt ? fmt : "", args);
    if (n < 0) return UString();
    return UString(buffer, std::min<size_t>(static_cast<size_t>(n), MAX_FORMATTED));
}

UString UString::format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    UString out = formatV(fmt, args);
    va_end(args);
    return out;
}

UString UString::substr(size_t start, size_t count) const {
    if (start >= s.size()) return UString();
    return UString(s.substr(start, count));
}

int UString::find(const char* what, size_t from) const {
    size_t at = s.find(what ? what : "", from);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

UString UString::toLower() const {
    UString out(*this);
    for (char& c : out.s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

UString UString::toUpper() const {
    UString out(*this);
    for (char& c : out.s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

UString& UString::append(const char* text) {
    if (text) s += text;
    return *this;
}

uint32_t UString::hash(const char* text) {
    uint32_t h = 0;
    if (!text) return h;
    for (const signed char* p = reinterpret_cast<const signed char*>(text); *p; ++p)
        h = h * 5u + static_cast<uint32_t>(static_cast<int32_t>(*p));
    return h;
}

uint32_t UString::hash() const { return hash(s.c_str()); }

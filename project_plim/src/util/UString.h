#pragma once
// The engine's 8-bit string: value semantics, byte-exact comparison, printf-style
// formatting and the engine's string hash (h = h*5 + c over signed bytes).
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>

class UString {
public:
    UString() = default;
    UString(const char* text) : s(text ? text : "") {}
    UString(const char* bytes, size_t length) : s(bytes, length) {}
    UString(const std::string& text) : s(text) {}
    UString(const UString&) = default;
    UString(UString&&) = default;
    UString& operator=(const UString&) = default;
    UString& operator=(UString&&) = default;
    ~UString() = default;

    // printf-style constructor of a new string (at most 65,535 characters).
    static UString format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
    static UString formatV(const char* fmt, va_list args);

    const char* c_str() const { return s.c_str(); }
    operator const char*() const { return s.c_str(); }
    size_t length() const { return s.size(); }
    bool isEmpty() const { return s.empty(); }
    char operator[](size_t i) const { return s[i]; }

    UString substr(size_t start, size_t count = std::string::npos) const;
    int find(const char* what, size_t from = 0) const;
    UString toLower() const;
    UString toUpper() const;

    UString& append(const char* text);
    UString& append(const UString& text) { s += text.s; return *this; }
    UString& append(char c) { s += c; return *this; }
    UString& operator+=(const UString& text) { return append(text); }
    UString& operator+=(const char* text) { return append(text); }
    UString& operator+=(char c) { return append(c); }
    friend UString operator+(UString a, const UString& b) { a += b; return a; }
    friend UString operator+(UString a, const char* b) { a += b; return a; }

    bool operator==(const UString& o) const { return s == o.s; }
    bool operator!=(const UString& o) const { return s != o.s; }
    bool operator==(const char* o) const { return s == (o ? o : ""); }
    bool operator!=(const char* o) const { return !(*this == o); }
    bool operator<(const UString& o) const { return s < o.s; }

    // h = h*5 + c over the bytes up to the first zero byte, each a signed char.
    uint32_t hash() const;
    static uint32_t hash(const char* text);

    const std::string& str() const { return s; }
    std::string& str() { return s; }

private:
    std::string s;
};

// std::unordered_map support with the engine's own hash.
struct UStringHash {
    size_t operator()(const UString& u) const { return u.hash(); }
};

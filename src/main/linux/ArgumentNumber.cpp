#include "ArgumentNumber.h"

#include <cstdlib>

bool ArgumentNumber::parse(const char* text, long low, long high, long* out) {
    char* end = nullptr;
    long value = strtol(text, &end, 10);
    if (!*text || *end || value < low || value > high) return false;
    *out = value;
    return true;
}

bool ArgumentNumber::parseDecimal(const char* text, double low, double high, double* out) {
    char* end = nullptr;
    const double value = strtod(text, &end);
    if (!*text || *end || !(value >= low && value <= high)) return false;
    *out = value;
    return true;
}

#pragma once
// Display texts of numbers and times, and random bright colours. They touch no
// state; the application object offers them to its callers.
#include "util/UString.h"

#include <cstdint>

class Formatters {
public:
    // "50.0%" for 0.5: one decimal of fraction x 100.
    static UString formatPercent(float fraction);
    // "12.3%" for 123.
    static UString formatTenthsPercent(int tenths);
    // "mm:ss" of the whole seconds; the minutes grow past two digits.
    static UString formatTime(double seconds);
    // "1,234,567": the current language's thousands separator between groups
    // of three digits. Needs a selected language.
    static UString formatGroupedInteger(int value);
    // One or two channels at 255, the others 0 to 128 in steps of 32, alpha 255;
    // red in the lowest byte (UColor).
    static uint32_t randomColour();
};

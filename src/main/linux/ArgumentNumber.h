#pragma once
// Numbers given on a tool's command line, checked before use.

class ArgumentNumber {
public:
    // A whole decimal number within [low, high], nothing else in the text;
    // out is left alone when it is not one.
    static bool parse(const char* text, long low, long high, long* out);
    // A decimal number within [low, high] (not NaN), nothing else in the text;
    // out is left alone when it is not one.
    static bool parseDecimal(const char* text, double low, double high, double* out);
};

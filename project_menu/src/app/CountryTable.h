#pragma once
// The 241 countries the player may choose from, in the order of their name
// texts (row i is named by text 199 + i): a two-letter code and one point in
// the country, in degrees (north and east positive). Row 0, "--", is no country.
#include <cstdint>

struct CountryRecord {
    const char* code;
    float latitude;
    float longitude;
};

class CountryTable {
public:
    enum { COUNT = 241, FIRST_TEXT = 199 };
    static const CountryRecord rows[COUNT];
};

#pragma once
// One row of a high-score table as the saved block stores it: 48 bytes of
// fixed-width little-endian fields.
#include "util/DateTime.h"
#include "util/UString.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

struct HighScoreEntry {
    enum { CHECKSUM_SIZE = 16, NAME_SIZE = 16, MAX_NAME_LENGTH = NAME_SIZE - 1 };

    // Zero in a default entry; the keyed digest of the table, or the marker 1
    // followed by zeros, in an added one.
    uint8_t checksum[CHECKSUM_SIZE];
    char name[NAME_SIZE];
    int32_t score;
    uint8_t spare[4];
    DateTime time;

    // A loaded file may hold a name without its terminator: it ends with the field.
    UString getName() const { return UString(name, strnlen(name, NAME_SIZE)); }
};

static_assert(sizeof(DateTime) == 8, "a stored time is a signed 64-bit count of seconds");
static_assert(offsetof(HighScoreEntry, checksum) == 0, "high-score entry layout");
static_assert(offsetof(HighScoreEntry, name) == 16, "high-score entry layout");
static_assert(offsetof(HighScoreEntry, score) == 32, "high-score entry layout");
static_assert(offsetof(HighScoreEntry, spare) == 36, "high-score entry layout");
static_assert(offsetof(HighScoreEntry, time) == 40, "high-score entry layout");
static_assert(sizeof(HighScoreEntry) == 48, "high-score entry layout");

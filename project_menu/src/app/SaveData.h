#pragma once
// The saved block kept between runs in the ".hst" file: five high-score tables,
// the option settings, the last rules and mutator choices, both players' key
// bindings, the chosen country, the network test's result and the play-time
// counters. Its fields are the stored block, which begins the object (its
// bytes are the file's); screens bind their widgets to them.
#include "SaveDataBlock.h"
#include "util/DateTime.h"
#include "util/UString.h"

#include <cstdint>

class SaveData : public SaveDataBlock {
public:
    // Key of the digest over a table that travels with an uploaded score.
    static constexpr uint32_t HIGH_SCORE_KEY = 0x5C7A1E93;

    // Defaults, then the ".hst" file over them when it checks out.
    SaveData();
    // Adds this run's play time and writes the file.
    ~SaveData();
    SaveData(const SaveData&) = delete;
    SaveData& operator=(const SaveData&) = delete;

    // Every byte: random fill, then the header, the tables and every default.
    void setDefaults();
    void resetHighScores();
    // Inserts the score in table 0 to 4 below every entry that is not lower;
    // returns the place 0 to 9, or -1 when it makes no place or the table
    // number is out of range. Names longer than 15 characters are cut.
    int addHighScore(int table, const char* name, int score, bool withChecksum);
    void write();
    // Loads the file when it checks out (a damaged one is set aside as ".bad",
    // one that cannot be read is left in place; neither is saved over), then
    // brings runStart up to now, draws
    // a randomId when there is none and clamps the settings.
    void read();
    void save();
    bool fileExists();
    // Every setting into the range of the widget that edits it, flags to 0 or
    // 1 and unknown key codes back to their defaults, so that no stored value
    // indexes past a table or divides by zero.
    void clampSettings();

    // The file name ("Corvana2demo.hst") and the folder it lives in (no
    // trailing slash).
    static UString getFileName();
    static UString getFolder();
    // The default key code of action a (0 to 5) for player p (0 or 1).
    static int32_t getDefaultKey(int action, int player);

private:
    void setDefaultAddress();

    // Up to when playTime counts this run; runStart stays as it was stored.
    DateTime countedUntil{0};
};

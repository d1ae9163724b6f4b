#pragma once
// The saved block kept between runs in the ".hst" file: five high-score tables,
// the option settings, the last rules and mutator choices, both players' key
// bindings, the chosen country, the network test's result and the play-time
// counters. The object in memory is the stored format, byte for byte: 2,744
// bytes of fixed-width little-endian fields, written whole to the file and
// posted whole by the score upload. Screens bind their widgets to the fields.
#include "util/DateTime.h"
#include "HighScoreEntry.h"
#include "util/UString.h"
#include "util/V3.h"
#include "net/NetAddress.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

class SaveData {
public:
    enum {
        SIZE = 2744,
        TABLE_COUNT = 5,
        TABLE_ENTRIES = 10,
        ACTION_COUNT = 6,
        PLAYER_COUNT = 2
    };
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

    char buildName[32];
    char version[16];
    uint8_t reserved0[32];
    uint32_t randomId;
    char countryCode[2];
    uint8_t spare0[2];
    HighScoreEntry highScores[TABLE_COUNT][TABLE_ENTRIES];
    int32_t graphicsDetail;
    int32_t videoMode;
    int32_t maxFps;
    uint8_t bFullScreenOption;
    uint8_t bBilinearFilter;
    uint8_t bVSync;
    uint8_t bShowFps;
    int32_t audioQuality;
    int32_t soundVolume;
    int32_t musicVolume;
    uint8_t bInGameMusic;
    uint8_t spare1[3];
    int32_t mouseSensitivity;
    uint8_t bUseMouse;
    uint8_t bAllowCheats;
    uint8_t bInGameHelp;
    uint8_t spare2[1];
    int32_t difficulty;
    int32_t warDays;
    int32_t trees;
    int32_t opponentType;
    int32_t players;
    int32_t bonusFrequency;
    int32_t allowBonuses;
    int32_t offensivePreference;
    int32_t defensivePreference;
    int32_t bonusPreference;
    uint8_t bLimitBombRange;
    uint8_t ffaFlag;
    uint8_t bMatrixFight;
    uint8_t bBerserkMode;
    uint8_t bNoBlaster;
    uint8_t bBloatedProjectiles;
    uint8_t bBouncyBombs;
    uint8_t bAutocannons;
    uint8_t reservedFlags[2];
    uint8_t spare3[31];
    uint8_t bNetworkTested;
    uint8_t spare4[2];
    // A BSD socket address as stored (length byte, family byte 2 = IPv4, port
    // and address in network order, 8 zero bytes); the network code converts
    // it where it opens a socket, since Linux lays sockaddr_in out differently.
    NetAddress externalAddress;
    int32_t reserved1[4];
    int32_t countryIndex;
    V3 countryPoint;
    int32_t keys[ACTION_COUNT][PLAYER_COUNT];
    uint8_t spare5[4];
    DateTime runStart;
    int32_t playTime;
    uint8_t bProfileMissing;
    uint8_t spare6[19];

private:
    void setDefaultAddress();
};

// The stored layout, field by field.
static_assert(std::is_standard_layout<SaveData>::value, "the block has no hidden members");
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the block in memory is the little-endian file format");
static_assert(sizeof(V3) == 12, "a stored point is three floats");
static_assert(offsetof(SaveData, buildName) == 0, "saved block layout");
static_assert(offsetof(SaveData, version) == 32, "saved block layout");
static_assert(offsetof(SaveData, reserved0) == 48, "saved block layout");
static_assert(offsetof(SaveData, randomId) == 80, "saved block layout");
static_assert(offsetof(SaveData, countryCode) == 84, "saved block layout");
static_assert(offsetof(SaveData, spare0) == 86, "saved block layout");
static_assert(offsetof(SaveData, highScores) == 88, "saved block layout");
static_assert(offsetof(SaveData, graphicsDetail) == 2488, "saved block layout");
static_assert(offsetof(SaveData, videoMode) == 2492, "saved block layout");
static_assert(offsetof(SaveData, maxFps) == 2496, "saved block layout");
static_assert(offsetof(SaveData, bFullScreenOption) == 2500, "saved block layout");
static_assert(offsetof(SaveData, bBilinearFilter) == 2501, "saved block layout");
static_assert(offsetof(SaveData, bVSync) == 2502, "saved block layout");
static_assert(offsetof(SaveData, bShowFps) == 2503, "saved block layout");
static_assert(offsetof(SaveData, audioQuality) == 2504, "saved block layout");
static_assert(offsetof(SaveData, soundVolume) == 2508, "saved block layout");
static_assert(offsetof(SaveData, musicVolume) == 2512, "saved block layout");
static_assert(offsetof(SaveData, bInGameMusic) == 2516, "saved block layout");
static_assert(offsetof(SaveData, spare1) == 2517, "saved block layout");
static_assert(offsetof(SaveData, mouseSensitivity) == 2520, "saved block layout");
static_assert(offsetof(SaveData, bUseMouse) == 2524, "saved block layout");
static_assert(offsetof(SaveData, bAllowCheats) == 2525, "saved block layout");
static_assert(offsetof(SaveData, bInGameHelp) == 2526, "saved block layout");
static_assert(offsetof(SaveData, spare2) == 2527, "saved block layout");
static_assert(offsetof(SaveData, difficulty) == 2528, "saved block layout");
static_assert(offsetof(SaveData, warDays) == 2532, "saved block layout");
static_assert(offsetof(SaveData, trees) == 2536, "saved block layout");
static_assert(offsetof(SaveData, opponentType) == 2540, "saved block layout");
static_assert(offsetof(SaveData, players) == 2544, "saved block layout");
static_assert(offsetof(SaveData, bonusFrequency) == 2548, "saved block layout");
static_assert(offsetof(SaveData, allowBonuses) == 2552, "saved block layout");
static_assert(offsetof(SaveData, offensivePreference) == 2556, "saved block layout");
static_assert(offsetof(SaveData, defensivePreference) == 2560, "saved block layout");
static_assert(offsetof(SaveData, bonusPreference) == 2564, "saved block layout");
static_assert(offsetof(SaveData, bLimitBombRange) == 2568, "saved block layout");
static_assert(offsetof(SaveData, ffaFlag) == 2569, "saved block layout");
static_assert(offsetof(SaveData, bMatrixFight) == 2570, "saved block layout");
static_assert(offsetof(SaveData, bBerserkMode) == 2571, "saved block layout");
static_assert(offsetof(SaveData, bNoBlaster) == 2572, "saved block layout");
static_assert(offsetof(SaveData, bBloatedProjectiles) == 2573, "saved block layout");
static_assert(offsetof(SaveData, bBouncyBombs) == 2574, "saved block layout");
static_assert(offsetof(SaveData, bAutocannons) == 2575, "saved block layout");
static_assert(offsetof(SaveData, reservedFlags) == 2576, "saved block layout");
static_assert(offsetof(SaveData, spare3) == 2578, "saved block layout");
static_assert(offsetof(SaveData, bNetworkTested) == 2609, "saved block layout");
static_assert(offsetof(SaveData, spare4) == 2610, "saved block layout");
static_assert(offsetof(SaveData, externalAddress) == 2612, "saved block layout");
static_assert(offsetof(SaveData, reserved1) == 2628, "saved block layout");
static_assert(offsetof(SaveData, countryIndex) == 2644, "saved block layout");
static_assert(offsetof(SaveData, countryPoint) == 2648, "saved block layout");
static_assert(offsetof(SaveData, keys) == 2660, "saved block layout");
static_assert(offsetof(SaveData, spare5) == 2708, "saved block layout");
static_assert(offsetof(SaveData, runStart) == 2712, "saved block layout");
static_assert(offsetof(SaveData, playTime) == 2720, "saved block layout");
static_assert(offsetof(SaveData, bProfileMissing) == 2724, "saved block layout");
static_assert(offsetof(SaveData, spare6) == 2725, "saved block layout");
static_assert(sizeof(SaveData) == SaveData::SIZE, "saved block layout");

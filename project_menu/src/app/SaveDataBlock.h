#pragma once
// The block the ".hst" file stores, as it lies in memory: 2,744 bytes of
// fixed-width little-endian fields, written whole to the file and posted whole
// by the score upload. SaveData keeps it and gives it its operations.
#include "util/DateTime.h"
#include "HighScoreEntry.h"
#include "util/V3.h"
#include "net/NetAddress.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

struct SaveDataBlock {
    enum {
        SIZE = 2744,
        TABLE_COUNT = 5,
        TABLE_ENTRIES = 10,
        ACTION_COUNT = 6,
        PLAYER_COUNT = 2
    };

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
};

// The stored layout, field by field.
static_assert(std::is_standard_layout<SaveDataBlock>::value, "the block has no hidden members");
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the block in memory is the little-endian file format");
static_assert(sizeof(V3) == 12, "a stored point is three floats");
static_assert(offsetof(SaveDataBlock, buildName) == 0, "saved block layout");
static_assert(offsetof(SaveDataBlock, version) == 32, "saved block layout");
static_assert(offsetof(SaveDataBlock, reserved0) == 48, "saved block layout");
static_assert(offsetof(SaveDataBlock, randomId) == 80, "saved block layout");
static_assert(offsetof(SaveDataBlock, countryCode) == 84, "saved block layout");
static_assert(offsetof(SaveDataBlock, spare0) == 86, "saved block layout");
static_assert(offsetof(SaveDataBlock, highScores) == 88, "saved block layout");
static_assert(offsetof(SaveDataBlock, graphicsDetail) == 2488, "saved block layout");
static_assert(offsetof(SaveDataBlock, videoMode) == 2492, "saved block layout");
static_assert(offsetof(SaveDataBlock, maxFps) == 2496, "saved block layout");
static_assert(offsetof(SaveDataBlock, bFullScreenOption) == 2500, "saved block layout");
static_assert(offsetof(SaveDataBlock, bBilinearFilter) == 2501, "saved block layout");
static_assert(offsetof(SaveDataBlock, bVSync) == 2502, "saved block layout");
static_assert(offsetof(SaveDataBlock, bShowFps) == 2503, "saved block layout");
static_assert(offsetof(SaveDataBlock, audioQuality) == 2504, "saved block layout");
static_assert(offsetof(SaveDataBlock, soundVolume) == 2508, "saved block layout");
static_assert(offsetof(SaveDataBlock, musicVolume) == 2512, "saved block layout");
static_assert(offsetof(SaveDataBlock, bInGameMusic) == 2516, "saved block layout");
static_assert(offsetof(SaveDataBlock, spare1) == 2517, "saved block layout");
static_assert(offsetof(SaveDataBlock, mouseSensitivity) == 2520, "saved block layout");
static_assert(offsetof(SaveDataBlock, bUseMouse) == 2524, "saved block layout");
static_assert(offsetof(SaveDataBlock, bAllowCheats) == 2525, "saved block layout");
static_assert(offsetof(SaveDataBlock, bInGameHelp) == 2526, "saved block layout");
static_assert(offsetof(SaveDataBlock, spare2) == 2527, "saved block layout");
static_assert(offsetof(SaveDataBlock, difficulty) == 2528, "saved block layout");
static_assert(offsetof(SaveDataBlock, warDays) == 2532, "saved block layout");
static_assert(offsetof(SaveDataBlock, trees) == 2536, "saved block layout");
static_assert(offsetof(SaveDataBlock, opponentType) == 2540, "saved block layout");
static_assert(offsetof(SaveDataBlock, players) == 2544, "saved block layout");
static_assert(offsetof(SaveDataBlock, bonusFrequency) == 2548, "saved block layout");
static_assert(offsetof(SaveDataBlock, allowBonuses) == 2552, "saved block layout");
static_assert(offsetof(SaveDataBlock, offensivePreference) == 2556, "saved block layout");
static_assert(offsetof(SaveDataBlock, defensivePreference) == 2560, "saved block layout");
static_assert(offsetof(SaveDataBlock, bonusPreference) == 2564, "saved block layout");
static_assert(offsetof(SaveDataBlock, bLimitBombRange) == 2568, "saved block layout");
static_assert(offsetof(SaveDataBlock, ffaFlag) == 2569, "saved block layout");
static_assert(offsetof(SaveDataBlock, bMatrixFight) == 2570, "saved block layout");
static_assert(offsetof(SaveDataBlock, bBerserkMode) == 2571, "saved block layout");
static_assert(offsetof(SaveDataBlock, bNoBlaster) == 2572, "saved block layout");
static_assert(offsetof(SaveDataBlock, bBloatedProjectiles) == 2573, "saved block layout");
static_assert(offsetof(SaveDataBlock, bBouncyBombs) == 2574, "saved block layout");
static_assert(offsetof(SaveDataBlock, bAutocannons) == 2575, "saved block layout");
static_assert(offsetof(SaveDataBlock, reservedFlags) == 2576, "saved block layout");
static_assert(offsetof(SaveDataBlock, spare3) == 2578, "saved block layout");
static_assert(offsetof(SaveDataBlock, bNetworkTested) == 2609, "saved block layout");
static_assert(offsetof(SaveDataBlock, spare4) == 2610, "saved block layout");
static_assert(offsetof(SaveDataBlock, externalAddress) == 2612, "saved block layout");
static_assert(offsetof(SaveDataBlock, reserved1) == 2628, "saved block layout");
static_assert(offsetof(SaveDataBlock, countryIndex) == 2644, "saved block layout");
static_assert(offsetof(SaveDataBlock, countryPoint) == 2648, "saved block layout");
static_assert(offsetof(SaveDataBlock, keys) == 2660, "saved block layout");
static_assert(offsetof(SaveDataBlock, spare5) == 2708, "saved block layout");
static_assert(offsetof(SaveDataBlock, runStart) == 2712, "saved block layout");
static_assert(offsetof(SaveDataBlock, playTime) == 2720, "saved block layout");
static_assert(offsetof(SaveDataBlock, bProfileMissing) == 2724, "saved block layout");
static_assert(offsetof(SaveDataBlock, spare6) == 2725, "saved block layout");
static_assert(sizeof(SaveDataBlock) == SaveDataBlock::SIZE, "saved block layout");

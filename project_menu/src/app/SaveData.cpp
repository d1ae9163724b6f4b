#include "SaveData.h"

#include "util/ByteOrder.h"
#include "files/FileManager.h"
#include "files/Md5.h"
#include "input/PlimInput.h"
#include "util/PlimUtil.h"
#include "util/Random.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// Player 1 on the arrows, space and enter; player 2 on A, D, W, X, left shift
// and left control.
const int32_t DEFAULT_KEYS[SaveData::ACTION_COUNT][SaveData::PLAYER_COUNT] = {
    {203, 30}, {205, 32}, {200, 17}, {208, 45}, {57, 42}, {28, 29}};

// 32 bits drawn one at a time; the first ends as the most significant.
uint32_t randomBits() {
    uint32_t word = 0;
    for (int bit = 0; bit < 32; ++bit) word = (word << 1) | uint32_t(Random::next() % 2);
    return word;
}

void copyText(char* field, const char* text) { memcpy(field, text, strlen(text) + 1); }

void clampInt(int32_t& value, int32_t low, int32_t high) { value = std::min(std::max(value, low), high); }

void normaliseFlag(uint8_t& flag) { flag = flag ? 1 : 0; }

} // namespace

SaveData::SaveData() {
    setDefaults();
    read();
}

SaveData::~SaveData() { save(); }

UString SaveData::getFileName() { return UString(PLIM_BUILD_NAME) + ".hst"; }

UString SaveData::getFolder() {
    UString folder = getUserDataFolder(true);
    return folder.substr(0, folder.length() - 1);
}

int32_t SaveData::getDefaultKey(int action, int player) { return DEFAULT_KEYS[action][player]; }

void SaveData::setDefaults() {
    uint8_t* bytes = reinterpret_cast<uint8_t*>(static_cast<SaveDataBlock*>(this));
    for (int word = 0; word < SIZE / 4; ++word) writeUint32LE(bytes + 4 * word, randomBits());

    copyText(buildName, PLIM_BUILD_NAME);
    copyText(version, PLIM_VERSION_STRING);
    reserved0[0] = 0;
    randomId = 0;
    countryCode[0] = '-';
    countryCode[1] = '-';

    resetHighScores();

    graphicsDetail = 1;
    videoMode = 1;
    maxFps = 100;
    bFullScreenOption = 1;
    bBilinearFilter = 1;
    bVSync = 1;
    bShowFps = 0;
    audioQuality = 1;
    soundVolume = 24;
    musicVolume = 15;
    bInGameMusic = 1;
    mouseSensitivity = 2;
    bUseMouse = 1;
    bAllowCheats = 0;
    bInGameHelp = 1;
    difficulty = 2;
    warDays = 5;
    trees = 3;
    opponentType = 2;
    players = 0;
    bonusFrequency = 1;
    allowBonuses = 2;
    offensivePreference = 12;
    defensivePreference = 12;
    bonusPreference = 12;
    bLimitBombRange = 1;
    ffaFlag = 0;
    bMatrixFight = 0;
    bBerserkMode = 0;
    bNoBlaster = 0;
    bBloatedProjectiles = 0;
    bBouncyBombs = 0;
    bAutocannons = 0;
    reservedFlags[0] = 0;
    reservedFlags[1] = 0;
    bNetworkTested = 0;
    setDefaultAddress();
    reserved1[0] = 0;
    reserved1[1] = 2;
    reserved1[2] = 2;
    reserved1[3] = 0;
    countryIndex = 0;
    countryPoint = V3(0.0f, 0.0f, -1.0f);
    for (int action = 0; action < ACTION_COUNT; ++action)
        for (int player = 0; player < PLAYER_COUNT; ++player) keys[action][player] = DEFAULT_KEYS[action][player];
    runStart = DateTime();
    playTime = 0;
    bProfileMissing = 1;
}

// An unspecified IPv4 address in the BSD layout: only the family byte is set.
void SaveData::setDefaultAddress() {
    externalAddress = NetAddress();
}

void SaveData::resetHighScores() {
    for (auto& table : highScores) {
        for (int i = 0; i < TABLE_ENTRIES; ++i) {
            HighScoreEntry& entry = table[i];
            md5DigestClear(entry.checksum);
            entry.name[0] = 0;
            entry.score = 20000 - 2000 * i;
            entry.time = DateTime();
        }
    }
}

int SaveData::addHighScore(int table, const char* name, int score, bool withChecksum) {
    if (table < 0 || table >= TABLE_COUNT) return -1;
    HighScoreEntry* entries = highScores[table];
    int place = 0;
    while (place < TABLE_ENTRIES && score <= entries[place].score) ++place;
    if (place == TABLE_ENTRIES) return -1;

    for (int i = TABLE_ENTRIES - 2; i >= place; --i) entries[i + 1] = entries[i];

    // The spare bytes and the name bytes after the terminator stay as they were.
    HighScoreEntry& entry = entries[place];
    md5DigestClear(entry.checksum);
    size_t length = name ? strnlen(name, HighScoreEntry::MAX_NAME_LENGTH) : 0;
    memcpy(entry.name, name ? name : "", length);
    entry.name[length] = 0;
    entry.score = score;
    entry.time = DateTime();

    if (withChecksum)
        md5DigestWithKey(entry.checksum, HIGH_SCORE_KEY, entries, int(sizeof(HighScoreEntry) * TABLE_ENTRIES));
    else
        entry.checksum[0] = 1;
    return place;
}

void SaveData::write() {
    FileManager::saveProtectedData(getFolder(), getFileName(), PLIM_VERSION_STRING,
                                   static_cast<SaveDataBlock*>(this), SIZE);
}

void SaveData::read() {
    UString problem;
    if (!FileManager::loadProtectedData(getFolder(), getFileName(), PLIM_VERSION_STRING,
                                        static_cast<SaveDataBlock*>(this), SIZE, &problem) &&
        !problem.isEmpty())
        FileManager::keepRefusedFile(getFolder() + "/" + getFileName(), problem);
    DateTime now;
    if (now.seconds > runStart.seconds) runStart = now;
    if (randomId == 0) randomId = randomBits();
    clampSettings();
}

// A stored play time near the limit stays at the limit rather than wrapping.
void SaveData::save() {
    DateTime now;
    // Counted once, however often the block is saved.
    const DateTime& from = countedUntil.seconds > runStart.seconds ? countedUntil : runStart;
    int32_t elapsed = int32_t(uint32_t(now.seconds) - uint32_t(from.seconds));
    if (elapsed > 0) {
        playTime = int32_t(std::min<int64_t>(int64_t(playTime) + elapsed, INT32_MAX));
        countedUntil = now;
    }
    write();
}

bool SaveData::fileExists() { return FileManager::fileExistsOnDisk(getUserDataFolder(true) + getFileName()); }

void SaveData::clampSettings() {
    clampInt(graphicsDetail, 0, 1);
    clampInt(videoMode, 0, 3);
    clampInt(maxFps, 25, 125);
    clampInt(audioQuality, 0, 2);
    clampInt(soundVolume, 0, 24);
    clampInt(musicVolume, 0, 24);
    clampInt(mouseSensitivity, 0, 4);
    clampInt(difficulty, 0, 4);
    clampInt(warDays, 1, 100);
    clampInt(trees, 1, 10);
    clampInt(opponentType, 1, 2);
    clampInt(players, 0, 1);
    clampInt(bonusFrequency, 0, 2);
    clampInt(allowBonuses, 0, 2);
    clampInt(offensivePreference, 0, 24);
    clampInt(defensivePreference, 0, 24);
    clampInt(bonusPreference, 0, 24);
    clampInt(countryIndex, 0, 240);

    for (uint8_t* flag : {&bFullScreenOption, &bBilinearFilter, &bVSync, &bShowFps, &bInGameMusic, &bUseMouse,
                          &bAllowCheats, &bInGameHelp, &bLimitBombRange, &ffaFlag, &bMatrixFight, &bBerserkMode,
                          &bNoBlaster, &bBloatedProjectiles, &bBouncyBombs, &bAutocannons, &bNetworkTested,
                          &bProfileMissing})
        normaliseFlag(*flag);

    for (int action = 0; action < ACTION_COUNT; ++action)
        for (int player = 0; player < PLAYER_COUNT; ++player)
            if (!PlimInput::isValidKey(keys[action][player])) keys[action][player] = DEFAULT_KEYS[action][player];
}

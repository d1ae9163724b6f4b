// The player profiles (".pro") and the saved block (".hst") read from files
// that pass their digest check: the input is the block (cut or padded to its
// size), sealed here with the file's key the way the game saves it, so every
// input reaches the field checks (names, indices, settings clamps). Then the
// game's own uses run on what was read. The first byte picks the file.
#include "files/FileManager.h"
#include "core/Plim.h"
#include "input/PlimInput.h"
#include "util/PlimUtil.h"
#include "app/PlayerProfiles.h"
#include "app/SaveData.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void seal(const UString& folder, const UString& fileName, const uint8_t* data, size_t size, int blockSize) {
    std::vector<uint8_t> block(size_t(blockSize), 0);
    memcpy(block.data(), data, size < block.size() ? size : block.size());
    FileManager::saveProtectedData(folder, fileName, PLIM_VERSION_STRING, block.data(), blockSize);
}

void checkName(const char* name, size_t field) {
    if (strnlen(name, field) >= field) abort();
}

void profiles(const uint8_t* data, size_t size) {
    seal(PlayerProfiles::getFolder(), PlayerProfiles::getFileName(), data, size, PlayerProfiles::SIZE);
    PlayerProfiles p;
    auto check = [&p] {
        if (p.getCurrentProfile() < 0 || p.getCurrentProfile() >= PlayerProfiles::MAX_PROFILES) abort();
        for (int i = -1; i <= PlayerProfiles::MAX_PROFILES; ++i) checkName(p.getName(i), ProfileRecord::NAME_SIZE);
        if (p.countProfiles() > PlayerProfiles::MAX_PROFILES) abort();
    };
    check();
    const int8_t a = size > 1 ? int8_t(data[1]) : 0, b = size > 2 ? int8_t(data[2]) : 0;
    p.setCurrentProfile(a % 12);
    p.addProfile(UString("fuzzing player name"));
    check();
    p.deleteProfile(b % 12);
    check();
}

void savedBlock(const uint8_t* data, size_t size) {
    seal(SaveData::getFolder(), SaveData::getFileName(), data, size, SaveData::SIZE);
    SaveData s;
    if (s.maxFps < 25 || s.maxFps > 125 || s.soundVolume < 0 || s.soundVolume > 24 || s.countryIndex < 0 ||
        s.countryIndex > 240 || s.bFullScreenOption > 1 || s.bProfileMissing > 1)
        abort();
    for (auto& row : s.keys)
        for (int32_t key : row)
            if (!PlimInput::isValidKey(key)) abort();
    for (auto& table : s.highScores) {
        for (const HighScoreEntry& e : table) {
            // A name may fill its field without a terminator.
            if (e.getName().length() > size_t(HighScoreEntry::NAME_SIZE)) abort();
            dateTimeString(e.time);
        }
    }
    const int table = size > 1 ? int8_t(data[1]) % 7 : 0;
    const int place = s.addHighScore(table, "a name longer than the field", size > 2 ? int(data[2]) << 8 : 0, true);
    if (place < -1 || place >= SaveData::TABLE_ENTRIES) abort();
    if (place >= 0) checkName(s.highScores[table][place].name, HighScoreEntry::NAME_SIZE);
}

std::string folder;

void removeFolder() { std::filesystem::remove_all(folder); }

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // In memory where there is such a folder: every input saves twice.
    folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm/saved_data_fuzz.XXXXXX" : "/tmp/saved_data_fuzz.XXXXXX";
    if (!mkdtemp(&folder[0])) abort();
    atexit(removeFolder);
    setenv("U3_APP_DATA_PATH", folder.c_str(), 1);
    new Plim(Plim::Bare{});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 4096) return 0;
    if (data[0] & 1)
        savedBlock(data + 1, size - 1);
    else
        profiles(data + 1, size - 1);
    return 0;
}

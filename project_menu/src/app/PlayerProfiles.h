#pragma once
// Up to ten named player profiles, the current one, and the place of the last
// high-score entry made under it. The object is the ".pro" file's block, byte
// for byte: 1,608 bytes of fixed-width little-endian fields. Used slots stay at
// the front. Every change is written to the file at once, and again at the end.
#include "util/UString.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

// One profile: 160 bytes.
struct ProfileRecord {
    enum { NAME_SIZE = 16, MODE_COUNT = 5, MODE_WORDS = 7 };

    char name[NAME_SIZE]; // NUL-terminated; empty = free slot
    uint32_t identifier;
    int32_t modeRecords[MODE_COUNT][MODE_WORDS];
};

class PlayerProfiles {
public:
    enum { MAX_PROFILES = 10, MAX_NAME_LENGTH = 15, SIZE = 1608 };

    // Empty store, then the file over it.
    PlayerProfiles();
    // Writes the file.
    ~PlayerProfiles();
    PlayerProfiles(const PlayerProfiles&) = delete;
    PlayerProfiles& operator=(const PlayerProfiles&) = delete;

    // A missing, corrupt or wrong-sized file leaves no profiles (one that is
    // there but refused is set aside as ".bad", never saved over); a stored
    // current index outside 0..9 becomes 0, names are cut to 15 characters.
    void load();
    void save();

    // Indices outside 0..9 name no profile: not used, empty name.
    bool isUsed(int i) const;
    const char* getName(int i) const;
    int countProfiles() const;
    // First free slot, made current; ignored when all ten are used. The name
    // is cut to 15 characters.
    void addProfile(const UString& name);
    // The later profiles move up one slot; the current person stays current.
    void deleteProfile(int i);
    // Ignored outside 0..9.
    void setCurrentProfile(int i);
    void onCurrentProfileChanged();
    int getCurrentProfile() const { return currentProfile; }

    // "Corvana2demo.pro" and the folder it lives in (no trailing slash).
    static UString getFileName();
    static UString getFolder();

    int32_t lastHighScorePlace; // 0..9, -1 when none
    int32_t currentProfile;     // 0..9
    ProfileRecord records[MAX_PROFILES];

private:
    void clear();
    // Every name terminated within its field, the current index in range.
    void sanitize();
};

static_assert(sizeof(ProfileRecord) == 160, "profile record layout");
static_assert(std::is_standard_layout<PlayerProfiles>::value, "the block has no hidden members");
static_assert(offsetof(PlayerProfiles, lastHighScorePlace) == 0, "profile block layout");
static_assert(offsetof(PlayerProfiles, currentProfile) == 4, "profile block layout");
static_assert(offsetof(PlayerProfiles, records) == 8, "profile block layout");
static_assert(sizeof(PlayerProfiles) == PlayerProfiles::SIZE, "profile block layout");

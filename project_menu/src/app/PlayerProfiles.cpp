#include "PlayerProfiles.h"

#include "files/FileManager.h"
#include "core/Logger.h"
#include "core/Plim.h"
#include "util/PlimUtil.h"
#include "util/Random.h"

#include <cstring>

PlayerProfiles::PlayerProfiles() {
    clear();
    load();
    onCurrentProfileChanged();
}

PlayerProfiles::~PlayerProfiles() { save(); }

void PlayerProfiles::clear() {
    std::memset(static_cast<void*>(this), 0, SIZE);
    currentProfile = 0;
    lastHighScorePlace = -1;
}

UString PlayerProfiles::getFileName() { return UString(PLIM_BUILD_NAME) + ".pro"; }

UString PlayerProfiles::getFolder() {
    UString folder = getUserDataFolder(true);
    return folder.substr(0, folder.length() - 1);
}

void PlayerProfiles::load() {
    UString problem;
    if (!FileManager::loadProtectedData(getFolder(), getFileName(), PLIM_VERSION_STRING, this, SIZE,
                                        &problem) &&
        !problem.isEmpty())
        FileManager::keepRefusedFile(getFolder() + "/" + getFileName(), problem);
    sanitize();
}

void PlayerProfiles::save() {
    FileManager::saveProtectedData(getFolder(), getFileName(), PLIM_VERSION_STRING, this, SIZE);
}

void PlayerProfiles::sanitize() {
    for (ProfileRecord& r : records) r.name[ProfileRecord::NAME_SIZE - 1] = 0;
    if (currentProfile < 0 || currentProfile >= MAX_PROFILES) currentProfile = 0;
}

bool PlayerProfiles::isUsed(int i) const {
    return i >= 0 && i < MAX_PROFILES && records[i].name[0] != 0;
}

const char* PlayerProfiles::getName(int i) const {
    if (i < 0 || i >= MAX_PROFILES) return "";
    return records[i].name;
}

int PlayerProfiles::countProfiles() const {
    int n = 0;
    for (int i = 0; i < MAX_PROFILES; i++)
        if (isUsed(i)) n++;
    return n;
}

void PlayerProfiles::addProfile(const UString& name) {
    int slot = 0;
    while (slot < MAX_PROFILES && isUsed(slot)) slot++;
    if (slot == MAX_PROFILES) return;

    ProfileRecord& r = records[slot];
    std::memset(&r, 0, sizeof r);
    uint32_t id = 0;
    for (int bit = 0; bit < 32; bit++) id = (id << 1) | uint32_t(Random::next() & 1);
    r.identifier = id;
    size_t length = strnlen(name.c_str(), MAX_NAME_LENGTH);
    std::memcpy(r.name, name.c_str(), length);
    r.name[length] = 0;

    currentProfile = slot;
    onCurrentProfileChanged();
    save();
}

void PlayerProfiles::deleteProfile(int i) {
    if (i < 0 || i >= MAX_PROFILES) return;
    for (int j = i; j + 1 < MAX_PROFILES; j++) records[j] = records[j + 1];
    std::memset(&records[MAX_PROFILES - 1], 0, sizeof(ProfileRecord));

    if (i < currentProfile)
        currentProfile--; // the same person moved up one slot
    else if (i == currentProfile && !isUsed(i))
        currentProfile = 0;
    save();
}

void PlayerProfiles::setCurrentProfile(int i) {
    if (i < 0 || i >= MAX_PROFILES) return;
    currentProfile = i;
    onCurrentProfileChanged();
    save();
}

void PlayerProfiles::onCurrentProfileChanged() {
    logTagged("onCurrentProfileChanged", "Changing profile to '%s'...", getName(currentProfile));
    lastHighScorePlace = -1;
}

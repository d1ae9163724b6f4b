#include "WadEntryMap.h"

WadEntry* WadEntryMap::find(const UString& name) const {
    const auto found = byName.find(name.str());
    return found == byName.end() ? nullptr : found->second;
}

bool WadEntryMap::insert(const WadEntry& entry) {
    if (contains(entry.fileName)) return false;
    WadEntry* added = entries.insertNew(entry.fileName, entry);
    byName.emplace(added->fileName.str(), added);
    return true;
}

bool WadEntryMap::erase(const UString& name) {
    return byName.erase(name.str()) > 0 && entries.erase(name);
}

void WadEntryMap::clear() {
    byName.clear();
    entries.clear();
}

#include "WadEntryMap.h"

WadEntry* WadEntryMap::find(const UString& name) const {
    const auto found = byName.find(name.str());
    return found == byName.end() ? nullptr : found->second;
}

bool WadEntryMap::insert(const UString& name, const WadEntry& entry) {
    const auto placed = byName.emplace(name.str(), nullptr);
    if (!placed.second) return false;
    placed.first->second = entries.insertNew(name, entry);
    return true;
}

bool WadEntryMap::erase(const UString& name) {
    return byName.erase(name.str()) > 0 && entries.erase(name);
}

void WadEntryMap::clear() {
    entries.clear();
    byName.clear();
}

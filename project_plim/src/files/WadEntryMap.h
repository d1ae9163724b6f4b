#pragma once
// The data archives' directory by entry name. Its layout is the engine's hash
// map, whose order a written archive follows; names are found through a
// second index by std::hash, as names of one engine hash would put every
// entry in one chain and each look-up would walk through them all.
#include "util/UStringHashMap.h"
#include "WadEntry.h"

#include <string>
#include <unordered_map>

class WadEntryMap {
public:
    using iterator = UStringHashMap<WadEntry>::iterator;

    WadEntry* find(const UString& name) const;
    bool contains(const UString& name) const { return find(name) != nullptr; }
    // The first entry of a name stays: an entry of a name already there is
    // not added. True when it was added.
    bool insert(const UString& name, const WadEntry& entry);
    // Walks the name's chain up to it: cheap for entries taken in the
    // directory's order, as saving an archive does.
    bool erase(const UString& name);
    void clear();

    size_t size() const { return entries.size(); }
    bool empty() const { return entries.empty(); }
    iterator begin() const { return entries.begin(); }
    iterator end() const { return entries.end(); }

private:
    UStringHashMap<WadEntry> entries;
    std::unordered_map<std::string, WadEntry*> byName;
};

#pragma once
// The data archives' directory, each entry under its own file name. Its layout
// is the engine's hash map, whose order a written archive follows; names are
// found through a second index by std::hash, as names of one engine hash would
// put every entry in one chain and each look-up would walk through them all.
#include "util/UStringHashMap.h"
#include "WadEntry.h"

#include <string_view>
#include <unordered_map>

class WadEntryMap {
public:
    using iterator = UStringHashMap<WadEntry>::iterator;

    // An entry's file name is its key, and stays as it is while it is here.
    WadEntry* find(const UString& name) const;
    bool contains(const UString& name) const { return find(name) != nullptr; }
    // The first entry of a name stays: one of a name already here is not
    // added. True when it was added.
    bool insert(const WadEntry& entry);
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
    // Views of the names held by the entries.
    std::unordered_map<std::string_view, WadEntry*> byName;
};

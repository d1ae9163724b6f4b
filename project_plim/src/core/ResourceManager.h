#pragma once
// The resource registry: names loaded resources and finds them by name. It owns
// nothing; the application's resource holder owns the resources themselves.
#include "util/UString.h"

#include <unordered_map>

class PlimBase;
class RuntimeClass;

class ResourceManager {
public:
    ResourceManager();
    virtual RuntimeClass* getClass();
    static RuntimeClass runtimeClass;
    virtual ~ResourceManager();

    // Registers a resource; a name registered twice is fatal.
    void addResource(const UString& name, PlimBase* resource);
    // The resource of that name. A miss is a data fault (DataFault: the data
    // never made it) when fatalIfMissing, else null.
    PlimBase* find(const UString& name, bool fatalIfMissing = true) const;
    // The first name the resource was registered under; empty when unknown.
    UString nameOf(PlimBase* resource) const;
    // One console line per registered name.
    void dump() const;

    int getCount() const { return int(byName.size()); }

private:
    std::unordered_map<UString, PlimBase*, UStringHash> byName;
    std::unordered_map<PlimBase*, UString> byResource;
};

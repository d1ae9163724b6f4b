#include "ResourceManager.h"

#include "input/Console.h"
#include "DataFault.h"
#include "ErrorManager.h"
#include "Logger.h"
#include "Plim.h"
#include "RuntimeClass.h"

RuntimeClass ResourceManager::runtimeClass("ResourceManager", &ResourceManager::runtimeClass, nullptr);

RuntimeClass* ResourceManager::getClass() { return &runtimeClass; }

ResourceManager::ResourceManager() {
    logTagged("ResourceManager", "Starting...");
}

ResourceManager::~ResourceManager() {
    logTagged("~ResourceManager", "Destroying %d resources.", getCount());
}

void ResourceManager::addResource(const UString& name, PlimBase* resource) {
    const auto& map = byName;
    const UString& key = name;
    PLIM_ASSERT(map.find(key)==map.end());
    byName.emplace(name, resource);
    byResource.emplace(resource, name); // keeps the first name of a resource
}

PlimBase* ResourceManager::find(const UString& name, bool fatalIfMissing) const {
    auto it = byName.find(name);
    if (it != byName.end()) return it->second;
    if (fatalIfMissing) DataFault::raise("Could not find resource '%s'.", name.c_str());
    return nullptr;
}

UString ResourceManager::nameOf(PlimBase* resource) const {
    auto it = byResource.find(resource);
    return it != byResource.end() ? it->second : UString();
}

void ResourceManager::dump() const {
    if (!PLIM || !PLIM->console) return;
    for (const auto& entry : byName) PLIM->console->print("ResourceManager: %s", entry.first.c_str());
}

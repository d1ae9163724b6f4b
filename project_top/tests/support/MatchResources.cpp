#include "MatchResources.h"

#include "ErrorManager.h"
#include "Plim.h"
#include "ResourceManager.h"
#include "RuntimeClass.h"
#include "Skin.h"
#include "Sound.h"

namespace {
template <class T> T* find(const char* name) {
    PlimBase* found = PLIM->resourceManager->find(name, true);
    T* typed = dynamic_cast<T*>(found);
    if (!typed) ErrorManager::error("Resource '%s' is not a %s.", name, T::runtimeClass.name.c_str());
    return typed;
}
} // namespace

Skin* MatchResources::skin(const char* name) { return find<Skin>(name); }

Sound* MatchResources::sound(const char* name) { return find<Sound>(name); }

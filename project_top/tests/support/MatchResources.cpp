#include "MatchResources.h"

#include "core/ErrorManager.h"
#include "core/Plim.h"
#include "core/ResourceManager.h"
#include "core/RuntimeClass.h"
#include "render/Skin.h"
#include "audio/Sound.h"

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

#include "World.h"

#include "core/ErrorManager.h"
#include "core/DataFault.h"
#include "core/Plim.h"
#include "util/Random.h"
#include "core/ResourceManager.h"
#include "core/RuntimeClass.h"
#include "audio/Sound.h"
#include "render/Texture.h"
#include "app/MyGlobal.h"
#include "modes/GameController.h"

namespace {

PlimBase* findOfKind(const char* name, RuntimeClass* kind) {
    PlimBase* found = PLIM->resourceManager->find(name, true);
    if (!found->getClass()->isKindOf(kind))
        PLIM_ERROR("Resource '%s' is not a %s.", name, kind->name.c_str());
    return found;
}

} // namespace

Texture* World::texture(const char* name) { return static_cast<Texture*>(findOfKind(name, &Texture::runtimeClass)); }

Sound* World::sound(const char* name) { return static_cast<Sound*>(findOfKind(name, &Sound::runtimeClass)); }

Texture* World::frames(const char* name) {
    Texture* found = texture(name);
    if (found->skins.empty()) DataFault::raise("Texture '%s' has no sub-images.", name);
    return found;
}

Skin* World::frame(Texture* texture, int index) {
    const int last = int(texture->skins.size()) - 1;
    if (index > last) index = last;
    if (index < 0) index = 0;
    return texture->skins[index];
}

void World::playAt(const char* name, V3 position) { sound(name)->playAt(position); }

void World::playRandomPitch(const char* name) { sound(name)->playRandomPitch(); }

int World::detail() { return gGlobal ? gGlobal->saveData.graphicsDetail : 0; }

float World::fraction() { return float(Random::next() & 0xFFFF) / 65536.0f; }

PlimBase* World::layer(int index) {
    GameController* game = GameController::current();
    if (!game || index < 0 || index >= GameController::LAYER_COUNT) return nullptr;
    return game->layer(index);
}

void World::add(int layerIndex, PlimBase* object, bool front) {
    PlimBase* holder = layer(layerIndex);
    if (!holder) {
        object->deleteMe();
        return;
    }
    if (front)
        holder->addChildFirst(object);
    else
        holder->addChild(object);
}

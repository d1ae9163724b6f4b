#include "Projectile.h"

#include "audio/Sound.h"
#include "render/Texture.h"
#include "modes/GameController.h"
#include "world/World.h"
#include "world/effects/Explosion.h"
#include "world/effects/Splash.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {
const int SPLASH_DROPS = 20;
const float EXPLOSION_SCALE = 1.5f;
} // namespace

Projectile::Projectile(int owner) : GameObject(owner) {}

Projectile::~Projectile() {}

void Projectile::findNearestInLine(PlimBase *layer, GameObject *&best, float &bestDistSq) {
    if (!layer) return;
    const float nx = std::cos(heading + PI / 2.0f);
    const float ny = std::sin(heading + PI / 2.0f);
    for (BasicLink *link = layer->firstChild; link; link = link->next) {
        if (link->bDestroyPending || link->bSkip) continue;
        GameObject *other = static_cast<GameObject *>(static_cast<PlimBase *>(link));
        const V3 d = other->boundsCenter - position;
        const float across = nx * d.x + ny * d.y;
        const float distSq = d.x * d.x + d.y * d.y + d.z * d.z;
        if (std::fabs(across) < other->boundsRadius * other->collisionSensitivity && distSq < bestDistSq) {
            bestDistSq = distSq;
            best = other;
        }
    }
}

Skin *Projectile::picture(int normal) {
    GameController *game = GameController::current();
    const bool large = game && game->bBloatedProjectiles;
    return World::frame(World::texture("projectiles"), normal + (large ? 1 : 0));
}

void Projectile::splashAt(V3 at, float maxSpeed) {
    if (World::detail() <= 0) return;
    Emission drops(at);
    drops.particles(SPLASH_DROPS).speeds(0.0f, maxSpeed).toward(HALF_PI).spreading(HALF_PI);
    World::add(GameController::LAYER_FIREWORKS, new Splash(drops));
}

void Projectile::explodeAt(V3 at, float direction, int count, float minSpeed, float maxSpeed, float scale) {
    Emission pieces(at);
    pieces.particles(count).speeds(minSpeed, maxSpeed).toward(direction).spreading(PI).scaled(scale);
    World::add(GameController::LAYER_FIREWORKS, new Explosion(pieces));
}

void Projectile::sink() {
    bDestroyPending = true;
    splashAt(position, 200.0f);
    World::playAt("smallSplash", position);
}

void Projectile::explode(float minSpeed, float maxSpeed) {
    explodeAt(position, heading, 6 * World::detail() + 4, minSpeed, maxSpeed, EXPLOSION_SCALE);
}

void Projectile::bombExplosion() {
    explode(0.0f, 50.0f);
    // The shared sound's pitch range is set right before each play.
    Sound *sound = World::sound("explosionShort");
    sound->pitchMin = 0.0f;
    sound->pitchMax = 0.5f;
    sound->playAt(position);
}

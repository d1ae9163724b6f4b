#include "AirplaneLeftRight.h"

#include "app/Formatters.h"
#include "modes/GameController.h"
#include "world/AirplaneSkin.h"
#include "world/World.h"
#include "world/effects/Explosion.h"
#include "world/weapons/BombCampaign.h"
#include "util/PlimMath.h"

#include <cmath>

AirplaneLeftRight::AirplaneLeftRight() : skin(new AirplaneSkin()) {
    skin->bShadow = false;
    pSkin = skin;
    bOwnsSkin = true;
    points = POINTS;
    setEnergy(ENERGY);
    collisionSensitivity = 0.75f;
}

AirplaneLeftRight::~AirplaneLeftRight() {}

void AirplaneLeftRight::onSpawn() {
    position = getSpawnPosition(PLACE_SIDE);
    color = tint == 0 ? UColor(Formatters::randomColour()) : tintColour(tint);
    heading = float(directionToCentre(position)) * (-PI / 2.0f) + PI / 2.0f;
    const float speed = MIN_SPEED + World::fraction() * (TOP_SPEED + TOP_SPEED_HARD * difficulty - MIN_SPEED);
    velocity = V3(speed * std::cos(heading), speed * std::sin(heading), 0.0f);
    updateVisuals();

    if (World::fraction() < BOMB_CHANCE + BOMB_CHANCE_HARD * difficulty) {
        // Without a palm, or with one above the plane, there is nowhere to
        // drop: the plane keeps its bomb.
        GameObject* target = randomTargetPalm();
        const float dy = target ? target->boundsCenter.y - position.y : 0.0f;
        if (target && dy <= 0.0f) {
            bWillBomb = true;
            dropX = target->position.x - std::sqrt(2.0f * dy / -BOMB_GRAVITY) * velocity.x;
        }
    }
    World::playAt("biplaneEntry", position);
}

void AirplaneLeftRight::tick(double, double dt) {
    GameObject::step(dt);
    if (!bWillBomb) return;
    const bool passed = velocity.x >= 0.0f ? position.x > dropX : position.x < dropX;
    if (!passed) return;
    World::add(GameController::LAYER_ENEMY_PROJECTILES,
               new BombCampaign(owner, position.x, position.y, position.z, velocity.x, velocity.y, velocity.z));
    World::playAt("bombWhistleShort", position);
    bWillBomb = false;
}

void AirplaneLeftRight::render() {
    skin->heading = heading;
    Renderable::render();
}

void AirplaneLeftRight::onDestroyed(GameObject* by) {
    GameObject::onDestroyed(by);
    World::add(GameController::LAYER_FIREWORKS,
               new Explosion(Emission(position).particles(5).speeds(0.0f, 40.0f).spreading(TWO_PI).scaled(2.0f)));
    playExplosionShort(position, 0.0f, 0.5f);
}

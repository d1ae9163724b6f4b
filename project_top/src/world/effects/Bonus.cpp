#include "Bonus.h"

#include "render/Skin.h"
#include "render/Texture.h"
#include "modes/GameController.h"
#include "modes/PlayerHUD.h"
#include "world/Vehicle.h"
#include "world/World.h"
#include "Firework.h"
#include "util/PlimMath.h"

#include <cmath>

Bonus::Bonus(float x, float y, float z, double life, bool burst)
    : GameObject(-1), basePosition(x, y, z), lifetime(life), burstPending(burst) {
    phase = World::fraction() * TWO_PI;
    collisionSensitivity = 0.5f;
    setBalloon(0);
    position = basePosition;
    updateVisuals();
}

Bonus::~Bonus() {}

void Bonus::setBalloon(int index) {
    Skin* skin = World::frame(World::frames("balloons"), index);
    if (skin == pSkin) return;
    pSkin = skin;
    updateVisuals();
}

void Bonus::tick(double time, double dt) {
    position = V3(basePosition.x, basePosition.y + BOB_HEIGHT * std::sin(phase + float(time)), basePosition.z);
    updateVisuals();
    const float s = 1.0f + WOBBLE * std::sin(phase + WOBBLE_RATE * float(time));
    scale = V3(s, 1.0f / s, 1.0f);
    updateVisuals();
    if (lifetime > 0.0) {
        lifetime -= dt;
        if (lifetime <= 0.0) bDestroyPending = true;
    }
    if (burstPending) {
        if (World::detail() > 0) burst();
        burstPending = false;
    }
}

void Bonus::burst() {
    const float h = pSkin ? pSkin->height : 0.0f;
    Emission flares(V3(position.x, position.y + 0.25f * h, position.z));
    flares.particles(10).speeds(25.0f, 50.0f).spreading(TWO_PI).scaled(2.0f);
    World::add(GameController::LAYER_FIREWORKS, new Firework(flares, UColor::WHITE));
}

void Bonus::onDestroyed(GameObject* by) {
    GameObject::onDestroyed(by);
    if (World::detail() > 0) burst();
    // Only a player's shot earns a bonus, and only while its target has a
    // vehicle to carry it.
    const int popper = by ? by->owner : -1;
    GameController* game = GameController::current();
    if (!game || popper < 0 || popper >= GameController::PLAYERS) return;
    if (!GameController::currentVehicle(targetOf(popper))) return;
    giveBonus(popper);
    if (!caption.isEmpty()) game->playerHud[popper]->showCaption(caption);
}

void Bonus::giveVehicleBonus(int player, int icon, const char* soundName, void (*change)(Vehicle&)) {
    Vehicle* vehicle = GameController::currentVehicle(targetOf(player));
    if (!vehicle) return;
    change(*vehicle);
    Renderable* marker = new Renderable();
    marker->setup(World::frame(World::frames("hud-bonusicons"), icon), nullptr, nullptr, nullptr);
    vehicle->bonusMarkers.addChild(marker);
    World::playRandomPitch(soundName);
}

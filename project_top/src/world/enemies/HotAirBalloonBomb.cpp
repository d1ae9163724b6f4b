#include "HotAirBalloonBomb.h"

#include "world/World.h"
#include "world/weapons/BombCampaign.h"

#include <cmath>

HotAirBalloonBomb::HotAirBalloonBomb() { points = POINTS; }

HotAirBalloonBomb::~HotAirBalloonBomb() {}

void HotAirBalloonBomb::onSpawn() {
    HotAirBalloon::onSpawn();
    BasicLink::deleteIfSet(carriedBomb);
    carriedBomb = new BombCampaign(owner, position.x, position.y, position.z, 0.0f, 0.0f, 0.0f);
    carriedBomb->rotation.z = float(3.0 * M_PI / 2.0);
    carriedBomb->updateVisuals();
    backPiece.setup(World::frame(frames, BACK_PIECE_BOMB), nullptr, nullptr, nullptr);
    backPiece.updateVisuals();
    targetPalm.set(randomTargetPalm());
}

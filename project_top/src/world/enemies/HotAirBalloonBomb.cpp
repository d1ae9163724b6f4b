#include "HotAirBalloonBomb.h"

#include "world/World.h"
#include "world/weapons/BombCampaign.h"
#include "util/PlimMath.h"

#include <cmath>

HotAirBalloonBomb::HotAirBalloonBomb() { points = POINTS; }

HotAirBalloonBomb::~HotAirBalloonBomb() {}

void HotAirBalloonBomb::onSpawn() {
    HotAirBalloon::onSpawn();
    BasicLink::deleteIfSet(carriedBomb);
    carriedBomb = new BombCampaign(owner, position.x, position.y, position.z, 0.0f, 0.0f, 0.0f);
    carriedBomb->rotation.z = 3.0f * PI / 2.0f;
    carriedBomb->updateVisuals();
    backPiece.setup(World::frame(frames, BACK_PIECE_BOMB), nullptr, nullptr, nullptr);
    backPiece.updateVisuals();
    targetPalm.set(randomTargetPalm());
}

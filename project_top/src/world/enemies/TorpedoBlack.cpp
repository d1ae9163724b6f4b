#include "TorpedoBlack.h"

#include "world/World.h"

TorpedoBlack::TorpedoBlack() {
    setEnergy(ENERGY);
    pSkin = World::frame(World::frames("torpedo"), 1);
    updateVisuals();
}

TorpedoBlack::~TorpedoBlack() {}

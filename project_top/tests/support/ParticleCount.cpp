#include "ParticleCount.h"

#include "modes/GameController.h"
#include "world/effects/ParticleBurst.h"

int ParticleCount::live(const GameController* match) {
    int count = 0;
    for (int i = 0; i < GameController::LAYER_COUNT; ++i) {
        for (BasicLink* link = match->layer(i)->firstChild; link; link = link->next) {
            if (link->bDestroyPending || link->bSkip) continue;
            auto* burst = dynamic_cast<ParticleBurst*>(static_cast<PlimBase*>(link));
            if (burst) count += burst->liveParticles();
        }
    }
    return count;
}

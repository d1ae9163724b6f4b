#include "ParticleCount.h"

#include "modes/GameController.h"
#include "world/effects/Explosion.h"
#include "world/effects/Firework.h"
#include "world/effects/Splash.h"

int ParticleCount::live(const GameController* match) {
    int count = 0;
    for (int i = 0; i < GameController::LAYER_COUNT; ++i) {
        for (BasicLink* link = match->layer(i)->firstChild; link; link = link->next) {
            if (link->bDestroyPending || link->bSkip) continue;
            PlimBase* object = static_cast<PlimBase*>(link);
            if (auto* e = dynamic_cast<Explosion*>(object))
                count += e->liveParticles();
            else if (auto* s = dynamic_cast<Splash*>(object))
                count += s->liveParticles();
            else if (auto* f = dynamic_cast<Firework*>(object))
                count += f->liveParticles();
        }
    }
    return count;
}

#pragma once
// A war between computer players whose battles cannot run forever: two
// computer pilots may circle an island or each other for as long as they
// like, so a battle that has lasted roundLimit seconds ends as a lost plane
// would end it (the round is over 3 s later). Everything else is the war's own.
#include "modes/GameControllerClassic.h"

template <class War> class CappedWar : public War {
public:
    explicit CappedWar(double limit) : roundLimit(limit) {}

    void onStateChange() override {
        if (this->state == GameControllerClassic::STATE_BATTLE) {
            battleFrom = this->time;
            cutThisRound = false;
        }
        War::onStateChange();
    }
    void updateRules() override {
        War::updateRules();
        if (this->state != GameControllerClassic::STATE_BATTLE || cutThisRound) return;
        if (this->time - battleFrom < roundLimit) return;
        cutThisRound = true;
        ++roundsCut;
        this->onPlayerDie(0);
    }

    double roundLimit;
    double battleFrom = 0.0;
    bool cutThisRound = false;
    int roundsCut = 0;
};

#include "GameControllerFFA.h"

#include "app/Global.h"
#include "PlayerData.h"

#include <algorithm>

namespace {
const int OPPONENT_COMPUTER = 2;
}

GameControllerFFA::GameControllerFFA() {
    const SaveData& saved = gGlobal->saveData;
    computerPlayers = saved.opponentType == OPPONENT_COMPUTER ? 1 : 0;
    palmCount = saved.trees;
    bBonuses = saved.allowBonuses > 0;
    bSabotageBonuses = saved.allowBonuses > 1;
    bLimitBombRange = saved.bLimitBombRange != 0;
    aiSkill = std::min(1.0f, std::max(0.0f, float(saved.difficulty) * 0.25f));
    aiOffensive = float(saved.offensivePreference) / PREFERENCE_STEPS;
    aiDefensive = float(saved.defensivePreference) / PREFERENCE_STEPS;
    aiBonus = float(saved.bonusPreference) / PREFERENCE_STEPS;
    bP35Planes = saved.ffaFlag != 0;
    gameType = GAMETYPE_FFA;
    days = saved.warDays;
    nextBonusAt = nextBonusTime();
}

GameControllerFFA::~GameControllerFFA() {}

float GameControllerFFA::dayFactor(int days) {
    const float f = float(days - 1) / 3.0f;
    if (f < 0.0f) return 0.5f;
    if (f > 1.0f) return 1.0f;
    return 0.5f * f + 0.5f;
}

void GameControllerFFA::computeRating() {
    GameControllerClassic::computeRating();
    playerData[winner]->rating *= dayFactor(days);
}

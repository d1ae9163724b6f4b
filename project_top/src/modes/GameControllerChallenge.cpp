#include "GameControllerChallenge.h"

#include "CameraBlender.h"
#include "ContextBlender.h"
#include "app/ContextManager.h"
#include "app/Global.h"
#include "util/PlimUtil.h"
#include "util/UColor.h"
#include "Messenger.h"
#include "PlayerData.h"
#include "PlayerHUD.h"

#include <algorithm>

namespace {

const UColor CHALLENGE_COLOURS[GameControllerChallenge::CHALLENGES] = {
    UColor(255, 0, 255, 255),   UColor(0, 0, 255, 255),   UColor(0, 255, 255, 255), UColor(0, 255, 0, 255),
    UColor(255, 255, 0, 255),   UColor(255, 128, 0, 255), UColor(255, 0, 0, 255),   UColor::WHITE,
    UColor(128, 128, 128, 255), UColor(0, 0, 0, 255)};
const double CHALLENGE_MESSAGE_TIME = 3.0;
const double DAY_MESSAGE_TIME = 2.0;
const double RESTART_DELAY = 1.0;

} // namespace

GameControllerChallenge::GameControllerChallenge() {
    computerPlayers = 1;
    palmCount = PALMS;
    gameType = GAMETYPE_CHALLENGE;
    days = 0;
}

GameControllerChallenge::~GameControllerChallenge() {}

UColor GameControllerChallenge::colorOf(int number) {
    return CHALLENGE_COLOURS[std::min(CHALLENGES, std::max(1, number)) - 1];
}

void GameControllerChallenge::nextChallenge() {
    ++challenge;
    days = DAYS_PER_CHALLENGE * challenge;
    aiSkill = std::min(1.0f, std::max(0.0f, float(challenge - 1) / float(CHALLENGES - 1)));
    playerData[1]->color = colorOf(challenge);
    for (PlayerData* data : playerData) data->score = 0;
}

void GameControllerChallenge::addChallengeRating() {
    const int s0 = playerData[0]->score;
    const int s1 = playerData[1]->score;
    if (s0 <= s1) return;
    const float q = std::max(0.0f, float(s1) / float(s0));
    playerData[0]->rating += CHALLENGE_RATING * (1.0f - std::min(1.0f, q));
}

void GameControllerChallenge::computeRating() { winner = 0; }

void GameControllerChallenge::prepareNextChallenge() {
    clearField(true);
    for (PlayerHUD* display : playerHud) display->bHidden = true;
    placeOpeningView();
    fadeTo(0.0f);
    nextBonusAt = nextBonusTime();
    setState(STATE_START, RESTART_DELAY);
}

void GameControllerChallenge::onStateChange() {
    switch (state) {
    case STATE_FIGHT:
        GameControllerClassic::onStateChange();
        nextChallenge();
        messenger->setMessage(formatString("challenge %d of %d", challenge, CHALLENGES), CHALLENGE_MESSAGE_TIME);
        break;
    case STATE_NEW_DAY:
        GameControllerClassic::onStateChange();
        messenger->setMessage(formatString("day %d of %d", day, CHALLENGES * DAYS_PER_CHALLENGE), DAY_MESSAGE_TIME);
        break;
    case STATE_END:
        addChallengeRating();
        if (challenge < CHALLENGES && playerData[1]->score <= playerData[0]->score)
            prepareNextChallenge();
        else
            GameControllerClassic::onStateChange();
        break;
    default:
        GameControllerClassic::onStateChange();
        break;
    }
}

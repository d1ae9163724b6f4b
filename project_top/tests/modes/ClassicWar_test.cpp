// The duel on the match harness: the war's states on the clock, fifteen
// rounds in five days, vehicles and palms of each round, the round-end rules,
// bonus balloons between battles and the rating; then challenge and
// free-for-all on top of it, and a two-day war between two computer players
// that must leave nothing behind.
#include "CameraBlender.h"
#include "ContextBlender.h"
#include "screens/ContextHighScores.h"
#include "app/ContextManager.h"
#include "LiveObjects.h"
#include "MatchFixture.h"
#include "core/Plim.h"
#include "util/PlimUtil.h"
#include "widgets/RadialFader.h"
#include "modes/ContextEnding.h"
#include "modes/GameControllerChallenge.h"
#include "modes/GameControllerClassic.h"
#include "modes/GameControllerFFA.h"
#include "modes/PlayerHUD.h"
#include "world/Airplane.h"
#include "world/CameraFollowPlayer.h"
#include "world/Palm.h"
#include "world/effects/BonusBlaster.h"
#include "world/effects/BonusDefensive.h"
#include "world/effects/BonusOffensive.h"
#include "world/pilots/AirplaneComputerControlDuel.h"
#include "world/pilots/CannonComputerControl.h"
#include "world/weapons/Bomb.h"
#include "world/weapons/WeaponBomb.h"
#include "world/weapons/WeaponBullet.h"
#include "world/weapons/WeaponCannonBall.h"

#include <cmath>
#include <typeinfo>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

typedef GameControllerClassic War;
typedef GameController L;

template <class T> T* lastOf(PlimBase* holder) {
    T* found = nullptr;
    for (BasicLink* l = holder->firstChild; l; l = l->next)
        if (T* t = dynamic_cast<T*>(static_cast<PlimBase*>(l))) found = t;
    return found;
}

} // namespace

// Frames of 0.02 s: every delay of the war is a whole number of them.
class ClassicWarTest : public MatchTest {
protected:
    static void SetUpTestSuite() { startHarness(0.02); }
    void TearDown() override { clearStack(); }
    void SetUp() override {
        saved().opponentType = 2;
        saved().difficulty = 2;
        saved().bInGameMusic = 0;
        saved().bUseMouse = 0;
        saved().bAutocannons = 0;
        harness->log.lines.clear();
    }
    template <class T> T* startWar(int computers = -1) {
        return start<T>([computers](T& war) {
            if (computers >= 0) war.computerPlayers = computers;
        });
    }
    static bool runUntilState(GameController* match, int state, double seconds) {
        const int frames = int(seconds * 1000.0 / double(harness->periodMs));
        for (int i = 0; i < frames && match->state != state; ++i) harness->step();
        return match->state == state;
    }
    static std::vector<std::vector<std::string>> logged(const char* kind) {
        std::vector<std::vector<std::string>> found;
        for (const std::string& line : harness->log.linesOf(kind)) found.push_back(MatchEventLog::columns(line));
        return found;
    }
    static int messages(const std::string& text) {
        int n = 0;
        for (const auto& c : logged("message"))
            if (c.size() > 3 && c[3] == "\"" + text + "\"") ++n;
        return n;
    }
    static double clockOf(const std::vector<std::string>& line) { return std::stod(line[1]); }
    static int live(int layer) { return harness->liveLayers()[layer]; }
    static Palm* palmOf(GameController* match, int player, int index) {
        return static_cast<Palm*>(match->playerData[player]->palms[index].get());
    }
};

TEST_F(ClassicWarTest, FiveDaysOfThreeRoundsRunTheStatesOnTheClock) {
    // Two idle humans: only the test ends rounds.
    War* war = startWar<War>(0);
    EXPECT_EQ(war->days, 5);
    EXPECT_EQ(war->palmCount, 3);
    EXPECT_FLOAT_EQ(war->aiSkill, 0.5f);
    EXPECT_EQ(war->gameType, L::GAMETYPE_DUEL);
    EXPECT_EQ(war->playerData[0]->color, UColor(255, 0, 0, 255));
    EXPECT_EQ(war->playerData[1]->color, UColor(0, 0, 255, 255));
    EXPECT_EQ(live(L::LAYER_ISLANDS), 2);
    EXPECT_EQ(live(L::LAYER_PALMS), 6);
    EXPECT_EQ(war->playerData[0]->pIsland->position.x, -500.0f);
    EXPECT_EQ(war->playerData[1]->pIsland->position.x, 500.0f);
    EXPECT_EQ(harness->app->contextManager->fader->target, 0.0f);

    int rounds = 0;
    for (int day = 1; day <= 5; ++day) {
        SCOPED_TRACE(day);
        ASSERT_TRUE(runUntilState(war, War::STATE_NEXT_ROUND, 12.0));
        // Full islands each day, nothing else left over.
        EXPECT_EQ(war->day, day);
        EXPECT_EQ(live(L::LAYER_PALMS), 6);
        EXPECT_EQ(war->playerData[1]->numPalmsStanding, 3);
        EXPECT_FALSE(war->playerHud[0]->bHidden);
        for (int layer : {L::LAYER_CANNONS, L::LAYER_AIRPLANES, L::LAYER_BOMBS, L::LAYER_BULLETS})
            EXPECT_EQ(live(layer), 0) << layer;
        for (int round = 1; round <= 3; ++round) {
            SCOPED_TRACE(round);
            ASSERT_TRUE(runUntilState(war, War::STATE_BATTLE, 3.0));
            ++rounds;
            EXPECT_EQ(war->round, round);
            EXPECT_EQ(live(L::LAYER_AIRPLANES), round == 3 ? 2 : 1);
            EXPECT_EQ(live(L::LAYER_CANNONS), round == 3 ? 0 : 1);
            for (int p = 0; p < 2; ++p) {
                Vehicle* v = war->playerData[p]->vehicle();
                ASSERT_TRUE(v);
                EXPECT_TRUE(war->playerData[p]->bHuman);
                if (War::fliesIn(p, round)) {
                    EXPECT_TRUE(dynamic_cast<Airplane*>(v));
                    EXPECT_FALSE(dynamic_cast<AirplaneComputerControl*>(v));
                    if (round == 3)
                        EXPECT_TRUE(dynamic_cast<WeaponBullet*>(v->weapon));
                    else
                        EXPECT_TRUE(dynamic_cast<WeaponBomb*>(v->weapon));
                } else {
                    EXPECT_FALSE(dynamic_cast<CannonComputerControl*>(v));
                    EXPECT_EQ(v->position, V3(p ? 500.0f : -500.0f, 0.0f, 0.0f));
                    EXPECT_TRUE(dynamic_cast<WeaponCannonBall*>(v->weapon));
                }
            }
            if (day == 1 && round == 1) {
                // A palm burnt at sunrise stays burnt for the rest of the day.
                palmOf(war, 1, 0)->onDestroyed(nullptr);
                harness->runSeconds(1.5);
                EXPECT_EQ(war->playerData[1]->numPalmsStanding, 2);
            }
            if (day == 1 && round == 2) {
                EXPECT_LE(war->playerData[1]->numPalmsStanding, 2);
            }
            // A lost plane ends the round 3 s later.
            const double lost = war->time;
            war->onPlayerDie(round == 2 ? 1 : 0);
            // After sunset the day ends in the same frame.
            ASSERT_TRUE(runUntilState(war, round == 3 ? War::STATE_DAY_FADE : War::STATE_ROUND_OVER, 3.5));
            EXPECT_NEAR(war->time - lost, round == 3 ? 3.02 : 3.0, 0.021);
        }
    }
    EXPECT_EQ(rounds, 15);
    EXPECT_EQ(harness->app->contextManager->fader->target, 1.0f);
    for (int i = 0; i < 200 && top() == war; ++i) harness->step();
    ContextEnding* ending = dynamic_cast<ContextEnding*>(top());
    ASSERT_TRUE(ending);
    EXPECT_EQ(ending->gameType, L::GAMETYPE_DUEL);
    EXPECT_TRUE(war->bDone);

    // The states, each entered on time.
    std::vector<int> states;
    std::vector<double> at;
    for (const auto& c : logged("state")) {
        states.push_back(std::stoi(c[3]));
        at.push_back(clockOf(c));
    }
    ASSERT_GE(states.size(), 9u);
    const int opening[] = {1, 2, 3, 4, 5, 6, 7, 4, 5};
    const double openingAt[] = {1.0, 1.02, 6.02, 8.02, 8.04, 9.04};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(states[i], opening[i]) << i;
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(at[i], openingAt[i], 0.021) << i;
    EXPECT_EQ(states.back(), 10);
    int nines = 0;
    for (int s : states) nines += s == 9;
    EXPECT_EQ(nines, 5);
    EXPECT_EQ(messages("fight!"), 1);
    for (const char* name : {"sunrise", "noon", "sunset"}) EXPECT_EQ(messages(name), 5) << name;
    for (int day = 1; day <= 5; ++day) EXPECT_EQ(messages(formatString("day %d of 5", day).c_str()), 1);
}

TEST_F(ClassicWarTest, RoundEndRulesBalloonsAndOwnPalms) {
    War* war = startWar<War>(0);
    ASSERT_TRUE(runUntilState(war, War::STATE_BATTLE, 12.0));
    ASSERT_EQ(war->round, 1);
    // A bomb over its own side's palm passes; over the enemy's it hits.
    Palm* own = palmOf(war, 0, 0);
    Palm* enemy = palmOf(war, 1, 0);
    war->layer(L::LAYER_BOMBS)->addChild(new Bomb(0, own->boundsCenter.x, own->boundsCenter.y, 0.0f, 0, 0, 0));
    war->layer(L::LAYER_BOMBS)->addChild(new Bomb(0, enemy->boundsCenter.x, enemy->boundsCenter.y, 0.0f, 0, 0, 0));
    const float ownEnergy = own->energy;
    harness->steps(1);
    EXPECT_EQ(own->state, Palm::STATE_STANDING);
    EXPECT_EQ(own->energy, ownEnergy);
    EXPECT_NE(enemy->state, Palm::STATE_STANDING) << enemy->position.x << "," << enemy->position.y << " " << live(L::LAYER_BOMBS);

    // Plane and last palm together: the first request sets the time.
    const double lost = war->time;
    war->onPlayerDie(0);
    harness->runSeconds(1.0);
    war->onAllPalmsDead(0);
    EXPECT_TRUE(lastOf<CameraFollowPlayer>(war->scene->getCameraBlender()));
    ASSERT_TRUE(runUntilState(war, War::STATE_ROUND_OVER, 3.0));
    EXPECT_NEAR(war->time - lost, 3.0, 0.021);

    // A balloon due between battles comes in the first frame of the next.
    war->nextBonusAt = war->time;
    harness->runSeconds(0.5);
    EXPECT_EQ(live(L::LAYER_BALLOONS), 0);
    while (war->state != War::STATE_BATTLE) harness->step();
    EXPECT_EQ(live(L::LAYER_BALLOONS), 1);
    EXPECT_GT(war->nextBonusAt, war->time + 9.0);

    // Out of the battle nothing asks for the end of the round.
    ASSERT_TRUE(runUntilState(war, War::STATE_BATTLE, 1.0));
    war->onPlayerDie(1);
    ASSERT_TRUE(runUntilState(war, War::STATE_NEXT_ROUND, 5.0));
    war->onAllPalmsDead(1);
    ASSERT_TRUE(runUntilState(war, War::STATE_BATTLE, 3.0));
    EXPECT_EQ(war->round, 3);
    harness->runSeconds(0.5);
    EXPECT_EQ(war->state, War::STATE_BATTLE);
    // At sunset a side without palms fights on.
    for (int i = 0; i < 3; ++i) palmOf(war, 1, i)->onDestroyed(nullptr);
    harness->runSeconds(5.0);
    EXPECT_EQ(war->playerData[1]->numPalmsStanding, 0);
    EXPECT_EQ(war->state, War::STATE_BATTLE);
    // clearField counts no palm as lost.
    war->clearField(false);
    harness->step();
    EXPECT_EQ(war->state, War::STATE_BATTLE);
    EXPECT_EQ(live(L::LAYER_PALMS), 0);
    EXPECT_EQ(war->playerData[0]->vehicle(), nullptr);
}

TEST_F(ClassicWarTest, DuelRatings) {
    War* war = startWar<War>();
    EXPECT_EQ(war->computerPlayers, 1);
    auto rate = [&](int s0, int s1) {
        war->playerData[0]->score = s0;
        war->playerData[1]->score = s1;
        war->playerData[0]->rating = war->playerData[1]->rating = -1.0f;
        war->computeRating();
    };
    rate(0, 0);
    EXPECT_EQ(war->winner, 0);
    EXPECT_EQ(war->playerData[0]->rating, 0.0f);
    EXPECT_EQ(war->playerData[1]->rating, 0.0f);
    // Equal scores against the computer at "normal" (0.5).
    rate(1000, 1000);
    EXPECT_EQ(war->winner, 0);
    EXPECT_FLOAT_EQ(war->playerData[0]->rating, 0.25f * 0.6f);
    rate(0, 3000); // the computer wins against a human: at most 0.5
    EXPECT_EQ(war->winner, 1);
    EXPECT_FLOAT_EQ(war->playerData[1]->rating, 0.5f);
    EXPECT_EQ(war->playerData[0]->rating, 0.0f);
    rate(4000, 1000);
    EXPECT_FLOAT_EQ(war->playerData[0]->rating, (1.0f - 0.75f * 0.25f) * 0.6f);

    // Against a friend an equal score rates nothing.
    war->playerData[1]->bHuman = true;
    rate(1000, 1000);
    EXPECT_EQ(war->playerData[0]->rating, 0.0f);
    EXPECT_FLOAT_EQ(War::ratingOf(2000, 0, true, 1.0f), 0.5f);
    EXPECT_FLOAT_EQ(War::ratingOf(2000, 2000, false, 0.0f), 0.0f);
    EXPECT_FLOAT_EQ(War::ratingOf(2000, 2000, false, 1.0f), 0.5f);
    EXPECT_FLOAT_EQ(War::ratingOf(2000, -5, false, 1.0f), 1.0f);

    // The end: rating kept at 0.9 and the duel table.
    war->playerData[1]->bHuman = false;
    war->playerData[0]->score = 5000;
    war->playerData[1]->score = 0;
    war->setState(War::STATE_END, 0.0);
    harness->step();
    EXPECT_FLOAT_EQ(war->playerData[0]->rating, 0.6f * 0.9f);
    ASSERT_TRUE(dynamic_cast<ContextEnding*>(top()));
}

TEST_F(ClassicWarTest, ChallengesRiseInSkillAndAddUpToTheRating) {
    saved().difficulty = 4;
    GameControllerChallenge* c = startWar<GameControllerChallenge>();
    EXPECT_EQ(c->computerPlayers, 1);
    EXPECT_EQ(c->gameType, L::GAMETYPE_CHALLENGE);
    EXPECT_EQ(c->days, 0);
    ASSERT_TRUE(runUntilState(c, War::STATE_BATTLE, 12.0));
    EXPECT_EQ(c->challenge, 1);
    EXPECT_EQ(c->days, 3);
    EXPECT_EQ(c->aiSkill, 0.0f);
    EXPECT_EQ(c->playerData[1]->color, UColor(255, 0, 255, 255));
    EXPECT_EQ(messages("challenge 1 of 10"), 1);
    EXPECT_EQ(messages("day 1 of 30"), 1);
    EXPECT_EQ(messages("fight!"), 1);

    // A tie goes on with nothing added; the burnt palm stays until the next day.
    palmOf(c, 0, 0)->onDestroyed(nullptr);
    harness->runSeconds(1.5);
    c->playerData[0]->score = c->playerData[1]->score = 700;
    c->setState(War::STATE_END, 0.0);
    harness->step();
    EXPECT_EQ(c->playerData[0]->rating, 0.0f);
    EXPECT_EQ(top(), c);
    EXPECT_TRUE(c->playerHud[0]->bHidden);
    EXPECT_EQ(live(L::LAYER_PALMS), 6);
    EXPECT_EQ(c->playerData[0]->numPalmsStanding, 2);
    EXPECT_EQ(live(L::LAYER_AIRPLANES) + live(L::LAYER_CANNONS), 0);
    ASSERT_TRUE(runUntilState(c, War::STATE_NEXT_ROUND, 12.0));
    EXPECT_EQ(c->challenge, 2);
    EXPECT_EQ(c->days, 6);
    EXPECT_EQ(c->playerData[0]->score, 0);
    EXPECT_FLOAT_EQ(c->aiSkill, 1.0f / 9.0f);
    EXPECT_EQ(c->playerData[1]->color, UColor(0, 0, 255, 255));
    EXPECT_EQ(c->playerData[0]->numPalmsStanding, 3);
    EXPECT_EQ(messages("day 2 of 30"), 1);

    // Won against 0 points: the full 0.1 each, the tenth at full skill.
    for (int n = 2; n < 10; ++n) {
        c->playerData[0]->score = 100;
        c->playerData[1]->score = 0;
        c->addChallengeRating();
        c->nextChallenge();
    }
    EXPECT_EQ(c->challenge, 10);
    EXPECT_EQ(c->aiSkill, 1.0f);
    EXPECT_EQ(c->playerData[1]->color, UColor(0, 0, 0, 255));
    c->playerData[0]->score = 300;
    c->playerData[1]->score = 100; // two thirds of 0.1
    c->addChallengeRating();
    EXPECT_FLOAT_EQ(c->playerData[0]->rating, 0.8f + 0.1f * 2.0f / 3.0f);
    c->playerData[0]->rating = 0.9f;
    c->setState(War::STATE_END, 0.0);
    harness->step();
    ContextEnding* ending = dynamic_cast<ContextEnding*>(top());
    ASSERT_TRUE(ending);
    EXPECT_EQ(ending->gameType, L::GAMETYPE_CHALLENGE);
    EXPECT_EQ(c->winner, 0);
    EXPECT_FLOAT_EQ(c->playerData[0]->rating, (0.9f + 0.1f * 2.0f / 3.0f) * 0.9f);
    EXPECT_EQ(c->playerData[1]->rating, 0.0f);
}

TEST_F(ClassicWarTest, LosingTheFirstChallengeEndsWithNothing) {
    GameControllerChallenge* c = startWar<GameControllerChallenge>();
    ASSERT_TRUE(runUntilState(c, War::STATE_BATTLE, 12.0));
    c->playerData[0]->score = 100;
    c->playerData[1]->score = 101;
    c->setState(War::STATE_END, 0.0);
    harness->step();
    ASSERT_TRUE(dynamic_cast<ContextEnding*>(top()));
    EXPECT_EQ(c->playerData[0]->rating, 0.0f);
    EXPECT_EQ(c->challenge, 1);
}

TEST_F(ClassicWarTest, FreeForAllTakesThePageRules) {
    EXPECT_FLOAT_EQ(GameControllerFFA::dayFactor(1), 0.5f);
    EXPECT_FLOAT_EQ(GameControllerFFA::dayFactor(2), 2.0f / 3.0f);
    EXPECT_FLOAT_EQ(GameControllerFFA::dayFactor(3), 5.0f / 6.0f);
    EXPECT_FLOAT_EQ(GameControllerFFA::dayFactor(4), 1.0f);
    EXPECT_FLOAT_EQ(GameControllerFFA::dayFactor(100), 1.0f);

    saved().warDays = 1;
    saved().trees = 1;
    saved().allowBonuses = 0;
    saved().offensivePreference = 12;
    saved().defensivePreference = 24;
    saved().bonusPreference = 6;
    saved().bLimitBombRange = 0;
    GameControllerFFA* ffa = startWar<GameControllerFFA>();
    EXPECT_EQ(ffa->days, 1);
    EXPECT_EQ(ffa->palmCount, 1);
    EXPECT_FALSE(ffa->bBonuses);
    EXPECT_FALSE(ffa->bLimitBombRange);
    EXPECT_FLOAT_EQ(ffa->aiOffensive, 0.5f);
    EXPECT_FLOAT_EQ(ffa->aiDefensive, 1.0f);
    EXPECT_FLOAT_EQ(ffa->aiBonus, 0.25f);
    EXPECT_EQ(ffa->gameType, L::GAMETYPE_FFA);
    EXPECT_GE(ffa->nextBonusAt, L::NEVER);
    EXPECT_EQ(live(L::LAYER_PALMS), 2);

    // One tree: its fall ends sunrise 3 s later.
    ASSERT_TRUE(runUntilState(ffa, War::STATE_BATTLE, 12.0));
    palmOf(ffa, 1, 0)->onDestroyed(nullptr);
    while (ffa->playerData[1]->numPalmsStanding > 0) harness->step();
    const double fell = ffa->time;
    ASSERT_TRUE(runUntilState(ffa, War::STATE_ROUND_OVER, 3.5));
    EXPECT_NEAR(ffa->time - fell, 3.0, 0.021);
    EXPECT_EQ(live(L::LAYER_BALLOONS), 0);

    // One day, a friend: at most half of the day factor.
    ffa->playerData[1]->bHuman = true;
    ffa->playerData[0]->score = 100;
    ffa->playerData[1]->score = 0;
    ffa->computeRating();
    EXPECT_FLOAT_EQ(ffa->playerData[0]->rating, 0.25f);
}

TEST_F(ClassicWarTest, FreeForAllBonusesWithoutSabotage) {
    saved().allowBonuses = 1;
    saved().opponentType = 1;
    saved().ffaFlag = 1;
    saved().bUseMouse = 1;
    GameControllerFFA* ffa = startWar<GameControllerFFA>();
    EXPECT_EQ(ffa->computerPlayers, 0);
    EXPECT_TRUE(ffa->bBonuses);
    EXPECT_FALSE(ffa->bSabotageBonuses);
    ASSERT_TRUE(runUntilState(ffa, War::STATE_BATTLE, 12.0));
    // The saved fighter byte gives every plane the fighter model.
    Airplane* plane = dynamic_cast<Airplane*>(ffa->playerData[0]->vehicle());
    ASSERT_TRUE(plane);
    EXPECT_FALSE(dynamic_cast<AirplaneComputerControl*>(plane));
    EXPECT_EQ(plane->maxSpeed, Airplane::P35_MAX_SPEED);
    // "use mouse" steers the left player's vehicle only.
    EXPECT_TRUE(plane->bMouseControl);
    EXPECT_FALSE(ffa->playerData[1]->vehicle()->bMouseControl);
    for (int i = 0; i < 60; ++i) {
        ffa->nextBonusAt = 0.0;
        harness->step();
    }
    int kinds[3] = {};
    for (BasicLink* b = ffa->layer(L::LAYER_BALLOONS)->firstChild; b; b = b->next) {
        PlimBase* balloon = static_cast<PlimBase*>(b);
        if (dynamic_cast<BonusOffensive*>(balloon)) ++kinds[0];
        else if (dynamic_cast<BonusDefensive*>(balloon)) ++kinds[1];
        else if (dynamic_cast<BonusBlaster*>(balloon)) ++kinds[2];
        else ADD_FAILURE() << "a sabotage balloon";
    }
    EXPECT_GT(kinds[0] * kinds[1] * kinds[2], 0);
    saved().ffaFlag = 0;
}

// Two computer players for two days: at each day start only the new palms
// are left, and the deleted war leaves the engine's objects as it found them.
TEST_F(ClassicWarTest, TwoDaySoakLeavesNothingBehind) {
    saved().warDays = 2;
    saved().trees = 3;
    saved().allowBonuses = 2;
    saved().bonusFrequency = 2;
    saved().bAutocannons = 1;
    saved().bUseMouse = 1; // for humans only
    // Text drawn during the war stays in the fonts' caches: both counts are
    // taken with the caches emptied, as after a lost display.
    LiveObjects::dropFontCaches();
    std::map<std::string, int> start = LiveObjects::byClass();
    GameControllerFFA* ffa = startWar<GameControllerFFA>(2);
    int dayStarts = 0;
    int lastState = 0;
    double battleFrom = 0.0;
    for (int i = 0; i < 40000 && top() == ffa; ++i) {
        harness->step();
        if (ffa->state == War::STATE_NEXT_ROUND && lastState == War::STATE_NEW_DAY) {
            ++dayStarts;
            const auto layers = harness->liveLayers();
            EXPECT_EQ(layers[L::LAYER_PALMS], 6);
            for (int layer : {L::LAYER_CANNONS, L::LAYER_AIRPLANES, L::LAYER_CANNON_BALLS, L::LAYER_BOMBS,
                              L::LAYER_BULLETS, L::LAYER_BALLOONS})
                EXPECT_EQ(layers[layer], 0) << layer;
        }
        if (ffa->state == War::STATE_BATTLE && lastState != War::STATE_BATTLE) {
            battleFrom = ffa->time;
            // Computer pilots: a dogfighter at sunset, a bomber before.
            for (int p = 0; p < 2; ++p) {
                Vehicle* v = ffa->playerData[p]->vehicle();
                const bool flies = War::fliesIn(p, ffa->round);
                EXPECT_EQ(dynamic_cast<AirplaneComputerControlDuel*>(v) != nullptr, flies && ffa->round == 3);
                EXPECT_EQ(dynamic_cast<AirplaneComputerControl*>(v) != nullptr, flies);
                EXPECT_EQ(dynamic_cast<CannonComputerControl*>(v) != nullptr, !flies);
                EXPECT_FALSE(v->bMouseControl);
            }
        }
        // Computer pilots may circle for ever: no battle lasts over 20 s here, which
        // keeps the war short enough for the sanitizer build.
        if (ffa->state == War::STATE_BATTLE && ffa->time - battleFrom > 20.0) ffa->onPlayerDie(0);
        lastState = ffa->state;
    }
    EXPECT_EQ(dayStarts, 2);
    ASSERT_TRUE(dynamic_cast<ContextEnding*>(top()));
    EXPECT_EQ(ffa->day, 2);
    // Off the stack as a player leaves it: clicks through the end scene, which
    // opens the free-for-all table on its way out; closing that pops the war
    // beneath it, which brings the menu music back and is deleted.
    for (int i = 0; i < 5000 && dynamic_cast<ContextEnding*>(top()); ++i) {
        if (i % 50 == 0) {
            harness->scheduleMouseButton(harness->frame, SDL_BUTTON_LEFT, true);
            harness->scheduleMouseButton(harness->frame + 2, SDL_BUTTON_LEFT, false);
        }
        harness->step();
    }
    ContextHighScores* table = dynamic_cast<ContextHighScores*>(top());
    ASSERT_TRUE(table);
    EXPECT_EQ(table->tableIndex, L::GAMETYPE_FFA);
    table->bDone = true;
    harness->steps(2);
    harness->controller = nullptr;
    EXPECT_EQ(top(), nullptr);
    EXPECT_EQ(GameController::current(), nullptr);
    LiveObjects::dropFontCaches();
    EXPECT_EQ(LiveObjects::byClass(), start);
    saved().bAutocannons = 0;
}

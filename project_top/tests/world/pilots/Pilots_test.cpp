// The two computer pilots over the real engine and data: waypoints without
// goals, pulling out of a dive, a near balloon against a palm (and that
// balloon popped while targeted), dodging a shell, shot intervals by skill,
// the duel pilot's chases and cruises, and the debug display.
#include "WeaponFixture.h"
#include "DogfightScenario.h"
#include "core/Plim.h"
#include "world/pilots/AirplaneComputerControl.h"
#include "world/pilots/AirplaneComputerControlDuel.h"
#include "util/PlimMath.h"

#include <algorithm>
#include <cmath>

namespace {

using PilotTest = MatchTest;
using L = GameController;

template <class T> T* placePilot(GameController* match, int player, V3 at, float heading) {
    T* pilot = new T(player);
    pilot->position = at;
    pilot->heading = heading;
    pilot->bRemoveOffWorld = false;
    pilot->updateVisuals();
    match->layer(L::LAYER_AIRPLANES)->addChild(pilot);
    match->playerData[player]->pVehicle.set(pilot);
    return pilot;
}

// A standing palm of the player's at the point.
HitTarget* standingPalm(GameController* match, int player, V3 at) {
    HitTarget* palm = new HitTarget(player, at, "palm:0");
    palm->setState(PlayerData::PALM_STANDING, 0.0);
    match->layer(L::LAYER_PALMS)->addChild(palm);
    PlayerData* data = match->playerData[player];
    data->palms[data->numPalms].set(palm);
    ++data->numPalms;
    ++data->numPalmsStanding;
    return palm;
}

TEST_F(PilotTest, WithoutGoalsThePilotCruisesUpAndRightNeverBelowTheWater) {
    for (uint32_t seed = 1; seed <= 4; ++seed) {
        harness->settings.seed = seed;
        GameController* match = start();
        AirplaneComputerControl* pilot = placePilot<AirplaneComputerControl>(match, 0, V3(-200.0f, 40.0f, 0.0f), 0.0f);
        EXPECT_GE(pilot->waypoint.position.y, 150.0f);
        EXPECT_LT(pilot->waypoint.position.y, 550.0f);
        EXPECT_EQ(pilot->target, &pilot->waypoint);
        // Picked from the plane's place: 0 to 255 right and up, floored at 0.
        for (int i = 0; i < 50; ++i) {
            pilot->position = V3(100.0f, i % 2 ? 100.0f : -400.0f, 0.0f);
            pilot->pickWaypoint();
            const V3 w = pilot->waypoint.position;
            EXPECT_GE(w.x - 100.0f, 0.0f);
            EXPECT_LE(w.x - 100.0f, 255.0f);
            if (i % 2) {
                EXPECT_GE(w.y, 100.0f);
                EXPECT_LE(w.y, 355.0f);
            } else {
                EXPECT_EQ(w.y, 0.0f);
            }
        }
        pilot->position = V3(-200.0f, 40.0f, 0.0f);
        pilot->pickWaypoint();
        for (int i = 0; i < 600; ++i) {
            harness->step();
            ASSERT_EQ(pilot->aiState.state, AirplaneComputerControl::AI_CRUISE);
            ASSERT_GE(pilot->waypoint.position.y, 0.0f);
            ASSERT_EQ(pilot->state, Airplane::STATE_FLYING) << "seed " << seed;
        }
        EXPECT_EQ(pilot->palmTarget.get(), nullptr);
        EXPECT_EQ(pilot->palmScore, -1.0f);
    }
    harness->settings.seed = MatchSettings().seed;
}

TEST_F(PilotTest, ASteepLowDivePullsOutWhateverTheGoals) {
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        harness->settings.seed = seed;
        GameController* match = start();
        standingPalm(match, 1, V3(40.0f, -20.0f, 0.0f));
        AirplaneComputerControl* pilot =
            placePilot<AirplaneComputerControl>(match, 0, V3(0.0f, 90.0f, 0.0f), 1.5f * PI + 0.05f);
        pilot->speed = 250.0f;
        pilot->velocity = V3(std::cos(pilot->heading), std::sin(pilot->heading), 0.0f) * 250.0f;
        pilot->waypoint.position = V3(0.0f, -400.0f, 0.0f);
        harness->step();
        EXPECT_EQ(pilot->seaScore, 1.0f);
        EXPECT_EQ(pilot->seaTurn, 1);
        EXPECT_TRUE(pilot->bTurnLeft);
        EXPECT_FALSE(pilot->bTurnRight);
        // A waypoint below the diving plane moves above it.
        pilot->waypoint.position = V3(0.0f, -400.0f, 0.0f);
        pilot->checkSea();
        EXPECT_EQ(pilot->waypoint.position.y, pilot->position.y + 16.0f);
        float lowest = pilot->position.y;
        for (int i = 0; i < 800 && pilot->state == Airplane::STATE_FLYING; ++i) {
            harness->step();
            lowest = std::min(lowest, pilot->position.y);
        }
        EXPECT_EQ(pilot->state, Airplane::STATE_FLYING) << "seed " << seed;
        EXPECT_GT(lowest, -25.0f);
    }
    harness->settings.seed = MatchSettings().seed;
}

TEST_F(PilotTest, ANearBalloonBeatsThePalmAndMayBePoppedWhileTargeted) {
    GameController* match = start();
    standingPalm(match, 1, V3(250.0f, -20.0f, 0.0f));
    AirplaneComputerControl* pilot = placePilot<AirplaneComputerControl>(match, 0, V3(-100.0f, 100.0f, 0.0f), 0.0f);
    HitTarget* balloon = new HitTarget(1, V3(0.0f, 150.0f, 0.0f));
    match->layer(L::LAYER_BALLOONS)->addChild(balloon);
    harness->step();
    EXPECT_EQ(pilot->palmScore, 0.5f);
    EXPECT_EQ(pilot->bonusScore, 1.0f);
    EXPECT_EQ(pilot->bonusTarget.get(), balloon);
    EXPECT_EQ(pilot->aiState.state, AirplaneComputerControl::AI_BONUS);
    EXPECT_EQ(pilot->waypoint.position, balloon->position);

    // Someone else pops it while the pilot still holds it as its target.
    balloon->bDestroyPending = true;
    harness->step();
    EXPECT_EQ(pilot->bonusTarget.get(), nullptr);
    harness->steps(300);
    EXPECT_EQ(pilot->bonusTarget.get(), nullptr);
    EXPECT_NE(pilot->aiState.state, AirplaneComputerControl::AI_BONUS);

    // Scores fall from 1 at 128 units to 0 at 512; a NaN scores 0.
    EXPECT_EQ(pilotFalloff(100.0f, 128.0f, 384.0f), 1.0f);
    EXPECT_EQ(pilotFalloff(320.0f, 128.0f, 384.0f), 0.5f);
    EXPECT_EQ(pilotFalloff(600.0f, 128.0f, 384.0f), 0.0f);
    EXPECT_EQ(pilotFalloff(std::nanf(""), 128.0f, 384.0f), 0.0f);
}

TEST_F(PilotTest, AShellAimedAtThePlaneMakesItDodge) {
    GameController* match = start();
    AirplaneComputerControl* pilot = placePilot<AirplaneComputerControl>(match, 0, V3(0.0f, 200.0f, 0.0f), PI / 2.0f);
    pilot->waypoint.position = V3(0.0f, 600.0f, 0.0f); // straight ahead: no turn of its own
    HitTarget* own = new HitTarget(0, V3(-100.0f, 200.0f, 0.0f));
    own->velocity = V3(300.0f, 0.0f, 0.0f);
    match->layer(L::LAYER_CANNON_BALLS)->addChild(own);
    pilot->scanThreats(L::LAYER_CANNON_BALLS);
    EXPECT_EQ(pilot->threat.get(), nullptr); // its own shells never count
    EXPECT_EQ(pilot->threatScore, -1.0f);

    // From the left, flying right at the plane: within pi/32 and 384 units.
    HitTarget* shell = new HitTarget(1, V3(-300.0f, 200.0f, 0.0f));
    shell->velocity = V3(300.0f, 0.0f, 0.0f);
    match->layer(L::LAYER_CANNON_BALLS)->addChild(shell);
    pilot->scanThreats(L::LAYER_CANNON_BALLS);
    EXPECT_EQ(pilot->threat.get(), shell);
    EXPECT_EQ(pilot->threatScore, 1.0f);
    EXPECT_EQ(pilot->dodgeDirection, 1);
    harness->step();
    EXPECT_TRUE(pilot->bTurnLeft);
    EXPECT_FALSE(pilot->bTurnRight);

    // Aimed well off, or too far away: no threat worth a dodge.
    shell->position = V3(-300.0f, 200.0f, 0.0f);
    shell->heading = 0.5f;
    pilot->position = V3(0.0f, 200.0f, 0.0f);
    pilot->velocity = V3();
    pilot->scanThreats(L::LAYER_CANNON_BALLS);
    EXPECT_EQ(pilot->threatScore, 0.0f);
    shell->heading = 0.0f;
    shell->position = V3(-700.0f, 200.0f, 0.0f);
    pilot->scanThreats(L::LAYER_CANNON_BALLS);
    EXPECT_EQ(pilot->threatScore, 0.0f);
}

// The longest of many drawn shot intervals, the waypoint far ahead.
double longestInterval(AirplaneComputerControl* pilot, int aiState) {
    double longest = 0.0;
    pilot->waypoint.position = pilot->position + V3(1000.0f, 0.0f, 0.0f);
    for (int i = 0; i < 400; ++i) {
        pilot->aiState.setState(aiState, 0.0, true);
        pilot->nextFireTime = 0.0; // outside a tick the time is 0
        pilot->clearInput();
        pilot->readControls();
        EXPECT_FALSE(pilot->bFirePressed);
        longest = std::max(longest, pilot->nextFireTime);
    }
    return longest;
}

TEST_F(PilotTest, ShotIntervalsShrinkWithSkillAndHalveOnAnAttackRun) {
    for (float skill : {1.0f, 0.0f}) {
        GameController* match = start<GameController>([skill](GameController& m) { m.aiSkill = skill; });
        AirplaneComputerControl* pilot = placePilot<AirplaneComputerControl>(match, 0, V3(0.0f, 200.0f, 0.0f), 0.0f);
        const double most = 3.0 * (3.0 - 2.5 * skill);
        const double cruise = longestInterval(pilot, AirplaneComputerControl::AI_CRUISE);
        EXPECT_LE(cruise, most);
        EXPECT_GT(cruise, 0.9 * most);
        const double attack = longestInterval(pilot, AirplaneComputerControl::AI_ATTACK);
        EXPECT_LE(attack, most / 2.0);
        EXPECT_GT(attack, 0.9 * most / 2.0);
        // A due shot pulls the trigger and draws the next time.
        harness->steps(2);
        pilot->nextFireTime = 0.001;
        harness->step();
        EXPECT_TRUE(pilot->bFirePressed && pilot->bFireHeld);
        EXPECT_GT(pilot->nextFireTime, 0.001);
        harness->finishMatch();
    }
}

TEST_F(PilotTest, TheDuelPilotChasesAndCruisesAndDropsADeadOpponent) {
    GameController* match = start<GameController>([](GameController& m) { m.aiSkill = 1.0f; });
    Vehicle* opponent = giveVehicle(match, 1);
    opponent->position = V3(200.0f, 250.0f, 0.0f);
    opponent->heading = PI;
    opponent->updateVisuals();
    AirplaneComputerControlDuel* pilot =
        placePilot<AirplaneComputerControlDuel>(match, 0, V3(-200.0f, 150.0f, 0.0f), 0.0f);
    EXPECT_GE(pilot->chaseTime, 2.0);
    EXPECT_LT(pilot->chaseTime, 5.0);
    EXPECT_EQ(pilot->aiState.state, AirplaneComputerControl::AI_CRUISE);
    EXPECT_EQ(pilot->aiState.stateGoto, AirplaneComputerControl::AI_ATTACK);
    EXPECT_GE(pilot->aiState.stateLeft, 1.0);
    EXPECT_LT(pilot->aiState.stateLeft, 3.0);

    // Chases last 2 to 5 s, cruises (2 to 5) x 0.5 s at skill 1.
    int last = pilot->aiState.state;
    double since = 0.0;
    int chases = 0, cruises = 0;
    for (int i = 0; i < 6000; ++i) {
        harness->step();
        since += 0.01;
        const int now = pilot->aiState.state;
        if (now == last) continue;
        if (last == AirplaneComputerControl::AI_ATTACK) {
            ++chases;
            EXPECT_GE(since, 2.0);
            EXPECT_LE(since, 5.02);
            EXPECT_GE(pilot->chaseTime, 1.0);
            EXPECT_LT(pilot->chaseTime, 2.5);
        } else if (last == AirplaneComputerControl::AI_CRUISE && i > 400) {
            ++cruises;
            EXPECT_GE(since, 1.0);
            EXPECT_LE(since, 2.52);
        }
        last = now;
        since = 0.0;
    }
    EXPECT_GT(chases, 5);
    EXPECT_GT(cruises, 5);
    EXPECT_EQ(pilot->state, Airplane::STATE_FLYING);

    // A chase ends at once when the opponent's energy is gone.
    while (pilot->aiState.state != AirplaneComputerControl::AI_ATTACK) harness->step();
    pilot->chaseTime = 100.0;
    harness->step();
    EXPECT_EQ(pilot->waypoint.position, opponent->position);
    EXPECT_EQ(pilot->vehicleTarget.get(), opponent);
    opponent->energy = 0.0f;
    harness->step();
    EXPECT_EQ(pilot->aiState.state, AirplaneComputerControl::AI_CRUISE);
    EXPECT_GE(pilot->chaseTime, 1.0);
    EXPECT_LT(pilot->chaseTime, 2.5);
    EXPECT_GE(pilot->waypoint.position.y, 0.0f);
}

TEST_F(PilotTest, TheDuelPilotFiresSoonerWhenAimedAndSlowsInATightTurn) {
    GameController* match = start<GameController>([](GameController& m) { m.aiSkill = 1.0f; });
    AirplaneComputerControlDuel* pilot =
        placePilot<AirplaneComputerControlDuel>(match, 0, V3(0.0f, 200.0f, 0.0f), 0.0f);
    double longest = 0.0;
    pilot->waypoint.position = V3(500.0f, 200.0f, 0.0f); // dead ahead
    for (int i = 0; i < 300; ++i) {
        pilot->aiState.setState(AirplaneComputerControl::AI_ATTACK, 0.0, true);
        pilot->nextFireTime = 0.0;
        pilot->readControls();
        longest = std::max(longest, pilot->nextFireTime);
    }
    EXPECT_LE(longest, 0.5);
    EXPECT_GT(longest, 0.4);
    EXPECT_TRUE(pilot->bIncrease); // aimed: full speed
    // A waypoint a quarter turn counter-clockwise: the slowest speed.
    pilot->waypoint.position = V3(0.0f, 700.0f, 0.0f);
    pilot->speed = 150.0f;
    pilot->readControls();
    EXPECT_TRUE(pilot->bDecrease);
    EXPECT_FALSE(pilot->bIncrease);
    EXPECT_TRUE(pilot->bTurnLeft);
}

// White or red text pixels in the box below the view's centre.
int debugPixels(MatchHarness* run) {
    int n = 0;
    for (int y = -95; y <= -15; y += 2)
        for (int x = -80; x <= 80; x += 2) {
            const UColor p = scenePixel(float(x), float(y));
            if ((p.r > 220 && p.g > 220 && p.b > 220) || (p.r > 220 && p.g < 40 && p.b < 40)) ++n;
        }
    return n;
}

TEST_F(PilotTest, NothingBeyondThePlaneIsDrawnWithoutTheDebugFlag) {
    GameController* match = start();
    MatchHarness::setDrawing(true);
    AirplaneComputerControl* pilot = placePilot<AirplaneComputerControl>(match, 0, V3(-250.0f, 150.0f, 0.0f), 0.0f);
    pilot->bControlsEnabled = false;
    harness->step();
    const int quiet = debugPixels(harness);
    match->bAiDebug = true;
    pilot->position = V3(-250.0f, 150.0f, 0.0f);
    harness->step();
    const int shown = debugPixels(harness);
    EXPECT_GT(shown, quiet + 20);
    match->bAiDebug = false;
    pilot->position = V3(-250.0f, 150.0f, 0.0f);
    harness->step();
    EXPECT_EQ(debugPixels(harness), quiet);
}

// Two duel pilots over two islands: they shoot, take balloons and shoot each
// other down, but never fly into the sea themselves.
TEST_F(PilotTest, ADogfightOfTwoPilotsNeverEndsInTheSeaUnlessShotDown) {
    int lost = 0;
    for (uint32_t seed : {3u, 4u}) {
        harness->settings.seed = seed;
        const size_t from = harness->log.lines.size();
        DogfightMatch* match = DogfightScenario::start(*harness);
        harness->runSeconds(30.0);
        EXPECT_GT(soundLines(harness, from, "bulletFire").size(), 20u) << "seed " << seed;
        EXPECT_LE(soundLines(harness, from, "largeSplash").size(), soundLines(harness, from, "engineSpinning").size());
        lost += match->pilotsLost;
        EXPECT_GT(match->balloonsSpawned, 0);
        for (int player = 0; player < L::PLAYERS; ++player)
            EXPECT_TRUE(match->playerData[player]->vehicle() || match->respawnAt[player] >= 0.0);
        harness->finishMatch();
    }
    EXPECT_GE(lost, 1);
    harness->settings.seed = MatchSettings().seed;
}

} // namespace

#pragma once
// One loaded match harness for a whole test program; each test starts its own
// match and the fixture takes it off the screen stack afterwards.
#include "ContextManager.h"
#include "MatchHarness.h"
#include "modes/GameController.h"
#include "modes/PlayerData.h"
#include "world/Vehicle.h"

#include <gtest/gtest.h>

class MatchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { harness = new MatchHarness(); }
    static void TearDownTestSuite() {
        delete harness;
        harness = nullptr;
    }
    void TearDown() override {
        if (harness->matchOnTop()) {
            harness->controller->bDone = true;
            harness->step();
        }
    }

    // A match of type T, built with its fields set by prepare before onEnter.
    template <class T = GameController> T* start(const std::function<void(T&)>& prepare = nullptr) {
        return static_cast<T*>(harness->start([&]() -> GameController* {
            T* match = new T();
            if (prepare) prepare(*match);
            return match;
        }));
    }
    // A plain vehicle for the player, in the airplane layer and the player's record.
    static Vehicle* giveVehicle(GameController* match, int player) {
        Vehicle* v = new Vehicle(player);
        match->layer(GameController::LAYER_AIRPLANES)->addChild(v);
        match->playerData[player]->pVehicle.set(v);
        return v;
    }

    static MatchHarness* harness;
};

MatchHarness* MatchTest::harness = nullptr;
